// ModFlSum: the leading-number reading of cell texts, and money rounded and written to the cent.
#include "printing/column_sums.h"

#include "platform/db/access_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
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

double Cents(double value)
{
    const double c = value * 100.0;
    if (!std::isfinite(value) || std::fabs(value) >= 1e13)
        return c;
    const double whole = std::trunc(c);
    if (std::fabs(std::fabs(c - whole) - 0.5) > 1e-6)
        return std::round(c);
    // Near half a cent the product's own rounding may fall on either side: round the decimal the
    // value reads as instead (its fifteen significant digits, mantissa m times 10^(e-14)).
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    *r.ptr = '\0';
    qint64 m = 0;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            m = m * 10 + (*p - '0');
    const int e = *p == 'e' ? std::atoi(p + 1) : 0;
    qint64 cents = 0;
    if (e >= 12) {
        cents = m;
        for (int i = 12; i < e; ++i)
            cents *= 10;
    } else {
        qint64 div = 1;
        for (int i = e; i < 12; ++i)
            div *= 10;
        cents = m / div + ((m % div) * 2 >= div ? 1 : 0);
    }
    return value < 0 ? -double(cents) : double(cents);
}

QString MoneyText(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e13)
        return accessfmt::numberText(value);
    qint64 c = qint64(Cents(value));
    char buf[32];
    char *p = buf;
    if (c < 0) {
        *p++ = '-';
        c = -c;
    }
    p = std::to_chars(p, buf + sizeof buf, c / 100).ptr;
    *p++ = '.';
    *p++ = char('0' + c % 100 / 10);
    *p++ = char('0' + c % 10);
    return QString::fromLatin1(buf, p - buf);
}

} // namespace ModFlSum
