#include "app/Profile.h"
#include <QTest>

// Writing the profile, and a failed write keeping the old one, are covered
// through the window by the start-up test.
class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void bytesAndLines()
    {
        const QByteArray bytes = "Korvane Pak System Profile\r\n 1 \r\n 0 \r\n5D5D5D5D\r\n"
                                 "Mygame.exe\r\n5B19C7E4\r\ngfx\\title.bmp\r\nmaps\\one.map\r\n";
        const wf::ProfileData data{1, 0, "5D5D5D5D", "Mygame.exe", "5B19C7E4", {"gfx\\title.bmp", "maps\\one.map"}};
        QCOMPARE(wf::profileBytes(data), bytes);
        QCOMPARE(wf::readProfileLines(bytes).join('|'),
                 "Korvane Pak System Profile| 1 | 0 |5D5D5D5D|Mygame.exe|5B19C7E4|gfx\\title.bmp|maps\\one.map");
        QCOMPARE(wf::readProfileLines("a\rb\r\nc"), QStringList({"a", "b", "c"})); // the last line needs no CR
        QCOMPARE(wf::readProfileLines("\r\n\r\r\n"), QStringList({"", "", ""})); // an empty key is still a line
        QCOMPARE(wf::readProfileLines(""), QStringList());
    }
};

QTEST_APPLESS_MAIN(TestProfile)
#include "tst_profile.moc"
