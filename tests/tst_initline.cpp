#include "options/InitLine.h"
#include <QTest>

class TestInitLine : public QObject {
    Q_OBJECT
private slots:
    void line_data();
    void line();
};

void TestInitLine::line_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain ignores keys") << "Data.Pak" << false << "5D5D5D5D" << "5B19C7E4"
                                        << R"(PakInit "Data.Pak", 0, "TMP", 0)";
    QTest::newRow("plain exe") << "Mygame.exe" << false << "" << ""
                               << R"(PakInit "Mygame.exe", 0, "TMP", 0)";
    QTest::newRow("empty name") << "" << false << "" << "" << R"(PakInit "", 0, "TMP", 0)";
    QTest::newRow("encrypted") << "Data.Pak" << true << "5D5D5D5D" << "5B19C7E4"
                               << R"(PakInit "Data.Pak", $5D5D5D5D, "TMP", $5B19C7E4)";
    QTest::newRow("texts as typed") << "My \"game\".exe" << true << "ab cd" << "5b19c7e4zz"
                                    << R"(PakInit "My "game".exe", $ab cd, "TMP", $5b19c7e4zz)";
    QTest::newRow("empty boxes") << "Data.Pak" << true << "" << ""
                                 << R"(PakInit "Data.Pak", $, "TMP", $)";
}

void TestInitLine::line()
{
    QFETCH(QString, file);
    QFETCH(bool, encrypted);
    QFETCH(QString, key);
    QFETCH(QString, mask);
    QFETCH(QString, line);
    QCOMPARE(wf::buildInitLine(file, encrypted, key, mask), line);
}

QTEST_APPLESS_MAIN(TestInitLine)
#include "tst_initline.moc"
