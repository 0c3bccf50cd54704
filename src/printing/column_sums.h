// ModFlSum: column sums of a grid read from its cell texts, and money rounded and written to the cent.
#pragma once

#include <QString>
#include <QStringView>

#include <cmath>

namespace ModFlSum {

// The decimal number that leads a text: blanks are skipped, an optional sign, digits with at most
// one decimal point and an optional exponent ("E"/"D"); reading stops at the first character that
// cannot continue the number. Empty or non-numeric text gives 0.
double LeadingNumber(QStringView text);

// The amount in whole cents, half away from zero on the value's fifteen significant digits, so
// that 1.005 gives 101 as a clerk reads it (the binary value lies just below). Values of 1e13 and
// more, and values that are not finite, come back times 100 unrounded.
double Cents(double value);
// The value rounded to the cent, as the pay sheet shows and totals it.
inline double ToCent(double value) { return Cents(value) / 100.0; }
// Money as text: two decimals, no thousands separator ("1200.00", "-0.50", "0.00"); amounts too
// large for cents as any other number.
QString MoneyText(double value);

// A running sum in double precision that keeps what each addition rounds away (compensated), so
// that 100,000 amounts in cents add up to their exact decimal sum.
class Sum {
public:
    void add(double x)
    {
        const double t = m_sum + x;
        m_carry += std::fabs(m_sum) >= std::fabs(x) ? (m_sum - t) + x : (x - t) + m_sum;
        m_sum = t;
    }
    double value() const { return m_sum + m_carry; }

private:
    double m_sum = 0, m_carry = 0;
};

// The sum of the numeric values of the cells of `column` from row 1 to the last row, read from
// the cell texts and added in double precision; the caller shows it with MoneyText. Grid: anything
// with Rows() and TextMatrix(r, c).
template <class Grid>
double FlSum(const Grid &grid, int column)
{
    const int n = grid.Rows() - 1;
    Sum sum;
    for (int r = 1; r <= n; ++r)
        sum.add(LeadingNumber(grid.TextMatrix(r, column)));
    return sum.value();
}

} // namespace ModFlSum
