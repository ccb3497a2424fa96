#pragma once
#include "project/DirWalk.h"
#include "project/RowMeasure.h"
#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <functional>
#include <future>

namespace wf {
struct BuildResult;
}

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TickBox;
class TickList;

// The tool's one window. Its controls are the tool's state: the handlers
// read them at the moment they need them and keep no copies.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    // Controls, named as in the window's design.
    QLabel *Image2;
    TickList *List1;
    QLabel *Label1;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command1;
    QGroupBox *Frame1;
    TickBox *Check1;
    QLabel *Label3;
    QLabel *Label5;
    QLineEdit *Text2;
    QLabel *Label6;
    QLineEdit *Text3;
    QPushButton *Command4;
    QGroupBox *Frame3;
    TickBox *Check2;
    QLabel *Label2;
    QLineEdit *Text1;
    QGroupBox *Frame2;
    QLineEdit *Text4;
    QLabel *Label4;
    QTimer *Timer1;

    qint64 packSizeTotal() const { return m_total; }
    bool isBuilding() const { return m_phase == Phase::Building; }

    // Where the new-key procedure reads the time of day; tests replace it.
    std::function<float()> clock;
    // How long a build may run between two event-processing turns, and a
    // hook that sees every turn (tests count them).
    int turnIntervalMs = 20;
    std::function<void()> onBuildTurn;

    // Public operations of the window.
    // Sets the tick of each of `rows` as Select All does: one item-check per
    // changed row, the label set once at the end, unmeasured and refused
    // files named in one message.
    void setTicks(const QVector<int> &rows, bool ticked);

public slots:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check1_Click();
    void Check2_Click();
    void List1_ItemCheck(int index);
    void Label6_Click();
    void Text1_Change();
    void Text2_KeyPress();
    void Text3_KeyPress();
    void Timer1_Timer();
    void initline();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();
    void applyProfile();
    wf::BuildResult buildPack();
    void buildTurn(int row);
    void focusList();
    void setAllTicks(bool ticked);
    void tickBatch(const std::function<void()> &change);
    void refreshPackSizeLabel();
    void reportTickProblems();
    void createControls();
    void wireEvents();

    // The pack-size total: the sizes counted at each tick less those counted
    // at each untick, never recomputed from the ticked rows. Equal to the
    // ticked files' sizes while no ticked file changes on disk; a file that
    // shrinks or appears between its tick and its untick leaves the
    // difference, so the label can then read below zero.
    qint64 m_total = 0;
    // Where the window is. Every handler that must not run at some point
    // (a build, a close) checks this one value.
    enum class Phase {
        StartingUp, // Form_Load restoring the profile and filling the list
        Idle,       // also before Form_Load: a window being set up acts idle
        Building,   // Command1_Click running a build
        Closing,    // a close asked during start-up or a build: it waits for
                    // start-up to end, abandons the build, then closes
        Closed,     // the profile is written; later close events change nothing
    };
    Phase m_phase = Phase::Idle;
    QElapsedTimer m_sinceTurn;
    // Tick changes in a batch (Select All, Select None, the start-up's
    // re-ticking): the label is set once at the end, and files that could
    // not be measured or cannot be stored are reported in one message.
    int m_batch = 0;
    bool m_batchCounted = false;
    QStringList m_unmeasured;
    QStringList m_unstorable;
    QStringList m_linksOut; // "link" -> "target"
    // The project's rows, walked from the moment the window is made.
    std::future<wf::Walked> m_walk;
    // The start-up's ticks, by list row, measured before they are ticked.
    QHash<int, wf::RowMeasure> m_measuredAhead;
};
