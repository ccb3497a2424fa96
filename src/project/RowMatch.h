#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

namespace wf {

// Choosing rows of the file list by folder and by name pattern. Row texts use
// the backslash as their only separator.

// The row's folder part: its text up to and including the last backslash;
// empty for a row in the project directory itself.
QString folderOf(const QString &row);

// The rows that lie in the folder holding `rows[row]` or below it: those
// whose text starts, ignoring case, with that row's folder part. A row in
// the project directory covers every row.
QVector<int> rowsInFolderOf(const QStringList &rows, int row);

// A pattern over a row's whole text: `*` stands for any run of characters,
// backslashes included, `?` for exactly one character; every other
// character stands for itself (`[` and `]` too), letter case ignored. A
// forward slash stands for the backslash, since rows never hold one.
class RowPattern {
public:
    explicit RowPattern(const QString &pattern);
    bool matches(const QString &text) const;

private:
    QList<uint> m_pattern; // case-folded code points
};

// The rows whose whole text matches `pattern`.
QVector<int> rowsMatching(const QStringList &rows, const QString &pattern);

} // namespace wf
