// wrenfold-pak: the pack build for scripts and CI, and the commands that
// look inside a pack.
#include "cli/BuildCommand.h"
#include "cli/ReadCommands.h"
#include "cli/TickCommands.h"
#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "cli/PackInput.h"
#include "platform/Memory.h"
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
    "  tick PATTERN...       tick the matching files in PakProfile.QXT\n"
    "  untick PATTERN...     untick them\n"
    "  strip EXECUTABLE      remove every pack appended to an executable\n"
    "\n"
    "Run 'wrenfold-pak help <command>' or 'wrenfold-pak <command> --help' for a command's options.\n"
    "Exit status: 0 success; 1 failure (or output that could not be written); 2 bad usage;\n"
    "3 built, but the executable to append to was not found; 4 built, but the profile\n"
    "names files that are not in the project, or none.\n";

} // namespace

namespace {

using Command = std::function<int(const QStringList &)>;

const std::map<QString, Command> &commands()
{
    static const std::map<QString, Command> table{
        {QStringLiteral("build"), wf::buildCommand},
        {QStringLiteral("list"), wf::listCommand},
        {QStringLiteral("verify"), wf::verifyCommand},
        {QStringLiteral("extract"), wf::extractCommand},
        {QStringLiteral("tick"), wf::tickCommand},
        {QStringLiteral("untick"), wf::untickCommand},
        {QStringLiteral("strip"), wf::stripCommand},
    };
    return table;
}

int usage(const QString &problem)
{
    wf::printError(problem);
    std::fputs(kUsage, stderr);
    return 2;
}

int run(const QStringList &args)
{
    const QString first = args.value(1);
    const auto command = [](const QString &name, const QStringList &rest) {
        return commands().at(name)(QStringList{QStringLiteral("wrenfold-pak ") + name} + rest);
    };
    if (commands().count(first))
        return command(first, args.mid(2));
    if (first == QLatin1String("help") && args.size() > 2) {
        if (!commands().count(args[2]))
            return usage(QStringLiteral("'%1' is not a command").arg(args[2]));
        return command(args[2], {QStringLiteral("--help")});
    }
    if (first == QLatin1String("help") || wf::asksForHelp(QStringList{QString()} + args.mid(1, 1))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        std::printf("wrenfold-pak %s\n", WRENFOLD_VERSION);
        return 0;
    }
    return usage(first.isEmpty() ? QStringLiteral("a command is needed")
                                 : QStringLiteral("'%1' is not a command").arg(first));
}

} // namespace

int main(int argc, char **argv)
{
    wf::platform::keepFreedMemory();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wrenfold-pak"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WRENFOLD_VERSION));
    wf::prepareOutput();
    // Qt decodes arguments as UTF-8; a path that is not would turn into the
    // name of another file or directory. Refused, rather than acted on.
    for (int i = 1; i < argc; ++i) {
        if (QFile::encodeName(QFile::decodeName(argv[i])) != argv[i]) {
            std::fprintf(stderr, "wrenfold-pak: argument %d is not valid UTF-8; use a name that is, or change into "
                                 "the directory and give a relative name\n", i);
            return wf::finishOutput(2);
        }
    }
    return wf::finishOutput(run(QCoreApplication::arguments()));
}
