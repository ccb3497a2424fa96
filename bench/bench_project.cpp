// Speed on a large project: 100,000 files in 1,000 folders.
// Run with `make bench`; not part of the test suite.
#include "app/Form1.h"
#include "app/TickList.h"
#include "app/MessageBox.h"
#include "project/DirWalk.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class BenchProject : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_previous;

private slots:
    void initTestCase()
    {
        for (int d = 0; d < 1000; ++d) {
            const QString folder = m_dir.path() + QStringLiteral("/assets%1").arg(d);
            QDir().mkpath(folder);
            for (int i = 0; i < 100; ++i) {
                QFile f(folder + QStringLiteral("/Tile%1.bin").arg(i));
                f.open(QIODevice::WriteOnly);
                f.write("0123456789");
            }
        }
        // Every tenth row named in the profile: 10,000 lines to match.
        QFile profile(m_dir.path() + "/PakProfile.QXT");
        profile.open(QIODevice::WriteOnly);
        profile.write("h\r\n 0 \r\n 0 \r\n5D5D5D5D\r\nMygame.exe\r\n5B19C7E4\r\n");
        for (int d = 0; d < 1000; ++d)
            for (int i = 0; i < 100; i += 10)
                profile.write(QStringLiteral("ASSETS%1\\TILE%2.BIN\r\n").arg(d).arg(i).toUtf8());
        profile.close();
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        wf::setMessageSink([](const QString &) {});
    }
    void cleanupTestCase() { QDir::setCurrent(m_previous); }

    void walk()
    {
        QStringList rows;
        QBENCHMARK_ONCE { wf::DirWalk("*.*", m_dir.path(), m_dir.path(), rows); }
        QCOMPARE(rows.size(), 100001); // and the profile
    }

    void startUpWithProfile()
    {
        Form1 f;
        QBENCHMARK_ONCE { f.Form_Load(); }
        QCOMPARE(f.List1->rows().selectedCount(), 10000);
    }

    void selectAllThenNone()
    {
        Form1 f;
        f.Form_Load();
        QBENCHMARK_ONCE {
            f.Command2_Click();
            f.Command3_Click();
        }
        QCOMPARE(f.packSizeTotal(), 0);
    }

    void buildTenThousandOfHundredThousandRows()
    {
        Form1 f;
        f.Form_Load();
        QBENCHMARK_ONCE { f.Command1_Click(); }
        QVERIFY(QFile::exists("Data.Pak"));
    }
};

QTEST_MAIN(BenchProject)
#include "bench_project.moc"
