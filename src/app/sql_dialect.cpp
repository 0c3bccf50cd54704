// ModGetDAte: date literals and date-column text for the database kind of the run.
#include "app/sql_dialect.h"

#include "app/program_state.h"

namespace ModGetDAte {

namespace {
// The general date form of the regional settings the system was written under (short date
// yyyy-M-d, time H:mm:ss). It is fixed here rather than taken from the desktop's locale so that the
// literal is always one the SQLite provider and SQL Server both read back as the same date.
QString generalDate(const QDateTime &value)
{
    const QString date = value.date().toString(QStringLiteral("yyyy-M-d"));
    if (value.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + value.time().toString(QStringLiteral("H:mm:ss"));
}
} // namespace

QString DateLiteral(const QDateTime &value)
{
    const QString kind = strDbType.toUpper();
    // On PostgreSQL date and time, zero-padded, so that comparing two such texts orders their dates.
    if (kind == QLatin1String("POSTGRESQL"))
        return QLatin1Char('\'') + value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\'');
    const QString delimiter = kind == QLatin1String("ACCESS") ? QStringLiteral("#") : QStringLiteral("'");
    return delimiter + generalDate(value) + delimiter;
}

QString DateColumnText(const QString &expression)
{
    const QString kind = strDbType.toUpper();
    if (kind == QLatin1String("ACCESS"))
        return QStringLiteral("Format(") + expression + QStringLiteral(",") + QStringLiteral("'yyyy-mm-dd hh:mm:ss AMPM'") +
               QStringLiteral(")");
    if (kind == QLatin1String("SQLSERVER"))
        return QStringLiteral("convert(VarChar(10),") + expression + QStringLiteral(", 21)");
    if (kind == QLatin1String("POSTGRESQL"))
        return QStringLiteral("Format(") + expression + QStringLiteral(",'yyyy-mm-dd hh:nn:ss')");
    return expression;
}

} // namespace ModGetDAte
