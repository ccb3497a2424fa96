#pragma once
// Rules on row texts that the window and the command line share: the
// list's order, the names that can never be ticked, and matching profile
// lines to rows.
#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

namespace wf {

// The list's order: case-insensitive, ties broken by exact text so the
// order is total and stable.
void sortRows(QStringList &rows);
// The indices of `rows` in the list's order.
std::vector<int> sortedOrder(const QStringList &rows);

// Why a row can never be ticked, or None when it can: the pack's own name
// (in any folder, any case), the executable's name as `Text1` holds it (as
// the row's name part or as the whole row, `/` and `\` alike), a name
// holding a line break, which would end a name in the pack's index or a
// line in the profile, or a symbolic link leading out of the project (a
// project from someone else could otherwise ship a private file).
enum class Refusal { None, PackName, ExeName, Unstorable, LinkOutside };
Refusal refusalOf(const QString &row, const QString &exeName);
// The same without looking at the file: every refusal but LinkOutside (the
// window learns that from the stat it measures the file with).
Refusal refusalByName(const QString &row, const QString &exeName);

// The rows (indices into `rows`) named by the profile's row lines, matched
// upper-cased; every row a line matches, each row once, in row order.
QVector<int> rowsNamedBy(const QStringList &rows, const QStringList &lines);
// The same, and for each line whether it names any row.
struct NamedRows {
    QVector<int> rows;
    std::vector<bool> lineNamesRow;
};
NamedRows matchNamedRows(const QStringList &rows, const QStringList &lines);

} // namespace wf
