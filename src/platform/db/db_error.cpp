// DbError construction and the SQLite → ADO error numbering.
#include "platform/db/db_error.h"

#include <sqlite3.h>

DbError::DbError(int number_, QString description_, QString sql_, QString nativeText_)
    : number(number_), description(std::move(description_)), sql(std::move(sql_)),
      nativeText(std::move(nativeText_))
{
    m_what = QStringLiteral("%1 (%2)%3")
                 .arg(description)
                 .arg(number)
                 .arg(sql.isEmpty() ? QString() : QStringLiteral(" in: ") + sql)
                 .toStdString();
}

int dbErrorNumberForSqlite(int resultCode, const QString &message)
{
    const int primary = resultCode & 0xff;
    if (primary == SQLITE_CONSTRAINT)
        return DbError::ConstraintRefused;
    if (primary == SQLITE_CANTOPEN || primary == SQLITE_NOTADB || primary == SQLITE_PERM
        || primary == SQLITE_READONLY || primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return DbError::ProviderFailure;
    const QString m = message.toLower();
    if (m.startsWith(QLatin1String("no such table")) || m.startsWith(QLatin1String("no such view"))
        || m.startsWith(QLatin1String("no such index")))
        return DbError::ObjectNotFound;
    if (m.startsWith(QLatin1String("no such column")) || m.contains(QLatin1String("has no column named")))
        return DbError::UnknownColumn;
    if (m.contains(QLatin1String("syntax error")) || m.startsWith(QLatin1String("incomplete input"))
        || m.startsWith(QLatin1String("unrecognized token")) || m.startsWith(QLatin1String("no such function"))
        || m.startsWith(QLatin1String("wrong number of arguments")))
        return DbError::SyntaxError;
    if (m.contains(QLatin1String("already exists")) || m.contains(QLatin1String("duplicate column")))
        return DbError::ConstraintRefused;
    return DbError::ProviderFailure;
}
