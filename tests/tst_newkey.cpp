#include "options/NewKey.h"
#include "options/RandomSource.h"
#include <QRegularExpression>
#include <QTest>
#include <cmath>

namespace {
// Hands out fixed draws and records the order of draws and re-seeds.
class ScriptedSource : public wf::RandomSource {
public:
    QList<float> draws;
    QStringList log;
    float draw() override
    {
        log << QStringLiteral("d");
        return draws.takeFirst();
    }
    void reseed(float s) override { log << QStringLiteral("s%1").arg(s); }
};

float forPiece(int v) { return float(v) / 255.0f; }

// A draw whose single-precision product with 255 is exactly `target`.
float exactProduct(float target)
{
    float r = target / 255.0f;
    for (int i = 0; i < 16 && r * 255.0f != target; ++i)
        r = std::nextafter(r, r * 255.0f < target ? 1.0f : 0.0f);
    return r;
}
} // namespace

class TestNewKey : public QObject {
    Q_OBJECT
private slots:
    void pieceRounding_data();
    void pieceRounding();
    void orderAndRetry();
    void realKeysWellFormed();
    void byteDistribution();
    void randomSourceState();
    void clock();
};

void TestNewKey::pieceRounding_data()
{
    QTest::addColumn<float>("product");
    QTest::addColumn<QString>("piece");
    QTest::newRow("half down to 0") << 0.5f << "0";
    QTest::newRow("half up to 2") << 1.5f << "2";
    QTest::newRow("half down to 2") << 2.5f << "2";
    QTest::newRow("upper case") << 171.0f << "AB";
    QTest::newRow("half to FE") << 254.5f << "FE";
}

void TestNewKey::pieceRounding()
{
    QFETCH(float, product);
    QFETCH(QString, piece);
    ScriptedSource src;
    const float r = exactProduct(product);
    QCOMPARE(r * 255.0f, product);
    src.draws = {r};
    QCOMPARE(wf::keyPiece(src), piece);

    // The largest draw below 1 gives FF.
    src.draws = {std::nextafter(1.0f, 0.0f)};
    QCOMPARE(wf::keyPiece(src), QStringLiteral("FF"));
}

void TestNewKey::orderAndRetry()
{
    ScriptedSource src;
    // First pass has a one-digit piece (the third mask piece) and is thrown away whole.
    src.draws = {forPiece(0x11), forPiece(0x22), forPiece(0x33), forPiece(0x44),
                 forPiece(0x55), forPiece(0x06), forPiece(0x77), forPiece(0x88),
                 forPiece(0xA1), forPiece(0xB1), forPiece(0xA2), forPiece(0xB2),
                 forPiece(0xA3), forPiece(0xB3), forPiece(0xA4), forPiece(0xFF)};
    float t = 0;
    const wf::NewKey key = wf::makeNewKey(src, [&t] { return t += 1; });
    QCOMPARE(key.basicKey, QStringLiteral("A1A2A3A4"));
    QCOMPARE(key.headerMask, QStringLiteral("B1B2B3FF"));
    QVERIFY(src.draws.isEmpty());
    QStringList expected;
    for (int pair = 1; pair <= 8; ++pair)
        expected << QStringLiteral("s%1").arg(pair) << "d" << "d";
    QCOMPARE(src.log, expected);
}

void TestNewKey::realKeysWellFormed()
{
    static const QRegularExpression form(QStringLiteral("^([1-9A-F][0-9A-F]){4}$"));
    wf::RandomSource src;
    for (int i = 0; i < 300; ++i) {
        const wf::NewKey key = wf::makeNewKey(src);
        QVERIFY2(form.match(key.basicKey).hasMatch(), qPrintable(key.basicKey));
        QVERIFY2(form.match(key.headerMask).hasMatch(), qPrintable(key.headerMask));
    }
}

void TestNewKey::byteDistribution()
{
    wf::RandomSource src;
    float t = 0;
    QList<int> count(256, 0);
    for (int i = 0; i < 20000; ++i) {
        const wf::NewKey key = wf::makeNewKey(src, [&t] { return t += 0.25f; });
        for (const QString &text : {key.basicKey, key.headerMask})
            for (int b = 0; b < 4; ++b)
                ++count[text.mid(2 * b, 2).toInt(nullptr, 16)];
    }
    double others = 0;
    for (int v = 0x10; v < 0xFF; ++v) {
        QVERIFY2(count[v] > 0, qPrintable(QString::number(v, 16)));
        others += count[v];
    }
    const double ratio = count[0xFF] / (others / (0xFF - 0x10));
    QVERIFY2(ratio > 0.35 && ratio < 0.65, qPrintable(QString::number(ratio)));
}

void TestNewKey::randomSourceState()
{
    auto firstDraws = [](wf::RandomSource &s) {
        QList<float> d;
        for (int i = 0; i < 8; ++i)
            d << s.draw();
        return d;
    };
    // Every start begins in the same state.
    wf::RandomSource a, b;
    QCOMPARE(firstDraws(a), firstDraws(b));

    // A re-seed moves away from it, and the same seed again does not restart.
    wf::RandomSource fresh, seeded;
    seeded.reseed(43200.5f);
    const QList<float> afterFirst = firstDraws(seeded);
    QVERIFY(afterFirst != firstDraws(fresh));
    seeded.reseed(43200.5f);
    QVERIFY(firstDraws(seeded) != afterFirst);
}

void TestNewKey::clock()
{
    // Seconds with their fraction: readings 60 ms apart differ by about that.
    const float first = wf::secondsSinceMidnight();
    QTest::qSleep(60);
    const float second = wf::secondsSinceMidnight();
    QVERIFY(first >= 0.0f && second < 86400.0f);
    if (second > first) // not across midnight
        QVERIFY2(second - first > 0.04f && second - first < 0.5f, qPrintable(QString::number(second - first)));
}

QTEST_APPLESS_MAIN(TestNewKey)
#include "tst_newkey.moc"
