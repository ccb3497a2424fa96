#pragma once
// Shared by the tests that drive the real window: a scratch project
// directory that is the current directory while it lives, a recorder that
// takes the place of modal message boxes, and ways to reach the list's rows.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickList.h"
#include "support/ScratchProject.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

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

// A scratch project and the real window loaded in it: write the project's
// files, then load(). The window goes before the project does.
class LoadedWindow {
public:
    ScratchProject project;
    MessageRecorder recorder;
    Form1 &load()
    {
        m_form = std::make_unique<Form1>();
        m_form->Form_Load();
        return *m_form;
    }
    Form1 &form() { return *m_form; }
    ~LoadedWindow() { m_form.reset(); }

private:
    std::unique_ptr<Form1> m_form;
};
