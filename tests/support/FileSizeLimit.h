#pragma once
#include <QtGlobal>
#include <csignal>
#include <sys/resource.h>

// Lowers this process's file-size limit (RLIMIT_FSIZE) for its lifetime, so
// writes past `bytes` fail with EFBIG even for root; -1 lifts it where the
// hard limit allows. SIGXFSZ is ignored from then on, so going past the limit
// fails the write instead of ending the test. The earlier limit comes back on
// destruction; nothing changes if the limit cannot be set.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
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
