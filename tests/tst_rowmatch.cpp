// Which rows a pattern matches, beyond the patterns the menu's tests give
// through the window, and the edges of a folder's rows.
#include "project/RowMatch.h"
#include "project/RowRules.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestRowMatch : public QObject {
    Q_OBJECT
private slots:
    void patterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        // The whole text must match, not a part of it.
        QTest::newRow("prefix only") << "readme.txt" << "readme" << false;
        QTest::newRow("longer pattern") << "a.txt" << "a.txt2" << false;
        QTest::newRow("non-ASCII case") << "Ÿ\\ÉTÉ.png" << "ÿ\\été.PNG" << true;
        // `*`: any run, empty or crossing folders.
        QTest::newRow("star empty") << ".png" << "*.png" << true;
        QTest::newRow("star at the end, empty") << "a.png" << "a.png*" << true;
        QTest::newRow("star alone") << "any\\thing" << "*" << true;
        QTest::newRow("retry after a false start") << "abcabd" << "*abd" << true;
        QTest::newRow("several stars") << "a1b22c333" << "a*b*c*" << true;
        QTest::newRow("stars, wrong order") << "a1c22b" << "a*b*c*" << false;
        // `?`: exactly one character, a backslash included; a pair of UTF-16
        // units outside the basic plane is one character.
        QTest::newRow("question needs one") << "a.txt" << "a?.txt" << false;
        QTest::newRow("question, backslash") << "a\\b" << "a?b" << true;
        QTest::newRow("question, surrogate pair") << "x\U0001F600.png" << "x?.png" << true;
        QTest::newRow("question and star") << "ab" << "?*?" << true;
        QTest::newRow("question and star, short") << "a" << "?*?" << false;
        // Everything else is literal.
        QTest::newRow("brackets literal") << "[a].txt" << "[a].txt" << true;
        QTest::newRow("brackets not a set") << "a.txt" << "[a].txt" << false;
        QTest::newRow("regex characters") << "a+b(1).txt" << "a+b(1).*" << true;
        QTest::newRow("literal star in text") << "a*b" << "a*b" << true;
        QTest::newRow("empty pattern") << "a" << "" << false;
        QTest::newRow("empty both") << "" << "" << true;
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
        // A matcher that tries every way to share the text among the stars takes
        // exponential time here and never finishes.
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
        QTest::newRow("file") << "gfx\\real.png" << "" << none;
    }
    void refusals()
    {
        QFETCH(QString, row);
        QFETCH(QString, exe);
        QFETCH(int, refusal);
        QTemporaryDir outside, project;
        QVERIFY(QDir(project.path()).mkdir("gfx"));
        QFile(outside.filePath("id_rsa")).open(QIODevice::WriteOnly);
        QFile(project.filePath("gfx/real.png")).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(outside.filePath("id_rsa"), project.filePath("gfx/logo.png")));
        QVERIFY(QFile::link("real.png", project.filePath("gfx/copy.png")));
        const QString evil = project.path() + "-evil";
        QVERIFY(QDir().mkpath(evil) && QFile(evil + "/key").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(evil + "/key", project.filePath("gfx/evil.png")));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(project.path()));
        const int got = int(wf::refusalOf(row, exe));
        QDir::setCurrent(previous);
        QDir(evil).removeRecursively();
        QCOMPARE(got, refusal);
    }

    void listOrder()
    {
        // Case folded first, exact text breaks ties; the order is total.
        QStringList rows{"b", "B", "a\\z", "A\\Z", "a\\Z", "_x", "ab"};
        wf::sortRows(rows);
        QCOMPARE(rows, (QStringList{"_x", "A\\Z", "a\\Z", "a\\z", "ab", "B", "b"}));
    }

    // Profile lines name rows whatever their ASCII case, and only letters
    // fold: the characters either side of A..Z and a..z stay themselves.
    void rowsNamedByFoldOnlyLetters()
    {
        const QStringList rows{"a\\z", "A\\Z", "@[", "`{", "\u00e9"};
        QCOMPARE(wf::rowsNamedBy(rows, {"A\\z"}), (QVector<int>{0, 1}));
        QCOMPARE(wf::rowsNamedBy(rows, {"@["}), (QVector<int>{2}));
        QCOMPARE(wf::rowsNamedBy(rows, {"`{"}), (QVector<int>{3}));
        QCOMPARE(wf::rowsNamedBy(rows, {"\u00c9"}), (QVector<int>{4}));
        QVERIFY(wf::rowsNamedBy(rows, {"`["}).isEmpty());
    }

    void rowsInListOrder()
    {
        const QStringList rows{"a.png", "b.txt", "c\\d.PNG", "e.png.bak"};
        QCOMPARE(wf::rowsMatching(rows, "*.png"), (QVector<int>{0, 2}));
        QVERIFY(wf::rowsMatching(rows, "*.xyz").isEmpty());
        // A folder is the row's text up to its last backslash, taken literally.
        QCOMPARE(wf::rowsInFolderOf({"[x]", "[x]\\e", "x\\e", "[X]\\f\\g"}, 1), (QVector<int>{1, 3}));
        QVERIFY(wf::rowsInFolderOf(rows, -1).isEmpty());
        QVERIFY(wf::rowsInFolderOf(rows, 4).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestRowMatch)
#include "tst_rowmatch.moc"
