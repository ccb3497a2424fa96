#include "pack/PackWriter.h"
#include "options/RandomSource.h"
#include "project/ProjectFiles.h"
#include <QFile>
#include <QLocale>

namespace wf {

namespace {
QString cannotRead(const QString &name, const QString &reason)
{
    return QStringLiteral("Cannot read %1: %2").arg(quotedName(name), reason);
}

const QString kTooLarge = QStringLiteral("the pack would reach 2 GiB, more than it can describe");
} // namespace

PackWriter::PackWriter(QIODevice &out, const QString &outName, const PackKey &key, RandomSource &random)
    : m_out(out), m_outName(outName), m_key(key), m_random(random)
{
}

bool PackWriter::begin(QString &error)
{
    // Offsets are counted from the device's first byte, and the header word is
    // written over byte 0 at the end, so only a new, empty file will do.
    if (!m_out.isWritable() || m_out.isSequential() || m_out.pos() != 0 || m_out.size() != 0) {
        error = QStringLiteral("Cannot write %1: it is not a new, empty file").arg(quotedName(m_outName));
        return false;
    }
    return write(leWord(0), error) && write(leadingFiller(m_random), error);
}

bool PackWriter::addMember(const QString &name, QIODevice &member, qint64 size, QString &error)
{
    return addMember(name, readerOf(member), size, error);
}

bool PackWriter::addMember(const QString &name, const ChunkReader &read, qint64 size, QString &error)
{
    if (m_count >= kMaxPackFiles) {
        error = QStringLiteral("Cannot pack %1: a pack holds at most %2 files")
                    .arg(quotedName(name), QLocale(QLocale::English).toString(kMaxPackFiles));
        return false;
    }
    const QByteArray encoded = QFile::encodeName(name);
    if (encoded.contains('\r')) {
        error = QStringLiteral("Cannot pack %1: a name in the pack cannot contain a carriage return")
                    .arg(quotedName(name));
        return false;
    }
    if (size < 0 || size > kMaxPackBytes) {
        error = QStringLiteral("Cannot pack %1: files of 2 GiB or more cannot be packed").arg(quotedName(name));
        return false;
    }
    const qint64 offset = m_written;
    // The count word follows the data and must itself lie below 2 GiB.
    if (offset + size + 4 > kMaxPackBytes) {
        error = QStringLiteral("Cannot pack %1: %2").arg(quotedName(name), kTooLarge);
        return false;
    }

    if (m_buffer.size() < qMin(size, kChunk))
        m_buffer.resize(int(qMin(size, kChunk)));
    KeyCycle cycle(m_key.bytes);
    const auto put = [&](char *data, qint64 len) {
        if (m_key.encrypted)
            cycle.apply(data, len);
        return write(data, len, error);
    };
    QString reason;
    switch (copyChunks(read, size, m_buffer.data(), m_buffer.size(), put, afterChunk, reason)) {
    case CopyResult::Done:
        break;
    case CopyResult::ReadFailed:
        error = cannotRead(name, reason);
        return false;
    case CopyResult::BecameShorter:
        error = cannotRead(name, QStringLiteral("it became shorter while it was packed"));
        return false;
    case CopyResult::WriteFailed:
        return false;
    case CopyResult::Stopped:
        error.clear();
        return false;
    }

    m_index += encoded;
    m_index += '\r';
    m_index += QByteArray::number(offset);
    m_index += '\r';
    m_index += QByteArray::number(size);
    m_index += '\r';
    ++m_count;
    return true;
}

bool PackWriter::finish(QString &error)
{
    const qint64 countPosition = m_written + 1; // C, 1-based
    QByteArray index = m_index;
    if (m_key.encrypted)
        KeyCycle(m_key.bytes).apply(index.data(), index.size());
    const QByteArray trailing = trailingFiller(m_random);
    if (m_written + 4 + index.size() + trailing.size() > kMaxPackBytes) {
        error = QStringLiteral("Cannot write %1: %2").arg(quotedName(m_outName), kTooLarge);
        return false;
    }

    if (!write(leWord(quint32(m_count)), error) || !write(index, error) || !write(trailing, error))
        return false;
    if (!m_out.seek(0)) {
        error = QStringLiteral("Cannot write %1: %2").arg(quotedName(m_outName), m_out.errorString());
        return false;
    }
    const quint32 mask = m_key.encrypted ? m_key.mask : 0;
    const qint64 length = m_written;
    if (!write(leWord(quint32(countPosition) ^ mask), error))
        return false;
    m_written = length; // the header replaced the placeholder; the pack did not grow

    if (auto *file = qobject_cast<QFileDevice *>(&m_out); file && !file->flush()) {
        error = QStringLiteral("Cannot write %1: %2").arg(quotedName(m_outName), file->errorString());
        return false;
    }
    return true;
}

bool PackWriter::write(const char *data, qint64 len, QString &error)
{
    if (!writeAll(m_out, data, len)) {
        error = QStringLiteral("Cannot write %1: %2").arg(quotedName(m_outName), m_out.errorString());
        return false;
    }
    m_written += len;
    return true;
}

} // namespace wf
