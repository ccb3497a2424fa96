#include "BenchData.h"
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

volatile std::sig_atomic_t g_stop = 0;

// xorshift64*: fast, deterministic, good enough to make content and sizes.
class Random {
public:
    explicit Random(quint64 seed) : m_s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    quint64 next()
    {
        m_s ^= m_s >> 12;
        m_s ^= m_s << 25;
        m_s ^= m_s >> 27;
        return m_s * 0x2545F4914F6CDD1Dull;
    }
    // Log-uniform in [lo, hi]: many small sizes, few near the top.
    qint64 logUniform(qint64 lo, qint64 hi)
    {
        const double u = double(next() >> 11) / double(1ull << 53);
        return qint64(std::exp(std::log(double(lo)) + u * (std::log(double(hi)) - std::log(double(lo)))));
    }

private:
    quint64 m_s;
};

// 1 MiB of noise that file contents are cut from at varying offsets, so
// files differ without generating every byte afresh.
const QByteArray &noise()
{
    static const QByteArray bytes = [] {
        QByteArray b(1 << 20, Qt::Uninitialized);
        Random r(7);
        for (int i = 0; i < b.size(); i += 8) {
            const quint64 v = r.next();
            std::memcpy(b.data() + i, &v, 8);
        }
        return b;
    }();
    return bytes;
}

bool writeFile(const QString &path, qint64 size, quint64 seed, QString &error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const QByteArray &src = noise();
    qint64 at = qint64(seed * 4099 % quint64(src.size()));
    quint64 stamp = seed;
    for (qint64 left = size; left > 0;) {
        const qint64 n = qMin(left, qint64(src.size()) - at);
        // Large files would repeat the 1 MiB; a stamp per piece keeps them distinct.
        QByteArray piece = src.mid(at, n);
        if (piece.size() >= 8)
            std::memcpy(piece.data(), &stamp, 8);
        ++stamp;
        for (qint64 done = 0; done < n;) {
            const ssize_t w = ::write(fd, piece.constData() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                error = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                ::close(fd);
                return false;
            }
            done += w;
        }
        left -= n;
        at = 0;
    }
    if (::close(fd) != 0) {
        error = QStringLiteral("cannot close %1").arg(path);
        return false;
    }
    return true;
}

struct Kind {
    const char *folder; // may hold %1 for a subfolder number
    int subfolders;
    const char *name;   // %1 is the file number
    int count;
    qint64 lo, hi;
};

bool generate(const QString &dir, const QVector<Kind> &kinds, quint64 seed, DataSet &out, QString &error)
{
    out.dir = dir;
    out.members.clear();
    Random r(seed);
    quint64 fileSeed = seed * 1000003;
    for (const Kind &k : kinds) {
        for (int f = 0; f < k.count; ++f) {
            if (stopRequested()) {
                error = QStringLiteral("stopped");
                return false;
            }
            const int sub = k.subfolders > 0 ? f % k.subfolders : 0;
            QString folder = QString::fromLatin1(k.folder);
            if (k.subfolders > 0)
                folder = folder.arg(sub, 2, 10, QLatin1Char('0'));
            const QString name = QString::fromLatin1(k.name).arg(f, 4, 10, QLatin1Char('0'));
            const qint64 size = k.lo == k.hi ? k.lo : r.logUniform(k.lo, k.hi);
            if (!QDir().mkpath(dir + QLatin1Char('/') + folder)) {
                error = QStringLiteral("cannot create folder %1").arg(folder);
                return false;
            }
            if (!writeFile(dir + QLatin1Char('/') + folder + QLatin1Char('/') + name, size, ++fileSeed, error))
                return false;
            out.members.append(Member{QString(folder).replace(QLatin1Char('/'), QLatin1Char('\\')) +
                                          QLatin1Char('\\') + name,
                                      size});
        }
    }
    // The list's order: case-insensitive, ties broken by the exact text.
    std::sort(out.members.begin(), out.members.end(), [](const Member &a, const Member &b) {
        const int c = QString::compare(a.row, b.row, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.row < b.row;
    });
    return true;
}

void onStop(int) { g_stop = 1; }

} // namespace

qint64 DataSet::bytes() const
{
    qint64 sum = 0;
    for (const Member &m : members)
        sum += m.size;
    return sum;
}

QStringList DataSet::rows() const
{
    QStringList r;
    r.reserve(members.size());
    for (const Member &m : members)
        r << m.row;
    return r;
}

QStringList DataSet::relativePaths() const
{
    QStringList r = rows();
    for (QString &p : r)
        p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return r;
}

bool makeBuildSet(const QString &dir, DataSet &out, QString &error)
{
    const QVector<Kind> kinds = {
        {"maps/Level%1", 40, "Sector%1.map", 2400, 1024, 24 << 10},
        {"gfx/sprites/set%1", 30, "Sprite%1.bmp", 3000, 2 << 10, 96 << 10},
        {"gfx/tiles", 0, "tile%1.png", 1500, 4 << 10, 64 << 10},
        {"sfx/bank%1", 11, "fx%1.wav", 1100, 8 << 10, 512 << 10},
        {"text", 0, "Script%1.txt", 100, 512, 8 << 10},
        {"music", 0, "Track%1.ogg", 12, 3 << 20, 9 << 20},
        {"video", 0, "Cut%1.avi", 4, 20 << 20, 52 << 20},
    };
    return generate(dir, kinds, 11, out, error);
}

bool makeBigMemberSet(const QString &dir, DataSet &out, QString &error)
{
    const QVector<Kind> kinds = {
        {"video", 0, "Intro%1.avi", 1, qint64(3) << 29, qint64(3) << 29}, // 1.5 GiB
        {"text", 0, "Credits%1.txt", 3, 512, 4 << 10},
    };
    return generate(dir, kinds, 13, out, error);
}

bool makeManyFilesSet(const QString &dir, DataSet &out, QString &error)
{
    QVector<Kind> kinds;
    static QVector<QByteArray> folders;
    folders.clear();
    for (int a = 0; a < 20; ++a)
        folders << QStringLiteral("area%1/Zone").arg(a, 2, 10, QLatin1Char('0')).toLatin1() + "%1";
    for (const QByteArray &f : std::as_const(folders))
        kinds.append({f.constData(), 100, "Obj%1.dat", 5000, 64, 4 << 10});
    return generate(dir, kinds, 17, out, error);
}

bool writeProfile(const QString &dir, const QStringList &rows, QString &error, bool masked)
{
    QByteArray text = QByteArrayLiteral("Korvane Pak System Profile\r\n") + (masked ? " 1 " : " 0 ") + "\r\n 0 \r\n" + kBasicKey +
                      "\r\nMygame.exe\r\n" + kHeaderMaskText + "\r\n";
    for (const QString &r : rows)
        text += r.toUtf8() + "\r\n";
    QFile f(dir + QStringLiteral("/PakProfile.QXT"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() || !f.flush()) {
        error = QStringLiteral("cannot write the profile: %1").arg(f.errorString());
        return false;
    }
    return true;
}

bool stopRequested() { return g_stop != 0; }

void installStopHandler()
{
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

} // namespace bench
