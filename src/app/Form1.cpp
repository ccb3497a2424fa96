// The window's event wiring and its option and tick handlers.
#include "app/Form1.h"
#include "app/ListMenu.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "options/HexVal.h"
#include "options/InitLine.h"
#include "options/NewKey.h"
#include "options/RandomSource.h"
#include "platform/FileSystem.h"
#include "project/DirWalk.h"
#include "project/PackSize.h"
#include "project/PathFunctions.h"
#include "project/ProjectFiles.h"
#include "project/RowMeasure.h"
#include "project/RowRules.h"
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

Form1::Form1(QWidget *parent) : QWidget(parent), clock(wf::secondsSinceMidnight)
{
    // The walk only reads directories: it runs while the controls are made,
    // the profile applied and the window first painted, and Form_Load takes
    // its rows.
    m_walk = wf::walkAhead(QString::fromLatin1(wf::kProjectDir));
    createControls();
    wireEvents();
    new wf::ListMenu(this); // the list's context menu; the window owns it
    Timer1->start();
}

void Form1::wireEvents()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Check1, &QCheckBox::stateChanged, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::stateChanged, this, &Form1::Check2_Click);
    connect(List1, &TickList::itemCheck, this, &Form1::List1_ItemCheck);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Label6->installEventFilter(this);
    Text2->installEventFilter(this);
    Text3->installEventFilter(this);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty()) {
        // Runs before the box takes the key, so the line shows the text as it was.
        if (watched == Text2)
            Text2_KeyPress();
        else if (watched == Text3)
            Text3_KeyPress();
    } else if (event->type() == QEvent::MouseButtonRelease && watched == Label6) {
        Label6_Click();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Project files ----

void Form1::List1_ItemCheck(int index)
{
    const QString row = List1->List(index);
    wf::Refusal refusal = wf::refusalByName(row, Text1->text());
    // One lstat both measures the file and tells a link out of the project;
    // the start-up's ticks were measured while the list filled.
    wf::RowMeasure m;
    if (refusal == wf::Refusal::None)
        m = m_measuredAhead.contains(index) ? m_measuredAhead.take(index) : wf::measureRow(row);
    if (m.kind == wf::platform::Measured::LinkOutside)
        refusal = wf::Refusal::LinkOutside;
    if (refusal != wf::Refusal::None) {
        if (refusal == wf::Refusal::LinkOutside && List1->Selected(index)) {
            m_linksOut << wf::quotedName(row) + QStringLiteral(" -> ") + wf::quotedName(QFile::decodeName(m.target));
            if (m_batch == 0)
                reportTickProblems();
        }
        if (refusal == wf::Refusal::Unstorable && List1->Selected(index)) {
            m_unstorable << row;
            if (m_batch == 0)
                reportTickProblems();
        }
        List1->setSelected(index, false);
        return;
    }
    const bool ticked = List1->Selected(index);
    if (m.kind == wf::platform::Measured::Unmeasured) {
        // The row keeps its tick; the total counts only what could be measured.
        m_unmeasured << row;
        if (m_batch == 0)
            reportTickProblems();
        return;
    }
    m_total += ticked ? m.size : -m.size;
    if (m_batch > 0)
        m_batchCounted = true;
    else
        refreshPackSizeLabel();
}

void Form1::refreshPackSizeLabel()
{
    Label1->setText(wf::packSizeCaption(m_total));
}

void Form1::setAllTicks(bool ticked)
{
    tickBatch([&] {
        for (int i = 0; i < List1->ListCount(); ++i)
            List1->setSelected(i, ticked);
    });
}

void Form1::setTicks(const QVector<int> &rows, bool ticked)
{
    tickBatch([&] {
        for (int i : rows)
            List1->setSelected(i, ticked);
    });
}

void Form1::tickBatch(const std::function<void()> &change)
{
    ++m_batch;
    change();
    --m_batch;
    if (m_batch > 0)
        return;
    if (std::exchange(m_batchCounted, false))
        refreshPackSizeLabel();
    reportTickProblems();
}

void Form1::reportTickProblems()
{
    // One message per kind of problem: its heading for one name or many, at
    // most 20 names, so a message about 100,000 rows still fits the screen,
    // and what to do about it.
    const auto report = [this](QStringList &pending, const QString &one, const QString &many, const QString &advice) {
        if (pending.isEmpty())
            return;
        const QStringList names = std::exchange(pending, {});
        const int shown = qMin(int(names.size()), 20);
        QString text = (names.size() == 1 ? one : many.arg(names.size())) + QStringLiteral("\n\n")
                       + names.mid(0, shown).join(QLatin1Char('\n'));
        if (names.size() > shown)
            text += QStringLiteral("\n... and %1 more").arg(names.size() - shown);
        wf::showMessage(this, text + advice);
    };
    for (QString &name : m_unstorable)
        name = wf::shownText(name); // shown, not obeyed
    report(m_unstorable, QStringLiteral("This file cannot be ticked:"), QStringLiteral("%1 files cannot be ticked:"),
           QStringLiteral("\n\nA name holding a carriage return or a line feed cannot be stored in the pack's index "
                          "or in the profile. Rename the file to pack it."));
    report(m_linksOut, QStringLiteral("This link cannot be ticked:"), QStringLiteral("%1 links cannot be ticked:"),
           QStringLiteral("\n\nA symbolic link that leads outside the project directory is never packed, so a "
                          "project from someone else cannot ship a private file. Copy the file into the project "
                          "to pack it."));
    report(m_unmeasured, QStringLiteral("This file no longer exists, so the pack size does not count it:"),
           QStringLiteral("%1 files no longer exist, so the pack size does not count them:"), QString());
}

void Form1::Command2_Click() { setAllTicks(true); }
void Form1::Command3_Click() { setAllTicks(false); }

// ---- Options ----

void Form1::focusList()
{
    if (List1->isEnabled() && List1->isVisible())
        List1->setFocus();
}

void Form1::Check1_Click()
{
    // A Basic Key of fewer than eight digits leaves its last key bytes 0, and
    // XOR with 0 would leave those bytes of every four in plain sight: a new
    // key and mask replace it whichever way the box is clicked.
    if (Text2->text().length() < 8)
        Command4_Click();
    const bool on = Check1->Value() == 1;
    Text2->setEnabled(on);
    Text3->setEnabled(on);
    Label3->setEnabled(on);
    Command4->setEnabled(on);
    initline();
    focusList();
}

void Form1::Command4_Click()
{
    const wf::NewKey key = wf::makeNewKey(wf::RandomSource::shared(), clock);
    Text2->setText(key.basicKey);
    Text3->setText(key.headerMask);
    initline();
}

void Form1::Label6_Click()
{
    wf::showMessage(this, QString::number(wf::hexval(Text3->text())));
}

void Form1::Text2_KeyPress() { initline(); }
void Form1::Text3_KeyPress() { initline(); }

void Form1::Check2_Click()
{
    Text1->setEnabled(Check2->Value() == 1);
    initline();
    focusList();
}

void Form1::Text1_Change() { initline(); }
void Form1::Timer1_Timer() { initline(); }

void Form1::initline()
{
    const QString file = Check2->Value() == 1 ? Text1->text() : QString::fromLatin1(wf::kPackName);
    const bool encrypted = Check1->Value() == 1;
    const QString line = wf::buildInitLine(file, encrypted, Text2->text(), Text3->text());
    // Setting the same text would drop the user's selection every second.
    if (Text4->text() != line)
        Text4->setText(line);
}
