#pragma once
// A scratch project directory that is the current directory while it lives.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

class ScratchProject {
public:
    ScratchProject() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~ScratchProject() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }
    // Creates a file and its folders; `rel` uses '/' separators.
    void write(const QString &rel, const QByteArray &bytes) const
    {
        const QString full = QDir(path()).filePath(rel);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(full));
    }
    QByteArray read(const QString &rel) const
    {
        QFile f(QDir(path()).filePath(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists(const QString &rel) const { return QFileInfo::exists(QDir(path()).filePath(rel)); }
    // Every file in the project root, hidden ones too (to spot leftovers).
    QStringList rootEntries() const { return QDir(path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
