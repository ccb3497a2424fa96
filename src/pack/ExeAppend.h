#pragma once
#include <QString>
#include <QtGlobal>

namespace wf {

// Appends the pack at `packPath` after the last byte of the executable at
// `exePath`, then the trailer word and "QUILDX". On any failure the
// executable is cut back to its earlier length, so its bytes are as before.
// `exeName` is the name shown in messages.
bool appendPackToExecutable(const QString &exePath, const QString &exeName, const QString &packPath,
                            quint32 mask, QString &error);

} // namespace wf
