#include "project/ProfileRows.h"
#include "project/RowRules.h"
#include <QSet>

namespace wf {

QVector<MissingRow> rowsMatchingNoFile(const QStringList &lines, const QStringList &walked)
{
    // The walked rows some line names, matched exactly as the start-up does;
    // a line is found when one of those rows is the same text upper-cased.
    QSet<QString> named;
    for (int i : rowsNamedBy(walked, lines))
        named.insert(walked[i].toUpper());
    QVector<MissingRow> missing;
    constexpr int kFirstRowLine = 7;
    for (int i = 0; i < lines.size(); ++i)
        if (!named.contains(lines[i].toUpper()))
            missing.append({kFirstRowLine + i, lines[i]});
    return missing;
}

} // namespace wf
