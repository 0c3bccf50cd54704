// SqlQuote: the one quoting helper for values spliced between single quotes in SQL text; and the
// plain-number test for values spliced bare.
#pragma once

#include <QString>

// Doubles every single quote so that the text can stand between quotes ('O''Brien').
inline QString SqlQuote(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

// A number as a person types it into a number box: optional sign, digits with at most one point,
// an optional exponent, blanks at either end allowed. Nothing else: no group separators ("3,500"),
// no "inf" or "nan", no hexadecimal, and nothing too large to hold (1e999). Such a text can stand
// bare in SQL as the number it shows.
bool IsPlainNumber(const QString &text);
// The value of a text IsPlainNumber accepts (0 for any other).
double PlainNumberValue(const QString &text);

// A condition true when the text of expression is exactly value, letter case included (a plain
// = compares texts without regard to case): StrComp(expression,'value',0)=0.
inline QString SqlSameText(const QString &expression, const QString &value)
{
    return QStringLiteral("StrComp(") + expression + QStringLiteral(",'") + SqlQuote(value) + QStringLiteral("',0)=0");
}
