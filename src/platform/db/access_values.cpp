// Value conversions shared by the SQLite implementations of the expression language.
#include "platform/db/access_values.h"

#include "platform/db/access_format.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <sqlite3.h>

namespace accval {

const char *const kOverflowText = "溢出";
const char *const kDivisionByZeroText = "除数为零";
const char *const kInvalidCallText = "无效的过程调用或参数";
const char *const kTypeMismatchText = "类型不匹配";

void fail(sqlite3_context *ctx, Fault fault)
{
    switch (fault) {
    case Fault::TypeMismatch:
        sqlite3_result_error(ctx, kTypeMismatchText, -1);
        sqlite3_result_error_code(ctx, SQLITE_MISMATCH);
        return;
    case Fault::Overflow:
        sqlite3_result_error(ctx, kOverflowText, -1);
        return;
    case Fault::DivisionByZero:
        sqlite3_result_error(ctx, kDivisionByZeroText, -1);
        return;
    case Fault::InvalidCall:
        sqlite3_result_error(ctx, kInvalidCallText, -1);
        return;
    }
}

bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }
bool isText(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_TEXT; }
bool isNumber(sqlite3_value *v)
{
    const int t = sqlite3_value_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

QString textOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return accessfmt::numberText(sqlite3_value_double(v));
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    }
}

std::optional<double> plainNumber(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!re.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok && !std::isinf(v))
        return std::nullopt;
    return v;
}

std::optional<double> numberOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return double(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT:
        return plainNumber(textOf(v));
    default:
        return std::nullopt;
    }
}

std::optional<double> convertedNumberOf(sqlite3_value *v)
{
    if (isText(v)) {
        static const QRegularExpression grouped(QStringLiteral("^\\s*[+-]?\\d{1,3}(,\\d{3})+(\\.\\d*)?\\s*$"));
        QString t = textOf(v);
        if (grouped.match(t).hasMatch())
            return t.remove(QLatin1Char(',')).trimmed().toDouble();
    }
    return numberOf(v);
}

bool inDateRange(const QDateTime &dt)
{
    return dt.isValid() && dt.date().year() >= 100 && dt.date().year() <= 9999;
}

QDateTime dateOf(sqlite3_value *v, bool *outOfRange)
{
    if (outOfRange)
        *outOfRange = false;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double serial = sqlite3_value_double(v);
        // 1 January 100 and 31 December 9999 as day numbers
        if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) {
            if (outOfRange)
                *outOfRange = true;
            return {};
        }
        return accessfmt::dateFromSerial(serial);
    }
    case SQLITE_TEXT:
        return accessfmt::parseDate(textOf(v));
    default:
        return {};
    }
}

bool wholeArgument(sqlite3_context *ctx, sqlite3_value *v, double low, double high, qint64 *out)
{
    const std::optional<double> n = convertedNumberOf(v);
    if (!n) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    const double r = roundHalfEven(*n);
    if (!(r >= low && r <= high)) {
        fail(ctx, Fault::Overflow);
        return false;
    }
    *out = qint64(r);
    return true;
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

void resultDouble(sqlite3_context *ctx, double v)
{
    if (!std::isfinite(v))
        return fail(ctx, Fault::Overflow);
    sqlite3_result_double(ctx, v);
}

void resultNumber(sqlite3_context *ctx, double v)
{
    if (!std::isfinite(v))
        return fail(ctx, Fault::Overflow);
    if (v == std::floor(v) && std::fabs(v) < 9.0e15)
        sqlite3_result_int64(ctx, sqlite3_int64(v));
    else
        sqlite3_result_double(ctx, v);
}

QString storedDate(const QDateTime &dt) { return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString generalDateText(const QDateTime &dt)
{
    if (dt.date() == QDate(1899, 12, 30))
        return dt.time().toString(QStringLiteral("H:mm:ss"));
    const QString date = dt.date().toString(QStringLiteral("yyyy-M-d"));
    return dt.time() == QTime(0, 0) ? date : date + dt.time().toString(QStringLiteral(" H:mm:ss"));
}

void resultDate(sqlite3_context *ctx, const QDateTime &dt)
{
    if (!inDateRange(dt))
        return fail(ctx, Fault::InvalidCall);
    resultText(ctx, storedDate(dt));
}

double roundHalfEven(double v, int dec)
{
    if (!std::isfinite(v) || dec > 15)
        return v;
    static const double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double scale0 = dec >= 0 && dec <= 15 ? powers[dec] : 1.0;
    const double y = v * scale0;
    if (std::fabs(y) < 4.0e15) {
        // Away from a tie the nearest whole number is plain to see; only a value within the noise
        // of its 15 significant digits of a half needs its decimal digits looked at.
        const double fraction = y - std::floor(y);
        if (std::fabs(fraction - 0.5) > std::fabs(y) * 1e-14 + 1e-300)
            return (fraction < 0.5 ? std::floor(y) : std::floor(y) + 1) / scale0 + 0.0;
    }
    // the 15 significant digits of v, then half to even on the decimal digits
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    const double at15 = std::strtod(buf, nullptr);
    const double scale = scale0;
    const double scaled = at15 * scale;
    if (std::fabs(scaled) >= 4.5e15)
        return at15;  // no digits left to round away
    // scaled holds at most 15 significant digits; snap it to them before deciding the tie
    std::snprintf(buf, sizeof buf, "%.14e", scaled);
    const double snapped = std::strtod(buf, nullptr);
    const double floorPart = std::floor(snapped);
    const double fraction = snapped - floorPart;
    double whole;
    if (fraction > 0.5)
        whole = floorPart + 1;
    else if (fraction < 0.5)
        whole = floorPart;
    else
        whole = std::fmod(floorPart, 2.0) == 0 ? floorPart : floorPart + 1;
    const double result = whole / scale;
    std::snprintf(buf, sizeof buf, "%.14e", result);
    return std::strtod(buf, nullptr) + 0.0;
}

void registerFunctions(sqlite3 *db, const Registration *first, const Registration *last)
{
    for (const Registration *f = first; f != last; ++f) {
        const int flags = SQLITE_UTF8 | (f->deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
        sqlite3_create_function_v2(db, f->name, f->args, flags, nullptr, f->fn, nullptr, nullptr, nullptr);
    }
}

} // namespace accval
