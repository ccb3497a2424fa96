#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"
#include "project/NumberRule.h"
#include "project/Windows1252.h"
#include <QFileInfo>

namespace wf {

QStringList readProfileLines(const QByteArray &bytes)
{
    QStringList lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        // Git checkouts and editors turn CR LF into LF: every common ending counts.
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(fromUtf8OrWindows1252(QByteArrayView(bytes.constData() + start, i - start)));
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(fromUtf8OrWindows1252(QByteArrayView(bytes.constData() + start, n - start)));
    return lines;
}

Profile parseProfile(const QByteArray &bytes)
{
    const QStringList lines = readProfileLines(bytes);
    Profile p;
    const auto line = [&lines](int number) { return number <= lines.size() ? std::optional(lines[number - 1]) : std::nullopt; };
    if (!line(2) || !(p.check1 = tickValueFromLine(*line(2))))
        return p;
    if (!line(3) || !(p.check2 = tickValueFromLine(*line(3))))
        return p;
    if (!(p.basicKey = line(4)) || !(p.exeName = line(5)) || !(p.headerMask = line(6)))
        return p;
    p.rows = lines.mid(6);
    return p;
}

QByteArray profileBytes(const Profile &profile)
{
    QByteArray out;
    const auto line = [&out](const QByteArray &text) {
        out += text;
        out += "\r\n";
    };
    line(kProfileHeader);
    line(' ' + QByteArray::number(profile.check1.value_or(0)) + ' ');
    line(' ' + QByteArray::number(profile.check2.value_or(0)) + ' ');
    // A line break inside a text would shift every later line.
    const auto text = [](const std::optional<QString> &t) {
        return t.value_or(QString()).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).toUtf8();
    };
    line(text(profile.basicKey));
    line(text(profile.exeName));
    line(text(profile.headerMask));
    for (const QString &row : profile.rows)
        line(row.toUtf8());
    return out;
}

bool readProfile(const QString &path, Profile &profile, QString &error)
{
    profile = Profile();
    QFile file;
    if (!platform::openRegularFile(file, path, false, error))
        return false;
    // Far beyond any real profile (100,000 rows take a few MiB); a larger
    // file, such as a sparse one planted in an archive, is not read at all.
    constexpr qint64 kMaxProfileBytes = 64 << 20;
    if (file.size() > kMaxProfileBytes) {
        error = QStringLiteral("it is larger than any profile");
        return false;
    }
    profile = parseProfile(file.readAll());
    return true;
}

bool writeProfile(const QString &path, const Profile &profile, QString &error)
{
    const QString shown = quotedName(QFileInfo(path).fileName());
    if (!refuseLink(path, error))
        return false;
    platform::ReplaceFile file(path);
    QString reason;
    if (!file.open(reason)) {
        error = QStringLiteral("Cannot create %1: %2").arg(shown, reason);
        return false;
    }
    const QByteArray bytes = profileBytes(profile);
    if (file.device().write(bytes) != bytes.size()) {
        error = QStringLiteral("Cannot write %1: %2").arg(shown, file.device().errorString());
        return false;
    }
    if (!file.commit(reason)) {
        error = QStringLiteral("Cannot save %1: %2").arg(shown, reason);
        return false;
    }
    return true;
}

} // namespace wf
