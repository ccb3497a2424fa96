#include "cli/PackInput.h"
#include "cli/CommandLine.h"
#include "platform/FileSystem.h"
#include "project/Windows1252.h"
#include "project/ProjectFiles.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace wf {

bool QFileSource::readAt(std::uint64_t offset, void *buffer, std::size_t len) const
{
    if (offset > size() || len > size() - offset || !m_file.seek(qint64(offset)))
        return false;
    char *out = static_cast<char *>(buffer);
    while (len > 0) {
        const qint64 got = m_file.read(out, qint64(len));
        if (got <= 0)
            return false;
        out += got;
        len -= std::size_t(got);
    }
    return true;
}

void printError(const QString &text)
{
    std::fprintf(stderr, "wrenfold-pak: %s\n", qPrintable(text));
}

void addKeyOptions(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("key"), QStringLiteral("The Basic Key, as the window's box holds it (a leading $ "
                                                            "as in the initialisation line is accepted)."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("mask"), QStringLiteral("The Header Mask, likewise."), QStringLiteral("TEXT")});
}

wfpak::Key keyFromOptions(const QCommandLineParser &parser)
{
    const QString key = parser.value(QStringLiteral("key")), mask = parser.value(QStringLiteral("mask"));
    return wfpak::Key::fromTexts(key.toStdString(), mask.toStdString());
}

bool parseArguments(QCommandLineParser &parser, const QStringList &args, int minPositional, int maxPositional,
                    int &exitStatus)
{
    if (!parseCommandLine(parser, args, exitStatus))
        return false;
    if (parser.positionalArguments().size() < minPositional) {
        exitStatus = usageError(parser, args, QStringLiteral("a pack file is needed"));
        return false;
    }
    if (maxPositional >= 0 && parser.positionalArguments().size() > maxPositional) {
        exitStatus = usageError(parser, args, QStringLiteral("too many arguments"));
        return false;
    }
    return true;
}

bool openPackInput(const QString &path, const wfpak::Key &key, PackInput &input, QString &error)
{
    QString reason;
    if (!platform::openRegularFile(input.file, path, false, reason)) {
        error = QStringLiteral("cannot open %1: %2").arg(quotedName(path), reason);
        return false;
    }
    input.source = std::make_unique<QFileSource>(input.file);
    if (input.pack.open(*input.source, key))
        return true;
    const QString first = QString::fromStdString(input.pack.errorText());
    // Something added after the append (a code signature, say) hides the
    // trailer from the game; the pack may still be there.
    if (input.pack.openLastTrailer(*input.source, key))
        return true;
    error = QStringLiteral("%1 holds no pack that reads with this key and mask: %2").arg(quotedName(path), first);
    return false;
}

namespace {
// Names that are not UTF-8 come from an 8-bit system.
QString decoded(const std::string &name)
{
    return fromUtf8OrWindows1252(QByteArrayView(name.data(), qsizetype(name.size())));
}
} // namespace

QString entryName(const std::string &name)
{
    return quotedName(decoded(name));
}

bool entryPath(const std::string &name, QString &path, QString &why)
{
    const QString text = decoded(name);
    const QStringList parts = QString(text).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    if (text.isEmpty())
        why = QStringLiteral("the name is empty");
    else if (name.find('\0') != std::string::npos)
        why = QStringLiteral("the name holds a NUL byte");
    else if (parts.first().isEmpty())
        why = QStringLiteral("it is an absolute path");
    else if (parts.first().size() >= 2 && parts.first()[1] == QLatin1Char(':')
             && QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ").contains(parts.first()[0].toUpper()))
        why = QStringLiteral("it starts with a drive letter");
    else if (parts.contains(QString()))
        why = QStringLiteral("it has an empty part");
    else if (parts.contains(QStringLiteral("..")) || parts.contains(QStringLiteral(".")))
        why = QStringLiteral("it has a \"..\" or \".\" part");
    else
        path = parts.join(QLatin1Char('/'));
    return why.isEmpty();
}

} // namespace wf
