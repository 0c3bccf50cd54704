// Date functions of the expression language, for SQLite connections. Dates are stored texts or
// day numbers; a day number beyond the years 100 to 9999 is an overflow, not a wrapped date.
#include "platform/db/access_values.h"

#include <QLocale>
#include <cmath>
#include <sqlite3.h>

namespace accval {

namespace {

// The date argument; Null gives a Null result.
bool dateArgument(sqlite3_context *ctx, sqlite3_value *v, QDateTime *out)
{
    if (isNull(v)) {
        sqlite3_result_null(ctx);
        return false;
    }
    bool outOfRange = false;
    *out = dateOf(v, &outOfRange);
    if (outOfRange) {
        fail(ctx, Fault::Overflow);
        return false;
    }
    if (!out->isValid()) {
        fail(ctx, Fault::TypeMismatch);
        return false;
    }
    return true;
}

// A whole-number argument that may be left out (then def); false with the fault raised.
bool optionalWhole(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, qint64 def, qint64 *out)
{
    *out = def;
    if (index >= argc || isNull(argv[index]))
        return true;
    return wholeArgument(ctx, argv[index], kLongMin, kLongMax, out);
}

void fnNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    const QDateTime now = QDateTime::currentDateTime();
    resultText(ctx, storedDate(QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()))));
}

void fnDate(sqlite3_context *ctx, int, sqlite3_value **) { resultText(ctx, storedDate(QDateTime(QDate::currentDate(), QTime(0, 0)))); }

void fnTime(sqlite3_context *ctx, int, sqlite3_value **)
{
    const QTime t = QTime::currentTime();
    resultText(ctx, storedDate(QDateTime(QDate(1899, 12, 30), QTime(t.hour(), t.minute(), t.second()))));
}

template <int Part>  // 0 year, 1 month, 2 day, 3 hour, 4 minute, 5 second
void fnPart(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    QDateTime dt;
    if (!dateArgument(ctx, argv[0], &dt))
        return;
    const int parts[] = {dt.date().year(), dt.date().month(), dt.date().day(),
                         dt.time().hour(), dt.time().minute(), dt.time().second()};
    sqlite3_result_int64(ctx, parts[Part]);
}

// The day of the week counted from the first day (1 Sunday … 7 Saturday; 0 means Sunday).
bool firstDayArgument(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, int *out)
{
    qint64 first;
    if (!optionalWhole(ctx, argc, argv, index, 1, &first))
        return false;
    if (first < 0 || first > 7) {
        fail(ctx, Fault::InvalidCall);
        return false;
    }
    *out = first == 0 ? 1 : int(first);
    return true;
}

// 1 … 7 for d, counted from firstDay (1 = Sunday).
int weekdayFrom(const QDate &d, int firstDay)
{
    const int sundayBased = d.dayOfWeek() % 7 + 1;  // 1 Sunday … 7 Saturday
    return (sundayBased - firstDay + 7) % 7 + 1;
}

void fnWeekday(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    QDateTime dt;
    int first;
    if (!firstDayArgument(ctx, argc, argv, 1, &first) || !dateArgument(ctx, argv[0], &dt))
        return;
    sqlite3_result_int64(ctx, weekdayFrom(dt.date(), first));
}

// DateSerial(year, month, day): months and days beyond their range roll over into the next.
void fnDateSerial(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 y, m, d;
    for (int i = 0; i < 3; ++i)
        if (isNull(argv[i]))
            return fail(ctx, Fault::InvalidCall);
    if (!wholeArgument(ctx, argv[0], -32768, 32767, &y) || !wholeArgument(ctx, argv[1], -32768, 32767, &m)
        || !wholeArgument(ctx, argv[2], -32768, 32767, &d))
        return;
    if (y >= 0 && y < 30)
        y += 2000;
    else if (y >= 30 && y < 100)
        y += 1900;
    const qint64 months = y * 12 + (m - 1);
    const qint64 year = months >= 0 ? months / 12 : (months - 11) / 12;
    const QDate first(int(year), int(months - year * 12) + 1, 1);
    if (!first.isValid() || year < 100 || year > 9999)
        return fail(ctx, Fault::InvalidCall);
    resultDate(ctx, QDateTime(first.addDays(d - 1), QTime(0, 0)));
}

void fnTimeSerial(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 h, m, s;
    if (!wholeArgument(ctx, argv[0], -32768, 32767, &h) || !wholeArgument(ctx, argv[1], -32768, 32767, &m)
        || !wholeArgument(ctx, argv[2], -32768, 32767, &s))
        return;
    const qint64 seconds = h * 3600 + m * 60 + s;
    resultDate(ctx, QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addSecs(seconds));
}

void fnDateValue(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    QDateTime dt;
    if (dateArgument(ctx, argv[0], &dt))
        resultDate(ctx, QDateTime(dt.date(), QTime(0, 0)));
}

void fnTimeValue(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    QDateTime dt;
    if (dateArgument(ctx, argv[0], &dt))
        resultDate(ctx, QDateTime(QDate(1899, 12, 30), dt.time()));
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second, None };

Interval intervalOf(sqlite3_value *v)
{
    const QString t = textOf(v).trimmed().toLower();
    static const struct {
        const char *text;
        Interval interval;
    } names[] = {{"yyyy", Interval::Year}, {"q", Interval::Quarter}, {"m", Interval::Month}, {"y", Interval::DayOfYear},
                 {"d", Interval::Day},     {"w", Interval::Weekday}, {"ww", Interval::Week}, {"h", Interval::Hour},
                 {"n", Interval::Minute},  {"s", Interval::Second}};
    for (const auto &n : names)
        if (t == QLatin1String(n.text))
            return n.interval;
    return Interval::None;
}

QDateTime addMonths(const QDateTime &dt, qint64 months)
{
    const qint64 total = qint64(dt.date().year()) * 12 + (dt.date().month() - 1) + months;
    const qint64 year = total >= 0 ? total / 12 : (total - 11) / 12;
    if (year < 100 || year > 9999)
        return {};
    const int month = int(total - year * 12) + 1;
    const QDate first(int(year), month, 1);
    return QDateTime(QDate(int(year), month, std::min(dt.date().day(), first.daysInMonth())), dt.time());
}

// DateAdd(interval, number, date): a month added to 31 January gives the last day of February.
void fnDateAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[1]) || isNull(argv[2]))
        return sqlite3_result_null(ctx);
    const Interval interval = intervalOf(argv[0]);
    if (interval == Interval::None)
        return fail(ctx, Fault::InvalidCall);
    QDateTime dt;
    if (!dateArgument(ctx, argv[2], &dt))
        return;
    const std::optional<double> number = numberOf(argv[1]);
    if (!number)
        return fail(ctx, Fault::TypeMismatch);
    const double n = roundHalfEven(*number);  // a number that is not whole is rounded to one
    if (std::fabs(n) > 4.0e9)
        return fail(ctx, Fault::InvalidCall);
    const qint64 k = qint64(n);
    QDateTime out;
    switch (interval) {
    case Interval::Year: out = std::llabs(k) > 10000 ? QDateTime() : addMonths(dt, k * 12); break;
    case Interval::Quarter: out = std::llabs(k) > 40000 ? QDateTime() : addMonths(dt, k * 3); break;
    case Interval::Month: out = std::llabs(k) > 120000 ? QDateTime() : addMonths(dt, k); break;
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: out = std::llabs(k) > 4000000 ? QDateTime() : dt.addDays(k); break;
    case Interval::Week: out = std::llabs(k) > 600000 ? QDateTime() : dt.addDays(k * 7); break;
    case Interval::Hour: out = dt.addSecs(k * 3600); break;
    case Interval::Minute: out = dt.addSecs(k * 60); break;
    case Interval::Second: out = dt.addSecs(k); break;
    case Interval::None: break;
    }
    if (!inDateRange(out))
        return fail(ctx, Fault::InvalidCall);
    resultDate(ctx, out);
}

// A day count on a continuous scale (Julian day), for counting boundaries.
qint64 dayNumber(const QDate &d) { return d.toJulianDay(); }

qint64 floorDiv(qint64 a, qint64 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// DateDiff counts the boundaries of the interval crossed from date1 to date2.
void fnDateDiff(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    int first;
    if (!firstDayArgument(ctx, argc, argv, 3, &first))
        return;
    const Interval interval = intervalOf(argv[0]);
    if (interval == Interval::None)
        return fail(ctx, Fault::InvalidCall);
    if (isNull(argv[1]) || isNull(argv[2]))
        return sqlite3_result_null(ctx);
    QDateTime a, b;
    if (!dateArgument(ctx, argv[1], &a) || !dateArgument(ctx, argv[2], &b))
        return;
    const QDate da = a.date(), db = b.date();
    const qint64 days = dayNumber(db) - dayNumber(da);
    auto secondsOf = [](const QDateTime &t) { return dayNumber(t.date()) * 86400 + t.time().msecsSinceStartOfDay() / 1000; };
    qint64 r = 0;
    switch (interval) {
    case Interval::Year: r = db.year() - da.year(); break;
    case Interval::Quarter: r = (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3); break;
    case Interval::Month: r = (db.year() * 12 + db.month()) - (da.year() * 12 + da.month()); break;
    case Interval::DayOfYear:
    case Interval::Day: r = days; break;
    case Interval::Weekday: r = days / 7; break;
    case Interval::Week: {
        // week starts (the first day of the week) after date1 up to and including date2
        const qint64 offset = first - 1;  // Julian day 0 is a Monday; shift so weeks start on 'first'
        auto weekIndex = [offset](qint64 jd) { return floorDiv(jd + 1 - offset, 7); };
        r = weekIndex(dayNumber(db)) - weekIndex(dayNumber(da));
        break;
    }
    case Interval::Hour: r = floorDiv(secondsOf(b), 3600) - floorDiv(secondsOf(a), 3600); break;
    case Interval::Minute: r = floorDiv(secondsOf(b), 60) - floorDiv(secondsOf(a), 60); break;
    case Interval::Second: r = secondsOf(b) - secondsOf(a); break;
    case Interval::None: break;
    }
    if (r < qint64(kLongMin) || r > qint64(kLongMax))
        return fail(ctx, Fault::Overflow);
    sqlite3_result_int64(ctx, r);
}

// DatePart(interval, date [, firstdayofweek [, firstweekofyear]]): week 1 is the week of 1 January.
void fnDatePart(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    int first;
    if (!firstDayArgument(ctx, argc, argv, 2, &first))
        return;
    const Interval interval = intervalOf(argv[0]);
    if (interval == Interval::None)
        return fail(ctx, Fault::InvalidCall);
    QDateTime dt;
    if (!dateArgument(ctx, argv[1], &dt))
        return;
    const QDate d = dt.date();
    qint64 r = 0;
    switch (interval) {
    case Interval::Year: r = d.year(); break;
    case Interval::Quarter: r = (d.month() - 1) / 3 + 1; break;
    case Interval::Month: r = d.month(); break;
    case Interval::DayOfYear: r = d.dayOfYear(); break;
    case Interval::Day: r = d.day(); break;
    case Interval::Weekday: r = weekdayFrom(d, first); break;
    case Interval::Week: {
        const QDate jan1(d.year(), 1, 1);
        r = (d.dayOfYear() - 1 + (weekdayFrom(jan1, first) - 1)) / 7 + 1;
        break;
    }
    case Interval::Hour: r = dt.time().hour(); break;
    case Interval::Minute: r = dt.time().minute(); break;
    case Interval::Second: r = dt.time().second(); break;
    case Interval::None: break;
    }
    sqlite3_result_int64(ctx, r);
}

const QLocale &chinese()
{
    static const QLocale l(QLocale::Chinese, QLocale::China);
    return l;
}

void fnMonthName(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 m, abbreviate;
    if (!wholeArgument(ctx, argv[0], kLongMin, kLongMax, &m) || !optionalWhole(ctx, argc, argv, 1, 0, &abbreviate))
        return;
    if (m < 1 || m > 12)
        return fail(ctx, Fault::InvalidCall);
    resultText(ctx, chinese().monthName(int(m), abbreviate ? QLocale::ShortFormat : QLocale::LongFormat));
}

void fnWeekdayName(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 w, abbreviate;
    int first;
    if (!wholeArgument(ctx, argv[0], kLongMin, kLongMax, &w) || !optionalWhole(ctx, argc, argv, 1, 0, &abbreviate)
        || !firstDayArgument(ctx, argc, argv, 2, &first))
        return;
    if (w < 1 || w > 7)
        return fail(ctx, Fault::InvalidCall);
    const int sundayBased = int((w - 1 + first - 1) % 7) + 1;  // 1 Sunday … 7 Saturday
    const int qtDay = sundayBased == 1 ? 7 : sundayBased - 1;
    resultText(ctx, chinese().dayName(qtDay, abbreviate ? QLocale::ShortFormat : QLocale::LongFormat));
}

const Registration kDateFunctions[] = {
    {"acc_now", 0, fnNow, false},
    {"acc_date", 0, fnDate, false},
    {"acc_time", 0, fnTime, false},
    {"acc_year", 1, fnPart<0>, true},
    {"acc_month", 1, fnPart<1>, true},
    {"acc_day", 1, fnPart<2>, true},
    {"acc_hour", 1, fnPart<3>, true},
    {"acc_minute", 1, fnPart<4>, true},
    {"acc_second", 1, fnPart<5>, true},
    {"acc_weekday", -1, fnWeekday, true},
    {"acc_dateserial", 3, fnDateSerial, true},
    {"acc_timeserial", 3, fnTimeSerial, true},
    {"acc_datevalue", 1, fnDateValue, true},
    {"acc_timevalue", 1, fnTimeValue, true},
    {"acc_dateadd", 3, fnDateAdd, true},
    {"acc_datediff", -1, fnDateDiff, true},
    {"acc_datepart", -1, fnDatePart, true},
    {"acc_monthname", -1, fnMonthName, true},
    {"acc_weekdayname", -1, fnWeekdayName, true},
};

} // namespace

RegistrationGroup dateFunctions() { return {std::begin(kDateFunctions), std::end(kDateFunctions)}; }

} // namespace accval
