#pragma once
#include <QBuffer>
#include <QIODevice>

// A seekable in-memory device that accepts `writeLimit` bytes in all (counted
// over every write, wherever it lands) and fails every write after that, and
// can hand out reads in small pieces. Open it Unbuffered.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 writeLimit = -1, const QByteArray &content = {});

    void setReadLimit(qint64 bytesPerRead) { m_readLimit = bytesPerRead; }
    const QByteArray &data() const { return m_data; }

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override { return m_buffer.size(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 len) override;

private:
    QByteArray m_data;
    QBuffer m_buffer;
    qint64 m_writeLimit;
    qint64 m_accepted = 0;
    qint64 m_readLimit = -1;
};
