#include "options/HexVal.h"
#include <QTest>

class TestHexVal : public QObject {
    Q_OBJECT
private slots:
    void hexval_data();
    void hexval();
    void keyBytes_data();
    void keyBytes();
};

void TestHexVal::hexval_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<quint32>("mask");
    QTest::newRow("empty") << "" << 0 << 0u;
    QTest::newRow("eight digits") << "5B19C7E4" << 0x5B19C7E4 << 0x5B19C7E4u;
    QTest::newRow("lower case") << "5b19c7e4" << 0x5B19C7E4 << 0x5B19C7E4u;
    QTest::newRow("blanks anywhere") << " 5B 19\tC7\nE4 " << 0x5B19C7E4 << 0x5B19C7E4u;
    QTest::newRow("8000 is 16-bit") << "8000" << -32768 << 0xFFFF8000u;
    QTest::newRow("FFFF") << "FFFF" << -1 << 0xFFFFFFFFu;
    QTest::newRow("10000") << "10000" << 65536 << 0x10000u;
    QTest::newRow("80000000") << "80000000" << qint32(0x80000000u) << 0x80000000u;
    QTest::newRow("no digit") << "zz" << 0 << 0u;
    QTest::newRow("stops at non-digit") << "12zz34" << 0x12 << 0x12u;
    QTest::newRow("sign is no digit") << "-5" << 0 << 0u;
    QTest::newRow("leading zeros free") << "0000000012345678" << 0x12345678 << 0x12345678u;
    QTest::newRow("ninth digit ignored") << "123456789" << 0x12345678 << 0x12345678u;
    QTest::newRow("ampersand ends") << "1F&" << 0x1F << 0x1Fu;
    QTest::newRow("ampersand keeps width") << "8000&" << -32768 << 0xFFFF8000u;
}

void TestHexVal::hexval()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QFETCH(quint32, mask);
    QCOMPARE(wf::hexval(text), value);
    QCOMPARE(wf::headerMask(text), mask);
}

void TestHexVal::keyBytes_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<int>>("bytes");
    QTest::newRow("design") << "5D5D5D5D" << QList<int>{0x5D, 0x5D, 0x5D, 0x5D};
    QTest::newRow("lower case") << "a0b1c2ff" << QList<int>{0xA0, 0xB1, 0xC2, 0xFF};
    QTest::newRow("empty") << "" << QList<int>{0, 0, 0, 0};
    QTest::newRow("six chars") << "123456" << QList<int>{0x12, 0x34, 0x56, 0};
    QTest::newRow("seven chars") << "1234567" << QList<int>{0x12, 0x34, 0x56, 7};
    QTest::newRow("beyond eight") << "0102030405" << QList<int>{1, 2, 3, 4};
    QTest::newRow("space in pair") << "F 1 2 3 " << QList<int>{15, 1, 2, 3};
    QTest::newRow("non-hex pairs") << "GG12zz34" << QList<int>{0, 0x12, 0, 0x34};
}

void TestHexVal::keyBytes()
{
    QFETCH(QString, key);
    QFETCH(QList<int>, bytes);
    const auto k = wf::keyBytes(key);
    QCOMPARE((QList<int>{k[0], k[1], k[2], k[3]}), bytes);
}

QTEST_APPLESS_MAIN(TestHexVal)
#include "tst_hexval.moc"
