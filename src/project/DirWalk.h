#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <future>

namespace wf {

// One directory's entries as the walk needs them: full paths of its
// subdirectories and the names of its ordinary files. Returns false when the
// directory cannot be read; the walk then skips it.
struct DirListing {
    QString filePrefix;  // set by the caller: put before each file's name
    QStringList subdirs; // full paths
    QStringList files;   // filePrefix + name
    QStringList links;   // those of `files` that are symbolic links
};
using DirLister = std::function<bool(const QString &dir, DirListing &out)>;

// The lister the program uses: hidden entries (leading dot) are neither
// listed nor entered, links to directories are not followed, links to files
// are listed as files.
bool listDirectory(const QString &dir, DirListing &out);

// Appends to `rows` one row text for every file at or below `currDir`,
// relative to `projectDir`, in no particular order (the list sorts them).
// Unreadable directories are skipped. Directories are read by as many
// threads as the machine has cores (at most four), so `lister` must be safe
// to call from several threads at once. `links`, when given, gets the rows
// that are symbolic links, which only they need a closer look for.
void DirWalk(const QString &currDir, const QString &projectDir,
             QStringList &rows, const DirLister &lister = listDirectory, QStringList *links = nullptr);

// DirWalk of `dir` (relative to itself) on a thread of its own while the
// caller goes on; get() gives the rows and links (walked then, on the
// caller's thread, when no thread can be had).
struct Walked {
    QStringList rows;
    QStringList links;
};
std::future<Walked> walkAhead(const QString &dir);

} // namespace wf
