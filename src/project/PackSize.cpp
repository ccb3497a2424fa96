#include "project/PackSize.h"

namespace wf {

QString packSizeCaption(qint64 totalBytes, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("Pack Size: ") + l.toString(double(totalBytes) / 1024.0, 'f', 2)
           + QStringLiteral(" Kb.");
}

} // namespace wf
