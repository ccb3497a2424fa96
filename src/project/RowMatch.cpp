#include "project/RowMatch.h"

namespace wf {

namespace {

constexpr uint kAnyRun = '*';
constexpr uint kAnyOne = '?';

// Code points rather than UTF-16 units, so `?` stands for one character
// even outside the Basic Multilingual Plane; folded so case never matters.
QList<uint> folded(const QString &s)
{
    QList<uint> out = s.toUcs4();
    for (uint &c : out)
        c = QChar::toCaseFolded(char32_t(c));
    return out;
}

} // namespace

QString folderOf(const QString &row)
{
    return row.left(row.lastIndexOf(QLatin1Char('\\')) + 1);
}

QVector<int> rowsInFolderOf(const QStringList &rows, int row)
{
    QVector<int> out;
    if (row < 0 || row >= rows.size())
        return out;
    const QString folder = folderOf(rows[row]);
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].startsWith(folder, Qt::CaseInsensitive))
            out << i;
    return out;
}

RowPattern::RowPattern(const QString &pattern) : m_pattern(folded(pattern))
{
    for (uint &c : m_pattern)
        if (c == uint('/'))
            c = uint('\\');
}

bool RowPattern::matches(const QString &text) const
{
    // Greedy scan that remembers only the latest `*`: on a mismatch that `*`
    // takes one more character and the scan resumes after it. An earlier `*`
    // never needs to be revisited, since the latest one can absorb anything
    // the earlier could, so the work is at most text length x pattern length.
    const QList<uint> t = folded(text);
    const QList<uint> &p = m_pattern;
    qsizetype i = 0, j = 0;
    qsizetype star = -1, resume = 0;
    while (i < t.size()) {
        if (j < p.size() && p[j] == kAnyRun) {
            star = j++;
            resume = i;
        } else if (j < p.size() && (p[j] == kAnyOne || p[j] == t[i])) {
            ++i;
            ++j;
        } else if (star >= 0) {
            j = star + 1;
            i = ++resume;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == kAnyRun)
        ++j;
    return j == p.size();
}

QVector<int> rowsMatching(const QStringList &rows, const QString &pattern)
{
    const RowPattern p(pattern);
    QVector<int> out;
    for (int i = 0; i < rows.size(); ++i)
        if (p.matches(rows[i]))
            out << i;
    return out;
}

} // namespace wf
