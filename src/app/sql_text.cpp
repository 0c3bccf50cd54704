// The plain-number test for values that go into SQL bare.
#include "app/sql_text.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

bool IsPlainNumber(const QString &text)
{
    // ASCII digits only: no other script's digits pass.
    static const QRegularExpression re(QStringLiteral("^ *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)? *$"));
    if (!re.match(text).hasMatch())
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(v);
}

double PlainNumberValue(const QString &text)
{
    return IsPlainNumber(text) ? QLocale::c().toDouble(text.trimmed()) : 0.0;
}
