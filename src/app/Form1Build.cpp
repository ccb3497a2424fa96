// "Create Pak Archive": the core's build run with the window's turns, and
// its outcome shown.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "pack/BuildRun.h"
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

void Form1::Command1_Click()
{
    // One build at a time, none before the list is filled, none once closing.
    if (m_phase != Phase::Idle)
        return;
    m_phase = Phase::Building;
    Command1->setText(QStringLiteral("Please Wait.."));
    List1->setEnabled(false);
    m_sinceTurn.start();
    QCoreApplication::processEvents();

    // A close during that first turn abandons the build before it starts.
    if (m_phase == Phase::Building) {
        const wf::BuildResult result = buildPack();
        if (!result.message.isEmpty())
            wf::showMessage(this, result.message.join(QStringLiteral("\n\n")));
    }

    List1->setEnabled(true);
    // Not the design's "Create Pak Archive": from the first build on, the
    // button keeps this caption for the rest of the session, as it always
    // has, and instructions written for the tool name it both ways.
    Command1->setText(QStringLiteral("Create Pak File"));
    if (std::exchange(m_phase, Phase::Idle) == Phase::Closing)
        close();
}

// Lets the window run when `turnIntervalMs` have passed since the last turn:
// the list's current row follows the build, clicks, the timer and a close
// are handled.
void Form1::buildTurn(int row)
{
    if (m_sinceTurn.elapsed() < turnIntervalMs)
        return;
    List1->setListIndex(row);
    QCoreApplication::processEvents();
    m_sinceTurn.restart();
    if (onBuildTurn)
        onBuildTurn();
}

wf::BuildResult Form1::buildPack()
{
    // The key is read once, here; changes during the build count from the
    // next. The rows' ticks and the append options are read when the build
    // reaches them.
    wf::BuildPlan plan;
    plan.key = wf::packKeyOf(Check1->Value() == 1, Text2->text(), Text3->text());
    plan.rows = List1->rows().texts();
    const auto readAppendOptions = [&] {
        plan.append = Check2->Value() == 1;
        plan.exeName = Text1->text();
    };
    readAppendOptions();
    wf::BuildHooks hooks;
    // The turn comes before a row's tick is read, so Select All or Select
    // None clicked meanwhile decides that row.
    hooks.ticked = [&](int row) { return List1->Selected(row); };
    hooks.turn = [&](const wf::BuildProgress &at) {
        buildTurn(at.row);
        readAppendOptions();
    };
    hooks.stop = [&] { return m_phase == Phase::Closing; };
    const wf::BuildResult result = wf::runBuild(plan, hooks);
    if (result.reachedEnd && List1->ListCount() > 0)
        List1->setListIndex(List1->ListCount() - 1);
    return result;
}
