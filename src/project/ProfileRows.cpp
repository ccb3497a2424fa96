#include "project/ProfileRows.h"
#include "project/RowRules.h"

namespace wf {

QVector<MissingRow> missingRows(const QStringList &lines, const NamedRows &named)
{
    QVector<MissingRow> missing;
    constexpr int kFirstRowLine = 7;
    for (int i = 0; i < lines.size(); ++i)
        if (!named.lineNamesRow[size_t(i)])
            missing.append({kFirstRowLine + i, lines[i]});
    return missing;
}

} // namespace wf
