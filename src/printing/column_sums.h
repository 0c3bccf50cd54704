// ModFlSum: column sums of a grid read from its cell texts, and the text of a single-precision number.
#pragma once

#include <QString>
#include <QStringView>

namespace ModFlSum {

// The decimal number that leads a text: blanks are skipped, an optional sign, digits with at most
// one decimal point and an optional exponent ("E"/"D"); reading stops at the first character that
// cannot continue the number. Empty or non-numeric text gives 0.
double LeadingNumber(QStringView text);

// A single-precision value as text: at most seven significant digits, no thousands separator,
// exponent form ("1.234568E+07") for very large or very small values.
QString SingleText(float value);
// A whole number as text ("-1200").
QString WholeText(qint64 value);

// Adds one cell to a running single-precision sum, rounding after the addition.
inline float AddCell(float sum, QStringView text) { return float(double(sum) + LeadingNumber(text)); }

// The sum of the numeric values of the cells of `column` from row 1 to the last row, as a
// single-precision value rounded after each addition. Grid: anything with Rows() and TextMatrix(r, c).
template <class Grid>
float FlSum(const Grid &grid, int column)
{
    const int n = grid.Rows() - 1;
    float sum = 0.0f;
    for (int r = 1; r <= n; ++r)
        sum = AddCell(sum, grid.TextMatrix(r, column));
    return sum;
}

} // namespace ModFlSum
