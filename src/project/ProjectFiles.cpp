#include "project/ProjectFiles.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wf {

QString shownText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0)
            out += QLatin1String("\\0");
        else if (u < 0x20 || u == 0x7f)
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + shownText(name) + QLatin1Char('"');
}

bool refuseLink(const QString &path, QString &error)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return true;
    const QString target = QFile::decodeName(QFile::encodeName(info.symLinkTarget()));
    error = QStringLiteral("Cannot write %1: it is a symbolic link to %2. Wrenfold only writes it as a plain file "
                           "in the project directory; remove or rename the link, then try again")
                .arg(quotedName(QDir::toNativeSeparators(path)), quotedName(QDir::toNativeSeparators(target)));
    return false;
}

QString projectDirForDisplay()
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

} // namespace wf
