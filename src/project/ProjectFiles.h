#pragma once
// The files the tool itself writes in the project directory, and the rules
// that keep those writes inside it.
#include <QString>

namespace wf {

// The project directory is always the process's current directory, reached
// through relative names: its path is never decoded and re-encoded, so a
// directory whose name is not valid UTF-8 is still the one written to.
inline constexpr const char *kProjectDir = ".";
inline constexpr const char *kPackName = "Data.Pak";

// A text as messages and listings show it: NUL as \0 and other control
// characters as \xNN, so a name can neither drive the terminal nor be cut short.
QString shownText(const QString &text);
// A file name as messages show it: in double quotes, shown as above.
QString quotedName(const QString &name);

// False, with a message naming the link and where it points, when `path`
// is a symbolic link (dangling or not): the tool's own files are only ever
// plain files, so a link planted in a project cannot redirect a write.
bool refuseLink(const QString &path, QString &error);

// The project directory for people: its full path in native form.
QString projectDirForDisplay();

} // namespace wf
