#include "pack/PackBuild.h"
#include "pack/ExeAppend.h"
#include "pack/PackWriter.h"
#include "platform/FileSystem.h"
#include "platform/MemberFile.h"
#include "platform/ReplaceFile.h"
#include "platform/BlockWriter.h"
#include "project/PathFunctions.h"
#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace wf {

namespace {
const QString kPack = QString::fromLatin1(kPackName);
} // namespace

// The pack goes to disk in large blocks written by threads of their own,
// with direct I/O where the file system has it.
class BlockOutput final : public PackOutput {
public:
    BlockOutput(int fd, std::function<void()> whileWaiting) : m_blocks(fd)
    {
        m_blocks.whileWaiting = std::move(whileWaiting);
    }
    char *room(qint64 want, qint64 &len) override { return m_blocks.room(want, len); }
    bool advance(qint64 n) override { return m_blocks.advance(n); }
    bool finish(const char *head, qint64 headLen) override { return m_blocks.finish(head, headLen); }
    QString errorString() const override { return m_blocks.errorString(); }

private:
    platform::BlockWriter m_blocks;
};

PackBuild::PackBuild(const PackKey &key, RandomSource &random) : m_key(key), m_random(random) {}

// The block writes end before the file closes; an uncommitted ReplaceFile
// removes its temporary file.
PackBuild::~PackBuild() = default;

bool PackBuild::open(QString &error)
{
    if (!refuseLink(kPack, error))
        return false;
    m_out = std::make_unique<platform::ReplaceFile>(kPack);
    QString reason;
    if (!m_out->open(reason)) {
        error = QStringLiteral("Cannot create %1: %2").arg(quotedName(kPack), reason);
        return false;
    }
    // A turn while the build waits for the disk: a stop asked for there is
    // seen at the next chunk (and ignored once every member is written).
    m_blocks = std::make_unique<BlockOutput>(int(m_out->device().handle()), [this] { afterChunk(); });
    m_writer = std::make_unique<PackWriter>(*m_blocks, kPack, m_key, m_random);
    m_writer->afterChunk = [this] { return afterChunk(); };
    return m_writer->begin(error);
}

bool PackBuild::add(const QString &row, QString &error)
{
    // Open, one fstat for type and size, the reads, close: nothing else per
    // member, which is most of the cost of a pack of many small files.
    platform::MemberFile member;
    QString reason;
    if (!member.open(nativePath(row, QString::fromLatin1(kProjectDir)), reason)) {
        error = QStringLiteral("Cannot read %1: %2").arg(quotedName(row), reason);
        return false;
    }
    const auto read = [&member](char *data, qint64 len, QString &why) { return member.read(data, len, why); };
    if (!m_writer->addMember(row, read, member.size(), error))
        return false;
    return afterChunk();
}

bool PackBuild::afterChunk()
{
    return !betweenChunks || betweenChunks();
}

bool PackBuild::commit(QString &error)
{
    if (!m_writer->finish(error))
        return false;
    // The old pack stays open across the rename, so the rename does not free
    // its blocks; the last close does that, off this thread.
    const int old = platform::holdOpen(kPack);
    QString reason;
    const bool committed = m_out->commit(reason, [this] { afterChunk(); });
    platform::releaseInBackground(old);
    if (!committed) {
        error = QStringLiteral("Cannot write %1: %2").arg(quotedName(kPack), reason);
        return false;
    }
    return true;
}

int PackBuild::count() const
{
    return m_writer ? m_writer->count() : 0;
}

qint64 PackBuild::bytesWritten() const
{
    return m_writer ? m_writer->bytesWritten() : 0;
}

AppendOutcome appendToExecutable(const QString &exeName, quint32 mask, QString &error)
{
    const QString exePath = nativePath(exeName, QString::fromLatin1(kProjectDir));
    const QFileInfo exeInfo(exePath);
    if (!exeInfo.exists())
        return AppendOutcome::ExecutableNotFound;
    if (!exeInfo.isFile()) {
        error = QStringLiteral("Cannot append %1 to %2: it is %3, not a regular file. Name the game's executable "
                               "under Filename.")
                    .arg(quotedName(kPack), quotedName(exeName),
                         exeInfo.isDir() ? QStringLiteral("a directory") : QStringLiteral("a special file"));
        return AppendOutcome::Failed;
    }
    // A relative name is a file of the project; one that a link leads out
    // of it (a project from someone else can carry such a link) is refused,
    // so the build never extends a file elsewhere unless the user typed its
    // full path.
    if (QDir::isRelativePath(exePath)) {
        const QString target = QFileInfo(exePath).canonicalFilePath();
        const QString project = QDir(QString::fromLatin1(kProjectDir)).canonicalPath();
        if (!target.startsWith(project + QLatin1Char('/'))) {
            error = QStringLiteral("Cannot append %1 to %2: it leads outside the project directory, to %3. "
                                   "If that is the game's executable, give its full path under Filename.")
                        .arg(quotedName(kPack), quotedName(exeName), quotedName(QDir::toNativeSeparators(target)));
            return AppendOutcome::Failed;
        }
    }
    // Appending the pack to itself, or to the profile, would ruin the file
    // the game or the next start reads.
    const QString profile = QString::fromLatin1(kProfileName);
    if (platform::sameFile(exePath, kPack) || platform::sameFile(exePath, profile)) {
        const bool isPack = platform::sameFile(exePath, kPack);
        error = QStringLiteral("Cannot append %1 to %2: that is %3, and the pack cannot be appended to %4. "
                               "Name the game's executable under Filename.")
                    .arg(quotedName(kPack), quotedName(exeName), isPack ? quotedName(kPack) : quotedName(profile),
                         isPack ? QStringLiteral("itself") : QStringLiteral("the profile"));
        return AppendOutcome::Failed;
    }
    return appendPackToExecutable(exePath, exeName, kPack, mask, error) ? AppendOutcome::Appended
                                                                        : AppendOutcome::Failed;
}

QString packKeptMessage(const QString &reason)
{
    return reason + QStringLiteral("\n\n%1 was not changed.").arg(kPack);
}

} // namespace wf

namespace wf {

bool checkTickedCount(qsizetype ticked, QString &error)
{
    if (ticked <= kMaxPackFiles)
        return true;
    const QLocale english(QLocale::English);
    error = QStringLiteral("%1 files are ticked, but a pack holds at most %2.")
                .arg(english.toString(ticked), english.toString(kMaxPackFiles));
    return false;
}

} // namespace wf
