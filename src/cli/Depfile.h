#pragma once
// `build --depfile`: the pack's dependencies in the form compilers write
// them, so Make, Ninja and CMake rebuild the pack only when one changed.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace wf {

// A path as Make and Ninja read it in a dependency file: spaces and `#`
// behind a backslash, `$` doubled.
QByteArray depfilePath(const QString &path);

// "Data.Pak: PakProfile.QXT gfx/title.bmp ..." with every path leading from
// the directory the tool was started in: `projectPrefix` (the project
// directory as given on the command line, or empty for the current one)
// before each name, rows with `/` between folders.
QByteArray depfileText(const QString &projectPrefix, const QStringList &rows);

// Writes the text to `path` (absolute, taken before the tool changed
// directory), replacing it whole or not at all.
bool writeDepfile(const QString &path, const QString &projectPrefix, const QStringList &rows, QString &error);

} // namespace wf
