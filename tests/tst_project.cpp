// The project's files (row texts, the walk, patterns, names never ticked, the
// list's order), the profile as one value with the rules for its option
// lines, and new keys.
#include "options/HexVal.h"
#include "options/NewKey.h"
#include "options/RandomSource.h"
#include "project/DirWalk.h"
#include "project/NumberRule.h"
#include "project/PathFunctions.h"
#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include "project/RowMatch.h"
#include "project/RowRules.h"
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

class TestProject : public QObject {
    Q_OBJECT
private slots:
    void pathExamples()
    {
        QCOMPARE(wf::relpath("D:\\sub\\b.dat", "D:\\"), "sub\\b.dat"); // a root keeps its separator
        QCOMPARE(wf::relpath("/sub/b.dat", "/"), "sub\\b.dat");
        QCOMPARE(wf::nativePath("..\\other\\Mygame.exe", "/p/q"), "/p/other/Mygame.exe");
    }

    void walkTree()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        QStringList rows;
        QVERIFY(root.mkpath("only/empty/folders") && root.mkpath("more"));
        wf::DirWalk(tmp.path(), tmp.path(), rows); // only empty folders: the exact list below shows it adds none
        // A name holding a backslash, or whose bytes are not UTF-8, could not
        // be told from a path or opened again: left out.
        for (const char *f : {"Data.Pak", "PakProfile.QXT", "Mygame.exe", "LICENSE", "gfx/title.bmp", "gfx/a/b.fnt",
                              "gfx/unreadable/x.dat", ".hidden", ".git/config", "big/f0.dat", "gfx/back\\slash.png", "gfx/bad\xff.png"}) {
            root.mkpath(QFileInfo(QString::fromLatin1(f)).path());
            QVERIFY(::close(::creat(QFile::encodeName(tmp.path()) + '/' + f, 0644)) == 0);
        }
        const QByteArray first = QFile::encodeName(root.filePath("big/f0.dat"));
        for (int i = 1; i < 40000; ++i) // 40,000 in one folder, as hard links: quicker to make
            QVERIFY(::link(first, QFile::encodeName(root.filePath(QStringLiteral("big/f%1.dat").arg(i)))) == 0);
        QVERIFY(QFile::link("..", root.filePath("gfx/loop"))); // followed, it would circle for ever
        wf::DirWalk(tmp.path(), tmp.path(), rows, [&root](const QString &dir, auto &out) {
            return dir != root.filePath("gfx/unreadable") && wf::listDirectory(dir, out);
        });
        rows.sort(Qt::CaseInsensitive);
        QVERIFY(rows.removeDuplicates() == 0 && rows.size() == 40006 && rows.filter("big\\f").size() == 40000);
        QCOMPARE(rows.mid(40000), QStringList({"Data.Pak", "gfx\\a\\b.fnt", "gfx\\title.bmp", "LICENSE", "Mygame.exe",
                                               "PakProfile.QXT"}));
    }

    void roundTripAsOneValue()
    {
        const QByteArray bytes = "Korvane Pak System Profile\r\n 1 \r\n 0 \r\n5D5D5D5D\r\n"
                                 "Mygame.exe\r\n5B19C7E4\r\ngfx\\title.bmp\r\nmaps\\one.map\r\n";
        const wf::Profile p = wf::parseProfile(bytes);
        QCOMPARE(*p.check1 * 10 + *p.check2, 10);
        QCOMPARE(*p.basicKey + *p.exeName + *p.headerMask, QStringLiteral("5D5D5D5DMygame.exe5B19C7E4"));
        QCOMPARE(p.rows, (QStringList{"gfx\\title.bmp", "maps\\one.map"}));
        QCOMPARE(wf::profileBytes(p), bytes);
        wf::Profile pasted = p; // a line break inside a text would shift every later line
        pasted.exeName = "Game\r\n.exe";
        QVERIFY(wf::profileBytes(pasted).contains("\r\nGame.exe\r\n"));
        // A git checkout turns CR LF into LF; any mix reads the same, and the last line needs no end.
        QCOMPARE(wf::readProfileLines("a\rb\r\nc\n\nd"), QStringList({"a", "b", "c", "", "d"}));
        QCOMPARE(wf::readProfileLines("\r\n\r\r\n\n"), QStringList({"", "", "", ""})); // an empty key is still a line
        // Reading stops at the first line that fails: a check2 out of range leaves the rest absent.
        const wf::Profile bad = wf::parseProfile("h\r\n1\r\n40000\r\nK\r\nE\r\nM\r\na\r\n");
        QVERIFY(bad.check1 && !bad.check2 && !bad.basicKey && !bad.headerMask && bad.rows.isEmpty());
    }

    // Control characters in a name neither drive the terminal nor cut a message's line.
    void namesInMessagesShowControlCharacters()
    {
        QCOMPARE(wf::quotedName(QString::fromLatin1("a\0\r\x1b\x7f", 5)), QStringLiteral("\"a\\0\\x0d\\x1b\\x7f\""));
    }

    void windowsLinesReadAs1252()
    {
        // "Spiel\xe4.exe" from a Windows profile is the file "Spielä.exe" on disk;
        // valid UTF-8 stays UTF-8, and the next profile is written in UTF-8.
        const wf::Profile p = wf::parseProfile("h\r\n0\r\n1\r\nK\r\nSpiel\xe4.exe\r\nM\r\n\x80\x9f\x81.txt\r\n\xc3\xa4.txt\r\n");
        QCOMPARE(*p.exeName, QStringLiteral(u"Spielä.exe"));
        QCOMPARE(p.rows, (QStringList{QStringLiteral(u"€Ÿ\u0081.txt"), QStringLiteral(u"ä.txt")}));
        QVERIFY(wf::profileBytes(p).contains("Spiel\xc3\xa4.exe\r\n"));
    }

    // A sparse 100 MiB file costs an archive nothing; read whole, it would exhaust memory.
    void oversizedProfilesAreNotRead()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("PakProfile.QXT"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("h\r\n1\r\n") > 0 && file.resize(100 << 20));
        file.close();
        wf::Profile p;
        QString error;
        QVERIFY(!wf::readProfile(file.fileName(), p, error) && !p.check1);
    }

    void keyAndMaskTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("mask");
        QTest::addColumn<QByteArray>("key"); // K0..K3; empty: not checked
        // Up to FFFF the value is a signed 16-bit number; "&" ends the digits
        // like any other character and does not widen the value.
        QTest::newRow("16-bit") << "8000&1" << qint32(-32768) << QByteArray();
        QTest::newRow("32-bit, blanks") << " db 19\tC7\nE4 " << qint32(0xDB19C7E4u) << QByteArray();
        // Leading zeros neither widen the value nor count as digits.
        QTest::newRow("leading zeros") << "000000000000FFFF" << qint32(-1) << QByteArray();
        QTest::newRow("ninth digit ignored") << "123456789" << qint32(0x12345678) << QByteArray();
        QTest::newRow("key") << "a0b1c2ff" << qint32(0xA0B1C2FFu) << QByteArray::fromHex("a0b1c2ff");
        QTest::newRow("empty") << "" << qint32(0) << QByteArray(4, 0);
        QTest::newRow("seven digits") << "1234567" << qint32(0x1234567) << QByteArray::fromHex("12345607");
        // A key is sliced by position first, blanks skipped after.
        QTest::newRow("blanks in a key") << "F 1 2 3 " << qint32(0xF123 - 0x10000) << QByteArray::fromHex("0f010203");
    }
    void keyAndMaskTexts()
    {
        QFETCH(QString, text);
        QFETCH(qint32, mask);
        QFETCH(QByteArray, key);
        QCOMPARE(wf::hexval(text), mask);
        const std::array<quint8, 4> bytes = wf::keyBytes(text);
        if (!key.isEmpty())
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.data()), 4), key);
    }

    void numberRule_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number"); // -99999: no number at all, or out of range
        QTest::newRow("halves to even, blanks skipped") << " 2.5 " << 2;
        QTest::newRow("negative half") << "-1.5" << -2;
        QTest::newRow("exponent") << "0.02e2" << 2;
        QTest::newRow("hex") << "&H2" << 2;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("past 16 bits") << "32768" << -99999;
        QTest::newRow("huge exponent") << "1e999999999999" << -99999;
    }
    void numberRule()
    {
        QFETCH(QString, line);
        QFETCH(int, number);
        QCOMPARE(wf::numberFromLine(line).value_or(-99999), number);
        QCOMPARE(wf::tickValueFromLine(line).value_or(-99999), number >= 0 && number <= 2 ? number : -99999);
    }

    void newKeys()
    {
        wf::RandomSource random;
        // A short piece must cost a retry, never a zero pad. The clock stands
        // still, as it does when keys are made faster than it ticks.
        static const QRegularExpression form(QStringLiteral("^([1-9A-F][0-9A-F]){4}$"));
        QList<int> count(256, 0);
        for (int i = 0; i < 20000; ++i) {
            const wf::NewKey key = wf::makeNewKey(random, [] { return 43200.5f; });
            QVERIFY2(form.match(key.basicKey).hasMatch() && form.match(key.headerMask).hasMatch(),
                     qPrintable(key.basicKey + ' ' + key.headerMask));
            for (int b = 0; b < 16; b += 2)
                ++count[(key.basicKey + key.headerMask).mid(b, 2).toInt(nullptr, 16)];
        }
        QVERIFY(*std::min_element(count.begin() + 0x10, count.end()) > 0); // FF too
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        // The whole text must match, not a part of it.
        QTest::newRow("prefix only") << "readme.txt" << "readme" << false;
        QTest::newRow("non-ASCII case") << "Ÿ\\ÉTÉ.png" << "ÿ\\été.PNG" << true;
        // `*`: any run, empty or crossing folders.
        QTest::newRow("star empty") << ".png" << "*.png" << true;
        QTest::newRow("retry after a false start") << "abcabd" << "*abd" << true;
        QTest::newRow("several stars") << "a1b22c333" << "a*b*c*" << true;
        // `?`: exactly one character (a backslash, a surrogate pair).
        QTest::newRow("question needs one") << "a.txt" << "a?.txt" << false;
        QTest::newRow("question, backslash") << "a\\b" << "a?b" << true;
        QTest::newRow("question, surrogate pair") << "x\U0001F600.png" << "x?.png" << true;
        QTest::newRow("question and star") << "ab" << "?*?" << true;
        // Everything else is literal.
        QTest::newRow("brackets not a set") << "a.txt" << "[a].txt" << false;
        QTest::newRow("regex characters") << "a+b(1).txt" << "a+b(1).*" << true;
        QTest::newRow("empty pattern") << "a" << "" << false;
    }
    void patterns()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(wf::RowPattern(pattern).matches(text), matches);
    }

    void pathologicalPatternsStayLinear()
    {
        // Trying every way to share the text among the stars would never finish.
        const QString text(200000, QLatin1Char('a'));
        QVERIFY(!wf::RowPattern("*a*a*a*a*a*a*a*a*a*a*a*a*b").matches(text));
        QVERIFY(wf::RowPattern("*a*a*a*a*a*a*a*a*a*a*a*a*b").matches(text + "b"));
        QVERIFY(!wf::RowPattern("*?*?*?*?*?*?*?*?*?*?*?*?*b").matches(text));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<int>("refusal");
        const int none = int(wf::Refusal::None), pack = int(wf::Refusal::PackName), exe = int(wf::Refusal::ExeName),
                  bad = int(wf::Refusal::Unstorable), link = int(wf::Refusal::LinkOutside);
        QTest::newRow("pack, any folder and case") << "a\\data.PAK" << "Mygame.exe" << pack;
        QTest::newRow("pack name longer") << "Data.Pak2" << "Mygame.exe" << none;
        QTest::newRow("exe, name part") << "bin\\MYGAME.exe" << "Mygame.exe" << exe;
        QTest::newRow("exe, whole row") << "bin\\Game.exe" << "bin\\game.EXE" << exe;
        QTest::newRow("exe, whole row, slash") << "bin\\game.exe" << "bin/game.exe" << exe;
        QTest::newRow("exe, other folder") << "lib\\game.exe" << "bin/game.exe" << none;
        QTest::newRow("exe, longer row") << "xbin\\game.exe" << "bin/game.exe" << none;
        QTest::newRow("carriage return") << "a\rb" << "" << bad;
        QTest::newRow("line feed") << "a\nb" << "" << bad;
        QTest::newRow("link out") << "gfx\\logo.png" << "" << link;
        QTest::newRow("link to proj-evil") << "gfx\\evil.png" << "" << link; // a sibling, its name the project's and more
        QTest::newRow("link in") << "gfx\\copy.png" << "" << none;
    }
    void refusals()
    {
        QFETCH(QString, row);
        QFETCH(QString, exe);
        QFETCH(int, refusal);
        QTemporaryDir outside, project;
        const QString evil = project.path() + "-evil";
        QVERIFY(QDir(project.path()).mkdir("gfx") && QDir().mkpath(evil));
        QFile(outside.filePath("id_rsa")).open(QIODevice::WriteOnly);
        QFile(evil + "/key").open(QIODevice::WriteOnly);
        QFile(project.filePath("gfx/real.png")).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(outside.filePath("id_rsa"), project.filePath("gfx/logo.png")));
        QVERIFY(QFile::link("real.png", project.filePath("gfx/copy.png")) && QFile::link(evil + "/key", project.filePath("gfx/evil.png")));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(project.path()));
        const int got = int(wf::refusalOf(row, exe));
        QDir::setCurrent(previous);
        QDir(evil).removeRecursively();
        QCOMPARE(got, refusal);
    }

    // Names differing only in case: the list folds case first and the exact
    // text breaks ties; profile lines name rows whatever their ASCII case, and
    // only letters fold (the characters either side of A..Z and a..z stay).
    // A folder is a row's text up to its last backslash, taken literally.
    void caseOrderAndFolders()
    {
        QStringList rows{"b", "B", "a\\z", "A\\Z", "a\\Z", "_x", "ab"};
        wf::sortRows(rows);
        QCOMPARE(rows, (QStringList{"_x", "A\\Z", "a\\Z", "a\\z", "ab", "B", "b"}));
        const QStringList named{"a\\z", "A\\Z", "@[", "`{", "\u00e9"};
        QCOMPARE(wf::rowsNamedBy(named, {"A\\z", "@[", "`{", "\u00c9"}), (QVector<int>{0, 1, 2, 3, 4}));
        QVERIFY(wf::rowsNamedBy(named, {"`[", "@{"}).isEmpty());
        // A line that upper-cases to ASCII (dotless i) names ASCII rows; a
        // row named twice is found once, and both lines count as found.
        const wf::NamedRows m = wf::matchNamedRows({"file", "x", "\u00e9"}, {"F\u0131LE", "gone", "\u00c9", "\u00e9", "x\\"});
        QCOMPARE(m.rows, (QVector<int>{0, 2}));
        QCOMPARE(m.lineNamesRow, (std::vector<bool>{true, false, true, true, false}));
        // Hundreds of lines (the table grows with them), each named row twice.
        QStringList many, lines{"none"};
        for (int i = 0; i < 300; ++i) {
            many << QString("d%1\\f%2").arg(i % 7).arg(i);
            if (i % 3 == 0)
                lines << many.back().toUpper() << many.back();
        }
        const wf::NamedRows big = wf::matchNamedRows(many, lines);
        QCOMPARE(big.rows.size(), 100);
        QCOMPARE(std::count(big.lineNamesRow.begin(), big.lineNamesRow.end(), true), 200);
        QCOMPARE(wf::rowsInFolderOf({"[x]", "[x]\\e", "x\\e", "[X]\\f\\g"}, 1), (QVector<int>{1, 3}));
        QVERIFY(wf::rowsInFolderOf(named, -1).isEmpty() && wf::rowsInFolderOf(named, 5).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestProject)
#include "tst_project.moc"
