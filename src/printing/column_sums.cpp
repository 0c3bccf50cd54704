// ModFlSum: the leading-number reading of cell texts and the text of single-precision values.
#include "printing/column_sums.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ModFlSum {

namespace {
bool isBlank(QChar ch) { return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == QChar(0x3000); }
bool isDigit(QChar ch) { return ch >= u'0' && ch <= u'9'; }
} // namespace

double LeadingNumber(QStringView text)
{
    // Plain decimals without blanks or exponent, the common cell, are read directly: with at most
    // fifteen digits, the digits as a whole number divided by a power of ten is correctly rounded.
    {
        static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const qsizetype n = text.size();
        const qsizetype start = n > 0 && text[0] == u'-' ? 1 : 0;
        qint64 m = 0;
        int count = 0;
        int decimals = -1;  // digits after the point; -1: no point
        qsizetype j = start;
        for (; j < n && count <= 15; ++j) {
            const QChar ch = text[j];
            if (isDigit(ch)) {
                m = m * 10 + (ch.unicode() - u'0');
                ++count;
                if (decimals >= 0)
                    ++decimals;
            } else if (ch == u'.' && decimals < 0) {
                decimals = 0;
            } else {
                break;
            }
        }
        if (j == n && count > 0 && count <= 15) {
            const double v = decimals > 0 ? double(m) / kPow10[decimals] : double(m);
            return start ? -v : v;
        }
    }
    // Collect the characters of the leading number (blanks dropped), then convert them at once;
    // cell numbers are short and stay in the string's own buffer.
    std::string num;
    enum { Sign, Mantissa, ExpSign, ExpDigits } state = Sign;
    bool point = false;
    bool digits = false;
    bool expDigits = false;
    std::string::size_type mantissaEnd = 0;
    for (QChar ch : text) {
        if (isBlank(ch))
            continue;
        if (state == Sign && (ch == u'+' || ch == u'-')) {
            num += char(ch.unicode());
            state = Mantissa;
            continue;
        }
        if (state == Sign)
            state = Mantissa;
        if (state == Mantissa) {
            if (isDigit(ch)) {
                num += char(ch.unicode());
                digits = true;
            } else if (ch == u'.' && !point) {
                num += '.';
                point = true;
            } else if ((ch == u'e' || ch == u'E' || ch == u'd' || ch == u'D') && digits) {
                mantissaEnd = num.size();
                num += 'e';
                state = ExpSign;
            } else {
                break;
            }
        } else if (state == ExpSign) {
            if (ch == u'+' || ch == u'-') {
                num += char(ch.unicode());
                state = ExpDigits;
            } else if (isDigit(ch)) {
                num += char(ch.unicode());
                expDigits = true;
                state = ExpDigits;
            } else {
                break;
            }
        } else {  // ExpDigits
            if (isDigit(ch)) {
                num += char(ch.unicode());
                expDigits = true;
            } else {
                break;
            }
        }
    }
    if (!digits)
        return 0.0;
    if ((state == ExpSign || state == ExpDigits) && !expDigits)
        num.resize(mantissaEnd);  // a dangling exponent mark adds nothing
    // from_chars reads no leading '+' and ignores the locale, unlike strtod.
    const char *first = num.data();
    const char *last = num.data() + num.size();
    if (*first == '+')
        ++first;
    double v = 0.0;
    std::from_chars(first, last, v);
    return v;
}

QString SingleText(float value)
{
    if (value == 0.0f)
        return QStringLiteral("0");
    char buf[32];
    // Amounts in cents below 100000 are written directly: seven significant digits of such a
    // value give back its cents exactly, so the text is the same as the general conversion's.
    const double d = value;
    if (std::fabs(d) < 1e5) {
        const double cents = std::nearbyint(d * 100.0);
        if (float(cents / 100.0) == value) {
            qint64 c = qint64(cents);
            char *p = buf;
            if (c < 0) {
                *p++ = '-';
                c = -c;
            }
            p = std::to_chars(p, buf + sizeof buf, c / 100).ptr;
            const int frac = int(c % 100);
            if (frac) {
                *p++ = '.';
                *p++ = char('0' + frac / 10);
                if (frac % 10)
                    *p++ = char('0' + frac % 10);
            }
            return QString::fromLatin1(buf, p - buf);
        }
    }
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    for (char *p = buf; p != r.ptr; ++p)
        if (*p == 'e')
            *p = 'E';
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString WholeText(qint64 value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, r.ptr - buf);
}

} // namespace ModFlSum
