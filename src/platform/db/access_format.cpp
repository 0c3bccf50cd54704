// Access/VB value conversions and Format patterns for dates and numbers.
#include "platform/db/access_format.h"

#include "platform/db/sql_translation.h"

#include <QLocale>
#include <cmath>
#include <cstdio>

namespace accessfmt {

namespace {

const QLocale &chinese()
{
    static const QLocale l(QLocale::Chinese, QLocale::China);
    return l;
}

// ---- decimal rounding on the number's 15 significant digits (as the old engine rounded) -----

// |v| rounded half away from zero to dec decimals: integer digits and exactly dec fraction digits.
void roundedDigits(double v, int dec, QString &intPart, QString &fracPart)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    QString digits;
    int exponent = 0;
    for (const char *p = buf; *p; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += QLatin1Char(*p);
        else if (*p == 'e') {
            exponent = std::atoi(p + 1);
            break;
        }
    }
    int point = exponent + 1;  // digits before the decimal point
    if (point < 1) {
        digits.prepend(QString(1 - point, QLatin1Char('0')));
        point = 1;
    }
    const int wanted = point + dec + 1;
    if (digits.size() < wanted)
        digits += QString(wanted - digits.size(), QLatin1Char('0'));
    QString kept = digits.left(point + dec);
    if (digits.at(point + dec) >= QLatin1Char('5')) {
        int i = int(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[i] == QLatin1Char('9')) {
                kept[i] = QLatin1Char('0');
            } else {
                kept[i] = QChar(kept[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            kept.prepend(QLatin1Char('1'));
            ++point;
        }
    }
    intPart = kept.left(point);
    fracPart = kept.mid(point);
    int lead = 0;
    while (lead < intPart.size() - 1 && intPart[lead] == QLatin1Char('0'))
        ++lead;
    intPart.remove(0, lead);
}

QString grouped(const QString &digits)
{
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

// Splits a pattern at ';' outside quoted literals.
QStringList sections(const QString &pattern)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            cur += c;
            cur += pattern[++i];
            continue;
        }
        if (c == QLatin1Char(';') && !quoted) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

QString formatScientific(double v, const QString &section)
{
    const int point = int(section.indexOf(QLatin1Char('.')));
    const int e = int(section.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive));
    const int dec = point >= 0 && point < e ? e - point - 1 : 0;
    QString s = QString::number(v, 'E', dec);  // 1.23E+05
    const int at = int(s.indexOf(QLatin1Char('E')));
    const QString mantissa = s.left(at);
    int exp = s.mid(at + 1).toInt();
    const bool showPlus = e + 1 < section.size() && section[e + 1] == QLatin1Char('+');
    const int expDigits = std::max(1, int(section.size()) - e - 2);
    QString expText = QString::number(std::abs(exp)).rightJustified(expDigits, QLatin1Char('0'));
    return mantissa + section[e] + (exp < 0 ? QStringLiteral("-") : showPlus ? QStringLiteral("+") : QString()) + expText;
}

// One section of a number pattern applied to a value (sign handled by the caller).
QString formatSection(double v, const QString &section)
{
    struct El {
        enum K { Zero, Hash, Point, Comma, Percent, Lit } k;
        QString text;
    };
    QList<El> els;
    bool hasPoint = false;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == QLatin1Char('"')) {
            const int end = int(section.indexOf(QLatin1Char('"'), i + 1));
            els.append({El::Lit, section.mid(i + 1, (end < 0 ? section.size() : end) - i - 1)});
            i = end < 0 ? int(section.size()) : end;
        } else if (c == QLatin1Char('\\') && i + 1 < section.size()) {
            els.append({El::Lit, QString(section[++i])});
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < section.size()
                   && (section[i + 1] == QLatin1Char('+') || section[i + 1] == QLatin1Char('-'))) {
            return formatScientific(v, section);
        } else if (c == QLatin1Char('0')) {
            els.append(El{El::Zero, {}});
        } else if (c == QLatin1Char('#')) {
            els.append(El{El::Hash, {}});
        } else if (c == QLatin1Char('.') && !hasPoint) {
            els.append(El{El::Point, {}});
            hasPoint = true;
        } else if (c == QLatin1Char(',')) {
            els.append(El{El::Comma, {}});
        } else if (c == QLatin1Char('%')) {
            els.append(El{El::Percent, {}});
            v *= 100;
        } else {
            els.append({El::Lit, QString(c)});
        }
    }
    int pointAt = int(els.size());
    for (int i = 0; i < els.size(); ++i)
        if (els[i].k == El::Point)
            pointAt = i;
    int maxDec = 0, minDec = 0, minInt = 0, intPlaces = 0, firstPlace = -1, lastIntPlace = -1;
    bool grouping = false, innerLiteral = false;
    for (int i = 0; i < els.size(); ++i) {
        const bool place = els[i].k == El::Zero || els[i].k == El::Hash;
        if (i < pointAt) {
            if (place) {
                ++intPlaces;
                minInt += els[i].k == El::Zero ? 1 : 0;
                if (firstPlace < 0)
                    firstPlace = i;
                lastIntPlace = i;
            }
            if (els[i].k == El::Comma && firstPlace >= 0)
                grouping = true;  // a comma among the digit places groups thousands
            if (els[i].k == El::Lit && firstPlace >= 0)
                innerLiteral = true;
        } else if (place) {
            ++maxDec;
            if (els[i].k == El::Zero)
                minDec = maxDec;
        }
    }
    if (intPlaces == 0 && maxDec == 0 && !hasPoint) {
        QString out;  // literals only
        for (const El &e : els)
            out += e.text;
        return out;
    }
    QString intDigits, fracDigits;
    roundedDigits(v, maxDec, intDigits, fracDigits);
    while (fracDigits.size() > minDec && fracDigits.endsWith(QLatin1Char('0')))
        fracDigits.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    if (intDigits.size() < minInt)
        intDigits.prepend(QString(minInt - intDigits.size(), QLatin1Char('0')));

    QString out;
    if (innerLiteral) {
        // Digit places interleaved with literals ("000-0000"): filled from the right, extra digits in front.
        QString intOut;
        int d = int(intDigits.size()) - 1;
        for (int i = pointAt - 1; i >= 0; --i) {
            const El &e = els[i];
            if (e.k == El::Zero || e.k == El::Hash) {
                if (i == firstPlace) {
                    intOut.prepend(intDigits.left(d + 1));
                    d = -1;
                } else if (d >= 0) {
                    intOut.prepend(intDigits[d--]);
                }
            } else if (e.k == El::Lit) {
                intOut.prepend(e.text);
            } else if (e.k == El::Percent) {
                intOut.prepend(QLatin1Char('%'));
            }
        }
        out = intOut;
    } else {
        for (int i = 0; i < pointAt; ++i) {
            const El &e = els[i];
            if (i == lastIntPlace)
                out += grouping ? grouped(intDigits) : intDigits;
            else if (e.k == El::Lit)
                out += e.text;
            else if (e.k == El::Percent)
                out += QLatin1Char('%');
        }
        if (lastIntPlace < 0)
            out += intDigits;
    }
    int f = 0;
    for (int i = pointAt; i < els.size(); ++i) {
        const El &e = els[i];
        switch (e.k) {
        case El::Point:
            out += QLatin1Char('.');
            break;
        case El::Zero:
        case El::Hash:
            if (f < fracDigits.size())
                out += fracDigits[f];
            ++f;
            break;
        case El::Percent:
            out += QLatin1Char('%');
            break;
        case El::Lit:
            out += e.text;
            break;
        case El::Comma:
            break;
        }
    }
    return out;
}

struct NamedFormat {
    const char *name;
    const char *pattern;
    bool date;
};
constexpr NamedFormat kNamed[] = {
    {"fixed", "0.00", false},          {"standard", "#,##0.00", false},      {"percent", "0.00%", false},
    {"scientific", "0.00E+00", false}, {"currency", "\xef\xbf\xa5#,##0.00;-\xef\xbf\xa5#,##0.00", false},
    {"long date", "yyyy\"年\"m\"月\"d\"日\"", true}, {"medium date", "yy-mm-dd", true},
    {"short date", "yyyy-m-d", true},  {"long time", "h:nn:ss", true},       {"medium time", "hh:nn AMPM", true},
    {"short time", "hh:nn", true},
};

const NamedFormat *named(const QString &pattern)
{
    const QString p = pattern.trimmed().toLower();
    for (const NamedFormat &f : kNamed)
        if (p == QString::fromUtf8(f.name))
            return &f;
    return nullptr;
}

// ---- date patterns ------------------------------------------------------------------------

struct DatePart {
    enum K { Lit, Year4, Year2, DayOfYear, Month, Month2, MonthShort, MonthLong, Day, Day2, WeekShort, WeekLong,
             Hour, Hour2, Minute, Minute2, Second, Second2, AmPm, Quarter, WeekDay, WeekOfYear, General } k;
    QString text;  // the literal, or the AM/PM pair "AM|PM"
};

QList<DatePart> dateParts(const QString &p)
{
    QList<DatePart> parts;
    for (int i = 0; i < p.size();) {
        const QChar c = p[i];
        const QChar lc = c.toLower();
        int n = 1;
        while (i + n < p.size() && p[i + n].toLower() == lc)
            ++n;
        const auto add = [&](DatePart::K k, int used) {
            parts.append(DatePart{k, {}});
            i += used;
        };
        if (c == QLatin1Char('"')) {
            const int end = int(p.indexOf(QLatin1Char('"'), i + 1));
            parts.append({DatePart::Lit, p.mid(i + 1, (end < 0 ? p.size() : end) - i - 1)});
            i = end < 0 ? int(p.size()) : end + 1;
        } else if (c == QLatin1Char('\\') && i + 1 < p.size()) {
            parts.append({DatePart::Lit, QString(p[i + 1])});
            i += 2;
        } else if (lc == QLatin1Char('y')) {
            add(n >= 3 ? DatePart::Year4 : n == 2 ? DatePart::Year2 : DatePart::DayOfYear, n);
        } else if (lc == QLatin1Char('m')) {
            add(n >= 4 ? DatePart::MonthLong : n == 3 ? DatePart::MonthShort : n == 2 ? DatePart::Month2 : DatePart::Month, n);
        } else if (lc == QLatin1Char('d')) {
            add(n >= 4 ? DatePart::WeekLong : n == 3 ? DatePart::WeekShort : n == 2 ? DatePart::Day2 : DatePart::Day, n);
        } else if (lc == QLatin1Char('h')) {
            add(n >= 2 ? DatePart::Hour2 : DatePart::Hour, n);
        } else if (lc == QLatin1Char('n')) {
            add(n >= 2 ? DatePart::Minute2 : DatePart::Minute, n);
        } else if (lc == QLatin1Char('s')) {
            add(n >= 2 ? DatePart::Second2 : DatePart::Second, n);
        } else if (lc == QLatin1Char('q')) {
            add(DatePart::Quarter, 1);
        } else if (lc == QLatin1Char('w')) {
            add(n >= 2 ? DatePart::WeekOfYear : DatePart::WeekDay, std::min(n, 2));
        } else if (lc == QLatin1Char('c') && n == 1) {
            add(DatePart::General, 1);
        } else if (p.mid(i, 4).compare(QLatin1String("ampm"), Qt::CaseInsensitive) == 0) {
            parts.append({DatePart::AmPm, QStringLiteral("上午|下午")});
            i += 4;
        } else if (p.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            parts.append({DatePart::AmPm, c.isUpper() ? QStringLiteral("AM|PM") : QStringLiteral("am|pm")});
            i += 5;
        } else if (p.mid(i, 3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
            parts.append({DatePart::AmPm, c.isUpper() ? QStringLiteral("A|P") : QStringLiteral("a|p")});
            i += 3;
        } else {
            parts.append({DatePart::Lit, QString(c)});
            ++i;
        }
    }
    // m and mm right after an hour or right before a second are minutes.
    const auto neighbour = [&](int from, int step) -> DatePart::K {
        for (int j = from + step; j >= 0 && j < parts.size(); j += step)
            if (parts[j].k != DatePart::Lit)
                return parts[j].k;
        return DatePart::Lit;
    };
    for (int i = 0; i < parts.size(); ++i) {
        DatePart &d = parts[i];
        if (d.k != DatePart::Month && d.k != DatePart::Month2)
            continue;
        const DatePart::K before = neighbour(i, -1), after = neighbour(i, 1);
        if (before == DatePart::Hour || before == DatePart::Hour2 || after == DatePart::Second || after == DatePart::Second2)
            d.k = d.k == DatePart::Month ? DatePart::Minute : DatePart::Minute2;
    }
    return parts;
}

QString two(int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }

} // namespace

QString numberText(double v)
{
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1String("e+"), QLatin1String("E+")).replace(QLatin1String("e-"), QLatin1String("E-"));
    return s;
}

QDateTime dateFromSerial(double serial)
{
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    const qint64 days = qint64(std::floor(serial));
    const qint64 ms = qint64(std::llround(std::fabs(serial - double(qint64(serial))) * 86400.0) * 1000);
    return base.addDays(days < 0 && serial != double(days) ? days + 1 : days).addMSecs(ms);
}

QDateTime parseDate(const QString &text)
{
    const QString t = text.trimmed();
    // yyyyMMdd too: the personnel fields accept a date typed as eight digits
    static const char *const formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd", "yyyy-MM-ddTHH:mm:ss",
                                          "yyyy-MM-dd HH:mm", "yyyy-MM-dd HH:mm:ss.zzz", "yyyyMMdd",
                                          "yyyyMMdd H:m:s", "yyyyMMdd H:m"};
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid())
            return dt;
    }
    const QString literal = accessDateLiteralText(t);
    if (!literal.isEmpty())
        return QDateTime::fromString(literal, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return {};
}

bool isDatePattern(const QString &pattern)
{
    if (const NamedFormat *f = named(pattern))
        return f->date;
    const QString lower = pattern.trimmed().toLower();
    if (lower == QLatin1String("general date"))
        return true;
    if (lower == QLatin1String("general number") || lower == QLatin1String("yes/no")
        || lower == QLatin1String("true/false") || lower == QLatin1String("on/off"))
        return false;
    for (const DatePart &p : dateParts(pattern))
        if (p.k != DatePart::Lit)
            return true;
    return false;
}

QString formatDate(const QDateTime &dt, const QString &pattern)
{
    const QString lower = pattern.trimmed().toLower();
    if (lower.isEmpty() || lower == QLatin1String("general date")) {
        const QString date = dt.date().toString(QStringLiteral("yyyy-M-d"));
        return dt.time() == QTime(0, 0) ? date : date + dt.time().toString(QStringLiteral(" H:mm:ss"));
    }
    if (const NamedFormat *f = named(pattern))
        return formatDate(dt, QString::fromUtf8(f->pattern));
    const QList<DatePart> parts = dateParts(pattern);
    bool twelve = false;
    for (const DatePart &p : parts)
        twelve = twelve || p.k == DatePart::AmPm;
    const QDate d = dt.date();
    const QTime t = dt.time();
    const int hour = twelve ? (t.hour() % 12 == 0 ? 12 : t.hour() % 12) : t.hour();
    QString out;
    for (const DatePart &p : parts) {
        switch (p.k) {
        case DatePart::Lit: out += p.text; break;
        case DatePart::Year4: out += QString::number(d.year()).rightJustified(4, QLatin1Char('0')); break;
        case DatePart::Year2: out += two(d.year() % 100); break;
        case DatePart::DayOfYear: out += QString::number(d.dayOfYear()); break;
        case DatePart::Month: out += QString::number(d.month()); break;
        case DatePart::Month2: out += two(d.month()); break;
        case DatePart::MonthShort: out += chinese().monthName(d.month(), QLocale::ShortFormat); break;
        case DatePart::MonthLong: out += chinese().monthName(d.month(), QLocale::LongFormat); break;
        case DatePart::Day: out += QString::number(d.day()); break;
        case DatePart::Day2: out += two(d.day()); break;
        case DatePart::WeekShort: out += chinese().dayName(d.dayOfWeek(), QLocale::ShortFormat); break;
        case DatePart::WeekLong: out += chinese().dayName(d.dayOfWeek(), QLocale::LongFormat); break;
        case DatePart::Hour: out += QString::number(hour); break;
        case DatePart::Hour2: out += two(hour); break;
        case DatePart::Minute: out += QString::number(t.minute()); break;
        case DatePart::Minute2: out += two(t.minute()); break;
        case DatePart::Second: out += QString::number(t.second()); break;
        case DatePart::Second2: out += two(t.second()); break;
        case DatePart::AmPm: out += p.text.section(QLatin1Char('|'), t.hour() < 12 ? 0 : 1, t.hour() < 12 ? 0 : 1); break;
        case DatePart::Quarter: out += QString::number((d.month() - 1) / 3 + 1); break;
        case DatePart::WeekDay: out += QString::number(d.dayOfWeek() % 7 + 1); break;  // 1 = Sunday
        case DatePart::WeekOfYear: out += QString::number((d.dayOfYear() + QDate(d.year(), 1, 1).dayOfWeek() % 7 - 1) / 7 + 1); break;
        case DatePart::General: out += formatDate(dt, QString()); break;
        }
    }
    return out;
}

QString formatNumber(double v, const QString &pattern)
{
    const QString lower = pattern.trimmed().toLower();
    if (lower.isEmpty() || lower == QLatin1String("general number"))
        return numberText(v);
    if (lower == QLatin1String("yes/no"))
        return v != 0 ? QStringLiteral("是") : QStringLiteral("否");
    if (lower == QLatin1String("true/false"))
        return v != 0 ? QStringLiteral("真") : QStringLiteral("假");
    if (lower == QLatin1String("on/off"))
        return v != 0 ? QStringLiteral("开") : QStringLiteral("关");
    if (const NamedFormat *f = named(pattern))
        return formatNumber(v, QString::fromUtf8(f->pattern));
    const QStringList secs = sections(pattern);
    if (v == 0 && secs.size() >= 3 && !secs[2].isEmpty())
        return formatSection(0, secs[2]);
    if (v < 0 && secs.size() >= 2 && !secs[1].isEmpty())
        return formatSection(-v, secs[1]);
    const QString body = formatSection(std::fabs(v), secs[0]);
    bool nonZero = false;
    for (const QChar c : body)
        nonZero = nonZero || (c.isDigit() && c != QLatin1Char('0'));
    return v < 0 && nonZero ? QLatin1Char('-') + body : body;
}

QString formatNull(const QString &pattern)
{
    const QStringList secs = sections(pattern);
    return secs.size() >= 4 ? formatSection(0, secs[3]) : QString();
}

double val(const QString &text)
{
    QString t;
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            t += c;
    if (t.startsWith(QLatin1String("&h"), Qt::CaseInsensitive) || t.startsWith(QLatin1String("&o"), Qt::CaseInsensitive)) {
        const int base = t[1].toLower() == QLatin1Char('h') ? 16 : 8;
        int end = 2;
        while (end < t.size()
               && (base == 16 ? QStringLiteral("0123456789abcdefABCDEF") : QStringLiteral("01234567")).contains(t[end]))
            ++end;
        return double(t.mid(2, end - 2).toLongLong(nullptr, base));
    }
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    int digits = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i, ++digits;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    int end = i;
    if (i < t.size() && (t[i].toLower() == QLatin1Char('e') || t[i].toLower() == QLatin1Char('d'))) {
        int j = i + 1;
        if (j < t.size() && (t[j] == QLatin1Char('-') || t[j] == QLatin1Char('+')))
            ++j;
        const int expStart = j;
        while (j < t.size() && t[j].isDigit() && t[j].unicode() < 128)
            ++j;
        if (j > expStart)
            end = j;
    }
    QString number = t.left(end);
    number.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    return QLocale::c().toDouble(number);
}

} // namespace accessfmt
