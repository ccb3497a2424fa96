#pragma once
// Shared by the tests that drive the real window: the window and its
// controls, a scratch project directory that is the current directory while
// it lives, a recorder that takes the place of modal message boxes, and ways
// to reach the list's rows.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickBox.h"
#include "app/TickList.h"
#include "support/ReadBack.h"
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

// A scratch project and the real window loaded in it: give the project's
// files (path with '/', content) or write them, then load(). The window goes
// before the project does.
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
    // A new window each time: a later load() is the program started again.
    Form1 &load()
    {
        m_form.reset();
        m_form = std::make_unique<Form1>();
        m_form->Form_Load();
        return *m_form;
    }
    Form1 &form() { return *m_form; }
    // The pack in `file` (stand-alone, or an executable carrying packs) as
    // the game reads it, "name=data" per member; compare with files().
    QStringList members(const char *file = "Data.Pak", const char *key = nullptr, const char *mask = nullptr) const
    {
        return readback::members(project.read(file), key, mask);
    }
    QStringList files(const QStringList &rows) const { return readback::files(project.path(), rows); }

private:
    std::unique_ptr<Form1> m_form;
};
