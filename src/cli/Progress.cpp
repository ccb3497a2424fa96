#include "cli/Progress.h"
#include "platform/FileSystem.h"
#include <cstdio>

namespace wf {

namespace {
double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}
} // namespace

Progress::Progress(bool quiet, int files)
    : m_quiet(quiet), m_terminal(platform::stderrIsTerminal()), m_files(files)
{
    m_started.start();
}

QString Progress::line(int filesDone, qint64 bytesDone) const
{
    return QStringLiteral("%1/%2 files, %3 MB")
        .arg(filesDone)
        .arg(m_files)
        .arg(megabytes(bytesDone), 0, 'f', 1);
}

void Progress::update(int filesDone, qint64 bytesDone)
{
    // Redrawn at most ten times a second: a terminal is slow to scroll.
    if (m_quiet || !m_terminal || (m_lastDrawn >= 0 && m_started.elapsed() - m_lastDrawn < 100))
        return;
    m_lastDrawn = m_started.elapsed();
    const int width = 30;
    // By files: the bytes still to come are not known without measuring them.
    const double share = m_files > 0 ? qBound(0.0, double(filesDone) / double(m_files), 1.0) : 1.0;
    const int filled = int(share * width);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
    std::fprintf(stderr, "\r[%s] %3d%% %s", qPrintable(bar), int(share * 100), qPrintable(line(filesDone, bytesDone)));
    std::fflush(stderr);
}

void Progress::finish(int filesDone, qint64 bytesDone)
{
    if (m_quiet)
        return;
    if (m_terminal && m_lastDrawn >= 0)
        std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "Packed %s in %.1f s\n", qPrintable(line(filesDone, bytesDone)),
                 double(m_started.elapsed()) / 1000.0);
}

} // namespace wf
