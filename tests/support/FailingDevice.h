#pragma once
#include <QBuffer>

// An in-memory device, unbuffered so every call reaches it, that accepts
// `writeLimit` bytes in all, then fails every write, and hands out reads of
// at most `readLimit` bytes (0: every read fails). -1: no limit.
class FailingDevice : public QBuffer {
public:
    explicit FailingDevice(qint64 writeLimit = -1, qint64 readLimit = -1) : writeLimit(writeLimit), readLimit(readLimit)
    {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }
    const qint64 writeLimit, readLimit;
    qint64 accepted = 0;

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (writeLimit >= 0 && (len = qMin(len, writeLimit - accepted)) <= 0)
            return (setErrorString(QStringLiteral("Simulated write failure")), -1);
        accepted += len;
        return QBuffer::writeData(data, len);
    }
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (readLimit == 0)
            return (setErrorString(QStringLiteral("Simulated read failure")), -1);
        return QBuffer::readData(data, readLimit > 0 ? qMin(maxSize, readLimit) : maxSize);
    }
};
