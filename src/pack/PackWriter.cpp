#include "pack/PackWriter.h"
#include "options/RandomSource.h"
#include <QFile>
#include <QLocale>

namespace wf {

namespace {

const auto quoted = quotedName;

QString cannotRead(const QString &name, const QString &reason)
{
    return QStringLiteral("Cannot read %1: %2").arg(quoted(name), reason);
}

} // namespace

PackWriter::PackWriter(QIODevice &out, const QString &outName, const PackKey &key,
                       RandomSource &random)
    : m_out(out), m_outName(outName), m_key(key), m_random(random)
{
}

bool PackWriter::begin()
{
    // Offsets are counted from the device's first byte, and the header word is
    // written over byte 0 at the end, so only a new, empty file will do.
    if (!m_out.isWritable() || m_out.isSequential() || m_out.pos() != 0 || m_out.size() != 0)
        return fail(QStringLiteral("Cannot write %1: it is not a new, empty file")
                            .arg(quoted(m_outName)));
    return write(leWord(0)) && write(leadingFiller(m_random));
}

bool PackWriter::addMember(const QString &name, const QString &path)
{
    QFile file(path);
    // ReadOnly never creates a missing file; Unbuffered because reads are
    // already in large chunks.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(cannotRead(name, file.errorString()));
    return addMember(name, file, file.size());
}

bool PackWriter::addMember(const QString &name, QIODevice &member, qint64 size)
{
    if (m_count >= kMaxPackFiles)
        return fail(QStringLiteral("Cannot pack %1: a pack holds at most %2 files")
                            .arg(quoted(name), QLocale(QLocale::English).toString(kMaxPackFiles)));
    const QByteArray encoded = QFile::encodeName(name);
    if (encoded.contains('\r'))
        return fail(QStringLiteral("Cannot pack %1: a name in the pack cannot contain a carriage return")
                            .arg(quoted(name)));
    if (size < 0 || size > kMaxPackBytes)
        return fail(QStringLiteral("Cannot pack %1: files of 2 GiB or more cannot be packed")
                            .arg(quoted(name)));
    const qint64 offset = m_written;
    // The count word follows the data and must itself lie below 2 GiB.
    if (offset + size + 4 > kMaxPackBytes)
        return fail(QStringLiteral("Cannot pack %1: the pack would reach 2 GiB, more than it can describe")
                            .arg(quoted(name)));

    QByteArray buffer(int(qMin(size, kChunk)), Qt::Uninitialized);
    KeyCycle cycle(m_key.bytes);
    for (qint64 left = size; left > 0;) {
        const qint64 got = member.read(buffer.data(), qMin(left, qint64(buffer.size())));
        if (got < 0)
            return fail(cannotRead(name, member.errorString()));
        if (got == 0)
            return fail(cannotRead(name, QStringLiteral("it became shorter while it was packed")));
        if (m_key.encrypted)
            cycle.apply(buffer.data(), got);
        if (!write(buffer.constData(), got))
            return false;
        left -= got;
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

bool PackWriter::finish()
{
    const qint64 countPosition = m_written + 1; // C, 1-based
    QByteArray index = m_index;
    if (m_key.encrypted)
        KeyCycle(m_key.bytes).apply(index.data(), index.size());
    const QByteArray trailing = trailingFiller(m_random);
    if (m_written + 4 + index.size() + trailing.size() > kMaxPackBytes)
        return fail(QStringLiteral("Cannot write %1: the pack would reach 2 GiB, more than it can describe")
                            .arg(quoted(m_outName)));

    if (!write(leWord(quint32(m_count))) || !write(index) || !write(trailing))
        return false;
    if (!m_out.seek(0))
        return fail(QStringLiteral("Cannot write %1: %2").arg(quoted(m_outName), m_out.errorString()));
    const quint32 mask = m_key.encrypted ? m_key.mask : 0;
    const qint64 length = m_written;
    if (!write(leWord(quint32(countPosition) ^ mask)))
        return false;
    m_written = length; // the header replaced the placeholder; the pack did not grow

    if (auto *file = qobject_cast<QFileDevice *>(&m_out); file && !file->flush())
        return fail(QStringLiteral("Cannot write %1: %2").arg(quoted(m_outName), file->errorString()));
    return true;
}

bool PackWriter::write(const QByteArray &bytes)
{
    return write(bytes.constData(), bytes.size());
}

bool PackWriter::write(const char *data, qint64 len)
{
    if (!writeAll(m_out, data, len))
        return fail(QStringLiteral("Cannot write %1: %2").arg(quoted(m_outName), m_out.errorString()));
    m_written += len;
    return true;
}

bool PackWriter::fail(const QString &message)
{
    m_error = message;
    return false;
}

} // namespace wf
