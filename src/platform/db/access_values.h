// Reading and returning values in the SQLite implementations of the expression language's operators
// and functions, with the old engine's conversions and error kinds.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace accval {

// The range of the language's Long, which counts, positions and whole-number arguments must fit.
inline constexpr double kLongMin = -2147483648.0, kLongMax = 2147483647.0;

// The errors a function or operator raises; the provider numbers them by these texts.
enum class Fault { TypeMismatch, Overflow, DivisionByZero, InvalidCall };
extern const char *const kOverflowText;
extern const char *const kDivisionByZeroText;
extern const char *const kInvalidCallText;
extern const char *const kTypeMismatchText;

void fail(sqlite3_context *ctx, Fault fault);

bool isNull(sqlite3_value *v);
bool isText(sqlite3_value *v);
bool isNumber(sqlite3_value *v);

// The value as text: numbers in their shortest form (at most 15 significant digits).
QString textOf(sqlite3_value *v);

// The value as a number: numbers as they are, a text that is a plain decimal number (blanks around
// it allowed) as that number; nullopt for any other text (a type mismatch) and for Null.
std::optional<double> numberOf(sqlite3_value *v);

// The value as the explicit conversions (CDbl, CInt, counts of Left and Mid …) read it: besides
// plain numbers, a text with its thousands grouped by commas ("1,234.5").
std::optional<double> convertedNumberOf(sqlite3_value *v);

// The value as a date: a stored date text, or a day number of the old engine (days since 1899-12-30).
// Invalid when it is neither; *outOfRange is set when it is a number beyond the years 100 to 9999.
QDateTime dateOf(sqlite3_value *v, bool *outOfRange = nullptr);

// A whole number from an argument, rounded half to even; false (with the fault raised on ctx) when
// the argument is not a number or lies outside [low, high].
bool wholeArgument(sqlite3_context *ctx, sqlite3_value *v, double low, double high, qint64 *out);

void resultText(sqlite3_context *ctx, const QString &s);
// A number result: a whole number within 64 bits as an integer, others as a double; infinity and
// NaN raise an overflow instead.
void resultNumber(sqlite3_context *ctx, double v);
void resultDouble(sqlite3_context *ctx, double v);  // always a double, overflow checked
// A date result as stored text; a date outside the years 100 to 9999 raises an invalid call.
void resultDate(sqlite3_context *ctx, const QDateTime &dt);

// Dates as stored ("yyyy-MM-dd HH:mm:ss") and as the old engine wrote them as text ("2005-4-30",
// "2005-4-30 14:09:00").
QString storedDate(const QDateTime &dt);
QString generalDateText(const QDateTime &dt);
bool inDateRange(const QDateTime &dt);

// Half-to-even rounding at dec decimals, done on the number's 15 significant digits so that
// 2.675 rounds as the 2.675 the user wrote.
double roundHalfEven(double v, int dec = 0);

// A plain decimal number: optional sign, digits, one point, optional exponent; blanks around it.
std::optional<double> plainNumber(const QString &text);

// One scalar function to register.
struct Registration {
    const char *name;
    int args;  // -1: any number
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};
void registerFunctions(sqlite3 *db, const Registration *first, const Registration *last);

// The groups of implementations, each in its own file.
struct RegistrationGroup {
    const Registration *first;
    const Registration *last;
};
RegistrationGroup operatorFunctions();
RegistrationGroup numberFunctions();
RegistrationGroup textFunctions();
RegistrationGroup dateFunctions();

} // namespace accval
