#include "project/RowRules.h"
#include "project/AsciiCase.h"
#include "platform/FileSystem.h"
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <vector>

namespace wf {

namespace {
// Equal once upper-cased. For ASCII that is a case-blind comparison, with
// no new strings: the tick handler runs it for every row Select All ticks.
bool sameUpper(QStringView a, QStringView b)
{
    if (isAscii(a) && isAscii(b))
        return a.compare(b, Qt::CaseInsensitive) == 0;
    return a.toString().toUpper() == b.toString().toUpper();
}

// Appends the key of `row` to `out`: bytes compare quickest, and UTF-8
// keeps the order of the characters.
void appendSortKey(const QString &row, QByteArray &out)
{
    if (!isAscii(row)) {
        out += row.toCaseFolded().toUtf8();
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + row.size());
    char *d = out.data() + at;
    for (qsizetype i = 0; i < row.size(); ++i) {
        d[i] = char(asciiLower(row[i].unicode()));
    }
}
} // namespace

std::vector<int> sortedOrder(const QStringList &rows)
{
    // All keys in one buffer, and a small record per row: 100,000 rows sort
    // in a few milliseconds, where comparing the texts case-insensitively
    // took a large part of the start-up.
    struct Item { // 16 bytes: 100,000 of them are sorted
        qsizetype at;
        int size;
        int row;
    };
    // Sized once: growing a buffer of megabytes copies it and touches new
    // memory each time. ASCII keys are as long as their rows.
    qsizetype total = 0;
    for (const QString &row : rows)
        total += row.size();
    QByteArray keys;
    keys.reserve(total);
    std::vector<Item> items;
    items.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const qsizetype at = keys.size();
        appendSortKey(rows[i], keys);
        items.push_back({at, int(keys.size() - at), i});
    }
    const char *base = keys.constData();
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
        const int c = std::memcmp(base + a.at, base + b.at, size_t(qMin(a.size, b.size)));
        if (c != 0)
            return c < 0;
        if (a.size != b.size)
            return a.size < b.size;
        return rows[a.row] < rows[b.row];
    });
    std::vector<int> order;
    order.reserve(items.size());
    for (const Item &item : items)
        order.push_back(item.row);
    return order;
}

void sortRows(QStringList &rows)
{
    QStringList sorted;
    sorted.reserve(rows.size());
    for (int i : sortedOrder(rows))
        sorted.append(std::move(rows[i]));
    rows = std::move(sorted);
}

Refusal refusalOf(const QString &row, const QString &exeName)
{
    const Refusal byName = refusalByName(row, exeName);
    if (byName != Refusal::None)
        return byName;
    if (platform::linkLeadsOutside(QFile::encodeName(QString(row).replace(QLatin1Char('\\'), QLatin1Char('/'))), nullptr))
        return Refusal::LinkOutside;
    return Refusal::None;
}

Refusal refusalByName(const QString &row, const QString &exeName)
{
    // The name part: after the last backslash, or the whole row.
    const QStringView name = QStringView(row).mid(row.lastIndexOf(QLatin1Char('\\')) + 1);
    if (sameUpper(name, u"DATA.PAK"))
        return Refusal::PackName;
    if (sameUpper(name, exeName))
        return Refusal::ExeName;
    // `bin\game.exe` or `bin/game.exe` under Filename names the row itself.
    if (exeName.size() == row.size() && sameUpper(row, QString(exeName).replace(QLatin1Char('/'), QLatin1Char('\\'))))
        return Refusal::ExeName;
    if (row.contains(QLatin1Char('\r')) || row.contains(QLatin1Char('\n')))
        return Refusal::Unstorable;
    return Refusal::None;
}

namespace {
// A hash of a text's upper case: folding ASCII letters is enough, since a
// text with anything else is hashed after its full upper-casing.
quint64 upperHash(QStringView s)
{
    quint64 h = 1469598103934665603ULL; // FNV-1a
    for (QChar c : s)
        h = (h ^ quint64(asciiUpper(c.unicode()))) * 1099511628211ULL;
    return h;
}

// Equal once upper-cased, each text either plain ASCII or upper-cased already.
bool sameFolded(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i].unicode()) != asciiUpper(b[i].unicode()))
            return false;
    return true;
}
} // namespace

NamedRows matchNamedRows(const QStringList &rows, const QStringList &lines)
{
    NamedRows out;
    out.lineNamesRow.assign(size_t(lines.size()), false);
    if (lines.isEmpty())
        return out;
    // Every line in an open hash table of its upper case, lines of equal hash
    // chained. Rows and lines are nearly always ASCII, which is folded a
    // character at a time: no new strings.
    std::vector<QString> upper(size_t(lines.size())); // only for lines that are not ASCII
    std::vector<quint64> hashes(size_t(lines.size()));
    std::vector<int> next(size_t(lines.size()), -1);
    size_t tableSize = 16;
    while (tableSize < size_t(lines.size()) * 2)
        tableSize *= 2;
    std::vector<int> table(tableSize, -1);
    const auto folded = [&](int line) -> QStringView {
        return upper[size_t(line)].isNull() ? QStringView(lines[line]) : QStringView(upper[size_t(line)]);
    };
    const auto slotOf = [&](quint64 h) {
        size_t at = size_t(h) & (tableSize - 1);
        while (table[at] >= 0 && hashes[size_t(table[at])] != h)
            at = (at + 1) & (tableSize - 1);
        return at;
    };
    for (int i = 0; i < lines.size(); ++i) {
        if (!isAscii(lines[i]))
            upper[size_t(i)] = lines[i].toUpper();
        hashes[size_t(i)] = upperHash(folded(i));
        const size_t at = slotOf(hashes[size_t(i)]);
        next[size_t(i)] = table[at];
        table[at] = i;
    }
    QString rowUpper;
    for (int r = 0; r < rows.size(); ++r) {
        QStringView row(rows[r]);
        if (!isAscii(row)) {
            rowUpper = rows[r].toUpper();
            row = rowUpper;
        }
        bool named = false;
        for (int line = table[slotOf(upperHash(row))]; line >= 0; line = next[size_t(line)]) {
            if (sameFolded(row, folded(line))) {
                out.lineNamesRow[size_t(line)] = true;
                named = true;
            }
        }
        if (named)
            out.rows.append(r);
    }
    return out;
}

QVector<int> rowsNamedBy(const QStringList &rows, const QStringList &lines)
{
    return matchNamedRows(rows, lines).rows;
}

} // namespace wf
