#include "support/FailingDevice.h"

FailingDevice::FailingDevice(qint64 writeLimit, const QByteArray &content)
    : m_data(content), m_buffer(&m_data), m_writeLimit(writeLimit)
{
}

bool FailingDevice::open(OpenMode mode)
{
    return m_buffer.open(mode & ~(Unbuffered | Truncate)) && QIODevice::open(mode);
}

void FailingDevice::close()
{
    QIODevice::close();
    m_buffer.close();
}

bool FailingDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_buffer.seek(pos);
}

qint64 FailingDevice::readData(char *data, qint64 maxSize)
{
    if (m_readLimit > 0)
        maxSize = qMin(maxSize, m_readLimit);
    return m_buffer.read(data, maxSize);
}

qint64 FailingDevice::writeData(const char *data, qint64 len)
{
    if (m_writeLimit >= 0) {
        if (m_accepted >= m_writeLimit) {
            setErrorString(QStringLiteral("Simulated write failure"));
            return -1;
        }
        len = qMin(len, m_writeLimit - m_accepted);
    }
    const qint64 n = m_buffer.write(data, len);
    m_accepted += qMax<qint64>(n, 0);
    return n;
}
