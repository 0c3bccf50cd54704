// ModGzsc: the month list of the wage table and the generation of a month's rows.
#pragma once

#include <QString>
#include <QStringList>

class Connection;

namespace ModGzsc {

// The month list every month chooser offers (column "ye"), and the employee list of one-employee generation.
QString MonthListSql();      // "select  f0 as ye from rsgz group by f0 order by f0"
QString EmployeeListSql();   // "select f2 from rsda order by f1"
QStringList MonthList(Connection &cn);
QStringList EmployeeNames(Connection &cn);

// A month key as the payroll finds months again: six digits, the year and a month 01 to 12
// ("200504"). Anything else ("2026-12", "20261", "202613", blanks around it) is refused with
// kMonthFormatMessage before anything is written.
bool IsMonthKey(const QString &month);
inline const QString kMonthFormatMessage = QStringLiteral("月份格式应为年月，如200504");
// Said when the month to copy from holds no rows.
inline const QString kEmptySourceMessage = QStringLiteral("要复制的工资月份没有工资数据，不能复制！");

// Existence tests: true when the month (or the name within the month) has no row yet.
bool YeCheck(Connection &cn, const QString &strYe);
bool YeXmCheck(Connection &cn, const QString &strYe, const QString &strXm);

// The statements, with the texts quoted.
QString GenerateFromPersonnelSql(const QString &month);
QString CopyMonthSql(const QString &month, const QString &source);
QString DeleteMonthSql(const QString &month);
QString DeleteEmployeeSql(const QString &month, const QString &name);
// The employee's name is used without leading and trailing blanks, in the delete as in the insert,
// so that regenerating never leaves a second row behind.
QString GenerateEmployeeSql(const QString &month, const QString &name);

// One wage row per personnel row for the month; returns the rows inserted.
int GenerateMonthFromPersonnel(Connection &cn, const QString &month);
// Replaces the month's rows (if any) by copies of the source month's rows with all forty items, in
// one transaction. A source equal to the target, or a source without rows, is refused (returns -1,
// nothing changes, the target month included); otherwise returns the rows inserted.
int CopyMonth(Connection &cn, const QString &month, const QString &source);
// Replaces the rows of that name in the month (if any) by one row per personnel row of that
// name, in one transaction; returns the rows inserted.
int GenerateEmployee(Connection &cn, const QString &month, const QString &name);

} // namespace ModGzsc
