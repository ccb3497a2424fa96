#include "app/Fonts.h"
#include <QFontDatabase>
#include <QStringList>

namespace wf {

namespace {
QString available(const QStringList &candidates)
{
    const QStringList families = QFontDatabase::families();
    for (const QString &c : candidates)
        if (families.contains(c, Qt::CaseInsensitive))
            return c;
    return candidates.last();
}
} // namespace

QFont uiFont(const QString &family, qreal pointSize, bool bold)
{
    QStringList candidates{family};
    if (family == QLatin1String("Verdana"))
        candidates << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans");
    else if (family == QLatin1String("Arial"))
        candidates << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
    else
        candidates << QStringLiteral("DejaVu Sans");
    QFont f(available(candidates));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QFont keyBoxFont(qreal pointSize)
{
    QFont f;
    const QString family = available({QStringLiteral("Fixedsys"), QStringLiteral("DejaVu Sans Mono"),
                                      QStringLiteral("Liberation Mono")});
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        f = QFont(family);
    else
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(pointSize);
    return f;
}

QFont defaultWindowFont()
{
    return uiFont(QStringLiteral("Arial"), 7.5, false);
}

} // namespace wf
