// Months held by the command that changes them: on a server database several desks work on one
// payroll, and two commands changing the same month must not run at once.
#pragma once

#include <QStringList>

class Connection;

namespace ModGzLock {

// How long a command waits for another desk's work on the same month before it gives up (seconds).
int &MonthLockWait();

// Holds the months for the rest of the transaction that is running on cn (the calculation,
// generation, copy and batch modification take them). Another desk's command on one of them
// waits at most MonthLockWait() seconds, then is refused with MonthBusyMessage (a DbError of a
// database in use); so is a wait for a row that another desk is changing. On the local file the
// database file's own lock already keeps writers apart: nothing to do.
void LockMonths(Connection &cn, QStringList months);
// The months whose rows a condition selects (all months for an empty condition).
QStringList MonthsWhere(Connection &cn, const QString &condition);

QString MonthBusyMessage(const QString &month);

// Wage entry's save: true when the row of table with that id still holds the values shown
// (columns and shown alike, in order), and then the row is held for the rest of the running
// transaction; false when another desk changed or deleted it since it was shown.
bool HoldUnchangedRow(Connection &cn, const QString &table, qint64 id, const QStringList &columns,
                      const QVariantList &shown);
QString RowChangedMessage();

} // namespace ModGzLock
