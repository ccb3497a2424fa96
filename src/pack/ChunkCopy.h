#pragma once
// The one loop that streams a file's bytes somewhere in bounded chunks: a
// member into the pack, and the pack onto the executable's end.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace wf {

// Reads up to `len` bytes into `data`: the count read, 0 at the end of the
// file, -1 on failure with `reason` set.
using ChunkReader = std::function<qint64(char *data, qint64 len, QString &reason)>;
// Room for up to `want` (> 0) next bytes: its address, its size in `len`
// (at least 1); null when there is none (a failed write, whose reason the
// caller knows).
using ChunkRoom = std::function<char *(qint64 want, qint64 &len)>;
// Takes the first `len` bytes of the last room (which it may change in
// place); false when they cannot be written, the caller then knows the
// reason.
using ChunkWriter = std::function<bool(char *data, qint64 len)>;

// A reader over an open device, from its current position.
ChunkReader readerOf(QIODevice &device);
// Room that is always the whole of `buffer`, or less.
ChunkRoom roomIn(QByteArray &buffer);

enum class CopyResult { Done, ReadFailed, BecameShorter, WriteFailed, Stopped };

// Copies exactly `size` bytes from `read` to `write`, each chunk read
// straight into `room`; never reads past `size`. `between` runs between two
// chunks (not after the last); returning false stops the copy. On
// ReadFailed `reason` is the reader's.
CopyResult copyChunks(const ChunkReader &read, qint64 size, const ChunkRoom &room, const ChunkWriter &write,
                      const std::function<bool()> &between, QString &reason);

} // namespace wf
