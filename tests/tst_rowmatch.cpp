// Which rows a folder covers and which rows a pattern matches.
#include "project/RowMatch.h"
#include <QTest>

class TestRowMatch : public QObject {
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void pathologicalPatternsStayLinear();
    void folders_data();
    void folders();
    void rowsMatchingKeepsListOrder();
};

void TestRowMatch::patterns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");
    // The whole text must match, not a part of it.
    QTest::newRow("exact") << "readme.txt" << "readme.txt" << true;
    QTest::newRow("prefix only") << "readme.txt" << "readme" << false;
    QTest::newRow("longer pattern") << "a.txt" << "a.txt2" << false;
    QTest::newRow("case ignored") << "GFX\\Title.BMP" << "gfx\\title.bmp" << true;
    QTest::newRow("non-ASCII case") << "Ÿ\\ÉTÉ.png" << "ÿ\\été.PNG" << true;
    // `*`: any run, empty or crossing folders.
    QTest::newRow("star suffix") << "gfx\\sub\\a.png" << "*.png" << true;
    QTest::newRow("star empty") << ".png" << "*.png" << true;
    QTest::newRow("star alone") << "any\\thing" << "*" << true;
    QTest::newRow("folder star") << "gfx\\a\\b.bmp" << "gfx\\*" << true;
    QTest::newRow("folder star, other folder") << "gfx2\\b.bmp" << "gfx\\*" << false;
    QTest::newRow("star in middle") << "levels\\one\\boss.lvl" << "levels\\*\\boss.lvl" << true;
    QTest::newRow("star needs the separators") << "levels\\boss.lvl" << "levels\\*\\boss.lvl" << false;
    QTest::newRow("retry after a false start") << "abcabd" << "*abd" << true;
    QTest::newRow("several stars") << "a1b22c333" << "a*b*c*" << true;
    QTest::newRow("stars, wrong order") << "a1c22b" << "a*b*c*" << false;
    // `?`: exactly one character, a backslash included; a pair of UTF-16
    // units outside the basic plane is one character.
    QTest::newRow("question") << "a1.txt" << "a?.txt" << true;
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
    QTest::newRow("slash is the separator") << "gfx\\a.png" << "gfx/*.png" << true;
    QTest::newRow("empty pattern") << "a" << "" << false;
    QTest::newRow("empty both") << "" << "" << true;
}

void TestRowMatch::patterns()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(wf::matchesPattern(text, pattern), matches);
}

void TestRowMatch::pathologicalPatternsStayLinear()
{
    // A matcher that tries every way to share the text among the stars takes
    // exponential time here and never finishes.
    const QString text(200000, QLatin1Char('a'));
    QVERIFY(!wf::matchesPattern(text, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    QVERIFY(wf::matchesPattern(text + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    QVERIFY(!wf::matchesPattern(text, "*?*?*?*?*?*?*?*?*?*?*?*?*b"));
}

void TestRowMatch::folders_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("covered");
    // The sibling "gfx2" and the file "gfx" share the folder's letters but
    // not its trailing backslash; "GFX" differs only in case.
    const QStringList rows{"gfx", "gfx\\a.bmp", "GFX\\b.bmp", "gfx\\sub\\c.bmp", "gfx2\\d.bmp", "readme.txt"};
    QTest::newRow("folder") << "gfx\\a.bmp" << QStringList{"gfx\\a.bmp", "GFX\\b.bmp", "gfx\\sub\\c.bmp"};
    QTest::newRow("other case") << "GFX\\b.bmp" << QStringList{"gfx\\a.bmp", "GFX\\b.bmp", "gfx\\sub\\c.bmp"};
    QTest::newRow("subfolder") << "gfx\\sub\\c.bmp" << QStringList{"gfx\\sub\\c.bmp"};
    QTest::newRow("project directory") << "readme.txt" << rows;
    QTest::newRow("brackets literal") << "[x]\\e" << QStringList{"[x]\\e"};
}

void TestRowMatch::folders()
{
    QFETCH(QString, row);
    QFETCH(QStringList, covered);
    QStringList rows{"gfx", "gfx\\a.bmp", "GFX\\b.bmp", "gfx\\sub\\c.bmp", "gfx2\\d.bmp", "readme.txt"};
    if (!rows.contains(row))
        rows = {"x\\e", row};
    QStringList got;
    for (int i : wf::rowsInFolderOf(rows, rows.indexOf(row)))
        got << rows[i];
    QCOMPARE(got, covered);
}

void TestRowMatch::rowsMatchingKeepsListOrder()
{
    const QStringList rows{"a.png", "b.txt", "c\\d.PNG", "e.png.bak"};
    QCOMPARE(wf::rowsMatching(rows, "*.png"), (QVector<int>{0, 2}));
    QVERIFY(wf::rowsMatching(rows, "*.xyz").isEmpty());
    QVERIFY(wf::rowsInFolderOf(rows, -1).isEmpty());
    QVERIFY(wf::rowsInFolderOf(rows, 4).isEmpty());
}

QTEST_APPLESS_MAIN(TestRowMatch)
#include "tst_rowmatch.moc"
