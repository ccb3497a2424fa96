#pragma once
#include <QtGlobal>

// Lowers this process's file-size limit (RLIMIT_FSIZE) for its lifetime, with
// SIGXFSZ ignored, so writes past `bytes` fail with EFBIG even for root.
// The earlier limit and signal disposition come back on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    bool isActive() const { return m_active; }

private:
    Q_DISABLE_COPY(FileSizeLimit)
    quint64 m_savedCurrent = 0;
    void (*m_savedHandler)(int) = nullptr;
    bool m_active = false;
};
