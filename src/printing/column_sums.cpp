// ModFlSum: the leading-number reading of cell texts and the text of single-precision values.
#include "printing/column_sums.h"

#include <charconv>
#include <string>

namespace ModFlSum {

namespace {
bool isBlank(QChar ch) { return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == QChar(0x3000); }
bool isDigit(QChar ch) { return ch >= u'0' && ch <= u'9'; }
} // namespace

double LeadingNumber(QStringView text)
{
    // Collect the characters of the leading number (blanks dropped), then convert them at once.
    std::string num;
    num.reserve(24);
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
    QString s = QString::number(double(value), 'g', 7);
    const qsizetype e = s.indexOf(u'e');
    if (e >= 0)
        s[e] = u'E';
    return s;
}

} // namespace ModFlSum
