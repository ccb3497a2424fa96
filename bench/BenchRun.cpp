#include "BenchRun.h"
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <wfpak/PakReader.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace bench {

namespace {

double msSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

QByteArray readAt(QFile &f, qint64 offset, qint64 len)
{
    if (!f.seek(offset))
        return {};
    return f.read(len);
}

// The first and last 4 KiB of a member, as the game reads them, against its file.
QString checkContent(const wfpak::Pack &pack, const wfpak::Entry &entry, const QString &source)
{
    QFile src(source);
    if (!src.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot reopen %1").arg(source);
    const qint64 size = entry.size;
    const qint64 head = qMin<qint64>(size, 4096);
    const qint64 tailAt = qMax<qint64>(0, size - 4096);
    QByteArray first(head, Qt::Uninitialized), last(size - tailAt, Qt::Uninitialized);
    if (!pack.readRange(entry, 0, first.data(), size_t(first.size()))
        || !pack.readRange(entry, quint64(tailAt), last.data(), size_t(last.size()))
        || first != readAt(src, 0, head) || last != readAt(src, tailAt, size - tailAt))
        return QStringLiteral("member %1 differs from its file").arg(source);
    return {};
}

} // namespace

Timed runProcess(const QString &program, const QStringList &args, const QString &cwd, const QString &stdoutFile)
{
    Timed r;
    QProcess p;
    p.setWorkingDirectory(cwd);
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile, QIODevice::Truncate);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForStarted(-1)) {
        r.error = QStringLiteral("%1 did not start: %2").arg(program, p.errorString());
        return r;
    }
    p.waitForFinished(-1);
    r.ms = msSince(t);
    if (stdoutFile.isEmpty())
        r.out = p.readAllStandardOutput();
    const QByteArray err = p.readAllStandardError();
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!r.ok)
        r.error = QStringLiteral("%1 failed (exit %2): %3")
                      .arg(program)
                      .arg(p.exitCode())
                      .arg(QString::fromLocal8Bit(err.right(2000)).trimmed());
    return r;
}

Timed syncFile(const QString &path)
{
    Timed r;
    QElapsedTimer t;
    t.start();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    r.ok = fd >= 0 && ::fdatasync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    r.ms = msSince(t);
    if (!r.ok)
        r.error = QStringLiteral("cannot sync %1").arg(path);
    return r;
}

void settle() { ::sync(); }

Timed statAll(const QString &dir, const QStringList &relativePaths)
{
    std::vector<std::string> paths;
    paths.reserve(size_t(relativePaths.size()));
    for (const QString &p : relativePaths)
        paths.push_back(QFile::encodeName(dir + QLatin1Char('/') + p).toStdString());
    Timed r;
    qint64 total = 0;
    QElapsedTimer t;
    t.start();
    struct stat st {};
    for (const std::string &p : paths)
        if (::stat(p.c_str(), &st) == 0)
            total += st.st_size;
    r.ms = msSince(t);
    r.ok = total > 0;
    return r;
}

QString checkPack(const QString &packPath, const DataSet &set, bool masked)
{
    // Read as a game reads it: the reader's own checks of the structure first.
    wfpak::Key key;
    if (masked)
        key = {{kKey[0], kKey[1], kKey[2], kKey[3]}, kHeaderMask};
    wfpak::Pack pack;
    if (!pack.openFile(QFile::encodeName(packPath).toStdString(), key, wfpak::Pack::Find::StandAlone))
        return QStringLiteral("the pack does not read: %1").arg(QString::fromStdString(pack.errorText()));
    if (qsizetype(pack.entries().size()) != set.members.size())
        return QStringLiteral("count word %1, expected %2").arg(pack.entries().size()).arg(set.members.size());
    QHash<QByteArray, qint64> expected;
    for (const Member &m : set.members)
        expected.insert(m.row.toUtf8(), m.size);
    qint64 next = -1;
    for (const wfpak::Entry &e : pack.entries()) {
        const QByteArray name = QByteArray::fromStdString(e.name);
        const auto it = expected.find(name);
        if (it == expected.end() || it.value() != qint64(e.size))
            return QStringLiteral("index entry %1 (%2 bytes) is not an expected member")
                .arg(QString::fromUtf8(name))
                .arg(e.size);
        expected.erase(it);
        if ((next < 0 && e.offset > 4 + wfpak::kMaxFiller) || (next >= 0 && qint64(e.offset) != next))
            return QStringLiteral("member %1 starts at %2").arg(QString::fromUtf8(name)).arg(e.offset);
        next = qint64(e.offset) + e.size;
        const QString relative = QString::fromUtf8(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString bad = checkContent(pack, e, set.dir + QLatin1Char('/') + relative);
        if (!bad.isEmpty())
            return bad;
    }
    const qint64 countAt = qint64(pack.layout().countPosition) - 1;
    if (next >= 0 && next != countAt)
        return QStringLiteral("members end at %1, the count word is at %2").arg(next).arg(countAt);
    return {};
}

qint64 statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1 && f.flush();
}

QString resultField(const QByteArray &out, const QString &key)
{
    for (const QByteArray &line : out.split('\n')) {
        if (!line.startsWith("RESULT "))
            continue;
        for (const QByteArray &pair : line.mid(7).split(' '))
            if (pair.startsWith(key.toLatin1() + '='))
                return QString::fromUtf8(pair.mid(key.size() + 1));
    }
    return {};
}

} // namespace bench
