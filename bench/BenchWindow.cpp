#include "BenchWindow.h"
#include "BenchData.h"
#include "BenchRun.h"
#include "app/Form1.h"
#include "platform/Memory.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace bench {

namespace {

QStringList g_messages;

// Idle: the event loop has nothing left to do, three times over (a
// zero-time timer fires only when the loop runs out of other work).
void waitIdle()
{
    for (int i = 0; i < 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void runLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The longest stretch without an event-loop turn, seen from inside: a 1 ms
// timer stamps every turn that runs timers.
class TurnClock {
public:
    TurnClock()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { stamp(); });
        m_clock.start();
        m_timer.start();
    }
    void reset()
    {
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
        m_turns = 0;
    }
    double longestMs() const { return double(qMax(m_longest, m_clock.nsecsElapsed() - m_last)) / 1e6; }
    int turns() const { return m_turns; }

private:
    void stamp()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = qMax(m_longest, now - m_last);
        m_last = now;
        ++m_turns;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_turns = 0;
};

void startWindow(Form1 &f)
{
    f.Form_Load();
    if (!QTest::qWaitForWindowExposed(&f, 10000))
        std::fprintf(stderr, "the window was not exposed within 10 s\n");
    waitIdle();
}

// Clicks Create Pak Archive and waits until the build is over and the
// window idle again; the time from the click.
double clickBuild(Form1 &f)
{
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    if (f.isBuilding()) { // a build that runs on after the click returns
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!f.isBuilding())
                loop.quit();
        });
        poll.start(2);
        loop.exec();
    }
    waitIdle();
    return double(t.nsecsElapsed()) / 1e6;
}

int fail(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::fflush(stderr);
    ::_exit(2);
}

void report(const QString &fields)
{
    std::printf("RESULT platform=%s %s\n", qPrintable(QGuiApplication::platformName()), qPrintable(fields));
    std::fflush(stdout);
}

int build(Form1 &f, bool masked)
{
    if (masked) {
        f.Check1->setValue(1);
        waitIdle();
        if (f.Check1->Value() != 1 || f.Text2->text() != QLatin1String(kBasicKey) ||
            f.Text3->text() != QLatin1String(kHeaderMaskText))
            return fail(QStringLiteral("masking did not switch on with the profile's keys"));
    }
    const int ticked = f.List1->rows().selectedCount();
    const double ms = clickBuild(f);
    if (!g_messages.isEmpty())
        return fail(QStringLiteral("the build reported: ") + g_messages.join(QLatin1String(" | ")));
    report(QStringLiteral("ms=%1 ticked=%2").arg(ms, 0, 'f', 2).arg(ticked));
    return 0;
}

int bigBuild(Form1 &f)
{
    TurnClock turns;
    turns.reset();
    runLoopFor(1000);
    const double idleGap = turns.longestMs();
    const bool peakReset = resetPeak();
    const qint64 idleKiB = peakReset ? statusKiB("VmRSS") : statusKiB("VmHWM");
    turns.reset();
    const double ms = clickBuild(f);
    const double gap = turns.longestMs();
    const int turnCount = turns.turns();
    const qint64 peakKiB = statusKiB("VmHWM");
    if (!g_messages.isEmpty())
        return fail(QStringLiteral("the build reported: ") + g_messages.join(QLatin1String(" | ")));
    report(QStringLiteral("ms=%1 gap=%2 idlegap=%3 turns=%4 idlekib=%5 peakkib=%6 peakreset=%7")
               .arg(ms, 0, 'f', 2)
               .arg(gap, 0, 'f', 2)
               .arg(idleGap, 0, 'f', 2)
               .arg(turnCount)
               .arg(idleKiB)
               .arg(peakKiB)
               .arg(peakReset ? 1 : 0));
    return 0;
}

} // namespace

int runWindow(int argc, char **argv)
{
    if (argc < 4)
        return fail(QStringLiteral("usage: wrenfold_bench --window ACTION DIR"));
    const QString action = QString::fromLocal8Bit(argv[2]);
    const QString dir = QString::fromLocal8Bit(argv[3]);
    if (!QDir::setCurrent(dir))
        return fail(QStringLiteral("cannot enter %1").arg(dir));

    // As main.cpp starts the program.
    wf::platform::keepFreedMemory();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(wf::kAppTitle));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // No modal box may block a run; a message means the run went wrong.
    wf::setMessageSink([](const QString &text) { g_messages << QString(text).simplified(); });

    if (action == QLatin1String("startup")) {
        QElapsedTimer t;
        t.start();
        Form1 f;
        startWindow(f);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        report(QStringLiteral("ms=%1 rows=%2 ticked=%3")
                   .arg(ms, 0, 'f', 2)
                   .arg(f.List1->ListCount())
                   .arg(f.List1->rows().selectedCount()));
        ::_exit(0); // tearing down 100,000 rows is not part of any figure
    }

    Form1 f;
    startWindow(f);
    int rc = 0;
    if (action == QLatin1String("selectall")) {
        const int before = f.List1->rows().selectedCount();
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        waitIdle();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        report(QStringLiteral("ms=%1 rows=%2 before=%3 ticked=%4 messages=%5")
                   .arg(ms, 0, 'f', 2)
                   .arg(f.List1->ListCount())
                   .arg(before)
                   .arg(f.List1->rows().selectedCount())
                   .arg(g_messages.size()));
    } else if (action == QLatin1String("build") || action == QLatin1String("build-masked")) {
        rc = build(f, action == QLatin1String("build-masked"));
    } else if (action == QLatin1String("big")) {
        rc = bigBuild(f);
    } else {
        rc = fail(QStringLiteral("unknown action %1").arg(action));
    }
    std::fflush(stdout);
    ::_exit(rc);
}

} // namespace bench
