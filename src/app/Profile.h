#pragma once
#include <QString>
#include <QStringList>

namespace wf {

// PakProfile.QXT: lines ended by CR LF.
//   1  header "Korvane Pak System Profile" (ignored on reading)
//   2  Check1 value, written " 1 "
//   3  Check2 value, written " 0 "
//   4  Basic Key text
//   5  executable name
//   6  Header Mask text
//   7+ one ticked row each, in list order
inline constexpr const char *kProfileName = "PakProfile.QXT";
inline constexpr const char *kProfileHeader = "Korvane Pak System Profile";

struct ProfileData {
    int check1 = 0;
    int check2 = 0;
    QString basicKey;
    QString exeName;
    QString headerMask;
    QStringList rows;
};

// Splits a profile into lines: a line ends at CR (an LF right after it is
// skipped) or at the end of the file; nothing after a final CR is a line.
// Text is UTF-8, as file names are on this platform.
QStringList readProfileLines(const QByteArray &bytes);

// The bytes of a profile.
QByteArray profileBytes(const ProfileData &data);

// Replaces the profile at `path` atomically: on failure the earlier file is
// left whole. Returns an empty string on success, else the reason.
QString writeProfile(const QString &path, const ProfileData &data);

} // namespace wf
