#pragma once
// What `build` says about the profile's rows it could not pack: a pack
// that silently lacks files reaches the players.
#include "pack/BuildPlan.h"
#include "project/Profile.h"
#include <QStringList>

namespace wf {

// The status of a build that went well but packed less than the profile
// asks for ("built, but the profile names files that are not in the
// project, or none").
inline constexpr int kBuiltWithMissingRows = 4;

// Names on standard error, whatever --quiet says, every profile row that
// matches no file (`missing`, as planBuild found them), and says so when the
// plan packs no file at all. True when anything was said.
bool reportUnpackedRows(const Profile &profile, const QVector<MissingRow> &missing, const BuildPlan &plan);

// A build's exit status once the rows are reported: a clean build (0)
// becomes 4; a failure (1) or a missing executable (3) keeps its status.
inline int statusWithMissingRows(int status, bool rowsMissing)
{
    return status == 0 && rowsMissing ? kBuiltWithMissingRows : status;
}

} // namespace wf
