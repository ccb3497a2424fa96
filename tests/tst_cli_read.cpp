// wrenfold-pak list, verify and extract, run as a process on packs the
// writer makes: their output, exit statuses and refusals.
#include "support/FileSizeLimit.h"
#include "support/PackTestUtil.h"
#include "support/PakProcess.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using handbuilt::appended;
using handbuilt::writePack;

namespace {
const QByteArrayList kMembers{"intro.txt", "Hello", "gfx\\title.bmp", "BM0123456789", "empty.bin", "", "données\\é.txt", "é"};
const QByteArray kExe(300, 'x');
const QStringList kKey{"--key", "$11224488", "--mask", "$80000001"};
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
    QByteArray contents(const QString &name) { return packtest::readFile(tmp.filePath(name)); }

private slots:
    void list_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("key");
        QTest::newRow("plain") << writePack(kMembers, false) << QStringList();
        QTest::newRow("masked") << writePack(kMembers, true) << kKey;
        QTest::newRow("appended") << appended(kExe, writePack(kMembers, true), handbuilt::kMask) << kKey;
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

    void verify_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        using handbuilt::example;
        QTest::newRow("sound example") << example() << 0 << "stand-alone pack of 2 entries, 64 bytes";
        QTest::newRow("sound, appended") << appended(kExe, writePack({"a", "b"}, false), 0) << 0 << "appended pack of 1 entry,";
        QTest::newRow("leading filler byte 255") << example(handbuilt::kExampleIndex, "\x01\xff\x02") << 1
                                                 << "leading filler holds the byte 255 at offset 5";
        QTest::newRow("trailing filler byte 254") << example() + "\xfe" << 1 << "trailing filler holds the byte 254 at offset 64";
        QTest::newRow("trailing filler too long") << example() + QByteArray(498, 'z') << 1 << "trailing filler is 500 bytes";
        QTest::newRow("gap between members") << example("intro.txt\r7\r5\rgfx\\title.bmp\r13\r11\r") << 1
                                             << "entry 2 (\"gfx\\title.bmp\") starts at offset 13";
        QTest::newRow("count word apart") << example("intro.txt\r7\r5\rgfx\\title.bmp\r12\r11\r") << 1
                                          << "count word lies at offset 24, not right after the last entry (23)";
        QTest::newRow("same name twice") << example("a\r7\r5\rA\r12\r12\r") << 1 << "has the name of entry 1";
        QTest::newRow("signature after the trailer") << appended(kExe, example(), 0) + "SIGNATURE" << 1
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
        const QStringList args = QStringList{"verify", put("project.pak", writePack(kMembers, true)), "--project", tmp.filePath("game")} + kKey;
        for (int k = 0; k < kMembers.size(); k += 2)
            put("game/" + QString::fromUtf8(kMembers[k]).replace('\\', '/'), kMembers[k + 1]);
        QCOMPARE(runPak(args).status, 0);
        put("game/gfx/title.bmp", "BM0123456780");
        put("game/intro.txt", "Hello!");
        QFile::remove(tmp.filePath("game/données/é.txt"));
        const PakRun run = runPak(args);
        for (const char *says : {"\"intro.txt\": 5 bytes in the pack, 6 in", "\"gfx\\title.bmp\" differs from the file in",
                                 "at byte 11\n", "\"données\\é.txt\": no such file in", "not sound, 3 problems\n"})
            QVERIFY2(run.out.contains(QString::fromUtf8(says)), qPrintable(run.out));
        QCOMPARE(run.status, 1);
    }

    void extract()
    {
        const QString pack = put("extract.pak", appended(kExe, writePack(kMembers, true), handbuilt::kMask));
        const QString dir = QFileInfo(put("out/intro.txt", "mine")).path(); // kept, as it exists
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "GFX/TITLE.BMP", "empty.bin"} + kKey).status, 0);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"empty.bin", "gfx", "intro.txt"}));
        QCOMPARE(contents("out/gfx/title.bmp"), QByteArray("BM0123456789"));
        // Existing files are kept, and only --force replaces them.
        const PakRun kept = runPak(QStringList{"extract", pack, "-C", dir} + kKey);
        QVERIFY2(kept.err.contains("exists (--force overwrites it)"), qPrintable(kept.err));
        QCOMPARE(kept.status, 1);
        QCOMPARE(contents("out/intro.txt") + contents("out/données/é.txt"), QByteArray("mineé"));
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "--force"} + kKey).status, 0);
        QCOMPARE(contents("out/intro.txt"), QByteArray("Hello"));
        QCOMPARE(runPak(QStringList{"extract", pack, "-C", dir, "nothing"} + kKey).status, 1);
    }

    // Names that would leave DIR, and links that would lead out of it.
    void extractStaysInside()
    {
        const QString pack = put("unsafe.pak", writePack({"..\\up.txt", "1", "\\abs.txt", "2", "C:\\drive.txt", "3",
                                                          "a\\\\b.txt", "4", "sub\\..\\..\\x.txt", "5", "", "6", "ok.txt", "7",
                                                          "linked\\in.txt", "8", "link.txt", "9", QByteArray("nul\0x.txt", 9), "10",
                                                          "esc\x1b[2J.txt", "11"}, false));
        const QString outside = tmp.filePath("outside"), dir = tmp.filePath("inside");
        QVERIFY(QDir().mkpath(outside) && QDir().mkpath(dir));
        put("outside/target.txt", "untouched");
        QVERIFY(QFile::link(outside, dir + "/linked") && QFile::link(outside + "/target.txt", dir + "/link.txt"));
        const QString refused = "\": refused to write it: ";
        const PakRun run = runPak({"extract", pack, "-C", dir});
        for (const QString &reason : {"\"..\\up.txt" + refused + "it has a \"..\" or \".\" part",
                                      "\"\\abs.txt" + refused + "it is an absolute path",
                                      "\"C:\\drive.txt" + refused + "it starts with a drive letter",
                                      "\"a\\\\b.txt" + refused + "it has an empty part",
                                      "\"sub\\..\\..\\x.txt" + refused + "it has a \"..\" or \".\" part",
                                      "\"" + refused + "the name is empty",
                                      "\"linked\\in.txt\": \"" + dir + "/linked\" is a symbolic link",
                                      "\"link.txt\": \"" + dir + "/link.txt\" is a symbolic link",
                                      "\"nul\\0x.txt" + refused + "the name holds a NUL byte"})
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
        QCOMPARE(contents("inside/link.txt") + contents("outside/target.txt"), QByteArray("9untouched"));
        // A full disk (here, the file size limit) names its reason, not "Unknown error".
        put("big.pak", writePack({"big.bin", QByteArray(300000, 'b')}, false));
        std::optional<FileSizeLimit> limit(std::in_place, 100000);
        const PakRun full = runPak({"extract", tmp.filePath("big.pak"), "-C", dir});
        limit.reset();
        QCOMPARE(full.err, "wrenfold-pak: \"big.bin\": cannot write \"" + dir + "/big.bin\": File too large\n");
        QVERIFY(!QFileInfo::exists(dir + "/big.bin"));
    }
};

QTEST_GUILESS_MAIN(TestCliRead)
#include "tst_cli_read.moc"
