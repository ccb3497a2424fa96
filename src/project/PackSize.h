#pragma once
#include <QLocale>
#include <QString>

namespace wf {

// "Pack Size: " + total / 1024 as "0.00" in the locale, no grouping, + " Kb."
QString packSizeCaption(qint64 totalBytes, const QLocale &locale = QLocale());

} // namespace wf
