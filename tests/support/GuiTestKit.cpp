#include "support/GuiTestKit.h"
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickList.h"
#include <QFile>
#include <QFileInfo>
#include <QTest>

ScratchProject::ScratchProject() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

ScratchProject::~ScratchProject()
{
    QDir::setCurrent(m_previous);
}

void ScratchProject::write(const QString &rel, const QByteArray &bytes) const
{
    const QString full = QDir(path()).filePath(rel);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(full));
}

QByteArray ScratchProject::read(const QString &rel) const
{
    QFile f(QDir(path()).filePath(rel));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ScratchProject::exists(const QString &rel) const
{
    return QFileInfo::exists(QDir(path()).filePath(rel));
}

QStringList ScratchProject::rootEntries() const
{
    return QDir(path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

MessageRecorder::MessageRecorder()
{
    wf::setMessageSink([this](const QString &text) { messages << text; });
}

MessageRecorder::~MessageRecorder()
{
    wf::setMessageSink({});
}

int rowOf(Form1 &form, const QString &text)
{
    for (int i = 0; i < form.List1->ListCount(); ++i)
        if (form.List1->List(i) == text)
            return i;
    return -1;
}

void clickTick(Form1 &form, int row)
{
    form.List1->scrollTo(form.List1->rows().index(row));
    const QRect r = form.List1->tickRect(row);
    QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList tickedRows(Form1 &form)
{
    QStringList out;
    for (int i = 0; i < form.List1->ListCount(); ++i)
        if (form.List1->Selected(i))
            out << form.List1->List(i);
    return out;
}
