#include "cli/CommandLine.h"
#include "cli/PackInput.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace wf {

bool asksForHelp(const QStringList &args)
{
    for (int i = 1; i < args.size() && args[i] != QLatin1String("--"); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("-h") || a == QLatin1String("-?") || a == QLatin1String("--help")
            || a == QLatin1String("--help-all"))
            return true;
    }
    return false;
}

QString commandHelp(const QCommandLineParser &parser, const QStringList &args)
{
    QString help = parser.helpText();
    // The parser names the program by the path it was started as.
    const QString program = QCoreApplication::arguments().value(0);
    const qsizetype at = help.indexOf(program);
    if (!program.isEmpty() && at >= 0 && !args.isEmpty())
        help.replace(at, program.size(), args[0]);
    return help;
}

bool parseCommandLine(QCommandLineParser &parser, const QStringList &args, int &exitStatus)
{
    parser.addHelpOption(); // -h, -?, --help and --help-all
    const bool parsed = parser.parse(args);
    if (asksForHelp(args)
        || (parsed && (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))))) {
        std::fputs(commandHelp(parser, args).toUtf8().constData(), stdout);
        exitStatus = 0;
        return false;
    }
    if (!parsed) {
        exitStatus = usageError(parser, args, parser.errorText());
        return false;
    }
    return true;
}

int usageError(const QCommandLineParser &parser, const QStringList &args, const QString &problem)
{
    printError(problem);
    std::fputs(commandHelp(parser, args).toUtf8().constData(), stderr);
    return 2;
}

} // namespace wf
