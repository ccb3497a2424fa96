#include "pack/ChunkCopy.h"

namespace wf {

ChunkReader readerOf(QIODevice &device)
{
    return [&device](char *data, qint64 len, QString &reason) {
        const qint64 got = device.read(data, len);
        if (got < 0)
            reason = device.errorString();
        return got;
    };
}

ChunkRoom roomIn(QByteArray &buffer)
{
    return [&buffer](qint64 want, qint64 &len) {
        len = qMin(want, qint64(buffer.size()));
        return buffer.data();
    };
}

CopyResult copyChunks(const ChunkReader &read, qint64 size, const ChunkRoom &room, const ChunkWriter &write,
                      const std::function<bool()> &between, QString &reason)
{
    for (qint64 left = size; left > 0;) {
        qint64 len = 0;
        char *buffer = room(left, len);
        if (!buffer)
            return CopyResult::WriteFailed;
        const qint64 got = read(buffer, len, reason);
        if (got < 0)
            return CopyResult::ReadFailed;
        if (got == 0)
            return CopyResult::BecameShorter;
        if (!write(buffer, got))
            return CopyResult::WriteFailed;
        left -= got;
        if (left > 0 && between && !between())
            return CopyResult::Stopped;
    }
    return CopyResult::Done;
}

} // namespace wf
