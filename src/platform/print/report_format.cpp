// Number formats of report fields and totals, with the old Format function's rules.
#include "platform/print/report_format.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

#include <cmath>
#include <cstdio>

namespace ReportFormat {

namespace {

// One section of a pattern taken apart.
struct Pattern {
    QString prefix;       // literal text before the first placeholder
    QString suffix;       // literal text after the last placeholder
    int intZeros = 0;     // '0' placeholders before the point
    int decZeros = 0;     // '0' placeholders after the point
    int decHashes = 0;    // '#' placeholders after the point
    bool hasPoint = false;
    bool grouping = false;
    int percents = 0;
    bool hasDigits = false;
};

Pattern parsePattern(const QString &section)
{
    Pattern p;
    bool afterPoint = false;
    bool seenDigit = false;
    QString pendingLiteral;  // literals met after a placeholder: suffix unless more digits follow
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        QString literal;
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint)
                (c == QLatin1Char('0') ? p.decZeros : p.decHashes)++;
            else if (c == QLatin1Char('0'))
                p.intZeros++;
            seenDigit = true;
            p.hasDigits = true;
            pendingLiteral.clear();  // literals between placeholders are dropped
            continue;
        }
        if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
            p.hasPoint = true;
            seenDigit = true;
            pendingLiteral.clear();
            continue;
        }
        if (c == QLatin1Char(',') && !afterPoint && seenDigit) {
            p.grouping = true;
            continue;
        }
        if (c == QLatin1Char('%')) {
            p.percents++;
            literal = c;
        } else if (c == QLatin1Char('"')) {
            const int end = section.indexOf(QLatin1Char('"'), i + 1);
            literal = section.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? section.size() : end;
        } else if (c == QLatin1Char('\\') && i + 1 < section.size()) {
            literal = section.at(++i);
        } else {
            literal = c;
        }
        if (seenDigit)
            pendingLiteral += literal;
        else
            p.prefix += literal;
    }
    p.suffix = pendingLiteral;
    return p;
}

QStringList splitSections(const QString &pattern)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char('\\') && i + 1 < pattern.size() && !quoted) {
            current += c;
            current += pattern.at(++i);
            continue;
        }
        if (c == QLatin1Char(';') && !quoted) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

QString namedPattern(const QString &pattern)
{
    const QString lower = pattern.trimmed().toLower();
    if (lower == QLatin1String("fixed"))
        return QStringLiteral("0.00");
    if (lower == QLatin1String("standard"))
        return QStringLiteral("#,##0.00");
    if (lower == QLatin1String("percent"))
        return QStringLiteral("0.00%");
    if (lower == QLatin1String("general number"))
        return QString();
    return pattern;
}

// The value's absolute amount, times 10^shift, as decimal digits with exactly `decimals` places
// ("1234.50"), rounded half away from zero on its 15 significant digits.
QString fixedDigits(double value, int shift, int decimals)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde±XX
    QByteArray digits;
    const char *s = buf;
    for (; *s && *s != 'e'; ++s)
        if (*s >= '0' && *s <= '9')
            digits += *s;
    const int exponent = *s == 'e' ? std::atoi(s + 1) : 0;
    int pointPos = exponent + 1 + shift;  // digits before the decimal point
    if (digits.count('0') == digits.size())
        pointPos = 1;
    if (pointPos <= 0) {
        digits.prepend(QByteArray(1 - pointPos, '0'));
        pointPos = 1;
    }
    if (pointPos > digits.size())
        digits.append(QByteArray(pointPos - digits.size(), '0'));
    QByteArray intPart = digits.left(pointPos);
    QByteArray frac = digits.mid(pointPos);
    if (frac.size() > decimals) {
        const bool up = frac.at(decimals) >= '5';
        frac.truncate(decimals);
        if (up) {
            QByteArray all = intPart + frac;
            int i = all.size() - 1;
            for (; i >= 0; --i) {
                if (all[i] == '9') {
                    all[i] = '0';
                } else {
                    all[i] = char(all[i] + 1);
                    break;
                }
            }
            if (i < 0)
                all.prepend('1');
            intPart = all.left(all.size() - decimals);
            frac = all.right(decimals);
        }
    } else {
        frac.append(QByteArray(decimals - frac.size(), '0'));
    }
    int lead = 0;
    while (lead < intPart.size() - 1 && intPart.at(lead) == '0')
        ++lead;
    intPart = intPart.mid(lead);
    QString out = QString::fromLatin1(intPart);
    if (decimals > 0)
        out += QLatin1Char('.') + QString::fromLatin1(frac);
    return out;
}

QString applyPattern(double value, const Pattern &p, bool withSign)
{
    if (!p.hasDigits && !p.hasPoint)
        return (withSign && value < 0 ? QStringLiteral("-") : QString()) + p.prefix + p.suffix;
    const int decimals = p.decZeros + p.decHashes;
    const QString fixed = fixedDigits(value, 2 * p.percents, decimals);
    const int point = fixed.indexOf(QLatin1Char('.'));
    QString intPart = point < 0 ? fixed : fixed.left(point);
    QString frac = point < 0 ? QString() : fixed.mid(point + 1);
    bool allZero = true;
    for (const QChar c : fixed)
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
            allZero = false;
    while (frac.size() > p.decZeros && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (intPart == QLatin1String("0") && p.intZeros == 0)
        intPart.clear();
    if (intPart.size() < p.intZeros)
        intPart.prepend(QString(p.intZeros - intPart.size(), QLatin1Char('0')));
    if (p.grouping)
        for (int i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, QLatin1Char(','));
    QString out = p.prefix + intPart;
    if (p.hasPoint)
        out += QLatin1Char('.') + frac;
    out += p.suffix;
    if (withSign && value < 0 && !allZero)
        out.prepend(QLatin1Char('-'));
    return out;
}

QString plainNumber(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

} // namespace

bool toNumber(const QVariant &value, double *out)
{
    if (!value.isValid() || value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Bool:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const double v = value.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(v)) {
            *out = v;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

QString formatNumber(double value, const QString &pattern)
{
    const QString named = namedPattern(pattern);
    if (named.isEmpty() || !std::isfinite(value))
        return plainNumber(value);
    const QStringList sections = splitSections(named);
    if (value < 0 && sections.size() >= 2 && !sections.at(1).isEmpty())
        return applyPattern(-value, parsePattern(sections.at(1)), false);
    if (value == 0 && sections.size() >= 3 && !sections.at(2).isEmpty())
        return applyPattern(0, parsePattern(sections.at(2)), false);
    if (sections.at(0).isEmpty())
        return plainNumber(value);
    return applyPattern(value, parsePattern(sections.at(0)), true);
}

QString formatValue(const QVariant &value, const QString &pattern)
{
    if (!value.isValid() || value.isNull()) {
        const QStringList sections = splitSections(namedPattern(pattern));
        if (sections.size() >= 4)
            return parsePattern(sections.at(3)).prefix;
        return QString();
    }
    double number = 0;
    if (toNumber(value, &number)) {
        // Text keeps its own look when no pattern asks for another.
        if (pattern.isEmpty() && value.typeId() == QMetaType::QString)
            return value.toString();
        if (value.typeId() == QMetaType::Bool && pattern.isEmpty())
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return formatNumber(number, pattern);
    }
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                        : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString();
}

} // namespace ReportFormat
