#include "app/Form1.h"
#include "app/Artwork.h"
#include "app/Fonts.h"
#include "app/MessageBox.h"
#include "app/NumberRule.h"
#include "app/Profile.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "options/HexVal.h"
#include "options/InitLine.h"
#include "options/NewKey.h"
#include "options/RandomSource.h"
#include "pack/ExeAppend.h"
#include "pack/PackWriter.h"
#include "project/DirWalk.h"
#include "project/PackSize.h"
#include "project/PathFunctions.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>

namespace {

const QString kPackName = QStringLiteral("Data.Pak");
const QString kExeNotFound = QStringLiteral(".exe file not found. Quildex Created instead...");

// Window coordinates are designed in twips; 15 twips are one logical pixel.
QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

template <class W>
W *place(W *w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left, top, width, height));
    return w;
}

QLabel *label(const QString &caption, QWidget *parent, bool boldVerdana)
{
    auto *l = new QLabel(caption, parent);
    if (boldVerdana)
        l->setFont(wf::uiFont(QStringLiteral("Verdana"), 8.25, true));
    return l;
}

QPushButton *button(const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLineEdit *keyBox(const QString &text, QWidget *parent)
{
    auto *e = new QLineEdit(text, parent);
    e->setMaxLength(10);
    e->setAlignment(Qt::AlignCenter);
    e->setFont(wf::keyBoxFont(9));
    return e;
}

// Events run once per row during a build, but repainting the list for every
// row would cost far more than packing it; it repaints at most every 50 ms.
class ThrottledRepaint {
public:
    explicit ThrottledRepaint(QWidget *widget) : m_widget(widget) { m_clock.start(); }
    ~ThrottledRepaint() { m_widget->setUpdatesEnabled(true); }
    void beforeTurn()
    {
        const bool paint = m_clock.elapsed() >= 50;
        if (paint)
            m_clock.restart();
        m_widget->setUpdatesEnabled(paint);
    }

private:
    QWidget *m_widget;
    QElapsedTimer m_clock;
};

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent), clock(wf::secondsSinceMidnight), m_projectDir(QDir::currentPath())
{
    createControls();
    wireEvents();
    Timer1->start();
}

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Wrenfold - By Korvane Software"));
    setWindowIcon(wf::windowIcon());
    setFont(wf::defaultWindowFont());
    setFixedSize(twips(0, 0, 9525, 6000).size());

    Image2 = place(new QLabel(this), 60, 270, 3195, 900);
    Image2->setPixmap(wf::bannerPixmap());

    List1 = place(new TickList(this), 3300, 120, 6150, 4560);

    Label1 = place(label(QStringLiteral("Pack Size: 0 Kb"), this, true), 3360, 4740, 4905, 315);
    Command2 = place(button(QStringLiteral("Select All"), this), 7020, 4770, 1200, 345);
    Command3 = place(button(QStringLiteral("Select None"), this), 8220, 4770, 1200, 345);

    Command1 = place(button(QStringLiteral("Create Pak Archive"), this), 150, 4620, 3045, 405);
    QPalette yellow = Command1->palette();
    yellow.setColor(QPalette::Button, QColor(255, 255, 0));
    yellow.setColor(QPalette::ButtonText, Qt::black);
    Command1->setPalette(yellow);

    Frame1 = place(new QGroupBox(QStringLiteral("Security Options"), this), 150, 1455, 3075, 1905);
    Check1 = place(new TickBox(QStringLiteral("Secure my Data with Encryption"), Frame1), 120, 210, 2565, 345);
    Label3 = place(label(QStringLiteral("32 Bit Encryption Key"), Frame1, true), 420, 540, 2295, 225);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setEnabled(false);
    Label5 = place(label(QStringLiteral("Basic Key:"), Frame1, true), 375, 840, 1065, 315);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text2 = place(keyBox(QStringLiteral("5D5D5D5D"), Frame1), 1560, 780, 1155, 285);
    Label6 = place(label(QStringLiteral("Header Mask:"), Frame1, true), 120, 1125, 1320, 315);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text3 = place(keyBox(QStringLiteral("5B19C7E4"), Frame1), 1560, 1095, 1155, 285);
    Command4 = place(button(QStringLiteral("Create New Encryption Key"), Frame1), 360, 1440, 2340, 330);
    Command4->setFont(wf::uiFont(QStringLiteral("Arial"), 8.25, false));
    Command4->setEnabled(false);

    Frame3 = place(new QGroupBox(QStringLiteral("Executable Packing Options"), this), 150, 3375, 3075, 1155);
    Check2 = place(new TickBox(QStringLiteral("Append Data to the .EXE File"), Frame3), 120, 240, 2865, 345);
    Label2 = place(label(QStringLiteral("Filename:"), Frame3, true), 120, 705, 1065, 315);
    Text1 = place(new QLineEdit(QStringLiteral("Mygame.exe"), Frame3), 1155, 645, 1815, 285);
    Text1->setEnabled(false);

    Frame2 = place(new QGroupBox(QStringLiteral("Initialisation Code"), this), 60, 5100, 9375, 555);
    Text4 = place(new QLineEdit(QStringLiteral("PakInit(myfile$, mykey, APND$, headermask)"), Frame2),
                  120, 210, 9135, 285);
    Text4->setAlignment(Qt::AlignCenter);

    Label4 = place(label(QStringLiteral("Project"), this, true), 15, 5700, 9465, 285);
    Label4->setFrameStyle(QFrame::Box | QFrame::Plain);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    for (QWidget *w : {static_cast<QWidget *>(List1), static_cast<QWidget *>(Command1), static_cast<QWidget *>(Command2),
                       static_cast<QWidget *>(Command3), static_cast<QWidget *>(Check1), static_cast<QWidget *>(Text2),
                       static_cast<QWidget *>(Command4), static_cast<QWidget *>(Text3), static_cast<QWidget *>(Text1),
                       static_cast<QWidget *>(Check2), static_cast<QWidget *>(Text4)})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Check1);
    setTabOrder(Check1, Text2);
    setTabOrder(Text2, Command4);
    setTabOrder(Command4, Text3);
    setTabOrder(Text3, Text1);
    setTabOrder(Text1, Check2);
    setTabOrder(Check2, Text4);
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

// ---- Start-up and shut-down ----

void Form1::Form_Load()
{
    m_loading = true;
    show();
    List1->setFocus();

    bool walked = false;
    if (!restoreFromProfile(walked)) {
        // Recovery: keep what was applied, but still list the project.
        QCoreApplication::processEvents();
        if (!walked)
            DirWalk(QStringLiteral("*.*"), m_projectDir);
    }
    Label4->setText(QStringLiteral(" Project Directory: ") + QDir::toNativeSeparators(m_projectDir));
    initline();
    m_loading = false;

    // A close asked for while starting waits until the list and ticks are
    // complete, so the profile written on closing loses nothing.
    if (m_closePending)
        close();
}

bool Form1::restoreFromProfile(bool &walked)
{
    QFile file(QDir(m_projectDir).filePath(QString::fromLatin1(wf::kProfileName)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = wf::readProfileLines(file.readAll());
    file.close();

    // Line 1 is the header. Each further line is applied as soon as it is
    // read; a missing or unreadable one ends the restoring there.
    const auto tick = [](TickBox *box) {
        return [box](const QString &line) {
            const std::optional<int> value = wf::tickValueFromLine(line);
            if (value)
                box->setValue(*value);
            return value.has_value();
        };
    };
    const auto text = [](QLineEdit *box) {
        return [box](const QString &line) {
            box->setText(line);
            return true;
        };
    };
    const std::function<bool(const QString &)> apply[] = {tick(Check1), tick(Check2), text(Text2), text(Text1),
                                                          text(Text3)};
    for (int i = 0; i < 5; ++i)
        if (i + 1 >= lines.size() || !apply[i](lines[i + 1]))
            return false;

    QCoreApplication::processEvents();
    DirWalk(QStringLiteral("*.*"), m_projectDir);
    walked = true;

    // Profile lines match rows by their upper-cased text; every match ticks.
    QHash<QString, QVector<int>> rowsByName;
    rowsByName.reserve(List1->ListCount());
    for (int i = 0; i < List1->ListCount(); ++i)
        rowsByName[List1->List(i).toUpper()].append(i);
    for (int l = 6; l < lines.size(); ++l) {
        const auto it = rowsByName.constFind(lines[l].toUpper());
        if (it == rowsByName.constEnd())
            continue;
        for (int row : *it)
            List1->setSelected(row, true);
    }
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_loading) {
        m_closePending = true;
        event->ignore();
        return;
    }
    if (m_building) {
        // Abandon the build at the next row; the earlier pack stays as it was.
        m_abandon = true;
        m_closePending = true;
        event->ignore();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        Form_Unload();
    }
    event->accept();
}

void Form1::Form_Unload()
{
    wf::ProfileData data;
    data.check1 = Check1->Value();
    data.check2 = Check2->Value();
    data.basicKey = Text2->text();
    data.exeName = Text1->text();
    data.headerMask = Text3->text();
    for (int i = 0; i < List1->ListCount(); ++i)
        if (List1->Selected(i))
            data.rows << List1->List(i);
    const QString error =
        wf::writeProfile(QDir(m_projectDir).filePath(QString::fromLatin1(wf::kProfileName)), data);
    // Closing goes ahead either way; the earlier profile is still whole.
    if (!error.isEmpty())
        wf::showMessage(this, error);
}

// ---- Project files ----

void Form1::DirWalk(const QString &sPattern, const QString &CurrDir)
{
    QStringList rows;
    wf::DirWalk(sPattern, CurrDir, m_projectDir, rows);
    List1->AddItems(rows);
}

void Form1::List1_ItemCheck(int index)
{
    const QString row = List1->List(index);
    const QString name = wf::isolatename(row.toUpper());
    const QString exe = Text1->text().toUpper();
    if (name == QLatin1String("DATA.PAK") || name == exe) {
        List1->setSelected(index, false);
        return;
    }
    const bool ticked = List1->Selected(index);
    const QFileInfo file(wf::nativePath(row, m_projectDir));
    if (!file.exists() || file.isDir()) {
        // The row keeps its tick; the total counts only what could be measured.
        m_unmeasured << row;
        if (m_batch == 0)
            reportUnmeasured();
        return;
    }
    m_total += ticked ? file.size() : -file.size();
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
    if (!m_unmeasured.isEmpty())
        reportUnmeasured();
}

void Form1::reportUnmeasured()
{
    const QStringList names = std::exchange(m_unmeasured, {});
    const int shown = qMin(int(names.size()), 20);
    QString text = names.size() == 1
                       ? QStringLiteral("This file no longer exists, so the pack size does not count it:")
                       : QStringLiteral("%1 files no longer exist, so the pack size does not count them:")
                             .arg(names.size());
    text += QStringLiteral("\n\n") + names.mid(0, shown).join(QLatin1Char('\n'));
    if (names.size() > shown)
        text += QStringLiteral("\n... and %1 more").arg(names.size() - shown);
    wf::showMessage(this, text);
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
    const QString file = Check2->Value() == 1 ? Text1->text() : kPackName;
    const bool encrypted = Check1->Value() == 1;
    const QString line = wf::buildInitLine(file, encrypted, Text2->text(), Text3->text());
    // Setting the same text would drop the user's selection every second.
    if (Text4->text() != line)
        Text4->setText(line);
}

// ---- The pack ----

void Form1::Command1_Click()
{
    // One build at a time, and none before the list is filled.
    if (m_building || m_loading)
        return;
    m_building = true;
    m_abandon = false;
    Command1->setText(QStringLiteral("Please Wait.."));
    List1->setEnabled(false);
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

QString Form1::buildPack()
{
    wf::PackKey key;
    key.encrypted = Check1->Value() == 1;
    key.mask = key.encrypted ? wf::headerMask(Text3->text()) : 0;
    if (key.encrypted)
        key.bytes = wf::keyBytes(Text2->text());

    if (List1->rows().selectedCount() > wf::kMaxPackFiles)
        return QStringLiteral("%1 files are ticked, but a pack holds at most %2.\n\n%3 was not changed.")
            .arg(QLocale(QLocale::English).toString(List1->rows().selectedCount()),
                 QLocale(QLocale::English).toString(wf::kMaxPackFiles), kPackName);

    // The old pack is replaced only when the new one is complete.
    const QString packPath = QDir(m_projectDir).filePath(kPackName);
    QSaveFile out(packPath);
    // Unbuffered: a buffered tail that fails to flush can still be committed.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("Cannot create %1: %2").arg(kPackName, out.errorString());
    wf::PackWriter writer(out, kPackName, key, wf::RandomSource::shared());
    if (!writer.begin())
        return writer.errorString();

    ThrottledRepaint repaint(List1);
    for (int i = 0; i < List1->ListCount(); ++i) {
        List1->setListIndex(i);
        repaint.beforeTurn();
        QCoreApplication::processEvents();
        if (m_abandon)
            return {};
        if (!List1->Selected(i))
            continue;
        const QString row = List1->List(i);
        if (!writer.addMember(row, wf::nativePath(row, m_projectDir)))
            return writer.errorString() + QStringLiteral("\n\n%1 was not changed.").arg(kPackName);
    }
    if (!writer.finish())
        return writer.errorString() + QStringLiteral("\n\n%1 was not changed.").arg(kPackName);
    if (!out.commit())
        return QStringLiteral("Cannot write %1: %2\n\n%1 was not changed.").arg(kPackName, out.errorString());

    if (Check2->Value() != 1)
        return {};
    const QString exeName = Text1->text();
    const QString exePath = wf::nativePath(exeName, m_projectDir);
    if (!QFileInfo(exePath).isFile()) {
        wf::showMessage(this, kExeNotFound);
        return {};
    }
    return wf::appendPackToExecutable(exePath, exeName, packPath, key.mask);
}
