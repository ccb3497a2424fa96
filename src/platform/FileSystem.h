#pragma once
// The few file-system calls Qt does not offer. Everything else in the
// program goes through Qt; this header and its one source file are the only
// platform-specific code.
#include <QFile>
#include <QString>
#include <functional>

namespace wf::platform {

// Opens `path` for reading (or, with `forWriting`, for reading and writing
// without creating it) only when it is a regular file. The check is made on
// the opened handle, and the opening never blocks, so a named pipe or a
// device swapped in at the last moment is refused, not waited on. The file
// is opened unbuffered. On refusal `error` is the reason, e.g. "it is not a
// regular file".
bool openRegularFile(QFile &file, const QString &path, bool forWriting, QString &error);

// One directory's entries, names as raw bytes. Names starting with a dot
// are left out. Subdirectories are real ones (links to directories are not
// followed: they could lead in a circle); files are regular files and links
// to regular files; nothing else is listed. Read with one pass over the directory, asking the
// system about an entry only when the listing does not tell its type (links).
// `entry` gets each name (raw bytes, valid until it returns), whether it is
// a subdirectory and whether it is a symbolic link (to a file).
bool readDirectory(const QByteArray &path,
                   const std::function<void(QByteArrayView name, bool isDir, bool isLink)> &entry);

// What a tick finds at `path` (relative to the current directory): the
// size of the file it names (links followed), or a symbolic link leading
// out of the current directory (`target`, when given, gets where), or
// nothing measurable (no such file, or a directory). One system call for
// a file that is not a link.
enum class Measured { Size, LinkOutside, Unmeasured };
Measured measure(const QByteArray &path, qint64 &size, QByteArray *target);

// Keeps the file `path` names open (without blocking, whatever it is) until
// releaseInBackground() closes it on a thread of its own: when that file is
// replaced meanwhile, freeing its blocks, which can take a large part of a
// second for a large file, happens there and not on the caller's thread.
// -1 when there is nothing to hold.
int holdOpen(const QString &path);
void releaseInBackground(int handle);

// True when `path` (relative to the current directory) is a symbolic link
// whose final target lies outside the current directory; `target`, when
// given, gets that target's full path. Bytes throughout, so a directory
// whose name is not valid UTF-8 compares as it is.
bool linkLeadsOutside(const QByteArray &path, QByteArray *target);

// True when both names lead (links followed) to the same existing file.
bool sameFile(const QString &a, const QString &b);

// Asks the system to start writing `length` bytes from `offset` of the
// open file to disk now, without waiting, so the final sync finds little
// left to do. Does nothing where there is no such call.
void startWriteBack(int fd, qint64 offset, qint64 length);

// True when standard error is a terminal (progress bars are drawn only there).
bool stderrIsTerminal();

// Changes the process's current directory to the path given as raw bytes,
// as they came on the command line, so a name that is not valid UTF-8 still
// reaches the right directory.
bool changeDirectory(const QByteArray &path, QString &error);

} // namespace wf::platform
