// Number and conversion functions of the expression language, for SQLite connections.
#include "platform/db/access_values.h"

#include "platform/db/access_format.h"

#include <cmath>
#include <sqlite3.h>

namespace accval {

namespace {

// The one numeric argument of a function; Null gives a Null result.
bool numberArgument(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    if (isNull(v)) {
        sqlite3_result_null(ctx);
        return false;
    }
    const std::optional<double> n = numberOf(v);
    if (!n) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    *out = *n;
    return true;
}

// The argument of CDbl, CSng, CCur: converted as the explicit conversions read numbers.
bool conversionArgument(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    if (isNull(v)) {
        sqlite3_result_null(ctx);
        return false;
    }
    const std::optional<double> n = convertedNumberOf(v);
    if (!n) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    *out = *n;
    return true;
}

template <double (*F)(double)>
void fnMath(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (numberArgument(ctx, argv[0], &x))
        resultDouble(ctx, F(x));
}

double absolute(double x) { return std::fabs(x); }
double sign(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }
double floorOf(double x) { return std::floor(x); }
double truncOf(double x) { return std::trunc(x); }
double atn(double x) { return std::atan(x); }
double sine(double x) { return std::sin(x); }
double cosine(double x) { return std::cos(x); }
double tangent(double x) { return std::tan(x); }
double exponential(double x) { return std::exp(x); }

// Int and Fix of a whole number keep it as it is (a 64-bit integer stays exact).
template <double (*F)(double)>
void fnWhole(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    fnMath<F>(ctx, argc, argv);
}

void fnSqr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (!numberArgument(ctx, argv[0], &x))
        return;
    if (x < 0)
        return fail(ctx, Fault::InvalidCall);
    resultNumber(ctx, std::sqrt(x));
}

void fnLog(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (!numberArgument(ctx, argv[0], &x))
        return;
    if (x <= 0)
        return fail(ctx, Fault::InvalidCall);
    resultNumber(ctx, std::log(x));
}

// Round(x [, decimals]): half to even.
void fnRound(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    double x;
    if (!numberArgument(ctx, argv[0], &x))
        return;
    qint64 dec = 0;
    if (argc > 1) {
        if (isNull(argv[1]))
            return sqlite3_result_null(ctx);
        if (!wholeArgument(ctx, argv[1], kLongMin, kLongMax, &dec))
            return;
        if (dec < 0)
            return fail(ctx, Fault::InvalidCall);
    }
    resultNumber(ctx, roundHalfEven(x, int(std::min<qint64>(dec, 16))));
}

// CInt, CLng, CByte: half to even, then the type's range or an overflow.
template <int Low, int High>
void fnWholeConversion(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);  // invalid use of Null
    qint64 n;
    if (wholeArgument(ctx, argv[0], double(Low), double(High), &n))
        sqlite3_result_int64(ctx, n);
}

void fnCLng(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    qint64 n;
    if (wholeArgument(ctx, argv[0], kLongMin, kLongMax, &n))
        sqlite3_result_int64(ctx, n);
}

// CSng: single precision, shown with its 7 significant digits.
void fnCSng(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    if (!conversionArgument(ctx, argv[0], &x))
        return;
    if (std::fabs(x) > 3.402823466e38)
        return fail(ctx, Fault::Overflow);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6e", x);
    resultNumber(ctx, std::strtod(buf, nullptr));
}

void fnCDbl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    if (conversionArgument(ctx, argv[0], &x))
        resultDouble(ctx, x);
}

// CCur: four decimals, half to even.
void fnCCur(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    if (!conversionArgument(ctx, argv[0], &x))
        return;
    x = roundHalfEven(x, 4);
    if (std::fabs(x) > 922337203685477.5807)
        return fail(ctx, Fault::Overflow);
    resultNumber(ctx, x);
}

// CBool: -1 for any number but 0, and for the texts True/False.
void fnCBool(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    if (isText(argv[0])) {
        const QString t = textOf(argv[0]).trimmed().toLower();
        if (t == QLatin1String("true"))
            return sqlite3_result_int64(ctx, -1);
        if (t == QLatin1String("false"))
            return sqlite3_result_int64(ctx, 0);
    }
    double x;
    if (numberArgument(ctx, argv[0], &x))
        sqlite3_result_int64(ctx, x != 0 ? -1 : 0);
}

void fnCStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, textOf(argv[0]));
}

void fnCDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return fail(ctx, Fault::InvalidCall);
    bool outOfRange = false;
    const QDateTime dt = dateOf(argv[0], &outOfRange);
    if (outOfRange)
        return fail(ctx, Fault::Overflow);
    if (!dt.isValid())
        return fail(ctx, Fault::TypeMismatch);
    resultDate(ctx, dt);
}

// Val: the number at the start of the text, blanks skipped; 0 when there is none.
void fnVal(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultDouble(ctx, isNumber(argv[0]) ? sqlite3_value_double(argv[0]) : accessfmt::val(textOf(argv[0])));
}

// Str: a number as text with a leading blank for its sign when it is not negative.
void fnStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double x;
    if (!numberArgument(ctx, argv[0], &x))
        return;
    const QString t = isNumber(argv[0]) ? textOf(argv[0]) : accessfmt::numberText(x);
    resultText(ctx, x >= 0 ? QLatin1Char(' ') + t : t);
}

template <int Base>
void fnRadix(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    qint64 n;
    if (!wholeArgument(ctx, argv[0], kLongMin, kLongMax, &n))
        return;
    resultText(ctx, QString::number(quint32(qint32(n)), Base).toUpper());
}

void fnIsNumeric(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const bool yes = isNumber(argv[0]) || (isText(argv[0]) && plainNumber(textOf(argv[0])));
    sqlite3_result_int64(ctx, yes ? -1 : 0);
}

void fnIsDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_result_int64(ctx, isText(argv[0]) && inDateRange(dateOf(argv[0])) ? -1 : 0);
}

const Registration kNumberFunctions[] = {
    {"acc_abs", 1, fnMath<absolute>, true},
    {"acc_sgn", 1, fnMath<sign>, true},
    {"acc_sqr", 1, fnSqr, true},
    {"acc_int", 1, fnWhole<floorOf>, true},
    {"acc_fix", 1, fnWhole<truncOf>, true},
    {"acc_round", 1, fnRound, true},
    {"acc_round", 2, fnRound, true},
    {"acc_exp", 1, fnMath<exponential>, true},
    {"acc_log", 1, fnLog, true},
    {"acc_atn", 1, fnMath<atn>, true},
    {"acc_sin", 1, fnMath<sine>, true},
    {"acc_cos", 1, fnMath<cosine>, true},
    {"acc_tan", 1, fnMath<tangent>, true},
    {"acc_cint", 1, fnWholeConversion<-32768, 32767>, true},
    {"acc_clng", 1, fnCLng, true},
    {"acc_cbyte", 1, fnWholeConversion<0, 255>, true},
    {"acc_csng", 1, fnCSng, true},
    {"acc_cdbl", 1, fnCDbl, true},
    {"acc_ccur", 1, fnCCur, true},
    {"acc_cbool", 1, fnCBool, true},
    {"acc_cstr", 1, fnCStr, true},
    {"acc_cdate", 1, fnCDate, true},
    {"acc_val", 1, fnVal, true},
    {"acc_str", 1, fnStr, true},
    {"acc_hex", 1, fnRadix<16>, true},
    {"acc_oct", 1, fnRadix<8>, true},
    {"acc_isnumeric", 1, fnIsNumeric, true},
    {"acc_isdate", 1, fnIsDate, true},
};

} // namespace

RegistrationGroup numberFunctions() { return {std::begin(kNumberFunctions), std::end(kNumberFunctions)}; }

} // namespace accval
