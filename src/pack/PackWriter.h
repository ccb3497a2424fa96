#pragma once
#include "pack/ChunkCopy.h"
#include "pack/PackFormat.h"
#include "pack/PackOutput.h"
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

namespace wf {

// Writes one pack in the layout of PackFormat.h: begin(), then addMember()
// for every ticked row in list order, then finish(). Members are streamed
// in bounded chunks. A failure returns false with `error` naming the file
// and the reason; the caller then discards the output.
class PackWriter {
public:
    // To a new, empty, seekable device.
    PackWriter(QIODevice &out, const QString &outName, const PackKey &key, RandomSource &random);
    // To an output of the caller's, which starts empty.
    PackWriter(PackOutput &out, const QString &outName, const PackKey &key, RandomSource &random);
    ~PackWriter();

    bool begin(QString &error);
    // `name` is the row text stored in the index; `member` is read from its
    // current position for `size` bytes.
    bool addMember(const QString &name, QIODevice &member, qint64 size, QString &error);
    // The same, for a member read through `read`.
    bool addMember(const QString &name, const ChunkReader &read, qint64 size, QString &error);
    bool finish(QString &error);

    // Runs after every chunk written inside a member; returning false stops
    // the member there (addMember then fails with an empty error).
    std::function<bool()> afterChunk;

    int count() const { return m_count; }
    qint64 bytesWritten() const { return m_written; }

    // The most read from a member at once (a device's chunk too): large
    // enough to keep system calls rare, small enough to stay in the
    // processor's cache while it is masked.
    static constexpr qint64 kChunk = 128 * 1024;

private:
    bool write(const char *data, qint64 len, QString &error);
    bool write(const QByteArray &bytes, QString &error) { return write(bytes.constData(), bytes.size(), error); }
    bool cannotWrite(QString &error) const;

    std::unique_ptr<PackOutput> m_device; // when writing to a device
    PackOutput &m_out;
    QIODevice *m_checked = nullptr; // the device begin() checks is new and empty
    QString m_outName;
    PackKey m_key;
    RandomSource &m_random;
    QByteArray m_index;
    int m_count = 0;
    qint64 m_written = 0;
};

} // namespace wf
