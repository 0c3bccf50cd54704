// Access/VB value conversions and the Format function, shared by the SQLite function set.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace accessfmt {

// A number as the old engine wrote it as text: integers plainly, others with up to 15 significant digits.
QString numberText(double v);

// Reads a stored date ("yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd", ISO with T, or an Access literal's text);
// invalid when it is not a date.
QDateTime parseDate(const QString &text);
// A date from the old engine's day number (days since 1899-12-30, the fraction the time of day).
QDateTime dateFromSerial(double serial);

// Format(value, pattern) for a date value.
QString formatDate(const QDateTime &dt, const QString &pattern);
// Format(value, pattern) for a number; "#,##0.00", "0.00%", "0;(0)" and named formats ("Fixed", ...).
QString formatNumber(double v, const QString &pattern);
// Format(Null, pattern): the fourth section ("0;-0;0;\"无\"" gives "无"), empty without one.
QString formatNull(const QString &pattern);
// True when the pattern (outside quoted literals) asks for date parts.
bool isDatePattern(const QString &pattern);

// Val(text): the number at the start of the text, blanks ignored; 0 when there is none.
double val(const QString &text);

} // namespace accessfmt
