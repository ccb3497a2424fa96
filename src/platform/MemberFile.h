#pragma once
// A pack member read with the fewest system calls: open (never blocking),
// one fstat for its type and size, reads of exactly that size, close.
#include <QString>

namespace wf::platform {

class MemberFile {
public:
    MemberFile() = default;
    MemberFile(const MemberFile &) = delete;
    MemberFile &operator=(const MemberFile &) = delete;
    ~MemberFile();

    // Opens `path` for reading only when it is a regular file; the check is
    // made on the opened handle, so a named pipe or a device swapped in at
    // the last moment is refused, not waited on. On refusal `error` is the
    // reason, e.g. "it is not a regular file".
    bool open(const QString &path, QString &error);
    // Its size when it was opened.
    qint64 size() const { return m_size; }
    // Reads up to `len` bytes: the count, 0 at the end, -1 with `reason`.
    qint64 read(char *data, qint64 len, QString &reason);

private:
    int m_fd = -1;
    qint64 m_size = 0;
};

} // namespace wf::platform
