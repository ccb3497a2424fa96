#pragma once
// Progress of a build on standard error: a bar redrawn in place when it is
// a terminal, one summary line otherwise, nothing at all when quiet.
#include <QElapsedTimer>
#include <QString>

namespace wf {

class Progress {
public:
    Progress(bool quiet, int files);
    void update(int filesDone, qint64 bytesDone);
    void finish(int filesDone, qint64 bytesDone);

private:
    QString line(int filesDone, qint64 bytesDone) const;

    bool m_quiet;
    bool m_terminal;
    int m_files;
    QElapsedTimer m_started;
    qint64 m_lastDrawn = -1;
};

} // namespace wf
