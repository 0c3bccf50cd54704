// SqlQuote: the one quoting helper for values spliced between single quotes in SQL text.
#pragma once

#include <QString>

// Doubles every single quote so that the text can stand between quotes ('O''Brien').
inline QString SqlQuote(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}
