#include "BenchRun.h"
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QtEndian>
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

// What a member's bytes look like in the pack: masked with the key cycle,
// which starts afresh at each member.
QByteArray packed(QByteArray bytes, qint64 firstIndex, bool masked)
{
    if (!masked)
        return bytes;
    for (qint64 i = 0; i < bytes.size(); ++i)
        bytes[i] = char(quint8(bytes[i]) ^ kKey[3 - (firstIndex + i) % 4]);
    return bytes;
}

QString checkContent(QFile &pack, const QString &source, qint64 offset, qint64 size, bool masked)
{
    QFile src(source);
    if (!src.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot reopen %1").arg(source);
    const qint64 head = qMin<qint64>(size, 4096);
    const qint64 tailAt = qMax<qint64>(0, size - 4096);
    if (readAt(pack, offset, head) != packed(readAt(src, 0, head), 0, masked) ||
        readAt(pack, offset + tailAt, size - tailAt) != packed(readAt(src, tailAt, size - tailAt), tailAt, masked))
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
    QFile pack(packPath);
    if (!pack.open(QIODevice::ReadOnly))
        return QStringLiteral("no pack at %1").arg(packPath);
    const qint64 size = pack.size();
    if (size < set.bytes() + 8)
        return QStringLiteral("pack of %1 bytes is smaller than its %2 bytes of members").arg(size).arg(set.bytes());
    const QByteArray head = readAt(pack, 0, 4);
    const qint64 c = qint64(qFromLittleEndian<quint32>(head.constData()) ^ (masked ? kHeaderMask : 0u));
    if (c < 5 || c + 3 > size)
        return QStringLiteral("header word points outside the pack (C = %1)").arg(c);
    const QByteArray countWord = readAt(pack, c - 1, 4);
    const quint32 n = qFromLittleEndian<quint32>(countWord.constData());
    if (qsizetype(n) != set.members.size())
        return QStringLiteral("count word %1, expected %2").arg(n).arg(set.members.size());

    const QList<QByteArray> fields = packed(readAt(pack, c + 3, size - (c + 3)), 0, masked).split('\r');
    if (fields.size() < 3 * qsizetype(n))
        return QStringLiteral("index holds fewer than %1 entries").arg(n);
    QHash<QByteArray, qint64> expected;
    for (const Member &m : set.members)
        expected.insert(m.row.toUtf8(), m.size);
    qint64 next = -1;
    for (qsizetype k = 0; k < qsizetype(n); ++k) {
        const QByteArray &name = fields[3 * k];
        const qint64 offset = fields[3 * k + 1].toLongLong();
        const qint64 len = fields[3 * k + 2].toLongLong();
        const auto it = expected.find(name);
        if (it == expected.end() || it.value() != len)
            return QStringLiteral("index entry %1 (%2 bytes) is not an expected member")
                .arg(QString::fromUtf8(name))
                .arg(len);
        expected.erase(it);
        if ((next < 0 && (offset < 4 || offset > 503)) || (next >= 0 && offset != next))
            return QStringLiteral("member %1 starts at %2").arg(QString::fromUtf8(name)).arg(offset);
        next = offset + len;
        const QString relative = QString::fromUtf8(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString source = set.dir + QLatin1Char('/') + relative;
        const QString bad = checkContent(pack, source, offset, len, masked);
        if (!bad.isEmpty())
            return bad;
    }
    if (next != c - 1)
        return QStringLiteral("members end at %1, the count word is at %2").arg(next).arg(c - 1);
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
