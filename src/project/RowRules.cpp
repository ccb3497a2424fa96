#include "project/RowRules.h"
#include "project/AsciiCase.h"
#include "platform/FileSystem.h"
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <unordered_set>
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

// Upper case of an ASCII text into `out`, reusing its storage.
void upperAsciiInto(const QString &s, QString &out)
{
    out.resize(s.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < s.size(); ++i)
        d[i] = QChar(asciiUpper(s[i].unicode()));
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
    struct Item {
        qsizetype at, size;
        int row;
    };
    QByteArray keys;
    std::vector<Item> items;
    items.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const qsizetype at = keys.size();
        appendSortKey(rows[i], keys);
        items.push_back({at, keys.size() - at, i});
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
// A hash of an ASCII text's upper case, computed without building it.
quint64 asciiUpperHash(QStringView s)
{
    quint64 h = 1469598103934665603ULL; // FNV-1a
    for (QChar c : s)
        h = (h ^ quint64(asciiUpper(c.unicode()))) * 1099511628211ULL;
    return h;
}
} // namespace

QVector<int> rowsNamedBy(const QStringList &rows, const QStringList &lines)
{
    QVector<int> found;
    if (lines.isEmpty())
        return found;
    QSet<QString> wanted;
    std::unordered_set<quint64> asciiWanted; // lets most rows be passed over cheaply
    wanted.reserve(lines.size());
    for (const QString &line : lines) {
        const QString upper = line.toUpper();
        if (isAscii(upper))
            asciiWanted.insert(asciiUpperHash(upper));
        wanted.insert(upper);
    }
    QString upper;
    for (int i = 0; i < rows.size(); ++i) {
        if (isAscii(rows[i])) {
            if (!asciiWanted.count(asciiUpperHash(rows[i])))
                continue;
            upperAsciiInto(rows[i], upper);
        } else {
            upper = rows[i].toUpper();
        }
        if (wanted.contains(upper))
            found.append(i);
    }
    return found;
}

} // namespace wf
