// ModGetDAte: the two places where the SQL text differs between the local database and SQL Server.
#pragma once

#include <QDateTime>
#include <QString>

namespace ModGetDAte {

// A date value as a literal of the current database kind (strDbType, compared upper-cased):
// "#2005-3-17 14:09:00#" for ACCESS, "'2005-3-17 14:09:00'" for any other kind but POSTGRESQL,
// which has it zero-padded ("'2005-03-17 14:09:00'"). A value at midnight is written as the date
// alone ("#2005-3-17#", "'2005-03-17'").
QString DateLiteral(const QDateTime &value);

// An SQL expression that renders the date column or expression as text: with date, time and an
// AM/PM marker for ACCESS, the date alone (yyyy-mm-dd) for SQLSERVER and POSTGRESQL, the
// expression unchanged otherwise.
QString DateColumnText(const QString &expression);

} // namespace ModGetDAte
