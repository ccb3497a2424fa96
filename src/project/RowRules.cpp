#include "project/RowRules.h"
#include "project/PathFunctions.h"
#include <QHash>
#include <algorithm>

namespace wf {

bool rowLessThan(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

void sortRows(QStringList &rows)
{
    std::sort(rows.begin(), rows.end(), rowLessThan);
}

Refusal refusalOf(const QString &row, const QString &exeName)
{
    const QString name = isolatename(row.toUpper());
    if (name == QLatin1String("DATA.PAK"))
        return Refusal::PackName;
    if (name == exeName.toUpper())
        return Refusal::ExeName;
    if (row.contains(QLatin1Char('\r')))
        return Refusal::Unstorable;
    return Refusal::None;
}

QVector<int> rowsNamedBy(const QStringList &rows, const QStringList &lines)
{
    QVector<int> found;
    if (lines.isEmpty())
        return found;
    QHash<QString, bool> wanted;
    wanted.reserve(lines.size());
    for (const QString &line : lines)
        wanted.insert(line.toUpper(), true);
    for (int i = 0; i < rows.size(); ++i)
        if (wanted.contains(rows[i].toUpper()))
            found.append(i);
    return found;
}

} // namespace wf
