#include "project/PathFunctions.h"
#include <QDir>

namespace wf {

QString relpath(const QString &p, const QString &projectDir)
{
    // Only the length of the prefix matters; a root ("/", "D:\") already
    // carries its separator.
    qsizetype strip = projectDir.size();
    if (!projectDir.endsWith(QLatin1Char('\\')) && !projectDir.endsWith(QLatin1Char('/')))
        ++strip;
    if (p.size() < strip)
        return QString();
    QString rel = p.right(p.size() - strip);
    rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return rel;
}

QString nativePath(const QString &rowText, const QString &projectDir)
{
    QString path = rowText;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    // Relative to the current directory: the system resolves it as it is.
    if (projectDir == QLatin1String("."))
        return path;
    return QDir::cleanPath(projectDir + QLatin1Char('/') + path);
}

} // namespace wf
