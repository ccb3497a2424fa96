#pragma once
// One build of Data.Pak in the project directory, driven row by row by its
// caller (the window or the command line): open(), add() for each ticked
// row in list order, commit(), then appendToExecutable() when asked. Until
// commit() succeeds the earlier Data.Pak is untouched; a failed or
// abandoned build leaves no temporary file behind.
#include "pack/PackFormat.h"
#include <QString>
#include <functional>
#include <memory>

namespace wf {

namespace platform {
class ReplaceFile;
}

class BlockOutput;
class PackWriter;
class RandomSource;

class PackBuild {
public:
    PackBuild(const PackKey &key, RandomSource &random);
    ~PackBuild();

    bool open(QString &error);
    // Packs the file a row names. Only a regular file is read, and opening it
    // never blocks. Returns false with an empty error when `betweenChunks` abandoned
    // the build inside the member.
    bool add(const QString &row, QString &error);
    bool commit(QString &error);

    // Runs between chunks inside a member, returning false to abandon the
    // build, and every few milliseconds while the build waits for the disk
    // (a stop asked for there counts at the next chunk; in commit() it
    // cannot abandon the build).
    std::function<bool()> betweenChunks;

    int count() const;
    qint64 bytesWritten() const;

private:
    bool afterChunk();

    PackKey m_key;
    RandomSource &m_random;
    std::unique_ptr<platform::ReplaceFile> m_out;
    std::unique_ptr<BlockOutput> m_blocks; // after m_out: its writes end before the file closes
    std::unique_ptr<PackWriter> m_writer;
};

enum class AppendOutcome { Appended, ExecutableNotFound, Failed };

// Appends the committed Data.Pak to the executable `exeName` (relative to
// the project directory unless absolute). ExecutableNotFound when no regular
// file has that name; Failed, with `error`, when the append is refused (the
// name leads to Data.Pak or the profile) or fails (the executable is then
// cut back to its earlier bytes).
AppendOutcome appendToExecutable(const QString &exeName, quint32 mask, QString &error);

// The message for a build that failed before its commit.
QString packKeptMessage(const QString &reason);

// Refuses, before anything is written, more ticked rows than a pack holds.
bool checkTickedCount(qsizetype ticked, QString &error);

inline constexpr const char *kExeNotFoundMessage = ".exe file not found. Quildex Created instead...";

} // namespace wf
