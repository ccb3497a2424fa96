#include "project/ProfileTicks.h"
#include "options/DesignValues.h"
#include "project/ProfileRows.h"
#include "project/ProjectFiles.h"
#include "project/RowMatch.h"
#include <set>

namespace wf {

namespace {

// The window's option values after the start-up applied `p`: a text box
// keeps at most its own number of characters.
Profile windowOptions(const Profile &p)
{
    Profile out;
    out.check1 = p.check1.value_or(0);
    out.check2 = p.check2.value_or(0);
    out.basicKey = p.basicKey.value_or(QString::fromLatin1(kDesignBasicKey)).left(kKeyBoxMaxLength);
    out.exeName = p.exeName.value_or(QString::fromLatin1(kDesignExeName)).left(kTextBoxMaxLength);
    out.headerMask = p.headerMask.value_or(QString::fromLatin1(kDesignHeaderMask)).left(kKeyBoxMaxLength);
    return out;
}

QString quotedRows(const QVector<RefusedRow> &rows)
{
    QStringList names;
    for (const RefusedRow &r : rows)
        names << quotedName(r.row) + QStringLiteral(" (") + refusalText(r.why) + QLatin1Char(')');
    return names.join(QStringLiteral(", "));
}

} // namespace

QString refusalText(Refusal why)
{
    switch (why) {
    case Refusal::PackName:
        return QStringLiteral("the pack's own name");
    case Refusal::ExeName:
        return QStringLiteral("the executable's name");
    case Refusal::Unstorable:
        return QStringLiteral("a name the pack and the profile cannot store");
    default:
        return QStringLiteral("never ticked");
    }
}

TickOutcome applyTicks(const Profile &profile, const QStringList &walked, const QStringList &patterns, bool tick)
{
    TickOutcome out;
    out.profile = windowOptions(profile);
    const QString exeName = *out.profile.exeName;
    QStringList rows = walked;
    sortRows(rows);

    // The start-up ticks again what a complete profile names, each tick
    // refused or not as a click would be.
    std::set<int> ticked;
    if (profile.complete()) {
        const NamedRows named = matchNamedRows(rows, profile.rows);
        for (int i : named.rows)
            if (refusalOf(rows[i], exeName) == Refusal::None)
                ticked.insert(i);
        out.dropped = int(missingRows(profile.rows, named).size());
    }

    std::set<int> chosen;
    std::set<int> refusedSeen;
    for (const QString &pattern : patterns) {
        const QVector<int> matched = rowsMatching(rows, pattern);
        QVector<RefusedRow> refused;
        int allowed = 0;
        for (int i : matched) {
            const Refusal why = refusalOf(rows[i], exeName);
            if (why == Refusal::None) {
                chosen.insert(i);
                ++allowed;
                continue;
            }
            refused.append({rows[i], why});
            if (refusedSeen.insert(i).second)
                out.refused.append({rows[i], why});
        }
        const QString shown = quotedName(pattern);
        if (matched.isEmpty()) {
            // A folder's files are chosen by "folder\*", as in the menu.
            const bool folder = !pattern.isEmpty() && !rowsMatching(rows, pattern + QStringLiteral("\\*")).isEmpty();
            out.problems << (folder ? QStringLiteral("%1 matches no file; for the files in that folder give %2")
                                              .arg(shown, quotedName(pattern + QStringLiteral("/*")))
                                    : QStringLiteral("%1 matches no file in the project").arg(shown));
        } else if (allowed == 0) {
            out.problems << QStringLiteral("%1 matches only names that can never be ticked: %2")
                                    .arg(shown, quotedRows(refused));
        }
    }

    for (int i : chosen) {
        const bool was = ticked.count(i) > 0;
        (was == tick ? out.unchanged : out.changed)++;
        if (tick)
            ticked.insert(i);
        else
            ticked.erase(i);
    }
    for (int i : ticked) // std::set: in list order
        out.profile.rows << rows[i];
    return out;
}

} // namespace wf
