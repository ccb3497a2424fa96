#include "app/Profile.h"
#include <QDir>
#include <QSaveFile>

namespace wf {

QStringList readProfileLines(const QByteArray &bytes)
{
    QStringList lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '\r')
            continue;
        lines.append(QString::fromUtf8(bytes.constData() + start, i - start));
        if (i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    // Text after the last CR is a line of its own; nothing after it is none.
    if (start < n)
        lines.append(QString::fromUtf8(bytes.constData() + start, n - start));
    return lines;
}

QByteArray profileBytes(const ProfileData &data)
{
    QByteArray out;
    auto line = [&out](const QByteArray &text) {
        out += text;
        out += "\r\n";
    };
    line(kProfileHeader);
    line(' ' + QByteArray::number(data.check1) + ' ');
    line(' ' + QByteArray::number(data.check2) + ' ');
    line(data.basicKey.toUtf8());
    line(data.exeName.toUtf8());
    line(data.headerMask.toUtf8());
    for (const QString &row : data.rows)
        line(row.toUtf8());
    return out;
}

QString writeProfile(const QString &path, const ProfileData &data)
{
    // QSaveFile writes beside the target and renames on commit, so a failed
    // write never leaves a half profile in place of a good one.
    QSaveFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    // Unbuffered: a buffered tail that fails to flush can still be committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("Cannot create %1: %2").arg(shown, file.errorString());
    const QByteArray bytes = profileBytes(data);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = QStringLiteral("Cannot write %1: %2").arg(shown, file.errorString());
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return QStringLiteral("Cannot save %1: %2").arg(shown, file.errorString());
    return QString();
}

} // namespace wf
