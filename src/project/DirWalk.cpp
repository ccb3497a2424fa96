#include "project/DirWalk.h"
#include "project/PathFunctions.h"
#include <QDirIterator>
#include <QFileInfo>

namespace wf {

namespace {
// A row text joins names with backslashes, so a name that holds one could
// not be told apart from a path and is left out. A name the file system gave
// as bytes that are not UTF-8 decodes lossily and could not be opened again.
bool representable(const QString &name, const QString &fullPath)
{
    if (name.contains(QLatin1Char('\\')))
        return false;
    if (name.contains(QChar::ReplacementCharacter))
        return QFileInfo::exists(fullPath);
    return true;
}
} // namespace

bool listDirectory(const QString &dir, const QString &pattern, DirListing &out)
{
    const QFileInfo info(dir);
    if (!info.isDir() || !info.isReadable())
        return false;

    // No QDir::Hidden (dot names stay out) and no QDir::System (broken links
    // stay out). AllDirs keeps a name filter from hiding subdirectories.
    // "*.*" means every name, with or without a point, so it sets no filter.
    const QDir::Filters filters = QDir::Dirs | QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot;
    const QStringList nameFilters = pattern == QLatin1String("*.*") ? QStringList() : QStringList(pattern);
    QDirIterator it(dir, nameFilters, filters);
    // The entry types come from the directory read itself; only links cost
    // an extra look-up, to see what they point at.
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        const QString name = entry.fileName();
        if (entry.isDir()) {
            // Links to directories are not followed: they could lead in a circle.
            if (!entry.isSymLink() && representable(name, entry.filePath()))
                out.subdirs.append(entry.filePath());
        } else if (representable(name, entry.filePath())) {
            out.files.append(name);
        }
    }
    return true;
}

void DirWalk(const QString &sPattern, const QString &currDir, const QString &projectDir,
             QStringList &rows, const DirLister &lister)
{
    DirListing listing;
    if (!lister(currDir, sPattern, listing))
        return; // an unreadable directory costs its own rows, not the rest of the walk

    for (const QString &sub : std::as_const(listing.subdirs))
        DirWalk(sPattern, sub, projectDir, rows, lister);

    const bool rooted = currDir.endsWith(QLatin1Char('/')) || currDir.endsWith(QLatin1Char('\\'));
    const QString base = rooted ? currDir : currDir + QLatin1Char('/');
    for (const QString &name : std::as_const(listing.files))
        rows.append(relpath(base + name, projectDir));
}

} // namespace wf
