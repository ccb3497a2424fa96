#include "project/RowRules.h"
#include "project/PathFunctions.h"
#include <QHash>
#include <algorithm>
#include <cstring>
#include <vector>

namespace wf {

namespace {
bool isAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Upper case of an ASCII text into `out`, reusing its storage.
void asciiUpper(const QString &s, QString &out)
{
    out.resize(s.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        d[i] = QChar(c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
    }
}

struct Keyed {
    QByteArray key;
    QString text;
    bool operator<(const Keyed &o) const { return key != o.key ? key < o.key : text < o.text; }
};
} // namespace

QByteArray rowSortKey(const QString &row)
{
    // Bytes compare quickest; UTF-8 keeps the order of the characters.
    if (!isAscii(row))
        return row.toCaseFolded().toUtf8();
    QByteArray key(row.size(), Qt::Uninitialized);
    char *d = key.data();
    for (qsizetype i = 0; i < row.size(); ++i) {
        const char16_t c = row[i].unicode();
        d[i] = char(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    return key;
}

bool rowLessThan(const QString &a, const QString &b)
{
    return Keyed{rowSortKey(a), a} < Keyed{rowSortKey(b), b};
}

void sortRows(QStringList &rows)
{
    // All keys in one buffer, and a small record per row: 100,000 rows sort
    // in a few milliseconds, where comparing the texts case-insensitively
    // took a large part of the start-up.
    struct Item {
        qsizetype at, size;
        int row;
    };
    QByteArray keys;
    std::vector<Item> items;
    items.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray key = rowSortKey(rows[i]);
        items.push_back({keys.size(), key.size(), i});
        keys += key;
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
    QStringList sorted;
    sorted.reserve(rows.size());
    for (const Item &item : items)
        sorted.append(std::move(rows[item.row]));
    rows = std::move(sorted);
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
    // Most rows are ASCII: upper-cased here without a new string each.
    QString upper;
    for (int i = 0; i < rows.size(); ++i) {
        if (isAscii(rows[i]))
            asciiUpper(rows[i], upper);
        else
            upper = rows[i].toUpper();
        if (wanted.contains(upper))
            found.append(i);
    }
    return found;
}

} // namespace wf
