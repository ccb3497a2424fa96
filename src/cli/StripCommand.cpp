// `wrenfold-pak strip`: the executable as it was before the first append.
#include "cli/CommandLine.h"
#include "cli/PackChain.h"
#include "cli/PackInput.h"
#include "cli/ReadCommands.h"
#include "options/DesignValues.h"
#include "platform/FileSystem.h"
#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

namespace wf {

namespace {

// --key and --mask when given; else the options of the profile in the
// current directory, as a build there masks its packs.
wfpak::Key stripKey(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("key")) || parser.isSet(QStringLiteral("mask")))
        return keyFromOptions(parser);
    Profile p;
    QString ignored; // no profile: a plain pack, as a build without one makes
    readProfile(QString::fromLatin1(kProfileName), p, ignored);
    if (p.check1.value_or(0) != 1)
        return wfpak::Key();
    return wfpak::Key::fromTexts(p.basicKey.value_or(QString::fromLatin1(kDesignBasicKey)).toStdString(),
                                 p.headerMask.value_or(QString::fromLatin1(kDesignHeaderMask)).toStdString());
}

// Written whole beside it and renamed over it: until the rename the
// executable is untouched, whatever fails (a full disk, the process killed);
// a game running from it keeps running. The file's permissions are kept.
bool writePrefix(QFile &from, const QString &path, qint64 length, QString &error)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = QStringLiteral("cannot write %1: %2").arg(quotedName(path), out.errorString());
        return false;
    }
    QByteArray buffer(int(qMin<qint64>(length, 1 << 20)), Qt::Uninitialized);
    bool ok = from.seek(0);
    for (qint64 left = length; ok && left > 0;) {
        const qint64 n = from.read(buffer.data(), qMin<qint64>(left, buffer.size()));
        ok = n > 0 && out.write(buffer.constData(), n) == n;
        left -= n;
    }
    if (!ok || !out.commit()) {
        error = QStringLiteral("cannot write %1: %2")
                        .arg(quotedName(path), out.error() != QFileDevice::NoError ? out.errorString() : from.errorString());
        out.cancelWriting();
        return false;
    }
    return true;
}

QString packs(std::size_t n)
{
    return n == 1 ? QStringLiteral("1 pack") : QStringLiteral("%1 packs").arg(n);
}

} // namespace

int stripCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Removes every pack appended to EXECUTABLE, leaving exactly the bytes it had before the first append. "
        "Each trailer is followed down with --key and --mask (default: the options of PakProfile.QXT in the "
        "current directory); when anything in the chain does not read as a complete pack and trailer, the file "
        "is left unchanged. The new file replaces the old one only once it is whole, with the same permissions."
        "\n\nExit status: 0 stripped (or nothing to strip); 1 refused or failed, the file unchanged; 2 bad usage."));
    parser.addPositionalArgument(QStringLiteral("EXECUTABLE"), QStringLiteral("The executable carrying packs."));
    addKeyOptions(parser);
    const QCommandLineOption dryRun({QStringLiteral("n"), QStringLiteral("dry-run")},
                                    QStringLiteral("Say what would be removed; change nothing."));
    parser.addOption(dryRun);
    if (int status = 0; !parseCommandLine(parser, args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return usageError(parser, args, QStringLiteral("one executable is needed"));
    const QString path = parser.positionalArguments()[0];
    const QString shown = quotedName(path);

    if (QFileInfo(path).isSymLink()) {
        printError(QStringLiteral("%1 is a symbolic link (to %2); strip the file itself")
                           .arg(shown, quotedName(QFileInfo(path).symLinkTarget())));
        return 1;
    }
    QFile file;
    QString reason;
    if (!platform::openRegularFile(file, path, false, reason)) {
        printError(QStringLiteral("cannot open %1: %2").arg(shown, reason));
        return 1;
    }
    QFileSource source(file);
    const wfpak::Key key = stripKey(parser);
    PackChain chain;
    std::string why;
    if (!readPackChain(source, source.size(), key, chain, why)) {
        printError(QStringLiteral("%1: %2; it was not changed").arg(shown, QString::fromStdString(why)));
        return 1;
    }
    if (chain.packs.empty()) {
        wfpak::Pack hidden;
        if (hidden.openLastTrailer(source, key)) {
            printError(QStringLiteral("%1: %2 bytes follow the trailer of the pack below them (a code signature?); "
                                      "strip removes packs only from the file's end; it was not changed")
                               .arg(shown).arg(hidden.layout().bytesAfter()));
            return 1;
        }
        std::printf("%s carries no appended pack; nothing to remove\n", qPrintable(shown));
        return 0;
    }
    const quint64 removed = source.size() - chain.base;
    const QString what = QStringLiteral("%1 (%2 bytes), leaving the first %3 bytes of %4")
                                 .arg(packs(chain.packs.size())).arg(removed).arg(chain.base).arg(shown);
    if (parser.isSet(dryRun)) {
        std::printf("would remove %s\n", qPrintable(what));
        return 0;
    }
    QString error;
    if (!writePrefix(file, path, qint64(chain.base), error)) {
        printError(error + QStringLiteral("; it was not changed"));
        return 1;
    }
    std::printf("removed %s\n", qPrintable(what));
    return 0;
}

} // namespace wf
