#include "cli/BuildCommand.h"
#include "cli/BuildReport.h"
#include "cli/CommandLine.h"
#include "cli/Depfile.h"
#include "cli/PackInput.h"
#include "cli/Progress.h"
#include "pack/BuildPlan.h"
#include "pack/BuildRun.h"
#include "platform/BlockWriter.h"
#include "platform/FileSystem.h"
#include "project/DirWalk.h"
#include "project/PathFunctions.h"
#include "project/ProjectFiles.h"
#include <QFileInfo>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace wf {

namespace {

int build(const BuildPlan &plan, bool quiet)
{
    // Counted as the build goes: measuring every file first would cost a
    // system call per member.
    Progress progress(quiet, int(plan.rows.size()));
    BuildHooks hooks;
    hooks.turn = [&](const BuildProgress &at) { progress.update(at.packed, at.bytes); };
    const BuildResult result = runBuild(plan, hooks);
    if (result.outcome != BuildOutcome::Failed)
        progress.finish(result.packed, result.bytes);
    for (const QString &paragraph : result.message)
        printError(paragraph);
    switch (result.outcome) {
    case BuildOutcome::Built:
        return 0;
    case BuildOutcome::BuiltExeMissing:
        return 3;
    case BuildOutcome::AppendFailed:
    case BuildOutcome::Failed:
    case BuildOutcome::Stopped:
        break;
    }
    return 1;
}

} // namespace

int buildCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds Data.Pak in the project directory from its PakProfile.QXT, exactly as the window "
                       "does when it is started there and Create Pak Archive is clicked at once.\n\n"
                       "Exit status: 0 built (and appended when asked); 1 failed (the reason on standard error); "
                       "2 bad usage; 3 built, but the executable to append to was not found; 4 built, but the "
                       "profile names files that are not in the project (each named on standard error), or none. "
                       "3 wins over 4."));
    parser.addPositionalArgument(QStringLiteral("PROJECT_DIR"),
                                 QStringLiteral("The game project's directory (default: the current directory)."),
                                 QStringLiteral("[PROJECT_DIR]"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print only errors."));
    const QCommandLineOption dryRun({QStringLiteral("n"), QStringLiteral("dry-run")},
                                    QStringLiteral("List the rows that would be packed, one per line; write nothing."));
    const QCommandLineOption depfile(QStringLiteral("depfile"),
                                     QStringLiteral("After building, write FILE: the pack, then the profile and every "
                                                    "packed file, in Make syntax for Make, Ninja and CMake's DEPFILE, "
                                                    "each path leading from the current directory."),
                                     QStringLiteral("FILE"));
    parser.addOptions({quiet, dryRun, depfile});
    if (int status = 0; !parseCommandLine(parser, args, status))
        return status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(parser, args, QStringLiteral("build takes at most one project directory"));
    // Named from where the tool was started, before it changes directory.
    const QString depfilePath = parser.isSet(depfile) ? QFileInfo(parser.value(depfile)).absoluteFilePath() : QString();
    QString error;
    // The project directory becomes the current directory, as for the window.
    // (Arguments are valid UTF-8 here: main refuses others.)
    if (!positional.isEmpty() && !platform::changeDirectory(QFile::encodeName(positional[0]), error)) {
        printError(QStringLiteral("cannot enter %1: %2").arg(quotedName(positional[0]), error));
        return 1;
    }

    // The pack's blocks are made on another core while the project is walked.
    if (!parser.isSet(dryRun))
        platform::BlockWriter::prepareBlocks();
    // The walk only reads directories: it runs while the profile is read.
    std::future<Walked> walking = walkAhead(QString::fromLatin1(kProjectDir));
    Profile profile;
    const bool profileRead = readProfile(QString::fromLatin1(kProfileName), profile, error);
    const Walked walked = walking.get();
    if (!profileRead) {
        printError(QStringLiteral("no PakProfile.QXT: open the project in Wrenfold, tick the files and close it, "
                                  "then build"));
        return 1;
    }
    QVector<MissingRow> missing;
    const BuildPlan plan = planBuild(profile, walked.rows, &walked.links, &missing);
    const bool rowsMissing = reportUnpackedRows(profile, missing, plan);
    if (parser.isSet(dryRun)) {
        for (const QString &row : plan.rows)
            std::printf("%s\n", shownText(row).toUtf8().constData());
        return statusWithMissingRows(0, rowsMissing);
    }
    const int status = statusWithMissingRows(build(plan, parser.isSet(quiet)), rowsMissing);
    if (status == 1 || depfilePath.isEmpty() || writeDepfile(depfilePath, positional.value(0), plan.rows, error))
        return status;
    printError(error);
    return 1;
}

} // namespace wf
