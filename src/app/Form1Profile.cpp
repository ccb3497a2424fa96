// Start-up and shut-down: the profile restored into the controls, the
// project walked into the list, and the profile written on closing.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "pack/BuildPlan.h"
#include "project/Profile.h"
#include "project/DirWalk.h"
#include "project/ProjectFiles.h"
#include "project/RowRules.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <utility>

void Form1::Form_Load()
{
    m_phase = Phase::StartingUp;
    show();
    List1->setFocus();
    applyProfile();
    Label4->setText(QStringLiteral(" Project Directory: ") + wf::projectDirForDisplay());
    initline();

    // A close asked for while starting waits until the list and ticks are
    // complete, so the profile written on closing loses nothing.
    if (std::exchange(m_phase, Phase::Idle) == Phase::Closing)
        close();
}

void Form1::applyProfile()
{
    // A missing profile, or one that is not a regular file, has every field
    // absent. The fields are applied in order, each at once (setting a tick
    // box runs its handler), until the first absent one.
    wf::Profile p;
    QString ignored; // no profile is a new project: nothing to tell
    wf::readProfile(QString::fromLatin1(wf::kProfileName), p, ignored);
    const std::function<bool()> steps[] = {
        [&] { return p.check1 && (Check1->setValue(*p.check1), true); },
        [&] { return p.check2 && (Check2->setValue(*p.check2), true); },
        [&] { return p.basicKey && (Text2->setText(*p.basicKey), true); },
        [&] { return p.exeName && (Text1->setText(*p.exeName), true); },
        [&] { return p.headerMask && (Text3->setText(*p.headerMask), true); },
    };
    std::all_of(std::begin(steps), std::end(steps), [](const auto &step) { return step(); });

    QCoreApplication::processEvents();
    // As DirWalk does, but the profile's rows are matched in the walk's own
    // order, where the texts lie in memory one after another: on 100,000
    // rows that is several times quicker than in the list's order. The
    // same rule picks the rows a build without a window packs.
    if (!m_walk.valid()) // loaded again: walked again
        m_walk = wf::walkAhead(QString::fromLatin1(wf::kProjectDir));
    QStringList walked = m_walk.get().rows;
    const QVector<int> named = wf::rowsTickedBy(p, walked);
    // Their files are measured on another thread while the list fills.
    QStringList namedRows;
    namedRows.reserve(named.size());
    for (int i : named)
        namedRows.append(walked[i]);
    auto measuring = wf::measureRowsAhead(namedRows);
    const QVector<int> landed = List1->AddItems(std::move(walked));
    std::vector<wf::RowMeasure> measured = measuring.get();
    // Rows are ticked again only from a complete profile, in list order; each
    // tick may be refused, as a click would be.
    QVector<int> ticks;
    ticks.reserve(named.size());
    for (qsizetype k = 0; k < named.size(); ++k) {
        ticks.append(landed[named[k]]);
        m_measuredAhead.insert(ticks.back(), std::move(measured[size_t(k)]));
    }
    std::sort(ticks.begin(), ticks.end());
    setTicks(ticks, true);
    m_measuredAhead.clear();
}

void Form1::closeEvent(QCloseEvent *event)
{
    switch (m_phase) {
    case Phase::StartingUp:
    case Phase::Building: // abandoned at its next turn; the earlier pack stays as it was
    case Phase::Closing:
        m_phase = Phase::Closing;
        event->ignore();
        return;
    case Phase::Idle:
        m_phase = Phase::Closed;
        Form_Unload();
        break;
    case Phase::Closed:
        break;
    }
    event->accept();
}

void Form1::Form_Unload()
{
    wf::Profile p;
    p.check1 = Check1->Value();
    p.check2 = Check2->Value();
    p.basicKey = Text2->text();
    p.exeName = Text1->text();
    p.headerMask = Text3->text();
    for (int i = 0; i < List1->ListCount(); ++i)
        if (List1->Selected(i))
            p.rows << List1->List(i);
    QString error;
    // Closing goes ahead either way; the earlier profile is still whole.
    if (!wf::writeProfile(QString::fromLatin1(wf::kProfileName), p, error))
        wf::showMessage(this, error);
}
