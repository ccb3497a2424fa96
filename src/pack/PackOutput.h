#pragma once
// Where a pack's bytes go. The writer asks for room, fills it in place (a
// member is read straight into it and masked there) and hands it on; the
// header word is placed over the first bytes once everything else is out.
#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace wf {

class PackOutput {
public:
    virtual ~PackOutput() = default;
    // Room for up to `want` (> 0) next bytes: its address, its size in `len`
    // (at least 1); null on failure.
    virtual char *room(qint64 want, qint64 &len) = 0;
    // The first `n` bytes of the last room are written; false on failure.
    virtual bool advance(qint64 n) = 0;
    // Writes `head` over the first bytes; false on failure.
    virtual bool finish(const char *head, qint64 headLen) = 0;
    // Why the last call failed.
    virtual QString errorString() const = 0;
};

// A seekable device, written a chunk at a time as each chunk is ready.
class DeviceOutput final : public PackOutput {
public:
    DeviceOutput(QIODevice &device, qint64 chunk);
    char *room(qint64 want, qint64 &len) override;
    bool advance(qint64 n) override;
    bool finish(const char *head, qint64 headLen) override;
    QString errorString() const override { return m_device.errorString(); }

private:
    QIODevice &m_device;
    QByteArray m_buffer;
};

} // namespace wf
