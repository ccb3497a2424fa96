#include "project/PathFunctions.h"
#include <QTest>

class TestPathFunctions : public QObject {
    Q_OBJECT
private slots:
    void isolatename_data();
    void isolatename();
    void pathset_data();
    void pathset();
    void relpath_data();
    void relpath();
    void nativePath_data();
    void nativePath();
};

void TestPathFunctions::isolatename_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("bare") << "README.TXT" << "README.TXT";
    QTest::newRow("one dir") << "GFX\\TITLE.BMP" << "TITLE.BMP";
    QTest::newRow("trailing") << "GFX\\" << "";
    QTest::newRow("leading") << "\\X.Y" << "X.Y";
    QTest::newRow("drive") << "C:\\A\\B\\C.D" << "C.D";
    QTest::newRow("slash is plain") << "A/B.TXT" << "A/B.TXT";
}

void TestPathFunctions::isolatename()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(wf::isolatename(in), out);
}

void TestPathFunctions::pathset_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << "" << "\\";
    QTest::newRow("root") << "C:\\" << "C:\\";
    QTest::newRow("dir") << "C:\\Games\\Proj" << "C:\\Games\\Proj\\";
}

void TestPathFunctions::pathset()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(wf::pathset(in), out);
}

void TestPathFunctions::relpath_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("row");
    QTest::newRow("win file") << "C:\\Games\\Proj" << "C:\\Games\\Proj\\gfx\\title.bmp" << "gfx\\title.bmp";
    QTest::newRow("win deep") << "C:\\Games\\Proj" << "C:\\Games\\Proj\\gfx\\fonts\\big.fnt" << "gfx\\fonts\\big.fnt";
    QTest::newRow("win self") << "C:\\Games\\Proj" << "C:\\Games\\Proj\\" << "";
    QTest::newRow("win root") << "D:\\" << "D:\\sub\\b.dat" << "sub\\b.dat";
    QTest::newRow("posix") << "/home/u/proj" << "/home/u/proj/gfx/title.bmp" << "gfx\\title.bmp";
    QTest::newRow("posix root") << "/" << "/sub/b.dat" << "sub\\b.dat";
    QTest::newRow("prefix not compared") << "/home/u/proj" << "/home/u/XXXX/a" << "a";
}

void TestPathFunctions::relpath()
{
    QFETCH(QString, project);
    QFETCH(QString, path);
    QFETCH(QString, row);
    QCOMPARE(wf::relpath(path, project), row);
}

void TestPathFunctions::nativePath_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("native");
    QTest::newRow("bare") << "Data.Pak" << "/p/q/Data.Pak";
    QTest::newRow("nested") << "gfx\\fonts\\big.fnt" << "/p/q/gfx/fonts/big.fnt";
    QTest::newRow("absolute") << "\\opt\\game\\run" << "/opt/game/run";
    QTest::newRow("dot dot") << "..\\other\\Mygame.exe" << "/p/other/Mygame.exe";
}

void TestPathFunctions::nativePath()
{
    QFETCH(QString, row);
    QFETCH(QString, native);
    QCOMPARE(wf::nativePath(row, "/p/q"), native);
}

QTEST_APPLESS_MAIN(TestPathFunctions)
#include "tst_pathfunctions.moc"
