#pragma once
#include "pack/PackFormat.h"
#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace wf {

// Writes one pack to a seekable device in the layout of PackFormat.h:
// begin(), then addMember() for every ticked row in list order, then
// finish(). Members are streamed in bounded chunks. Any failure returns false
// with errorString() naming the file and the reason; the caller then discards
// the output (the device is a QSaveFile in the program).
class PackWriter {
public:
    PackWriter(QIODevice &out, const QString &outName, const PackKey &key, RandomSource &random);

    bool begin();
    // `name` is the row text stored in the index; `path` the file to read.
    bool addMember(const QString &name, const QString &path);
    // Same, from an open device of known size (tests, and the file case).
    bool addMember(const QString &name, QIODevice &member, qint64 size);
    bool finish();

    int count() const { return m_count; }
    qint64 bytesWritten() const { return m_written; }
    QString errorString() const { return m_error; }

    static constexpr qint64 kChunk = 1 << 20;

private:
    bool write(const QByteArray &bytes);
    bool write(const char *data, qint64 len);
    bool fail(const QString &message);

    QIODevice &m_out;
    QString m_outName;
    PackKey m_key;
    RandomSource &m_random;
    QByteArray m_index;
    int m_count = 0;
    qint64 m_written = 0;
    QString m_error;
};

} // namespace wf
