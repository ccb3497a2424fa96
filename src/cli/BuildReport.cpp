#include "cli/BuildReport.h"
#include "cli/PackInput.h"
#include "project/ProfileRows.h"
#include "project/ProjectFiles.h"

namespace wf {

bool reportUnpackedRows(const Profile &profile, const QVector<MissingRow> &missing, const BuildPlan &plan)
{
    const QString name = QString::fromLatin1(kProfileName);
    bool said = false;
    for (const MissingRow &row : missing) {
        printError(QStringLiteral("%1 line %2: %3 names no file in the project; it is not packed")
                           .arg(name).arg(row.line).arg(quotedName(row.text)));
        said = true;
    }
    if (plan.rows.isEmpty()) {
        printError(profile.complete()
                           ? QStringLiteral("%1 ticks no file that can be packed: the pack is empty").arg(name)
                           : QStringLiteral("%1 ends before its sixth line, or line 2 or 3 is not 0, 1 or 2, so it "
                                            "ticks no file: the pack is empty").arg(name));
        said = true;
    }
    return said;
}

} // namespace wf
