// ModGzjz: closing a wage month (月末结账) and reopening it (反结账).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Connection;

namespace ModGzjz {

// The built-in administrator, the only operator who may reopen a month.
inline const QString kAdministrator = QStringLiteral("system");

// A month of the wage table and whether it is closed.
struct MonthState {
    QString month;
    bool closed = false;
};

// The months of the wage table and the closed months (a closed month without rows included).
QList<MonthState> Months(Connection &cn);
// The text a month has in the closing commands' lists: "200504" or "200504 已结账".
QString MonthCaption(const MonthState &m);
// The month a caption of that list stands for.
QString MonthOfCaption(const QString &caption);

bool IsClosed(Connection &cn, const QString &month);

// What closing or reopening did.
enum class Outcome { Done, AlreadyClosed, NotClosed, NotAllowed };

// Closes the month in the name of the operator (refused when it is closed already).
Outcome CloseMonth(Connection &cn, const QString &month, const QString &operatorName);
// Reopens the month; only the administrator may (compared exactly).
Outcome ReopenMonth(Connection &cn, const QString &month, const QString &operatorName);

} // namespace ModGzjz
