#include "pack/BuildPlan.h"
#include "options/DesignValues.h"
#include "options/HexVal.h"
#include "project/ProfileRows.h"
#include "project/RowRules.h"
#include <QSet>

namespace wf {

PackKey packKeyOf(bool encrypted, const QString &basicKeyText, const QString &headerMaskText)
{
    PackKey key;
    key.encrypted = encrypted;
    if (encrypted) {
        key.mask = headerMask(headerMaskText);
        key.bytes = keyBytes(basicKeyText);
    }
    return key;
}

QVector<int> rowsTickedBy(const Profile &profile, const QStringList &walked)
{
    return profile.complete() ? rowsNamedBy(walked, profile.rows) : QVector<int>();
}

BuildPlan planBuild(const Profile &profile, const QStringList &walked, const QStringList *links,
                    QVector<MissingRow> *missing)
{
    BuildPlan plan;
    // Only a value of 1 means ticked; 2 (greyed) is not.
    plan.key = packKeyOf(profile.check1.value_or(0) == 1,
                         profile.basicKey.value_or(QString::fromLatin1(kDesignBasicKey)),
                         profile.headerMask.value_or(QString::fromLatin1(kDesignHeaderMask)));
    plan.append = profile.check2.value_or(0) == 1;
    plan.exeName = profile.exeName.value_or(QString::fromLatin1(kDesignExeName));
    if (!profile.complete())
        return plan;
    const NamedRows named = matchNamedRows(walked, profile.rows);
    if (missing)
        *missing = missingRows(profile.rows, named);
    const QSet<QString> linked = links ? QSet<QString>(links->cbegin(), links->cend()) : QSet<QString>();
    for (int i : named.rows) {
        const bool lookAtDisk = !links || linked.contains(walked[i]);
        const Refusal refusal = lookAtDisk ? refusalOf(walked[i], plan.exeName) : refusalByName(walked[i], plan.exeName);
        if (refusal == Refusal::None)
            plan.rows << walked[i];
    }
    // Only what is packed needs the list's order.
    sortRows(plan.rows);
    return plan;
}

} // namespace wf
