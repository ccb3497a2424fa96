#include "pack/PackWriter.h"
#include "options/RandomSource.h"
#include "project/ProjectFiles.h"
#include <QFile>
#include <QLocale>
#include <cstring>

namespace wf {

namespace {
QString cannotRead(const QString &name, const QString &reason)
{
    return QStringLiteral("Cannot read %1: %2").arg(quotedName(name), reason);
}

const QString kTooLarge = QStringLiteral("the pack would reach 2 GiB, more than it can describe");
} // namespace

PackWriter::PackWriter(QIODevice &out, const QString &outName, const PackKey &key, RandomSource &random)
    : m_device(std::make_unique<DeviceOutput>(out, kChunk)), m_out(*m_device), m_checked(&out), m_outName(outName),
      m_key(key), m_random(random)
{
}

PackWriter::PackWriter(PackOutput &out, const QString &outName, const PackKey &key, RandomSource &random)
    : m_out(out), m_outName(outName), m_key(key), m_random(random)
{
}

PackWriter::~PackWriter() = default;

bool PackWriter::begin(QString &error)
{
    // Offsets are counted from the device's first byte, and the header word is
    // written over byte 0 at the end, so only a new, empty file will do.
    if (m_checked
        && (!m_checked->isWritable() || m_checked->isSequential() || m_checked->pos() != 0 || m_checked->size() != 0)) {
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

    // Read straight into the output's room and masked there: no copy.
    KeyCycle cycle(m_key.bytes);
    const auto room = [this](qint64 want, qint64 &len) { return m_out.room(qMin(want, kChunk), len); };
    const auto put = [&](char *data, qint64 len) {
        if (m_key.encrypted)
            cycle.apply(data, len);
        if (!m_out.advance(len))
            return false;
        m_written += len;
        return true;
    };
    QString reason;
    switch (copyChunks(read, size, room, put, afterChunk, reason)) {
    case CopyResult::Done:
        break;
    case CopyResult::ReadFailed:
        error = cannotRead(name, reason);
        return false;
    case CopyResult::BecameShorter:
        error = cannotRead(name, QStringLiteral("it became shorter while it was packed"));
        return false;
    case CopyResult::WriteFailed:
        return cannotWrite(error);
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
    const quint32 mask = m_key.encrypted ? m_key.mask : 0;
    const QByteArray head = leWord(quint32(countPosition) ^ mask);
    if (!m_out.finish(head.constData(), head.size()))
        return cannotWrite(error);
    return true;
}

bool PackWriter::write(const char *data, qint64 len, QString &error)
{
    while (len > 0) {
        qint64 room = 0;
        char *to = m_out.room(len, room);
        if (!to)
            return cannotWrite(error);
        std::memcpy(to, data, size_t(room));
        if (!m_out.advance(room))
            return cannotWrite(error);
        m_written += room;
        data += room;
        len -= room;
    }
    return true;
}

bool PackWriter::cannotWrite(QString &error) const
{
    error = QStringLiteral("Cannot write %1: %2").arg(quotedName(m_outName), m_out.errorString());
    return false;
}

} // namespace wf
