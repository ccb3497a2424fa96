#pragma once
#include <QtGlobal>
#include <csignal>
#include <sys/resource.h>

// Lowers this process's file-size limit (RLIMIT_FSIZE) while it lives, so
// writes past `bytes` fail with EFBIG even for root (SIGXFSZ ignored from
// then on); -1 lifts it. The earlier limit comes back on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        const rlimit lowered{rlim_t(bytes), m_saved.rlim_max}; // the hard limit stays, so the soft one can rise again
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_saved);
    }

private:
    Q_DISABLE_COPY(FileSizeLimit)
    rlimit m_saved{};
    bool m_active = false;
};
