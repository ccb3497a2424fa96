#pragma once
// Reads a pack back the way a game does, through the game-side reader.
#include <wfpak/PakReader.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace readback {

// "name=data" for every entry in index order, or "error: ..." when the file
// does not read. `key` and `mask` are the texts the window's boxes hold;
// none for a plain pack. Works on a pack or an executable carrying one.
inline QStringList members(const QByteArray &file, const char *key = nullptr, const char *mask = nullptr)
{
    wfpak::MemorySource source(file.constData(), size_t(file.size()));
    wfpak::Pack pack;
    if (!pack.open(source, key ? wfpak::Key::fromTexts(key, mask) : wfpak::Key()))
        return {QStringLiteral("error: ") + QString::fromStdString(pack.errorText())};
    QStringList out;
    for (const wfpak::Entry &e : pack.entries()) {
        QByteArray data(qsizetype(e.size), Qt::Uninitialized);
        wfpak::ReadError why;
        if (!pack.read(e, data.data(), size_t(data.size()), &why))
            return {QStringLiteral("error: ") + QString::fromStdString(why.text)};
        out << QString::fromStdString(e.name) + QLatin1Char('=') + QString::fromLatin1(data);
    }
    return out;
}

// What members() must give for a pack of `rows` (named as the list shows
// them, backslashes between folders): each row's file under `dir` as it is.
inline QStringList files(const QString &dir, const QStringList &rows)
{
    QStringList out;
    for (const QString &row : rows) {
        QFile f(QDir(dir).filePath(QString(row).replace(QLatin1Char('\\'), QLatin1Char('/'))));
        const QString data = f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QStringLiteral("(unreadable)");
        out << row + QLatin1Char('=') + data;
    }
    return out;
}

} // namespace readback
