// wrenfold-pak list, verify and extract, run as a process on packs the
// writer makes: their output, exit statuses and refusals.
#include "support/FileSizeLimit.h"
#include "support/PakProcess.h"
#include "support/ReaderTestUtil.h"
#include "support/ScriptedRandom.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot read)");
}

const QByteArrayList kMembers{"intro.txt", "Hello", "gfx\\title.bmp", "BM0123456789", "empty.bin", "",
                              "données\\é.txt", "é"};
const QByteArray kExe(300, 'x');

// Without fillers, so the offsets are known: the first member at 4.
QByteArray bare(bool masked, const QByteArrayList &members = kMembers)
{
    return readertest::writePack(members, masked, ScriptedRandom());
}

QByteArray appended(const QByteArray &pack, bool masked, const QByteArray &exe = kExe)
{
    return readertest::appended(exe, pack, readertest::packKey(masked).mask);
}

} // namespace

class TestCliRead : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString put(const QString &name, const QByteArray &bytes)
    {
        const QString path = tmp.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        return packtest::writeFile(path, bytes) ? path : QString();
    }

private slots:
    void list_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("key");
        const QStringList masked{"--key", "$11224488", "--mask", "$80000001"};
        QTest::newRow("plain") << bare(false) << QStringList();
        QTest::newRow("masked") << bare(true) << masked;
        QTest::newRow("appended") << appended(bare(true), true) << masked;
        QTest::newRow("appended twice") << appended(bare(true), true, appended(bare(true, {"old", "x"}), true)) << masked;
        QTest::newRow("over the last byte") << readertest::appendOverLastByte(kExe, bare(false), 0) << QStringList();
    }
    void list()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, key);
        const PakRun run = runPak(QStringList{"list", put("list.bin", file)} + key);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, "4\t5\tintro.txt\n9\t12\tgfx\\title.bmp\n21\t0\tempty.bin\n21\t2\tdonnées\\é.txt\n");
        QCOMPARE(run.status, 0);
    }

    void listRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QString masked = put("masked.bin", bare(true));
        QTest::newRow("no file") << QStringList{"list"} << 2 << "a pack file is needed\nUsage: wrenfold-pak list";
        QTest::newRow("two files") << QStringList{"list", masked, masked} << 2 << "too many arguments";
        QTest::newRow("unknown option") << QStringList{"list", "--keys", "1", masked} << 2 << "Unknown option 'keys'";
        QTest::newRow("missing file") << QStringList{"list", tmp.filePath("none")} << 1 << "cannot open";
        QTest::newRow("a folder") << QStringList{"list", tmp.path()} << 1 << "not a regular file";
        QTest::newRow("wrong mask") << QStringList{"list", masked, "--key", "11224488"} << 1 << "wrong Header Mask";
        QTest::newRow("wrong key") << QStringList{"list", masked, "--mask", "80000001"} << 1 << "Basic Key is wrong";
    }
    void listRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        const PakRun run = runPak(args);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        QCOMPARE(run.out, QString());
        QCOMPARE(run.status, status);
    }

    void verify_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        using readertest::example;
        QTest::newRow("sound example") << example() << 0 << "stand-alone pack of 2 entries, 64 bytes";
        QTest::newRow("sound, appended twice") << appended(readertest::writePack({"a", "b"}, false), false,
                                                        appended(readertest::writePack(kMembers, false), false))
                                               << 0 << "appended pack of 1 entry,";
        QTest::newRow("leading filler byte 255") << example(readertest::kExampleIndex, 2, "\x01\xff\x02") << 1
                                                 << "leading filler holds the byte 255 at offset 5";
        QTest::newRow("trailing filler byte 254") << example() + "\xfe" << 1 << "trailing filler holds the byte 254 at offset 64";
        QTest::newRow("trailing filler too long") << example() + QByteArray(498, 'z') << 1 << "trailing filler is 500 bytes";
        QTest::newRow("gap between members") << example("intro.txt\r7\r5\rgfx\\title.bmp\r13\r11\r") << 1
                                             << "entry 2 (\"gfx\\title.bmp\") starts at offset 13";
        QTest::newRow("count word apart") << example("intro.txt\r7\r5\rgfx\\title.bmp\r12\r11\r") << 1
                                          << "count word lies at offset 24, not right after the last entry (23)";
        QTest::newRow("same name twice") << example("a\r7\r5\rA\r12\r12\r") << 1 << "has the name of entry 1";
        QTest::newRow("signature after the trailer") << appended(example(), false) + "SIGNATURE" << 1
                                                     << "9 bytes follow the trailer";
        QTest::newRow("not a pack") << kExe << 1 << "not sound";
    }
    void verify()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QString, says);
        const PakRun run = runPak({"verify", put("verify.bin", file)});
        QVERIFY2(run.out.contains(says), qPrintable(run.out));
        QVERIFY(run.out.endsWith(status == 0 ? ": sound\n" : "\n") && run.out.contains("sound"));
        QCOMPARE(run.status, status);
    }

    void verifyAgainstProject()
    {
        const QString pack = put("project.pak", bare(true));
        const QStringList args{"verify", pack, "--key", "11224488", "--mask", "80000001", "--project", tmp.filePath("game")};
        for (int k = 0; k < kMembers.size(); k += 2)
            put("game/" + QString::fromUtf8(kMembers[k]).replace('\\', '/'), kMembers[k + 1]);
        QCOMPARE(runPak(args).status, 0);
        put("game/gfx/title.bmp", "BM0123456780");
        put("game/intro.txt", "Hello!");
        QFile::remove(tmp.filePath("game/données/é.txt"));
        const PakRun run = runPak(args);
        QVERIFY2(run.out.contains("\"intro.txt\": 5 bytes in the pack, 6 in"), qPrintable(run.out));
        QVERIFY(run.out.contains("\"gfx\\title.bmp\" differs from the file in"));
        QVERIFY(run.out.contains("at byte 11\n"));
        QVERIFY(run.out.contains("\"données\\é.txt\": no such file in"));
        QVERIFY(run.out.endsWith("not sound, 3 problems\n"));
        QCOMPARE(run.status, 1);
    }

    void extract()
    {
        const QString pack = put("extract.pak", appended(bare(true), true));
        const QString dir = tmp.filePath("out");
        QDir().mkpath(dir);
        const QStringList key{"--key", "$11224488", "--mask", "$80000001"};
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "GFX/TITLE.BMP", "empty.bin"} + key).status, 0);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"empty.bin", "gfx"}));
        QCOMPARE(contents(dir + "/gfx/title.bmp"), QByteArray("BM0123456789"));

        // Existing files are kept, and only --force replaces them.
        put("out/intro.txt", "mine");
        const PakRun kept = runPak(QStringList{"extract", pack, "-C", dir} + key);
        QVERIFY2(kept.err.contains("exists (--force overwrites it)"), qPrintable(kept.err));
        QCOMPARE(kept.status, 1);
        QCOMPARE(contents(dir + "/intro.txt"), QByteArray("mine"));
        QCOMPARE(contents(dir + "/données/é.txt"), QByteArray("é"));
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "--force"} + key).status, 0);
        QCOMPARE(contents(dir + "/intro.txt"), QByteArray("Hello"));
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "nothing"} + key).status, 1);
    }

    // Names that would leave DIR, and links that would lead out of it.
    void extractStaysInside()
    {
        const QString pack = put("unsafe.pak", bare(false, {"..\\up.txt", "1", "\\abs.txt", "2", "C:\\drive.txt", "3",
                                                           "a\\\\b.txt", "4", "sub\\..\\..\\x.txt", "5", "", "6",
                                                           "ok.txt", "7", "linked\\in.txt", "8", "link.txt", "9",
                                                           QByteArray("nul\0x.txt", 9), "10", "esc\x1b[2J.txt", "11"}));
        const QString outside = tmp.filePath("outside"), dir = tmp.filePath("inside");
        QVERIFY(QDir().mkpath(outside) && QDir().mkpath(dir));
        put("outside/target.txt", "untouched");
        QVERIFY(QFile::link(outside, dir + "/linked"));
        QVERIFY(QFile::link(outside + "/target.txt", dir + "/link.txt"));
        const QStringList reasons{"\"..\\up.txt\": refused to write it: it has a \"..\" or \".\" part",
                                     "\"\\abs.txt\": refused to write it: it is an absolute path",
                                     "\"C:\\drive.txt\": refused to write it: it starts with a drive letter",
                                     "\"a\\\\b.txt\": refused to write it: it has an empty part",
                                     "\"sub\\..\\..\\x.txt\": refused to write it: it has a \"..\" or \".\" part",
                                     "\"\": refused to write it: the name is empty",
                                     "\"linked\\in.txt\": \"" + dir + "/linked\" is a symbolic link",
                                     "\"link.txt\": \"" + dir + "/link.txt\" is a symbolic link",
                                     "\"nul\\0x.txt\": refused to write it: the name holds a NUL byte"};
        const PakRun run = runPak({"extract", pack, "-C", dir});
        for (const QString &reason : reasons)
            QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QCOMPARE(run.status, 1);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList({"esc\x1b[2J.txt", "link.txt", "linked", "ok.txt"}));
        // Listed with control bytes escaped: they neither drive the terminal nor cut the line.
        const PakRun list = runPak({"list", pack});
        QVERIFY2(list.out.contains("\tnul\\0x.txt\n") && list.out.contains("\tesc\\x1b[2J.txt\n"), qPrintable(list.out));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter(".txt"), QStringList());
        QCOMPARE(QDir(outside).entryList(QDir::Files), QStringList{"target.txt"});
        // --force replaces the link itself, never the file it leads to.
        QCOMPARE(runPak({"extract", pack, "-C", dir, "--force", "link.txt"}).status, 0);
        QVERIFY(!QFileInfo(dir + "/link.txt").isSymLink());
        QCOMPARE(contents(dir + "/link.txt"), QByteArray("9"));
        QCOMPARE(contents(outside + "/target.txt"), QByteArray("untouched"));
        // A full disk (here, the file size limit) names its reason, not "Unknown error".
        put("big.pak", bare(false, {"big.bin", QByteArray(300000, 'b')}));
        std::optional<FileSizeLimit> limit(std::in_place, 100000);
        const PakRun full = runPak({"extract", tmp.filePath("big.pak"), "-C", dir});
        limit.reset();
        QCOMPARE(full.err, "wrenfold-pak: \"big.bin\": cannot write \"" + dir + "/big.bin\": File too large\n");
        QVERIFY(!QFileInfo::exists(dir + "/big.bin"));
    }
};

QTEST_GUILESS_MAIN(TestCliRead)
#include "tst_cli_read.moc"
