// "Create Pak Archive": the row loop over the core's pack build.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "options/RandomSource.h"
#include "pack/BuildPlan.h"
#include "pack/PackFile.h"
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
// are handled. Returns false when the build is to be abandoned.
bool Form1::buildTurn(int row)
{
    if (m_sinceTurn.elapsed() < turnIntervalMs)
        return !m_abandon;
    List1->setListIndex(row);
    QCoreApplication::processEvents();
    m_sinceTurn.restart();
    if (onBuildTurn)
        onBuildTurn();
    return !m_abandon;
}

QString Form1::buildPack()
{
    // The options are read once, here; changes during the build count from the next.
    const bool encrypted = Check1->Value() == 1;
    const wf::PackKey key = wf::packKeyOf(encrypted, Text2->text(), Text3->text());

    QString error;
    if (!wf::checkTickedCount(List1->rows().selectedCount(), error))
        return wf::packKeptMessage(error);
    wf::PackFile pack(key, wf::RandomSource::shared());
    int row = 0;
    pack.yield = [&] { return buildTurn(row); };
    if (!pack.open(error))
        return wf::packKeptMessage(error);
    for (; row < List1->ListCount(); ++row) {
        // The turn comes before the tick is read, so Select All or Select
        // None clicked meanwhile decides this row.
        if (!buildTurn(row))
            return {};
        if (List1->Selected(row) && !pack.add(List1->List(row), error))
            return m_abandon ? QString() : wf::packKeptMessage(error);
    }
    if (List1->ListCount() > 0)
        List1->setListIndex(List1->ListCount() - 1);
    if (!pack.commit(error))
        return wf::packKeptMessage(error);

    if (Check2->Value() != 1)
        return {};
    switch (wf::appendToExecutable(Text1->text(), key.mask, error)) {
    case wf::AppendOutcome::Appended:
        return {};
    case wf::AppendOutcome::ExecutableNotFound:
        return QString::fromLatin1(wf::kExeNotFoundMessage);
    case wf::AppendOutcome::Failed:
        break;
    }
    return error;
}
