#include "options/InitLine.h"

namespace wf {

QString buildInitLine(const QString &fileName, bool encrypted,
                      const QString &basicKey, const QString &headerMask)
{
    // The line is pasted into the game's code as is: nothing is quoted,
    // escaped or checked.
    const QString name = QLatin1String("PakInit \"") + fileName + QLatin1Char('"');
    // "TMP", the game routine's third argument, is fixed text: the same
    // under every option.
    if (encrypted)
        return name + QLatin1String(", $") + basicKey + QLatin1String(", \"TMP\", $") + headerMask;
    return name + QLatin1String(", 0, \"TMP\", 0");
}

} // namespace wf
