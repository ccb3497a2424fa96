#include "project/DirWalk.h"
#include "platform/FileSystem.h"
#include "project/PathFunctions.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace wf {

namespace {
// A row text joins names with backslashes, so a name holding one could not
// be told apart from a path; and a name whose bytes are not UTF-8 decodes
// lossily and could not be opened again. Both are left out.
bool decodeName(QByteArrayView raw, QString &name)
{
    // Plain ASCII, by far the most common, needs no decoder.
    bool ascii = true;
    for (char c : raw)
        ascii = ascii && quint8(c) < 0x80 && c != '\\';
    if (ascii) {
        name = QString::fromLatin1(raw);
        return true;
    }
    name = QFile::decodeName(raw.toByteArray());
    return !name.contains(QLatin1Char('\\')) && QFile::encodeName(name) == raw;
}
} // namespace

bool listDirectory(const QString &dir, const QString &pattern, DirListing &out)
{
    // "*.*" means every name, with or without a point.
    const bool all = pattern == QLatin1String("*.*");
    const QRegularExpression match(all ? QString() : QRegularExpression::wildcardToRegularExpression(pattern));
    const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    return platform::readDirectory(QFile::encodeName(dir), [&](QByteArrayView raw, bool isDir) {
        QString name;
        if (!decodeName(raw, name))
            return;
        if (isDir)
            out.subdirs.append(base + name);
        else if (all || match.match(name).hasMatch())
            out.files.append(std::move(name));
    });
}

void DirWalk(const QString &sPattern, const QString &currDir, const QString &projectDir,
             QStringList &rows, const DirLister &lister)
{
    DirListing listing;
    if (!lister(currDir, sPattern, listing))
        return; // an unreadable directory costs its own rows, not the rest of the walk

    for (const QString &sub : std::as_const(listing.subdirs))
        DirWalk(sPattern, sub, projectDir, rows, lister);

    // Every row of this directory shares its relative prefix.
    const QString base = currDir.endsWith(QLatin1Char('/')) ? currDir : currDir + QLatin1Char('/');
    QString prefix = relpath(base + QLatin1Char('x'), projectDir);
    prefix.chop(1);
    for (const QString &name : std::as_const(listing.files))
        rows.append(prefix + name);
}

} // namespace wf
