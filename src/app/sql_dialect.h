// ModGetDAte: the two places where the SQL text differs between the local database and SQL Server.
#pragma once

#include <QDateTime>
#include <QString>

namespace ModGetDAte {

// A date value as a literal of the current database kind (strDbType, compared upper-cased):
// "#2005-3-17 14:09:00#" for ACCESS, "'2005-3-17 14:09:00'" for any other kind; a value at
// midnight is written as the date alone ("#2005-3-17#"). POSTGRESQL: always date and time,
// zero-padded ("'2005-03-17 00:00:00'"), so that comparing such texts orders their dates.
QString DateLiteral(const QDateTime &value);

// An SQL expression that renders the date column or expression as text: with date, time and an
// AM/PM marker for ACCESS, the date alone (yyyy-mm-dd) for SQLSERVER, date and time zero-padded
// (yyyy-mm-dd hh:nn:ss) for POSTGRESQL, the expression unchanged otherwise.
QString DateColumnText(const QString &expression);

} // namespace ModGetDAte
