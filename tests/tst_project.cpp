#include "project/DirWalk.h"
#include "project/PathFunctions.h"
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

static bool touch(const QDir &root, const QString &rel)
{
    root.mkpath(QFileInfo(rel).path());
    return QFile(root.filePath(rel)).open(QIODevice::WriteOnly);
}

class TestProject : public QObject {
    Q_OBJECT
private slots:
    void pathExamples()
    {
        QCOMPARE(wf::relpath("D:\\sub\\b.dat", "D:\\"), "sub\\b.dat"); // a root keeps its separator
        QCOMPARE(wf::relpath("/home/u/proj/gfx/title.bmp", "/home/u/proj"), "gfx\\title.bmp");
        QCOMPARE(wf::relpath("/sub/b.dat", "/"), "sub\\b.dat");
        QCOMPARE(wf::nativePath("..\\other\\Mygame.exe", "/p/q"), "/p/other/Mygame.exe");
    }

    void walkTree()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        QStringList rows;
        QVERIFY(root.mkpath("only/empty/folders") && root.mkpath("more"));
        wf::DirWalk(tmp.path(), tmp.path(), rows); // only empty folders: the exact list below shows it adds none
        for (const char *f : {"Data.Pak", "PakProfile.QXT", "Mygame.exe", "LICENSE", "gfx/title.bmp",
                              "gfx/a/b.fnt", "gfx/unreadable/x.dat", ".hidden", ".git/config", "big/f0.dat", "gfx/back\\slash.png"})
            QVERIFY(touch(root, f));
        const QByteArray first = QFile::encodeName(root.filePath("big/f0.dat"));
        for (int i = 1; i < 40000; ++i) // 40,000 in one folder, as hard links: quicker to make
            QVERIFY(::link(first, QFile::encodeName(root.filePath(QStringLiteral("big/f%1.dat").arg(i)))) == 0);
        QVERIFY(QFile::link("..", root.filePath("gfx/loop"))); // followed, it would circle for ever
        wf::DirWalk(tmp.path(), tmp.path(), rows, [&root](const QString &dir, auto &out) {
            return dir != root.filePath("gfx/unreadable") && wf::listDirectory(dir, out);
        });
        rows.sort(Qt::CaseInsensitive);
        QVERIFY(rows.removeDuplicates() == 0 && rows.size() == 40006 && rows.filter("big\\f").size() == 40000);
        QCOMPARE(rows.mid(40000), QStringList({"Data.Pak", "gfx\\a\\b.fnt", "gfx\\title.bmp", "LICENSE", "Mygame.exe",
                                               "PakProfile.QXT"}));
    }
};

QTEST_APPLESS_MAIN(TestProject)
#include "tst_project.moc"
