#include "project/Profile.h"
#include "project/ProjectFiles.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"
#include "project/NumberRule.h"
#include <QFileInfo>
#include <QStringDecoder>

namespace wf {

namespace {
// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five bytes it
// leaves undefined keep their Latin-1 (control) meaning, as Windows does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeLine(const char *data, qsizetype size)
{
    const QByteArrayView bytes(data, size);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes.toByteArray());
}
} // namespace

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint8 b = quint8(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
    }
    return text;
}

QStringList readProfileLines(const QByteArray &bytes)
{
    QStringList lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        // Git checkouts and editors turn CR LF into LF: every common ending counts.
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(decodeLine(bytes.constData() + start, i - start));
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(decodeLine(bytes.constData() + start, n - start));
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

Profile readProfile(const QString &path, bool *found)
{
    QFile file;
    QString error;
    // Far beyond any real profile (100,000 rows take a few MiB); a larger
    // file, such as a sparse one planted in an archive, is not read at all.
    constexpr qint64 kMaxProfileBytes = 64 << 20;
    const bool opened = platform::openRegularFile(file, path, false, error) && file.size() <= kMaxProfileBytes;
    if (found)
        *found = opened;
    return opened ? parseProfile(file.readAll()) : Profile();
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
