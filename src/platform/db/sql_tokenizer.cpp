// SQL tokenizer used by the Access SQL translation.
#include "platform/db/sql_tokenizer.h"

#include "platform/db/sql_translation.h"

#include <QDate>

namespace sqltok {

namespace {

bool isWordStart(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool isWordChar(QChar c)
{
    const ushort u = c.unicode();
    return isWordStart(c) || (u >= '0' && u <= '9') || u == '$';
}

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

bool isSpace(QChar c)
{
    const ushort u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == '\v' || u == 0x3000;
}

// Characters a date or time literal can hold between its two #.
bool isDateChar(QChar c)
{
    const ushort u = c.unicode();
    if (isDigit(c) || u == ' ' || u == '-' || u == '/' || u == ':' || u == '.')
        return true;
    switch (u) {
    case 'A': case 'a': case 'P': case 'p': case 'M': case 'm':
    case 0x4E0A: /* 上 */ case 0x4E0B: /* 下 */ case 0x5348: /* 午 */
        return true;
    default:
        return false;
    }
}

int endOfQuoted(const QChar *s, int n, int pos, QChar quote)
{
    int i = pos + 1;
    while (i < n) {
        if (s[i] == quote) {
            if (i + 1 < n && s[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;  // unterminated: the rest of the text; SQLite reports it
}

} // namespace

Token next(const QChar *s, int n, int pos)
{
    Token t;
    t.start = pos;
    const QChar c = s[pos];
    const ushort u = c.unicode();
    int end = pos + 1;
    if (isSpace(c)) {
        while (end < n && isSpace(s[end]))
            ++end;
        t.kind = Kind::Space;
    } else if (u == '-' && pos + 1 < n && s[pos + 1] == QLatin1Char('-')) {
        while (end < n && s[end] != QLatin1Char('\n'))
            ++end;
        t.kind = Kind::Space;
    } else if (u == '/' && pos + 1 < n && s[pos + 1] == QLatin1Char('*')) {
        end = pos + 2;
        while (end < n && !(s[end] == QLatin1Char('*') && end + 1 < n && s[end + 1] == QLatin1Char('/')))
            ++end;
        end = end < n ? end + 2 : n;
        t.kind = Kind::Space;
    } else if (u == '\'') {
        end = endOfQuoted(s, n, pos, c);
        t.kind = Kind::String;
    } else if (u == '"' || u == '`') {
        end = endOfQuoted(s, n, pos, c);
        t.kind = Kind::Quoted;
    } else if (u == '[') {
        while (end < n && s[end] != QLatin1Char(']'))
            ++end;
        end = end < n ? end + 1 : n;
        t.kind = Kind::Bracketed;
    } else if (u == '#') {
        int i = pos + 1;
        while (i < n && i - pos <= 40 && isDateChar(s[i]))
            ++i;
        if (i < n && s[i] == QLatin1Char('#') && i > pos + 1) {
            end = i + 1;
            t.kind = Kind::Date;
        } else {
            t.kind = Kind::Punct;
        }
    } else if (isDigit(c) || (u == '.' && pos + 1 < n && isDigit(s[pos + 1]))) {
        while (end < n) {
            const QChar d = s[end];
            if (isDigit(d) || d == QLatin1Char('.') || d.isLetter()) {
                // an exponent may carry a sign: 1e+5
                if ((d == QLatin1Char('e') || d == QLatin1Char('E')) && end + 1 < n
                    && (s[end + 1] == QLatin1Char('+') || s[end + 1] == QLatin1Char('-')))
                    ++end;
                ++end;
            } else {
                break;
            }
        }
        t.kind = Kind::Number;
    } else if (isWordStart(c)) {
        while (end < n && isWordChar(s[end]))
            ++end;
        t.kind = Kind::Word;
    } else {
        t.kind = Kind::Punct;
    }
    t.length = end - pos;
    return t;
}

bool equalsWord(const QChar *s, int n, const char *lit)
{
    int i = 0;
    for (; i < n; ++i) {
        const char l = lit[i];
        if (!l)
            return false;
        ushort u = s[i].unicode();
        if (u >= 'A' && u <= 'Z')
            u += 'a' - 'A';
        if (u != ushort(l))
            return false;
    }
    return lit[i] == '\0';
}

QString identifierName(const QString &text, Kind kind)
{
    if (kind == Kind::Bracketed)
        return text.mid(1, text.endsWith(QLatin1Char(']')) ? text.size() - 2 : text.size() - 1);
    if (kind == Kind::Quoted && text.size() >= 2) {
        const QChar q = text.at(0);
        QString inner = text.mid(1, text.size() - 2);
        inner.replace(QString(2, q), QString(q));
        return inner;
    }
    return text;
}

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace sqltok

namespace {
int twoDigitYear(int y, int digits) { return digits <= 2 ? (y < 30 ? 2000 + y : 1900 + y) : y; }
} // namespace

QString accessDateLiteralText(const QString &inner)
{
    QString text = inner.simplified();
    int ampm = 0;  // 1 AM, 2 PM
    static const struct {
        const char16_t *marker;
        int value;
    } markers[] = {{u"上午", 1}, {u"下午", 2}, {u"AM", 1}, {u"PM", 2}, {u"A", 1}, {u"P", 2}};
    for (const auto &m : markers) {
        const QString marker = QString::fromUtf16(m.marker);
        const int at = text.indexOf(marker, 0, Qt::CaseInsensitive);
        if (at >= 0) {
            ampm = m.value;
            text.remove(at, marker.size());
            break;
        }
    }
    QString datePart, timePart;
    for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (part.contains(QLatin1Char(':')))
            timePart = part;
        else if (datePart.isEmpty())
            datePart = part;
        else
            return {};
    }
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0;
    if (!datePart.isEmpty()) {
        QString separated = datePart;
        separated.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('.'), QLatin1Char('-'));
        const QStringList f = separated.split(QLatin1Char('-'));
        if (f.size() != 3)
            return {};
        bool ok1, ok2, ok3;
        const int a = f[0].toInt(&ok1), b = f[1].toInt(&ok2), c = f[2].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3)
            return {};
        if (f[0].size() >= 3)
            y = a, mo = b, d = c;  // year first: 2005-3-17
        else
            mo = a, d = b, y = twoDigitYear(c, int(f[2].size()));  // month first, as the old engine read 3/17/2005
    } else if (timePart.isEmpty()) {
        return {};
    }
    if (!timePart.isEmpty()) {
        const QStringList f = timePart.split(QLatin1Char(':'));
        if (f.size() < 2 || f.size() > 3)
            return {};
        bool ok1, ok2, ok3 = true;
        h = f[0].toInt(&ok1);
        mi = f[1].toInt(&ok2);
        if (f.size() == 3)
            s = int(f[2].toDouble(&ok3));
        if (!ok1 || !ok2 || !ok3)
            return {};
        if (ampm == 2 && h < 12)
            h += 12;
        else if (ampm == 1 && h == 12)
            h = 0;
    } else if (ampm) {
        return {};
    }
    if (!QDate(y, mo, d).isValid() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return {};
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(mo, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(mi, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}
