#pragma once
// What a profile's row lines name, for telling people about the rows the
// window would pass over without a word.
#include <QString>
#include <QStringList>
#include <QVector>
#include "project/RowRules.h"

namespace wf {

// A profile row line that matches no file the walk found.
struct MissingRow {
    int line; // the line's number in the profile, from 1
    QString text;
};

// The row lines of a complete profile (line 7 on) that `named` (their match
// against the walked rows, upper-cased as the start-up matches them) found
// no row for; in profile order.
QVector<MissingRow> missingRows(const QStringList &lines, const NamedRows &named);

} // namespace wf
