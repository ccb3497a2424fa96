#include "cli/PackInput.h"
#include "cli/ReadCommands.h"
#include "pack/PackFormat.h"
#include "project/ProjectFiles.h"
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <vector>

namespace wf {

namespace {

// Makes the folders of `path` under `base`, never through a symbolic link,
// so nothing lands outside `base`. `target` gets the file's full path.
bool prepare(const QString &base, const QString &path, bool force, QString &target, QString &error)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QString current = base;
    for (int i = 0; i < parts.size(); ++i) {
        current += QLatin1Char('/') + parts[i];
        const QFileInfo info(current);
        const bool last = i == parts.size() - 1;
        if (info.isSymLink() && !(last && force)) {
            error = QStringLiteral("%1 is a symbolic link, which is not followed").arg(quotedName(current));
            return false;
        }
        if (last) {
            if (info.exists() || info.isSymLink()) {
                if (!force) {
                    error = QStringLiteral("%1 exists (--force overwrites it)").arg(quotedName(current));
                    return false;
                }
                // A link is replaced, never written through.
                if ((info.isDir() && !info.isSymLink()) || (info.isSymLink() && !QFile::remove(current))) {
                    error = QStringLiteral("%1 cannot be replaced by a file").arg(quotedName(current));
                    return false;
                }
            }
        } else if (info.exists() ? !info.isDir() : !QDir().mkdir(current)) {
            error = QStringLiteral("cannot make the folder %1").arg(quotedName(current));
            return false;
        }
    }
    target = current;
    return true;
}

bool extract(wfpak::Pack &pack, const wfpak::Entry &entry, const QString &base, bool force, QString &error)
{
    QString path, why;
    if (!entryPath(entry.name, path, why)) {
        error = QStringLiteral("refused to write it: %1").arg(why);
        return false;
    }
    QString target;
    if (!prepare(base, path, force, target, error))
        return false;
    // Unbuffered: a failed write is seen here, never in a flush at commit.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = QStringLiteral("cannot write %1: %2").arg(quotedName(target), out.errorString());
        return false;
    }
    bool written = true;
    wfpak::ReadError failure;
    const bool read = pack.stream(entry, [&](const unsigned char *data, std::size_t n) {
        // writeAll retries a short write, so a full disk reports its reason.
        return written = writeAll(out, reinterpret_cast<const char *>(data), qint64(n));
    }, 64 * 1024, &failure);
    if (!read || !out.commit()) {
        error = written && !read ? QString::fromStdString(failure.text)
                                 : QStringLiteral("cannot write %1: %2").arg(quotedName(target), out.errorString());
        out.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

int extractCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a pack's entries (all, or the named ones) as files under DIR, backslashes becoming folders. "
        "Names that would land outside DIR are refused; existing files are kept unless --force is given. "
        "Exit status 0 when everything was written, 1 otherwise."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Data.Pak, or an executable carrying a pack."));
    parser.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("Entries to write (any case, / or \\)."),
                                 QStringLiteral("[NAME...]"));
    addKeyOptions(parser);
    parser.addOption({QStringLiteral("C"), QStringLiteral("Write under DIR (default: the current directory)."),
                      QStringLiteral("DIR"), QStringLiteral(".")});
    parser.addOption({QStringLiteral("force"), QStringLiteral("Overwrite existing files.")});
    if (int status = 0; !parseArguments(parser, args, 1, -1, status))
        return status;

    QStringList names = parser.positionalArguments();
    const QString file = names.takeFirst();
    const QString dir = parser.value(QStringLiteral("C"));
    if (!QFileInfo(dir).isDir()) {
        printError(QStringLiteral("%1 is not a directory").arg(quotedName(dir)));
        return 1;
    }
    PackInput input;
    QString error;
    if (!openPackInput(file, keyFromOptions(parser), input, error)) {
        printError(error);
        return 1;
    }

    std::vector<const wfpak::Entry *> chosen;
    bool failed = false;
    for (const QString &name : names) {
        if (const wfpak::Entry *e = input.pack.find(QFile::encodeName(name).toStdString()))
            chosen.push_back(e);
        else
            failed = true, printError(QStringLiteral("%1 has no entry %2").arg(quotedName(file), quotedName(name)));
    }
    if (names.isEmpty()) {
        for (const wfpak::Entry &e : input.pack.entries())
            chosen.push_back(&e);
    }
    for (const wfpak::Entry *e : chosen) {
        if (!extract(input.pack, *e, dir, parser.isSet(QStringLiteral("force")), error)) {
            printError(QStringLiteral("%1: %2").arg(entryName(e->name), error));
            failed = true;
        }
    }
    return failed ? 1 : 0;
}

} // namespace wf
