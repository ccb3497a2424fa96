#include "app/NumberRule.h"
#include <QTest>

class TestNumberRule : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
};

// -99999 in the table stands for "no value" (out of range).
void TestNumberRule::rule_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("number");
    QTest::newRow("written one") << " 1 " << 1;
    QTest::newRow("two") << "2" << 2;
    QTest::newRow("three") << "3" << 3;
    QTest::newRow("minus one") << "-1" << -1;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("lone point") << "." << 0;
    QTest::newRow("trailing junk") << "1x" << 1;
    QTest::newRow("blanks inside") << "1 \t0\n" << 10;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "1.5" << 2;
    QTest::newRow("no int part") << ".6" << 1;
    QTest::newRow("just below half") << "1.4999" << 1;
    QTest::newRow("second point ends") << "1.2.9" << 1;
    QTest::newRow("exponent") << "0.02e2" << 2;
    QTest::newRow("negative exponent") << "10E-1" << 1;
    QTest::newRow("D exponent") << "1d1" << 10;
    QTest::newRow("bare E") << "1e" << 1;
    QTest::newRow("many leading zeros") << "0000000000000000000000001" << 1;
    QTest::newRow("tiny times huge") << "0.0000000001e10" << 1;
    QTest::newRow("max") << "32767" << 32767;
    QTest::newRow("above max") << "32768" << -99999;
    QTest::newRow("rounds above max") << "32767.5" << -99999;
    QTest::newRow("rounds to min") << "-32768.5" << -32768;
    QTest::newRow("long digits") << "99999999999999999999999999" << -99999;
    QTest::newRow("huge exponent") << "1e999999999999" << -99999;
    QTest::newRow("huge negative exponent") << "-1e-999999999999" << 0;
    QTest::newRow("beyond double") << "-1e309" << -99999;
    QTest::newRow("hex") << "&H2" << 2;
    QTest::newRow("hex spaced") << " & H 1 " << 1;
    QTest::newRow("hex 16-bit negative") << "&HFFFF" << -1;
    QTest::newRow("hex above 16 bits") << "&H10000" << -99999;
    QTest::newRow("hex no digits") << "&H" << 0;
}

void TestNumberRule::rule()
{
    QFETCH(QString, line);
    QFETCH(int, number);
    const std::optional<int> n = wf::numberFromLine(line);
    QCOMPARE(n.value_or(-99999), number);
    const std::optional<int> tick = wf::tickValueFromLine(line);
    QCOMPARE(tick.value_or(-99999), number >= 0 && number <= 2 ? number : -99999);
}

QTEST_APPLESS_MAIN(TestNumberRule)
#include "tst_numberrule.moc"
