#include "pack/ExeAppend.h"
#include "pack/ChunkCopy.h"
#include "pack/PackFormat.h"
#include "pack/PackWriter.h"
#include "platform/FileSystem.h"
#include "project/ProjectFiles.h"
#include <QFile>
#include <QFileInfo>

namespace wf {

namespace {

const auto quoted = quotedName;

// Copies the pack and the trailer to the executable's end.
bool copyPack(QFile &exe, const QString &exeName, QFile &pack, const QString &packName, qint64 exeLength,
              qint64 packLength, quint32 mask, QString &error)
{
    const auto cannotWrite = [&] {
        error = QStringLiteral("Cannot write %1: %2").arg(quoted(exeName), exe.errorString());
        return false;
    };
    if (!exe.seek(exeLength))
        return cannotWrite();
    QByteArray buffer(int(qMin(packLength, PackWriter::kChunk)), Qt::Uninitialized);
    const auto put = [&](const char *data, qint64 len) { return writeAll(exe, data, len); };
    QString reason;
    switch (copyChunks(readerOf(pack), packLength, roomIn(buffer), put, {}, reason)) {
    case CopyResult::Done:
        break;
    case CopyResult::ReadFailed:
        error = QStringLiteral("Cannot read %1: %2").arg(quoted(packName), reason);
        return false;
    case CopyResult::BecameShorter:
        error = QStringLiteral("Cannot read %1: it became shorter while it was copied").arg(quoted(packName));
        return false;
    case CopyResult::WriteFailed:
    case CopyResult::Stopped:
        return cannotWrite();
    }
    const QByteArray trailer = leWord(trailerWord(exeLength, mask)) + QByteArray(kTrailerMarker);
    if (!writeAll(exe, trailer.constData(), trailer.size()))
        return cannotWrite();
    return true;
}

} // namespace

bool appendPackToExecutable(const QString &exePath, const QString &exeName, const QString &packPath,
                            quint32 mask, QString &error)
{
    const QString packName = QFileInfo(packPath).fileName();
    QFile pack;
    QString reason;
    if (!platform::openRegularFile(pack, packPath, false, reason)) {
        error = QStringLiteral("Cannot read %1: %2").arg(quoted(packName), reason);
        return false;
    }

    // Never creates an executable, never blocks on a pipe; unbuffered, so
    // after a failed write no pending data stands in the way of cutting it back.
    QFile exe;
    if (!platform::openRegularFile(exe, exePath, true, reason)) {
        error = QStringLiteral("Cannot open %1 for writing: %2").arg(quoted(exeName), reason);
        return false;
    }
    const qint64 exeLength = exe.size();
    const qint64 packLength = pack.size();
    // The game reads the trailer word and every byte of the pack by signed
    // 32-bit position, so the whole extended executable must stay below 2 GiB.
    if (exeLength + packLength + kTrailerLength > kMaxPackBytes) {
        error = QStringLiteral("Cannot append %1 to %2: together they would reach 2 GiB, "
                               "more than the game can address")
                    .arg(quoted(packName), quoted(exeName));
        return false;
    }

    QString failure;
    if (copyPack(exe, exeName, pack, packName, exeLength, packLength, mask, failure)) {
        exe.close();
        if (exe.error() == QFileDevice::NoError)
            return true;
        failure = QStringLiteral("Cannot write %1: %2").arg(quoted(exeName), exe.errorString());
    }

    // Cut the executable back to its earlier length, so its bytes are as before.
    QFile restore(exePath);
    QFile &target = exe.isOpen() ? exe : restore;
    if (!target.resize(exeLength))
        failure += QStringLiteral(". Cutting %1 back to its earlier length also failed (%2); "
                                  "it may no longer run")
                           .arg(quoted(exeName), target.errorString());
    error = failure;
    return false;
}

} // namespace wf
