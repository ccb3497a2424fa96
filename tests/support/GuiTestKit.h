#pragma once
// The real window in a scratch project, a recorder in place of modal
// message boxes, and ways to reach the list's rows.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/PackTestUtil.h"
#include "support/ScratchProject.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <utility>

struct MessageRecorder {
    MessageRecorder() { wf::setMessageSink([this](const QString &text) { messages << text; }); }
    ~MessageRecorder() { wf::setMessageSink({}); }
    QStringList messages;
};

inline int rowOf(Form1 &f, const QString &text)
{
    for (int i = 0; i < f.List1->ListCount(); ++i)
        if (f.List1->List(i) == text)
            return i;
    return -1;
}

inline void clickTick(Form1 &f, int row)
{
    f.List1->scrollTo(f.List1->rows().index(row));
    QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, f.List1->tickRect(row).center());
}

inline QStringList tickedRows(Form1 &f)
{
    QStringList out;
    for (int i = 0; i < f.List1->ListCount(); ++i)
        if (f.List1->Selected(i))
            out << f.List1->List(i);
    return out;
}

// A scratch project with these files (path with '/', content), and the real
// window loaded in it by load(): a new window each time, as if started again.
class LoadedWindow {
public:
    LoadedWindow(std::initializer_list<std::pair<QString, QByteArray>> files = {})
    {
        for (const auto &[rel, bytes] : files)
            project.write(rel, bytes);
    }
    ~LoadedWindow() { m_form.reset(); }
    ScratchProject project;
    MessageRecorder recorder;
    Form1 &load()
    {
        m_form.reset();
        m_form = std::make_unique<Form1>();
        m_form->Form_Load();
        return *m_form;
    }
    Form1 &form() { return *m_form; }
    QStringList members(const char *file = "Data.Pak", const char *key = nullptr, const char *mask = nullptr) const
    {
        return readback::members(project.read(file), key, mask);
    }
    QStringList files(const QStringList &rows) const { return readback::files(project.path(), rows); }

private:
    std::unique_ptr<Form1> m_form;
};
