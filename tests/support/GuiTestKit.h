#pragma once
// Shared by the tests that drive the real window: a scratch project
// directory that is the current directory while it lives, and a recorder
// that takes the place of modal message boxes.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class Form1;

class ScratchProject {
public:
    ScratchProject();
    ~ScratchProject();
    QString path() const { return m_dir.path(); }
    // Creates a file (and its folders); `rel` uses '/' separators.
    void write(const QString &rel, const QByteArray &bytes) const;
    QByteArray read(const QString &rel) const;
    bool exists(const QString &rel) const;
    // Every file name in the project root (to spot leftover temporary files).
    QStringList rootEntries() const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Messages shown while it lives are recorded here instead of blocking.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList messages;
};

// The row index of `text` in the window's list, or -1.
int rowOf(Form1 &form, const QString &text);
// Clicks a row's tick box with the mouse.
void clickTick(Form1 &form, int row);
// The texts of the ticked rows, in list order.
QStringList tickedRows(Form1 &form);
