#pragma once
// The file behind a row measured as a tick measures it: its size, a link
// leading out of the project, or nothing measurable.
#include "platform/FileSystem.h"
#include <QByteArray>
#include <QStringList>
#include <future>
#include <vector>

namespace wf {

struct RowMeasure {
    platform::Measured kind = platform::Measured::Unmeasured;
    qint64 size = 0;
    QByteArray target; // where a link out of the project leads
};

// The row's file in the project directory, measured now.
RowMeasure measureRow(const QString &row);

// Every row measured in order on a thread of its own while the caller goes
// on (on the caller's thread, at get(), when no thread can be had).
std::future<std::vector<RowMeasure>> measureRowsAhead(QStringList rows);

} // namespace wf
