// Number formats of report fields and totals, with the old Format function's rules ("#####0.00", "0.00%").
#pragma once

#include <QString>
#include <QVariant>

namespace ReportFormat {

// Reads a value as a number: numeric types, booleans and numeric text (blanks around are allowed).
// Null, empty text and other text are not numbers.
bool toNumber(const QVariant &value, double *out);

// Formats a number with a pattern of digit placeholders: '0' always shows a digit, '#' only a
// significant one, '.' the decimal point, ',' between integer placeholders groups thousands,
// '%' multiplies by 100 and shows itself; other characters, "quoted text" and \x escapes are shown
// as they stand. Up to four sections "positive;negative;zero;null" as the old Format had them.
// Rounding is half away from zero on the value's 15 significant digits, so 1234.565 gives 1234.57.
// A negative value without a negative section gets a leading '-', unless it rounds to zero.
// Named formats: "Fixed", "Standard", "Percent", "General Number". An empty pattern gives the
// plain number text.
QString formatNumber(double value, const QString &pattern);

// Formats any value for a report field: Null gives the empty text (or the null section of the
// pattern), numbers and numeric text go through formatNumber, dates give yyyy-MM-dd (with the time
// when it is not midnight), other text stands as it is.
QString formatValue(const QVariant &value, const QString &pattern = {});

} // namespace ReportFormat
