#include "pack/PackOutput.h"
#include "pack/PackFormat.h"
#include <QFileDevice>

namespace wf {

DeviceOutput::DeviceOutput(QIODevice &device, qint64 chunk) : m_device(device), m_buffer(int(chunk), Qt::Uninitialized) {}

char *DeviceOutput::room(qint64 want, qint64 &len)
{
    len = qMin(want, qint64(m_buffer.size()));
    return m_buffer.data();
}

bool DeviceOutput::advance(qint64 n)
{
    return writeAll(m_device, m_buffer.constData(), n);
}

bool DeviceOutput::finish(const char *head, qint64 headLen)
{
    if (!m_device.seek(0) || !writeAll(m_device, head, headLen))
        return false;
    auto *file = qobject_cast<QFileDevice *>(&m_device);
    return !file || file->flush();
}

} // namespace wf
