#include "project/NumberRule.h"
#include "options/HexVal.h"
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace wf {

namespace {
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Decimal reading: sign, digits with at most one point, optional exponent
// (E or D). Gives the value, 0 when there are no digits, or nothing when it
// is too large to be a tick value at all.
std::optional<double> readDecimal(const QString &s)
{
    const qsizetype n = s.size();
    qsizetype i = 0;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;

    bool point = false;
    int intDigits = 0;     // digits before the point
    int firstInt = -1;     // index of the first non-zero digit before the point
    int firstFrac = -1;    // place (1 = tenths) of the first non-zero digit after it
    int fracPlace = 0;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('.') && !point) {
            point = true;
        } else if (isDigit(c)) {
            if (!point) {
                if (firstInt < 0 && c != QLatin1Char('0'))
                    firstInt = intDigits;
                ++intDigits;
            } else {
                ++fracPlace;
                if (firstInt < 0 && firstFrac < 0 && c != QLatin1Char('0'))
                    firstFrac = fracPlace;
            }
        } else {
            break;
        }
    }
    const QString mantissa = s.left(i);
    if (firstInt < 0 && firstFrac < 0)
        return 0.0; // no digits, or only zeros

    // Exponent, taken only when at least one digit follows the letter; it is
    // capped, since anything that large is out of range anyway.
    long exponent = 0;
    if (i < n && QStringLiteral("EeDd").contains(s[i])) {
        qsizetype j = i + 1;
        bool negative = false;
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            negative = s[j++] == QLatin1Char('-');
        for (; j < n && isDigit(s[j]); ++j)
            exponent = std::min(exponent * 10 + (s[j].unicode() - u'0'), 1000000L);
        if (negative)
            exponent = -exponent;
    }

    // The first significant digit's place decides the magnitude: from 10^6
    // up the value is out of range, below 10^-2 it rounds to 0. Deciding this
    // first keeps huge digit strings and exponents away from the conversion.
    const long lead = (firstInt >= 0 ? intDigits - 1 - firstInt : -firstFrac) + exponent;
    if (lead >= 6)
        return std::nullopt;
    if (lead < -2)
        return 0.0;

    bool ok = false;
    const double value = QLocale::c().toDouble(
        QString(mantissa + QLatin1Char('e') + QString::number(exponent)), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
} // namespace

std::optional<int> numberFromLine(const QString &line)
{
    QString s;
    s.reserve(line.size());
    for (const QChar c : line) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s += c;
    }

    double value;
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        value = hexval(s.mid(2));
    } else {
        const std::optional<double> d = readDecimal(s);
        if (!d)
            return std::nullopt;
        value = std::nearbyint(*d); // default mode: halves to even
    }
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return int(value);
}

std::optional<int> tickValueFromLine(const QString &line)
{
    const std::optional<int> v = numberFromLine(line);
    if (!v || *v < 0 || *v > 2)
        return std::nullopt;
    return v;
}

} // namespace wf
