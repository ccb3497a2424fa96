// wrenfold-pak: the pack build for scripts and CI, and the commands that
// look inside a pack.
#include "cli/BuildCommand.h"
#include "cli/ReadCommands.h"
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>

namespace {

const char kUsage[] =
    "usage: wrenfold-pak <command> [options] [arguments]\n"
    "\n"
    "Commands:\n"
    "  build [PROJECT_DIR]   build Data.Pak from the project's PakProfile.QXT\n"
    "  list FILE             list the entries of a pack, or of an executable carrying one\n"
    "  verify FILE           check a pack's whole structure (and, with --project, its contents)\n"
    "  extract FILE [NAME]   write a pack's entries out as files\n"
    "\n"
    "Run 'wrenfold-pak <command> --help' for a command's options.\n"
    "Exit status: 0 success, 1 failure, 2 bad usage, 3 built but the executable was not found.\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wrenfold-pak"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WRENFOLD_VERSION));
    const QStringList args = QCoreApplication::arguments();
    // Qt decodes arguments as UTF-8; a path that is not would turn into the
    // name of another file or directory. Refused, rather than acted on.
    for (int i = 1; i < argc; ++i) {
        if (QFile::encodeName(QFile::decodeName(argv[i])) != argv[i]) {
            std::fprintf(stderr, "wrenfold-pak: argument %d is not valid UTF-8; use a name that is, or change into "
                                 "the directory and give a relative name\n", i);
            return 2;
        }
    }

    const std::map<QString, std::function<int(const QStringList &)>> commands{
        {QStringLiteral("build"), wf::buildCommand},
        {QStringLiteral("list"), wf::listCommand},
        {QStringLiteral("verify"), wf::verifyCommand},
        {QStringLiteral("extract"), wf::extractCommand},
    };
    const QString first = args.value(1);
    if (const auto it = commands.find(first); it != commands.end())
        return it->second(QStringList{QStringLiteral("wrenfold-pak ") + first} + args.mid(2));
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        std::printf("wrenfold-pak %s\n", WRENFOLD_VERSION);
        return 0;
    }
    if (first.isEmpty())
        std::fputs("wrenfold-pak: a command is needed\n", stderr);
    else
        std::fprintf(stderr, "wrenfold-pak: '%s' is not a command\n", qPrintable(first));
    std::fputs(kUsage, stderr);
    return 2;
}
