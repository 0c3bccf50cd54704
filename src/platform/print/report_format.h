// Number formats of report fields and totals, with the old Format function's rules ("#####0.00", "0.00%").
#pragma once

#include <QString>
#include <QVariant>

namespace ReportFormat {

// Reads a value as a number: numeric types, booleans and numeric text (blanks around are allowed).
// Null, empty text and other text are not numbers.
bool toNumber(const QVariant &value, double *out);

// Formats a number as the expression language's Format function does (accessfmt::formatNumber):
// '0'/'#' placeholders, grouping, '%', literals, up to four sections "positive;negative;zero;null",
// half away from zero on 15 significant digits, named formats; an empty pattern gives the plain text.
QString formatNumber(double value, const QString &pattern);

// Formats any value for a report field: Null gives the empty text (or the null section of the
// pattern), numbers and numeric text go through formatNumber, dates give yyyy-MM-dd (with the time
// when it is not midnight), other text stands as it is.
QString formatValue(const QVariant &value, const QString &pattern = {});

} // namespace ReportFormat
