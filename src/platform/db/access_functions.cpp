// Access built-in functions registered on SQLite connections, with Access's Null and type rules.
#include "platform/db/access_functions.h"

#include "platform/db/access_format.h"

#include <QDateTime>
#include <cmath>
#include <sqlite3.h>

namespace {

using namespace accessfmt;

QString textOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return numberText(sqlite3_value_double(v));
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    }
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

void typeMismatch(sqlite3_context *ctx)
{
    sqlite3_result_error(ctx, "类型不匹配", -1);
    sqlite3_result_error_code(ctx, SQLITE_MISMATCH);
}

void invalidCall(sqlite3_context *ctx) { sqlite3_result_error(ctx, "无效的过程调用或参数", -1); }

bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }

// The numeric value of an argument; text is converted as Access converts it.
std::optional<double> numberOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return double(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT:
        return parseNumber(textOf(v));
    default:
        return std::nullopt;
    }
}

QDateTime dateOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return dateFromSerial(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return parseDate(textOf(v));
    default:
        return {};
    }
}

QString storedDate(const QDateTime &dt) { return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

// Format(value [, pattern])
void fnFormat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString pattern = argc > 1 && !isNull(argv[1]) ? textOf(argv[1]) : QString();
    if (pattern.isEmpty()) {
        resultText(ctx, textOf(argv[0]));
        return;
    }
    if (isDatePattern(pattern)) {
        const QDateTime dt = dateOf(argv[0]);
        resultText(ctx, dt.isValid() ? formatDate(dt, pattern) : textOf(argv[0]));
        return;
    }
    const std::optional<double> n = numberOf(argv[0]);
    resultText(ctx, n ? formatNumber(*n, pattern) : textOf(argv[0]));
}

// Int (toward minus infinity) and Fix (toward zero); a whole number stays of its type.
template <bool Floor>
void fnIntFix(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    }
    const std::optional<double> n = numberOf(argv[0]);
    if (!n) {
        typeMismatch(ctx);
        return;
    }
    sqlite3_result_double(ctx, Floor ? std::floor(*n) : std::trunc(*n));
}

void fnVal(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const int type = sqlite3_value_type(argv[0]);
    sqlite3_result_double(ctx, type == SQLITE_INTEGER || type == SQLITE_FLOAT ? sqlite3_value_double(argv[0])
                                                                               : val(textOf(argv[0])));
}

// Nz(value [, replacement]): the replacement (or an empty text) in place of Null.
void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (!isNull(argv[0]))
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void fnLen(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, textOf(argv[0]).size());
}

// Left, Right and Mid count characters from 1; a negative count is an invalid call, as in Access.
void leftOrRight(sqlite3_context *ctx, sqlite3_value **argv, bool fromLeft)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::optional<double> n = numberOf(argv[1]);
    if (!n)
        return typeMismatch(ctx);
    if (*n < 0)
        return invalidCall(ctx);
    const QString text = textOf(argv[0]);
    const qsizetype count = qsizetype(std::llround(*n));
    resultText(ctx, fromLeft ? text.left(count) : text.right(count));
}

void fnLeft(sqlite3_context *ctx, int, sqlite3_value **argv) { leftOrRight(ctx, argv, true); }
void fnRight(sqlite3_context *ctx, int, sqlite3_value **argv) { leftOrRight(ctx, argv, false); }

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::optional<double> start = numberOf(argv[1]);
    const std::optional<double> length = argc > 2 ? numberOf(argv[2]) : std::optional<double>(-1);
    if (!start || !length)
        return typeMismatch(ctx);
    if (*start < 1 || (argc > 2 && *length < 0))
        return invalidCall(ctx);
    const QString s = textOf(argv[0]);
    const qsizetype from = qsizetype(std::llround(*start)) - 1;
    resultText(ctx, argc > 2 ? s.mid(from, qsizetype(std::llround(*length))) : s.mid(from));
}

template <bool Upper>
void fnCase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, Upper ? textOf(argv[0]).toUpper() : textOf(argv[0]).toLower());
}

void fnCStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, textOf(argv[0]));
}

void fnCDbl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::optional<double> n = numberOf(argv[0]);
    if (!n)
        return typeMismatch(ctx);
    sqlite3_result_double(ctx, *n);
}

void fnNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, storedDate(QDateTime::currentDateTime()));
}

void fnDate(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
}

// Year, Month and Day of a stored date.
template <int Part>
void fnDatePart(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const QDateTime dt = dateOf(argv[0]);
    if (!dt.isValid())
        return typeMismatch(ctx);
    const QDate d = dt.date();
    sqlite3_result_int(ctx, Part == 0 ? d.year() : Part == 1 ? d.month() : d.day());
}

struct Function {
    const char *name;
    int args;
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};

const Function kFunctions[] = {
    {"Format", 1, fnFormat, true},      {"Format", 2, fnFormat, true},    {"Int", 1, fnIntFix<true>, true},
    {"Fix", 1, fnIntFix<false>, true},  {"Val", 1, fnVal, true},          {"Nz", 1, fnNz, true},
    {"Nz", 2, fnNz, true},              {"Len", 1, fnLen, true},          {"Left", 2, fnLeft, true},
    {"Right", 2, fnRight, true},        {"Mid", 2, fnMid, true},          {"Mid", 3, fnMid, true},
    {"UCase", 1, fnCase<true>, true},   {"LCase", 1, fnCase<false>, true}, {"CStr", 1, fnCStr, true},
    {"CDbl", 1, fnCDbl, true},          {"Now", 0, fnNow, false},         {"Date", 0, fnDate, false},
    {"Year", 1, fnDatePart<0>, true},   {"Month", 1, fnDatePart<1>, true}, {"Day", 1, fnDatePart<2>, true},
};

} // namespace

void registerAccessFunctions(sqlite3 *db)
{
    if (!db)
        return;
    for (const Function &f : kFunctions) {
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
        sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.fn, nullptr, nullptr, nullptr);
    }
}
