#pragma once
// A build as the window would make it right after starting in the project
// directory: the options and ticked rows a profile restores, the rows in the
// list's order. The command line builds from this.
#include "pack/PackFormat.h"
#include "project/Profile.h"
#include "project/ProfileRows.h"
#include <QStringList>
#include <QVector>

namespace wf {

struct BuildPlan {
    PackKey key;
    bool append = false;
    QString exeName;
    QStringList rows; // to pack, in list order
};

// What the security options give a build: M and K0..K3 read from the texts,
// or nothing at all without encryption.
PackKey packKeyOf(bool encrypted, const QString &basicKeyText, const QString &headerMaskText);

// The rows (indices into `walked`, in its order) a profile ticks again at
// start-up: those its row lines name, and only from a complete profile.
// Each is still refused, as a click would be, when it cannot be ticked.
QVector<int> rowsTickedBy(const Profile &profile, const QStringList &walked);

// `walked` are the project's rows in any order. Absent profile fields keep
// their design-time values; rows are ticked only from a complete profile,
// and refused names are left out as the window refuses their ticks. With
// `links` (the walk's symbolic links), only those rows are looked at on
// disk for a link out of the project; without, every ticked row is. With
// `missing`, the row lines that name no walked file (none from a profile
// that is not complete).
BuildPlan planBuild(const Profile &profile, const QStringList &walked, const QStringList *links = nullptr,
                    QVector<MissingRow> *missing = nullptr);

} // namespace wf
