#include "project/DirWalk.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDirWalk : public QObject {
    Q_OBJECT
private slots:
    void init();
    void projectTree();
    void emptyFoldersGiveNoRows();
    void unreadableFolderIsSkipped();
    void otherPattern();
    void manyFilesInOneFolder();

private:
    void touch(const QString &rel);
    QStringList walk(const wf::DirLister &lister = wf::listDirectory, const QString &pattern = "*.*");
    QScopedPointer<QTemporaryDir> m_dir;
};

void TestDirWalk::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestDirWalk::touch(const QString &rel)
{
    const QString path = m_dir->filePath(rel);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QStringList TestDirWalk::walk(const wf::DirLister &lister, const QString &pattern)
{
    QStringList rows;
    wf::DirWalk(pattern, m_dir->path(), m_dir->path(), rows, lister);
    return rows;
}

void TestDirWalk::projectTree()
{
    for (const char *f : {"readme.txt", "gfx/title.bmp", "gfx/fonts/big.fnt", "LICENSE", "Data.Pak",
                          "PakProfile.QXT", "Mygame.exe", "über.dat", ".hidden", ".git/config",
                          "gfx/.cache/x.bin", "odd\\name.txt"})
        touch(QString::fromUtf8(f));
    QDir().mkpath(m_dir->filePath("empty/deeper"));
    const QDir root(m_dir->path());
    QVERIFY(QFile::link("readme.txt", root.filePath("link.txt")));
    QVERIFY(QFile::link("nowhere", root.filePath("broken.txt")));
    QVERIFY(QFile::link("..", root.filePath("gfx/loop"))); // would circle forever if followed

    const QStringList rows = walk();
    QStringList sorted = rows;
    sorted.sort(Qt::CaseInsensitive);
    QCOMPARE(sorted, (QStringList{"Data.Pak", "gfx\\fonts\\big.fnt", "gfx\\title.bmp", "LICENSE",
                                  "link.txt", "Mygame.exe", "PakProfile.QXT", "readme.txt",
                                  QString::fromUtf8("über.dat")}));
    // Subdirectories are walked before a directory's own files.
    QVERIFY(rows.indexOf("gfx\\fonts\\big.fnt") < rows.indexOf("gfx\\title.bmp"));
    QVERIFY(rows.indexOf("gfx\\title.bmp") < rows.indexOf("readme.txt"));
}

void TestDirWalk::emptyFoldersGiveNoRows()
{
    QCOMPARE(walk(), QStringList());
    QDir().mkpath(m_dir->filePath("a/b/c"));
    QDir().mkpath(m_dir->filePath("d"));
    QCOMPARE(walk(), QStringList());
}

void TestDirWalk::unreadableFolderIsSkipped()
{
    for (const char *f : {"a.dat", "bad/b.dat", "bad/inner/c.dat", "good/d.dat", "good/bad/e.dat"})
        touch(f);
    const QString bad = m_dir->filePath("bad");
    const wf::DirLister lister = [&bad](const QString &dir, const QString &pattern, wf::DirListing &out) {
        return dir != bad && wf::listDirectory(dir, pattern, out);
    };
    QStringList rows = walk(lister);
    rows.sort();
    QCOMPARE(rows, (QStringList{"a.dat", "good\\bad\\e.dat", "good\\d.dat"}));

    wf::DirListing out;
    QVERIFY(!wf::listDirectory(m_dir->filePath("missing"), "*.*", out));
    QVERIFY(!wf::listDirectory(m_dir->filePath("a.dat"), "*.*", out));
}

void TestDirWalk::otherPattern()
{
    for (const char *f : {"a.BMP", "b.txt", "sub/c.bmp", "sub/d"})
        touch(f);
    QStringList rows = walk(wf::listDirectory, "*.bmp");
    rows.sort();
    QCOMPARE(rows, (QStringList{"a.BMP", "sub\\c.bmp"}));
}

void TestDirWalk::manyFilesInOneFolder()
{
    for (int i = 0; i < 40000; ++i)
        touch(QStringLiteral("big/f%1.dat").arg(i));
    const QStringList rows = walk();
    QCOMPARE(rows.size(), 40000);
    QCOMPARE(QSet<QString>(rows.begin(), rows.end()).size(), 40000);
    QVERIFY(rows.contains("big\\f0.dat") && rows.contains("big\\f39999.dat"));
}

QTEST_APPLESS_MAIN(TestDirWalk)
#include "tst_dirwalk.moc"
