#pragma once
// Generated projects for the benchmark: real-looking game data (many small
// files, a few large ones), written once into a temporary directory.
#include <QString>
#include <QStringList>
#include <QVector>

namespace bench {

struct Member {
    QString row; // the row text: backslash separators, as the list shows it
    qint64 size = 0;
};

// A project directory and the files meant to be ticked, in the list's order.
struct DataSet {
    QString dir;
    QVector<Member> members;

    qint64 bytes() const;
    QStringList rows() const;
    // Paths relative to `dir` with '/' separators, for cat and stat.
    QStringList relativePaths() const;
};

// About 480 MB in about 8,100 files: levels, sprites, tiles, sounds, music, video.
bool makeBuildSet(const QString &dir, DataSet &out, QString &error);
// One 1.5 GiB member beside a few small files.
bool makeBigMemberSet(const QString &dir, DataSet &out, QString &error);
// 100,000 small files in 2,000 folders (20 areas of 100 zones).
bool makeManyFilesSet(const QString &dir, DataSet &out, QString &error);

// The keys every profile carries; masking is switched on in the window.
inline constexpr char kBasicKey[] = "1A2B3C4D";
inline constexpr char kHeaderMaskText[] = "5B19C7E4";
inline constexpr quint32 kHeaderMask = 0x5B19C7E4;
inline constexpr quint8 kKey[4] = {0x1A, 0x2B, 0x3C, 0x4D}; // K0..K3

// Writes DIR/PakProfile.QXT: plain (or masked with the keys above), not
// appended, ticking `rows`.
bool writeProfile(const QString &dir, const QStringList &rows, QString &error, bool masked = false);

// Set by SIGINT/SIGTERM; long loops stop early so the temporary data is removed.
bool stopRequested();
void installStopHandler();

} // namespace bench
