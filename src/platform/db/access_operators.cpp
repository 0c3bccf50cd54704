// The operators of the expression language that SQLite does differently, and the checks on values
// stored into typed columns: the acc_* functions the SQLite emitter writes calls to.
#include "platform/db/access_values.h"

#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace accval {

namespace {

constexpr double kSingleMax = 3.402823466e38;
constexpr double kCurrencyMax = 922337203685477.5807;

// Both arguments as numbers; Null gives a Null result, anything else that is no number a mismatch.
bool twoNumbers(sqlite3_context *ctx, sqlite3_value **argv, double *a, double *b)
{
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return false;
    }
    const std::optional<double> x = numberOf(argv[0]), y = numberOf(argv[1]);
    if (!x || !y) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    *a = *x;
    *b = *y;
    return true;
}

bool bothIntegers(sqlite3_value **argv)
{
    return sqlite3_value_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_type(argv[1]) == SQLITE_INTEGER;
}

// a + b: numbers add, two texts join, a text that is a number adds to a number.
void fnAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isText(argv[0]) && isText(argv[1]))
        return resultText(ctx, textOf(argv[0]) + textOf(argv[1]));
    if (bothIntegers(argv)) {
        sqlite3_int64 r;
        if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
            return sqlite3_result_int64(ctx, r);
    }
    double a, b;
    if (twoNumbers(ctx, argv, &a, &b))
        resultNumber(ctx, a + b);
}

void fnSub(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (bothIntegers(argv)) {
        sqlite3_int64 r;
        if (!__builtin_sub_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
            return sqlite3_result_int64(ctx, r);
    }
    double a, b;
    if (twoNumbers(ctx, argv, &a, &b))
        resultNumber(ctx, a - b);
}

void fnMul(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (bothIntegers(argv)) {
        sqlite3_int64 r;
        if (!__builtin_mul_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
            return sqlite3_result_int64(ctx, r);
    }
    double a, b;
    if (twoNumbers(ctx, argv, &a, &b))
        resultNumber(ctx, a * b);
}

// a / b always divides as floating point.
void fnDiv(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double a, b;
    if (!twoNumbers(ctx, argv, &a, &b))
        return;
    if (b == 0)
        return fail(ctx, Fault::DivisionByZero);
    resultDouble(ctx, a / b);
}

// The operands of \ and Mod: rounded half to even first, within the range of a 64-bit integer.
bool roundedOperands(sqlite3_context *ctx, sqlite3_value **argv, double *a, double *b)
{
    if (!twoNumbers(ctx, argv, a, b))
        return false;
    *a = roundHalfEven(*a);
    *b = roundHalfEven(*b);
    if (std::fabs(*a) >= 9.2e18 || std::fabs(*b) >= 9.2e18) {
        fail(ctx, Fault::Overflow);
        return false;
    }
    if (*b == 0) {
        fail(ctx, Fault::DivisionByZero);
        return false;
    }
    return true;
}

void fnIntDiv(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double a, b;
    if (!roundedOperands(ctx, argv, &a, &b))
        return;
    const qint64 x = qint64(a), y = qint64(b);
    if (x == std::numeric_limits<qint64>::min() && y == -1)
        return fail(ctx, Fault::Overflow);
    sqlite3_result_int64(ctx, x / y);  // truncates toward zero
}

void fnMod(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double a, b;
    if (!roundedOperands(ctx, argv, &a, &b))
        return;
    const qint64 x = qint64(a), y = qint64(b);
    sqlite3_result_int64(ctx, y == -1 ? 0 : x % y);  // the sign of the dividend
}

void fnPow(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    double a, b;
    if (!twoNumbers(ctx, argv, &a, &b))
        return;
    if (a < 0 && b != std::floor(b))
        return fail(ctx, Fault::InvalidCall);
    if (a == 0 && b < 0)
        return fail(ctx, Fault::DivisionByZero);
    resultNumber(ctx, std::pow(a, b));
}

void fnNeg(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_int64(argv[0]) != std::numeric_limits<qint64>::min())
        return sqlite3_result_int64(ctx, -sqlite3_value_int64(argv[0]));
    const std::optional<double> x = numberOf(argv[0]);
    if (!x)
        return fail(ctx, Fault::TypeMismatch);
    resultNumber(ctx, -*x);
}

// ---- Not, And, Or, Xor, Eqv, Imp on numbers: bitwise on 32-bit integers --------------------------

struct Bits {
    bool null = true;
    qint64 v = 0;
};

bool bitsOf(sqlite3_context *ctx, sqlite3_value *v, Bits *out)
{
    if (isNull(v))
        return true;
    qint64 n;
    if (!wholeArgument(ctx, v, kLongMin, kLongMax, &n))
        return false;
    out->null = false;
    out->v = n;
    return true;
}

void resultBits(sqlite3_context *ctx, qint64 v) { sqlite3_result_int64(ctx, qint64(qint32(quint32(v)))); }

void fnNot(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    Bits a;
    if (!bitsOf(ctx, argv[0], &a))
        return;
    if (a.null)
        return sqlite3_result_null(ctx);
    resultBits(ctx, ~a.v);
}

template <int Op>  // 0 And, 1 Or, 2 Xor, 3 Eqv, 4 Imp
void fnLogical(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    Bits a, b;
    if (!bitsOf(ctx, argv[0], &a) || !bitsOf(ctx, argv[1], &b))
        return;
    if (a.null || b.null) {
        // Null combines with a value that alone decides the result: Null And 0 = 0, Null Or -1 = -1,
        // Null Imp -1 = -1, 0 Imp Null = -1; otherwise the result is Null.
        const Bits &known = a.null ? b : a;
        if (!known.null) {
            if (Op == 0 && known.v == 0)
                return sqlite3_result_int64(ctx, 0);
            if (Op == 1 && known.v == -1)
                return sqlite3_result_int64(ctx, -1);
            if (Op == 4 && ((a.null && b.v == -1) || (b.null && a.v == 0)))
                return sqlite3_result_int64(ctx, -1);
        }
        return sqlite3_result_null(ctx);
    }
    switch (Op) {
    case 0: return resultBits(ctx, a.v & b.v);
    case 1: return resultBits(ctx, a.v | b.v);
    case 2: return resultBits(ctx, a.v ^ b.v);
    case 3: return resultBits(ctx, ~(a.v ^ b.v));
    default: return resultBits(ctx, ~a.v | b.v);
    }
}

// a & b & …: texts joined, numbers in their shortest text, Null as empty; all Null gives Null.
void fnCat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    QString out;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        if (isNull(argv[i]))
            continue;
        any = true;
        out += textOf(argv[i]);
    }
    if (!any)
        return sqlite3_result_null(ctx);
    resultText(ctx, out);
}

// ---- dates --------------------------------------------------------------------------------------

// A date moved by a number of days (either operand may be the date).
void dateAdd(sqlite3_context *ctx, sqlite3_value *dateValue, sqlite3_value *daysValue, double sign)
{
    if (isNull(dateValue) || isNull(daysValue))
        return sqlite3_result_null(ctx);
    const QDateTime dt = dateOf(dateValue);
    const std::optional<double> days = numberOf(daysValue);
    if (!dt.isValid() || !days)
        return fail(ctx, Fault::TypeMismatch);
    if (!std::isfinite(*days) || std::fabs(*days) > 4.0e6)
        return fail(ctx, Fault::Overflow);
    const QDateTime moved = dt.addMSecs(qint64(std::llround(sign * *days * 86400000.0)));
    if (!inDateRange(moved))
        return fail(ctx, Fault::Overflow);
    resultDate(ctx, moved);
}

void fnDateAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    // the date is the operand that reads as a date; a number on the other side counts days
    if (isNumber(argv[0]) || (isText(argv[0]) && plainNumber(textOf(argv[0]))))
        return dateAdd(ctx, argv[1], argv[0], 1);
    dateAdd(ctx, argv[0], argv[1], 1);
}

void fnDateSub(sqlite3_context *ctx, int, sqlite3_value **argv) { dateAdd(ctx, argv[0], argv[1], -1); }

void fnDateDiff(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]) || isNull(argv[1]))
        return sqlite3_result_null(ctx);
    const QDateTime a = dateOf(argv[0]), b = dateOf(argv[1]);
    if (!a.isValid() || !b.isValid())
        return fail(ctx, Fault::TypeMismatch);
    resultNumber(ctx, double(a.toMSecsSinceEpoch() - b.toMSecsSinceEpoch()) / 86400000.0);
}

void fnCStrDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QDateTime dt = dateOf(argv[0]);
    resultText(ctx, dt.isValid() ? generalDateText(dt) : textOf(argv[0]));
}

void fnInvalidCall(sqlite3_context *ctx, int, sqlite3_value **) { fail(ctx, Fault::InvalidCall); }

// acc_date_serial(date): the old engine's day number of a date (days since 1899-12-30, the time of
// day as the fraction; before that day the fraction still counts forward from midnight).
void fnDateSerialNumber(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]) || isNumber(argv[0]))
        return sqlite3_result_value(ctx, argv[0]);
    const QDateTime dt = dateOf(argv[0]);
    if (!dt.isValid())
        return fail(ctx, Fault::TypeMismatch);
    const qint64 days = QDate(1899, 12, 30).daysTo(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
    resultNumber(ctx, days >= 0 ? double(days) + fraction : double(days) - fraction);
}

// acc_raise(message): refuses the statement with the message as it stands (triggers that guard rows
// word their refusals this way).
void fnRaise(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const QByteArray message = textOf(argv[0]).toUtf8();
    sqlite3_result_error(ctx, message.constData(), int(message.size()));
    sqlite3_result_error_code(ctx, SQLITE_CONSTRAINT);
}

void fnChooseIndex(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    qint64 n;
    if (wholeArgument(ctx, argv[0], kLongMin, kLongMax, &n))
        sqlite3_result_int64(ctx, n);
}

// ---- values stored into typed columns ------------------------------------------------------------

// A number for a number column: numbers as they are, texts only when they are plain numbers.
bool storedNumber(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    const std::optional<double> n = numberOf(v);
    if (!n) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    if (!std::isfinite(*n)) {
        fail(ctx, Fault::Overflow);
        return false;
    }
    *out = *n;
    return true;
}

template <int Kind>  // 0 single, 1 double, 2 currency
void fnStoreReal(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (Kind == 1 && sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_value(ctx, argv[0]);
    double v;
    if (!storedNumber(ctx, argv[0], &v))
        return;
    if (Kind == 0 && std::fabs(v) > kSingleMax)
        return fail(ctx, Fault::Overflow);
    if (Kind == 2) {
        v = roundHalfEven(v, 4);
        if (std::fabs(v) > kCurrencyMax)
            return fail(ctx, Fault::Overflow);
    }
    sqlite3_result_double(ctx, v);
}

template <qint64 Low, qint64 High>
void fnStoreWhole(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        const qint64 v = sqlite3_value_int64(argv[0]);
        if (v < Low || v > High)
            return fail(ctx, Fault::Overflow);
        return sqlite3_result_int64(ctx, v);
    }
    double v;
    if (!storedNumber(ctx, argv[0], &v))
        return;
    v = roundHalfEven(v);
    if (v < double(Low) || v > double(High))
        return fail(ctx, Fault::Overflow);
    sqlite3_result_int64(ctx, qint64(v));
}

// Yes/No columns hold -1 for Yes and 0 for No, whatever number or True/False text is stored.
void fnStoreBool(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (isText(argv[0])) {
        const QString t = textOf(argv[0]).trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("yes"))
            return sqlite3_result_int64(ctx, -1);
        if (t == QLatin1String("false") || t == QLatin1String("no"))
            return sqlite3_result_int64(ctx, 0);
    }
    double v;
    if (storedNumber(ctx, argv[0], &v))
        sqlite3_result_int64(ctx, v != 0 ? -1 : 0);
}

void fnStoreText(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_NULL || t == SQLITE_TEXT || t == SQLITE_BLOB)
        return sqlite3_result_value(ctx, argv[0]);
    resultText(ctx, textOf(argv[0]));
}

void fnStoreDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    bool outOfRange = false;
    const QDateTime dt = dateOf(argv[0], &outOfRange);
    if (outOfRange)
        return fail(ctx, Fault::Overflow);
    if (!dt.isValid()) {
        // an empty text stores as no date
        if (isText(argv[0]) && textOf(argv[0]).trimmed().isEmpty())
            return sqlite3_result_null(ctx);
        return fail(ctx, Fault::TypeMismatch);
    }
    resultDate(ctx, dt);
}

const Registration kOperators[] = {
    {"acc_add", 2, fnAdd, true},
    {"acc_sub", 2, fnSub, true},
    {"acc_mul", 2, fnMul, true},
    {"acc_div", 2, fnDiv, true},
    {"acc_idiv", 2, fnIntDiv, true},
    {"acc_mod", 2, fnMod, true},
    {"acc_pow", 2, fnPow, true},
    {"acc_neg", 1, fnNeg, true},
    {"acc_not", 1, fnNot, true},
    {"acc_and", 2, fnLogical<0>, true},
    {"acc_or", 2, fnLogical<1>, true},
    {"acc_xor", 2, fnLogical<2>, true},
    {"acc_eqv", 2, fnLogical<3>, true},
    {"acc_imp", 2, fnLogical<4>, true},
    {"acc_cat", -1, fnCat, true},
    {"acc_date_add", 2, fnDateAdd, true},
    {"acc_date_sub", 2, fnDateSub, true},
    {"acc_date_diff", 2, fnDateDiff, true},
    {"acc_cstr_date", 1, fnCStrDate, true},
    {"acc_invalid_call", 0, fnInvalidCall, true},
    {"acc_date_serial", 1, fnDateSerialNumber, true},
    {"acc_raise", 1, fnRaise, false},
    {"acc_choose_index", 1, fnChooseIndex, true},
    {"acc_store_single", 1, fnStoreReal<0>, true},
    {"acc_store_double", 1, fnStoreReal<1>, true},
    {"acc_store_currency", 1, fnStoreReal<2>, true},
    {"acc_store_long", 1, fnStoreWhole<qint64(kLongMin), qint64(kLongMax)>, true},
    {"acc_store_integer", 1, fnStoreWhole<-32768, 32767>, true},
    {"acc_store_byte", 1, fnStoreWhole<0, 255>, true},
    {"acc_store_text", 1, fnStoreText, true},
    {"acc_store_bool", 1, fnStoreBool, true},
    {"acc_store_date", 1, fnStoreDate, true},
};

} // namespace

RegistrationGroup operatorFunctions() { return {std::begin(kOperators), std::end(kOperators)}; }

} // namespace accval
