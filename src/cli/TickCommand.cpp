// `wrenfold-pak tick` and `untick`: choosing the pack's files from a
// terminal or a script, writing the profile the window would write.
#include "cli/CommandLine.h"
#include "cli/PackInput.h"
#include "cli/TickCommands.h"
#include "platform/FileSystem.h"
#include "project/DirWalk.h"
#include "project/ProfileTicks.h"
#include "project/ProjectFiles.h"
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace wf {

namespace {

QString files(int n)
{
    return n == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(n);
}

QString summary(const TickOutcome &o, bool tick, bool dryRun)
{
    QString text = (dryRun ? QStringLiteral("would %1 %2") : QStringLiteral("%1 %2"))
                           .arg(tick ? (dryRun ? "tick" : "ticked") : (dryRun ? "untick" : "unticked"), files(o.changed));
    if (o.unchanged > 0)
        text += QStringLiteral(", %1 already %2").arg(o.unchanged).arg(tick ? "ticked" : "unticked");
    if (o.dropped > 0)
        text += QStringLiteral("; %1 %2 stale row%3 naming no file")
                        .arg(dryRun ? "would drop" : "dropped")
                        .arg(o.dropped)
                        .arg(o.dropped == 1 ? "" : "s");
    return text;
}

int tickOrUntick(const QStringList &args, bool tick)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1 the files matching each PATTERN in the project's PakProfile.QXT, as the list's "
                       "%2 Matching menu item does, and writes the profile the window would write after the same "
                       "change and a close: the options as they were, the ticked rows in the list's order, rows "
                       "that name no file dropped. Without a profile, one is made with the window's first options."
                       "\n\nPATTERN: * any characters (folders included), ? one character, letter case ignored, "
                       "\\ or / between folders; a folder's files are FOLDER/*. Quote patterns from the shell. "
                       "Names that can never be ticked (Data.Pak, the executable) are refused.\n\n"
                       "Exit status: 0 done; 1 a pattern matched no file or only refused names (nothing is "
                       "written), or the profile could not be written; 2 bad usage.")
                .arg(tick ? "Ticks" : "Unticks", tick ? "Tick" : "Untick"));
    parser.addPositionalArgument(QStringLiteral("PATTERN"), QStringLiteral("Files to %1, e.g. 'gfx/*' or '*.wav'.")
                                                                  .arg(tick ? "tick" : "untick"),
                                 QStringLiteral("PATTERN..."));
    const QCommandLineOption dir(QStringLiteral("C"), QStringLiteral("The project directory (default: the current one)."),
                                 QStringLiteral("PROJECT_DIR"));
    const QCommandLineOption dryRun({QStringLiteral("n"), QStringLiteral("dry-run")},
                                    QStringLiteral("Print the rows the profile would hold, one per line; write nothing."));
    parser.addOptions({dir, dryRun});
    if (int status = 0; !parseCommandLine(parser, args, status))
        return status;
    const QStringList patterns = parser.positionalArguments();
    if (patterns.isEmpty())
        return usageError(parser, args, QStringLiteral("a pattern is needed"));

    QString error;
    if (parser.isSet(dir) && !platform::changeDirectory(QFile::encodeName(parser.value(dir)), error)) {
        printError(QStringLiteral("cannot enter %1: %2").arg(quotedName(parser.value(dir)), error));
        return 1;
    }
    const QString name = QString::fromLatin1(kProfileName);
    Profile profile;
    QString notRead;
    const bool found = readProfile(name, profile, notRead);
    // The window would replace it on closing; a script should not, unseen.
    if (!found && (QFileInfo::exists(name) || QFileInfo(name).isSymLink())) {
        printError(QStringLiteral("%1 is there but cannot be read as a profile (not a regular file, or too large); "
                                  "it was not changed").arg(quotedName(name)));
        return 1;
    }
    QStringList walked;
    DirWalk(QString::fromLatin1(kProjectDir), QString::fromLatin1(kProjectDir), walked);
    const TickOutcome outcome = applyTicks(profile, walked, patterns, tick);
    for (const QString &problem : outcome.problems)
        printError(problem);
    if (!outcome.problems.isEmpty()) {
        printError(QStringLiteral("%1 was not changed").arg(name));
        return 1;
    }
    for (const RefusedRow &r : outcome.refused)
        printError(QStringLiteral("note: %1 is left out: %2").arg(quotedName(r.row), refusalText(r.why)));

    if (parser.isSet(dryRun)) {
        for (const QString &row : outcome.profile.rows)
            std::printf("%s\n", row.toUtf8().constData());
        std::fprintf(stderr, "%s\n", summary(outcome, tick, true).toUtf8().constData());
        return 0;
    }
    // The same bytes are not written again: a build that depends on the
    // profile need not run.
    QFile current(name);
    const bool same = found && current.open(QIODevice::ReadOnly) && current.readAll() == profileBytes(outcome.profile);
    if (!same && !writeProfile(name, outcome.profile, error)) {
        printError(error);
        return 1;
    }
    std::printf("%s%s\n", summary(outcome, tick, false).toUtf8().constData(),
                found ? "" : "; made PakProfile.QXT with the window's first options");
    return 0;
}

} // namespace

int tickCommand(const QStringList &args)
{
    return tickOrUntick(args, true);
}

int untickCommand(const QStringList &args)
{
    return tickOrUntick(args, false);
}

} // namespace wf
