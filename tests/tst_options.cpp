#include "project/NumberRule.h"
#include "options/HexVal.h"
#include "options/NewKey.h"
#include "options/RandomSource.h"
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <wfpak/PakReader.h>
#include <algorithm>
#include <numeric>
#include <random>

// A QCOMPARE inside a loop does not say which row failed; this does.
#define NAME_ROW(name) auto note = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << "row:" << name; })

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void keyAndMaskTexts()
    {
        const struct { const char *text; qint32 value; } values[] = {
            // Up to FFFF the value is a signed 16-bit number; "&" ends the digits
            // like any other character and does not widen the value.
            {"8000&1", -32768},
            {" db 19\tC7\nE4 ", qint32(0xDB19C7E4u)}, // above FFFF, a signed 32-bit number
            {"000000000000FFFF", -1}, // leading zeros neither widen the value nor count as digits
            {"123456789", 0x12345678}, // a ninth digit is ignored, not wrapped in
        };
        for (const auto &r : values) {
            NAME_ROW(r.text);
            QCOMPARE(wf::hexval(r.text), r.value);
        }
        const struct { const char *text; std::array<quint8, 4> bytes; } keys[] = {
            {"a0b1c2ff", {0xA0, 0xB1, 0xC2, 0xFF}},
            {"", {0, 0, 0, 0}},
            {"1234567", {0x12, 0x34, 0x56, 7}},
            {"F 1 2 3 ", {15, 1, 2, 3}}, // sliced by position first, blanks skipped after
        };
        for (const auto &r : keys) {
            NAME_ROW(r.text);
            QCOMPARE(wf::keyBytes(r.text), r.bytes);
        }
    }

    // The game-side reader takes key and mask texts as the window does, "$" or not.
    void readerReadsTextsAsTheWindow()
    {
        const QStringList pieces{"0", "5", "9", "a", "D", "f", "F", " ", "\t", "\n", "\r", "&", "$", "H", "g", "-",
                                 "é", "€", QString::fromUtf8("\xf0\x9d\x84\x9e")};
        std::mt19937 gen(12);
        for (int i = 0; i < 20000; ++i) {
            QString text;
            for (int n = int(gen() % 14); n > 0; --n)
                text += pieces[int(gen() % (gen() % 2 ? 7 : pieces.size()))]; // digits half the time
            // The window's box never holds the "$" the initialisation line adds.
            const QString bare = text.startsWith('$') ? text.mid(1) : text;
            for (const std::string &given : {text.toStdString(), "$" + bare.toStdString()}) {
                const wfpak::Key key = wfpak::Key::fromTexts(given, given);
                QCOMPARE(key.mask, wf::headerMask(bare));
                QVERIFY2(key.bytes == wf::keyBytes(bare), qPrintable(text));
            }
        }
    }

    void numberRule()
    {
        constexpr int none = -99999; // no number at all: out of range
        const struct { const char *line; int number; } rows[] = {
            {" 2.5 ", 2}, // halves go to the even neighbour; blanks are skipped
            {"-1.5", -2},
            {"0.02e2", 2},
            {"&H2", 2},
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

    void randomSourceAndNewKeys()
    {
        auto draws = [](wf::RandomSource &s) { return QList<float>{s.draw(), s.draw(), s.draw(), s.draw()}; };
        wf::RandomSource random, other;
        QCOMPARE(draws(random), draws(other)); // every start from the same state
        other.reseed(43200.5f);
        const QList<float> afterFirst = draws(other);
        other.reseed(43200.5f);
        QVERIFY(draws(other) != afterFirst); // the same time again must not restart the draws

        // FF needs r * 255 >= 254.5, half the room every other byte gets; a
        // short piece must cost a retry, never a zero pad. The clock stands still,
        // as it does when keys are made faster than it ticks.
        static const QRegularExpression form(QStringLiteral("^([1-9A-F][0-9A-F]){4}$"));
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
};

QTEST_APPLESS_MAIN(TestOptions)
#include "tst_options.moc"
