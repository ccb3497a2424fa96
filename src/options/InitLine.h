#pragma once
#include <QString>

namespace wf {

// The line the game runs to open the pack. `fileName` is the executable's
// name when appending, otherwise "Data.Pak". With encryption the key and
// mask texts are shown exactly as typed.
QString buildInitLine(const QString &fileName, bool encrypted,
                      const QString &basicKey, const QString &headerMask);

} // namespace wf
