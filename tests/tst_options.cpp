#include "app/NumberRule.h"
#include "options/HexVal.h"
#include "options/InitLine.h"
#include "options/NewKey.h"
#include "options/RandomSource.h"
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <algorithm>
#include <numeric>

// A QCOMPARE inside a loop does not say which row failed; this does.
#define NAME_ROW(name) auto note = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << "row:" << name; })

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void hexvalAndKeyBytes();
    void numberRule();
    void initLine();
    void newKeysWellFormedAndSpread();
    void randomSourceState();
};

void TestOptions::hexvalAndKeyBytes()
{
    const struct { const char *text; qint32 value; } values[] = {
        {"8000", -32768}, // up to FFFF the value is a signed 16-bit number
        {"FFFF", -1},
        {"0000FFFF", -1}, // leading zeros do not make it 32-bit
        {"80000000", qint32(0x80000000u)},
        {" 5b 19\tC7\nE4 ", 0x5B19C7E4},
        {"12zz34", 0x12},
        {"zz", 0},
        {"123456789", 0x12345678}, // a ninth digit is ignored, not wrapped in
        {"0000000012345678", 0x12345678},
        {"8000&", -32768}, // "&" only ends the digits; it does not widen the value
    };
    for (const auto &r : values) {
        NAME_ROW(r.text);
        QCOMPARE(wf::hexval(r.text), r.value);
        QCOMPARE(wf::headerMask(r.text), quint32(r.value));
    }
    const struct { const char *text; QList<int> bytes; } keys[] = {
        {"a0b1c2ff", {0xA0, 0xB1, 0xC2, 0xFF}},
        {"", {0, 0, 0, 0}},
        {"123456", {0x12, 0x34, 0x56, 0}},
        {"1234567", {0x12, 0x34, 0x56, 7}},
        {"F 1 2 3 ", {15, 1, 2, 3}}, // sliced by position first, blanks skipped after
    };
    for (const auto &r : keys) {
        NAME_ROW(r.text);
        const auto k = wf::keyBytes(r.text);
        QCOMPARE((QList<int>{k[0], k[1], k[2], k[3]}), r.bytes);
    }
}

void TestOptions::numberRule()
{
    constexpr int none = -99999; // no number at all: out of range
    const struct { const char *line; int number; } rows[] = {
        {" 1 ", 1}, // as the profile writes it
        {"0.5", 0},
        {"1.5", 2},
        {"2.5", 2},
        {"-0.4", 0},
        {"0.02e2", 2},
        {"&H2", 2},
        {"", 0},
        {"abc", 0},
        {"3", 3},
        {"32768", none},
        {"1e999999999999", none},
    };
    for (const auto &r : rows) {
        NAME_ROW(r.line);
        QCOMPARE(wf::numberFromLine(r.line).value_or(none), r.number);
        QCOMPARE(wf::tickValueFromLine(r.line).value_or(none), r.number >= 0 && r.number <= 2 ? r.number : none);
    }
}

void TestOptions::initLine()
{
    QCOMPARE(wf::buildInitLine("Data.Pak", false, "5D5D5D5D", "5B19C7E4"), R"(PakInit "Data.Pak", 0, "TMP", 0)");
    QCOMPARE(wf::buildInitLine("Mygame.exe", true, "5D5D5D5D", "5b19c7e4"),
             R"(PakInit "Mygame.exe", $5D5D5D5D, "TMP", $5b19c7e4)");
    QCOMPARE(wf::buildInitLine("Data.Pak", true, "", ""), R"(PakInit "Data.Pak", $, "TMP", $)");
}

void TestOptions::newKeysWellFormedAndSpread()
{
    // FF needs r * 255 >= 254.5, half the room every other byte gets; a
    // short piece must cost a retry, never a zero pad. The clock stands still,
    // as it does when keys are made faster than it ticks.
    static const QRegularExpression form(QStringLiteral("^([1-9A-F][0-9A-F]){4}$"));
    wf::RandomSource random;
    QList<int> count(256, 0);
    for (int i = 0; i < 20000; ++i) {
        const wf::NewKey key = wf::makeNewKey(random, [] { return 43200.5f; });
        QVERIFY2(form.match(key.basicKey).hasMatch() && form.match(key.headerMask).hasMatch(),
                 qPrintable(key.basicKey + ' ' + key.headerMask));
        for (int b = 0; b < 16; b += 2)
            ++count[(key.basicKey + key.headerMask).mid(b, 2).toInt(nullptr, 16)];
    }
    QVERIFY(*std::min_element(count.begin() + 0x10, count.end()) > 0);
    const double ratio = count[0xFF] / (std::accumulate(count.begin() + 0x10, count.end() - 1, 0.0) / (0xFF - 0x10));
    QVERIFY2(ratio > 0.35 && ratio < 0.65, qPrintable(QString::number(ratio)));
}

void TestOptions::randomSourceState()
{
    auto draws = [](wf::RandomSource &s) { return QList<float>{s.draw(), s.draw(), s.draw(), s.draw()}; };
    wf::RandomSource a, b;
    QCOMPARE(draws(a), draws(b)); // every start from the same state
    b.reseed(43200.5f);
    const QList<float> afterFirst = draws(b);
    b.reseed(43200.5f);
    QVERIFY(draws(b) != afterFirst); // the same time again must not restart the draws
}

QTEST_APPLESS_MAIN(TestOptions)
#include "tst_options.moc"
