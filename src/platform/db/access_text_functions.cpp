// Text functions of the expression language, for SQLite connections. Counts and positions are in
// characters from 1; a negative count is an invalid call and a count beyond a 32-bit integer an
// overflow, as the old engine had them.
#include "platform/db/access_values.h"

#include "platform/db/access_format.h"

#include <sqlite3.h>

namespace accval {

namespace {

constexpr double kLongMax = 2147483647.0;
// The longest text Space and String build; more is refused rather than exhausting memory.
constexpr qint64 kLongestText = 1 << 24;

// A count or position argument: a whole number from low up to a 32-bit integer's range.
bool countArgument(sqlite3_context *ctx, sqlite3_value *v, qint64 low, qint64 *out)
{
    if (isNull(v)) {
        fail(ctx, Fault::InvalidCall);  // invalid use of Null
        return false;
    }
    const std::optional<double> n = numberOf(v);
    if (!n) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    const double r = roundHalfEven(*n);
    if (r > kLongMax || r < -kLongMax - 1) {
        fail(ctx, Fault::Overflow);
        return false;
    }
    if (r < double(low)) {
        fail(ctx, Fault::InvalidCall);
        return false;
    }
    *out = qint64(r);
    return true;
}

// A comparison argument: 0 binary, 1 text (letter case ignored); the default ignores case as the
// database compared.
bool compareArgument(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, Qt::CaseSensitivity *out)
{
    *out = Qt::CaseInsensitive;
    if (index >= argc)
        return true;
    qint64 mode;
    if (!countArgument(ctx, argv[index], -1, &mode))
        return false;
    if (mode == 0)
        *out = Qt::CaseSensitive;
    else if (mode != 1 && mode != -1)
        return fail(ctx, Fault::InvalidCall), false;
    return true;
}

void fnLen(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, textOf(argv[0]).size());
}

template <bool FromLeft>
void fnLeftRight(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 n;
    if (!countArgument(ctx, argv[1], 0, &n))
        return;
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString s = textOf(argv[0]);
    resultText(ctx, FromLeft ? s.left(qsizetype(n)) : s.right(qsizetype(n)));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 start, length = -1;
    if (!countArgument(ctx, argv[1], 1, &start))
        return;
    if (argc > 2 && !countArgument(ctx, argv[2], 0, &length))
        return;
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString s = textOf(argv[0]);
    if (start > s.size())
        return resultText(ctx, QString());
    resultText(ctx, length < 0 ? s.mid(qsizetype(start - 1)) : s.mid(qsizetype(start - 1), qsizetype(length)));
}

// InStr([start,] text, sought [, compare])
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    int first = 0;
    qint64 start = 1;
    if (argc >= 3) {
        if (!countArgument(ctx, argv[0], 1, &start))
            return;
        first = 1;
    }
    Qt::CaseSensitivity cs;
    if (!compareArgument(ctx, argc, argv, first + 2, &cs))
        return;
    if (isNull(argv[first]) || isNull(argv[first + 1]))
        return sqlite3_result_null(ctx);
    const QString text = textOf(argv[first]), sought = textOf(argv[first + 1]);
    if (start > text.size())
        return sqlite3_result_int64(ctx, 0);
    if (sought.isEmpty())
        return sqlite3_result_int64(ctx, start);
    sqlite3_result_int64(ctx, text.indexOf(sought, qsizetype(start - 1), cs) + 1);
}

// InStrRev(text, sought [, start [, compare]])
void fnInStrRev(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 start = -1;
    if (argc > 2 && !countArgument(ctx, argv[2], -1, &start))
        return;
    if (start == 0)
        return fail(ctx, Fault::InvalidCall);
    Qt::CaseSensitivity cs;
    if (!compareArgument(ctx, argc, argv, 3, &cs))
        return;
    if (isNull(argv[0]) || isNull(argv[1]))
        return sqlite3_result_null(ctx);
    const QString text = textOf(argv[0]), sought = textOf(argv[1]);
    if (start > text.size())
        return sqlite3_result_int64(ctx, 0);
    if (start < 0)
        start = text.size();
    if (sought.isEmpty())
        return sqlite3_result_int64(ctx, start);
    const qsizetype from = qsizetype(start) - sought.size();
    sqlite3_result_int64(ctx, from < 0 ? 0 : text.lastIndexOf(sought, from, cs) + 1);
}

// Trim, LTrim, RTrim remove blanks (spaces), nothing else.
template <bool Left, bool Right>
void fnTrim(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString s = textOf(argv[0]);
    qsizetype a = 0, b = s.size();
    if (Left)
        while (a < b && s.at(a) == QLatin1Char(' '))
            ++a;
    if (Right)
        while (b > a && s.at(b - 1) == QLatin1Char(' '))
            --b;
    resultText(ctx, s.mid(a, b - a));
}

template <bool Upper>
void fnCase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, Upper ? textOf(argv[0]).toUpper() : textOf(argv[0]).toLower());
}

// Replace(text, find, with [, start [, count [, compare]]]): the text from start on, with up to
// count replacements (-1: all).
void fnReplace(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 start = 1, count = -1;
    if (argc > 3 && !countArgument(ctx, argv[3], 1, &start))
        return;
    if (argc > 4 && !countArgument(ctx, argv[4], -1, &count))
        return;
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    if (argc > 5 && !compareArgument(ctx, argc, argv, 5, &cs))
        return;
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (isNull(argv[1]) || isNull(argv[2]))
        return fail(ctx, Fault::InvalidCall);
    const QString text = textOf(argv[0]), find = textOf(argv[1]), with = textOf(argv[2]);
    if (start > text.size())
        return resultText(ctx, QString());
    QString rest = text.mid(qsizetype(start - 1));
    if (find.isEmpty() || count == 0)
        return resultText(ctx, rest);
    QString out;
    qsizetype from = 0;
    for (qint64 done = 0; count < 0 || done < count; ++done) {
        const qsizetype at = rest.indexOf(find, from, cs);
        if (at < 0)
            break;
        out += rest.mid(from, at - from) + with;
        from = at + find.size();
    }
    resultText(ctx, out + rest.mid(from));
}

void fnSpace(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 n;
    if (!countArgument(ctx, argv[0], 0, &n))
        return;
    if (n > kLongestText)
        return fail(ctx, Fault::Overflow);
    resultText(ctx, QString(qsizetype(n), QLatin1Char(' ')));
}

// String(n, character): a character given as text (its first) or as a character code.
void fnString(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 n;
    if (!countArgument(ctx, argv[0], 0, &n))
        return;
    if (n > kLongestText)
        return fail(ctx, Fault::Overflow);
    if (isNull(argv[1]))
        return sqlite3_result_null(ctx);
    QChar c;
    if (isText(argv[1])) {
        const QString s = textOf(argv[1]);
        if (s.isEmpty())
            return fail(ctx, Fault::InvalidCall);
        c = s.at(0);
    } else {
        qint64 code;
        if (!countArgument(ctx, argv[1], 0, &code))
            return;
        c = QChar(char16_t(code % 256));
    }
    resultText(ctx, QString(qsizetype(n), c));
}

void fnStrReverse(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    QString s = textOf(argv[0]);
    std::reverse(s.begin(), s.end());
    resultText(ctx, s);
}

void fnStrComp(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    Qt::CaseSensitivity cs;
    if (!compareArgument(ctx, argc, argv, 2, &cs))
        return;
    if (isNull(argv[0]) || isNull(argv[1]))
        return sqlite3_result_null(ctx);
    const int c = QString::compare(textOf(argv[0]), textOf(argv[1]), cs);
    sqlite3_result_int64(ctx, c < 0 ? -1 : c > 0 ? 1 : 0);
}

void fnAsc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    const QString s = textOf(argv[0]);
    if (s.isEmpty())
        return fail(ctx, Fault::InvalidCall);
    sqlite3_result_int64(ctx, s.at(0).unicode());
}

void fnChr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 code;
    if (!countArgument(ctx, argv[0], -32768, &code))
        return;
    if (code > 65535)
        return fail(ctx, Fault::InvalidCall);
    resultText(ctx, QString(QChar(char16_t(code & 0xffff))));
}

// Format(value [, pattern]): numbers and dates by the old engine's patterns.
void fnFormat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString pattern = argc > 1 && !isNull(argv[1]) ? textOf(argv[1]) : QString();
    if (pattern.isEmpty())
        return resultText(ctx, textOf(argv[0]));
    if (accessfmt::isDatePattern(pattern)) {
        const QDateTime dt = dateOf(argv[0]);
        return resultText(ctx, dt.isValid() ? accessfmt::formatDate(dt, pattern) : textOf(argv[0]));
    }
    const std::optional<double> n = numberOf(argv[0]);
    resultText(ctx, n ? accessfmt::formatNumber(*n, pattern) : textOf(argv[0]));
}

const Registration kTextFunctions[] = {
    {"acc_len", 1, fnLen, true},
    {"acc_left", 2, fnLeftRight<true>, true},
    {"acc_right", 2, fnLeftRight<false>, true},
    {"acc_mid", 2, fnMid, true},
    {"acc_mid", 3, fnMid, true},
    {"acc_instr", -1, fnInStr, true},
    {"acc_instrrev", -1, fnInStrRev, true},
    {"acc_trim", 1, fnTrim<true, true>, true},
    {"acc_ltrim", 1, fnTrim<true, false>, true},
    {"acc_rtrim", 1, fnTrim<false, true>, true},
    {"acc_ucase", 1, fnCase<true>, true},
    {"acc_lcase", 1, fnCase<false>, true},
    {"acc_replace", -1, fnReplace, true},
    {"acc_space", 1, fnSpace, true},
    {"acc_string", 2, fnString, true},
    {"acc_strreverse", 1, fnStrReverse, true},
    {"acc_strcomp", -1, fnStrComp, true},
    {"acc_asc", 1, fnAsc, true},
    {"acc_chr", 1, fnChr, true},
    {"acc_format", -1, fnFormat, true},
};

} // namespace

RegistrationGroup textFunctions() { return {std::begin(kTextFunctions), std::end(kTextFunctions)}; }

} // namespace accval
