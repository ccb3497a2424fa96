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

void Form1::Command1_Click()
{
    // One build at a time, and none before the list is filled.
    if (m_building || m_loading)
        return;
    m_building = true;
    m_abandon = false;
    Command1->setText(QStringLiteral("Please Wait.."));
    List1->setEnabled(false);
    m_sinceTurn.start();
    QCoreApplication::processEvents();

    const QString error = m_abandon ? QString() : buildPack();
    if (!error.isEmpty())
        wf::showMessage(this, error);

    List1->setEnabled(true);
    Command1->setText(QStringLiteral("Create Pak File"));
    m_building = false;
    if (m_closePending)
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

QString Form1::buildPack()
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
    hooks.stop = [&] { return m_abandon; };
    const wf::BuildResult result = wf::runBuild(plan, hooks);
    if (result.reachedEnd && List1->ListCount() > 0)
        List1->setListIndex(List1->ListCount() - 1);
    return result.message.join(QStringLiteral("\n\n"));
}
