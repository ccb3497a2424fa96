#pragma once
// What every command's argument handling shares: help in all its forms,
// which never acts, and usage naming the command.
#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace wf {

// True when `args` (after the command's name, up to a "--") hold one of the
// help options: -h, -?, --help, --help-all.
bool asksForHelp(const QStringList &args);

// The parser's help with its usage line naming the command
// ("wrenfold-pak build") instead of the program's path. `args[0]` is that
// name.
QString commandHelp(const QCommandLineParser &parser, const QStringList &args);

// Adds the help options and parses. True to go on; false when the command
// ends here with `exitStatus`: 0 after printing help (whatever else the line
// holds: help never acts), 2 after bad usage (the message and help on
// standard error).
bool parseCommandLine(QCommandLineParser &parser, const QStringList &args, int &exitStatus);

// Bad usage found after parsing: the message and help on standard error; 2.
int usageError(const QCommandLineParser &parser, const QStringList &args, const QString &problem);

} // namespace wf
