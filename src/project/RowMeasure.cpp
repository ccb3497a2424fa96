#include "project/RowMeasure.h"
#include "project/PathFunctions.h"
#include "project/ProjectFiles.h"
#include <QFile>

namespace wf {

RowMeasure measureRow(const QString &row)
{
    RowMeasure m;
    m.kind = platform::measure(QFile::encodeName(nativePath(row, QString::fromLatin1(kProjectDir))), m.size, &m.target);
    return m;
}

std::future<std::vector<RowMeasure>> measureRowsAhead(QStringList rows)
{
    // Either policy runs it at get() when no thread can be started.
    const auto policy = rows.isEmpty() ? std::launch::deferred : std::launch::async | std::launch::deferred;
    return std::async(policy, [rows = std::move(rows)] {
        std::vector<RowMeasure> out;
        out.reserve(size_t(rows.size()));
        for (const QString &row : rows)
            out.push_back(measureRow(row));
        return out;
    });
}

} // namespace wf
