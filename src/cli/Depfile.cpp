#include "cli/Depfile.h"
#include "pack/PackBuild.h"
#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include <QFile>
#include <QSaveFile>

namespace wf {

namespace {
QString underPrefix(const QString &prefix, const QString &name)
{
    if (prefix.isEmpty())
        return name;
    return prefix.endsWith(QLatin1Char('/')) ? prefix + name : prefix + QLatin1Char('/') + name;
}
} // namespace

QByteArray depfilePath(const QString &path)
{
    QByteArray out;
    for (const char c : QFile::encodeName(path)) {
        if (c == ' ' || c == '#')
            out += '\\';
        else if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

QByteArray depfileText(const QString &projectPrefix, const QStringList &rows)
{
    QByteArray text = depfilePath(underPrefix(projectPrefix, QString::fromLatin1(kPackName))) + ':';
    const auto add = [&](const QString &name) {
        text += " \\\n  " + depfilePath(underPrefix(projectPrefix, name));
    };
    add(QString::fromLatin1(kProfileName));
    for (const QString &row : rows)
        add(QString(row).replace(QLatin1Char('\\'), QLatin1Char('/')));
    return text + '\n';
}

bool writeDepfile(const QString &path, const QString &projectPrefix, const QStringList &rows, QString &error)
{
    QSaveFile file(path);
    const QByteArray text = depfileText(projectPrefix, rows);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(text) != text.size()
        || !file.commit()) {
        error = QStringLiteral("cannot write the dependency file %1: %2").arg(quotedName(path), file.errorString());
        return false;
    }
    return true;
}

} // namespace wf
