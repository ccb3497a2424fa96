#pragma once
#include <QString>

namespace wf {

// Paths here are backslash text: the backslash is the only separator.

// The full path `p` without the project directory `projectDir` and one
// separator, as row text (native separators turned into backslashes). The
// prefix is not compared: the caller passes a path at or below the project.
QString relpath(const QString &p, const QString &projectDir);

// The native path of a row text or executable name, relative to
// `projectDir` unless it is absolute.
QString nativePath(const QString &rowText, const QString &projectDir);

} // namespace wf
