#pragma once
// PakProfile.QXT: lines ended by CR LF (LF or CR alone is read as well).
//   1  header "Korvane Pak System Profile" (ignored on reading)
//   2  Check1 value, written " 1 " (read by the number rule)
//   3  Check2 value, written " 0 "
//   4  Basic Key text
//   5  executable name
//   6  Header Mask text
//   7+ one ticked row each, in list order
// Lines are UTF-8; a line that is not is read as Windows-1252, the 8-bit
// text of profiles written on Windows.
#include <QString>
#include <QStringList>
#include <optional>

namespace wf {

inline constexpr const char *kProfileName = "PakProfile.QXT";
inline constexpr const char *kProfileHeader = "Korvane Pak System Profile";

// A whole profile. Reading fills the fields in order and stops at the first
// line that is missing or (for the two values) fails the number rule: that
// field and every later one stay absent, and no rows are read.
struct Profile {
    std::optional<int> check1;
    std::optional<int> check2;
    std::optional<QString> basicKey;
    std::optional<QString> exeName;
    std::optional<QString> headerMask;
    QStringList rows;

    bool complete() const { return headerMask.has_value(); }
};

// Splits profile bytes into lines: a line ends at CR LF, a lone CR, a lone LF
// or the end of the file; nothing after a final line end is a line.
QStringList readProfileLines(const QByteArray &bytes);
Profile parseProfile(const QByteArray &bytes);
// The bytes written for a complete profile; absent fields are written as
// their empty or zero value.
QByteArray profileBytes(const Profile &profile);

// Reads the profile at `path` into `profile`. A missing file, anything that
// is not a regular file (a named pipe is never waited on) or a file too
// large to be one gives false and `error`, with every field absent: callers
// read that as no profile at all.
bool readProfile(const QString &path, Profile &profile, QString &error);

// Replaces the profile atomically: on failure the earlier file is left
// whole. A profile name that is a symbolic link is refused, never followed.
bool writeProfile(const QString &path, const Profile &profile, QString &error);

} // namespace wf
