// ModGzsc: month list, existence tests and the statements that generate or copy a month.
#include "payroll/wage_months.h"

#include "app/sql_text.h"
#include "payroll/month_lock.h"
#include "platform/db/connection.h"

#include <QRegularExpression>

namespace {

QStringList firstColumn(const ResultSet &rs)
{
    QStringList out;
    out.reserve(rs.rows.size());
    for (const QVariantList &row : rs.rows)
        out << (row.isEmpty() || row.first().isNull() ? QString() : row.first().toString());
    return out;
}

QString quoted(const QString &text) { return QLatin1Char('\'') + SqlQuote(text) + QLatin1Char('\''); }

const QString kItemColumns = QStringLiteral(
    "t1,t2,t3,t4,t5,t6,t7,t8,t9,t10,t11,t12,t13,t14,t15,t16,t17,t18,t19,t20,t21,t22,t23,t24,t25,t26,t27,t28,t29,"
    "t30,t31,t32,t33,t34,t35,t36,t37,t38,t39,t40");

} // namespace

namespace ModGzsc {

QString MonthListSql() { return QStringLiteral("select  f0 as ye from rsgz group by f0 order by f0"); }

QString EmployeeListSql() { return QStringLiteral("select f2 from rsda order by f1"); }

QStringList MonthList(Connection &cn) { return firstColumn(cn.query(MonthListSql())); }

QStringList EmployeeNames(Connection &cn) { return firstColumn(cn.query(EmployeeListSql())); }

bool IsMonthKey(const QString &month)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{4}(0[1-9]|1[0-2])$"));
    return re.match(month).hasMatch();
}

// Only whether a row exists matters, so the database counts instead of handing every row over.
bool YeCheck(Connection &cn, const QString &strYe)
{
    const ResultSet rs = cn.query(QStringLiteral("select count(*) from rsgz where f0=") + quoted(strYe));
    return rs.rows.isEmpty() || rs.rows.first().value(0).toLongLong() == 0;
}

bool YeXmCheck(Connection &cn, const QString &strYe, const QString &strXm)
{
    const ResultSet rs = cn.query(QStringLiteral("select count(*) from rsgz where f0=") + quoted(strYe) +
                                  QStringLiteral(" and f2=") + quoted(strXm));
    return rs.rows.isEmpty() || rs.rows.first().value(0).toLongLong() == 0;
}

QString GenerateFromPersonnelSql(const QString &month)
{
    return QStringLiteral("insert into rsgz (f0,f1,f2,t1)  select ") + quoted(month) + QStringLiteral(",f1,f2,f5 from rsda");
}

QString CopyMonthSql(const QString &month, const QString &source)
{
    return QStringLiteral("insert into rsgz(f0,f1,f2,") + kItemColumns + QStringLiteral(") select ") + quoted(month) +
           QStringLiteral(",f1,f2,") + kItemColumns + QStringLiteral(" from rsgz where f0=") + quoted(source);
}

QString DeleteMonthSql(const QString &month) { return QStringLiteral("delete from rsgz where f0=") + quoted(month); }

QString DeleteEmployeeSql(const QString &month, const QString &name)
{
    return QStringLiteral("delete from rsgz  where f0=") + quoted(month) + QStringLiteral(" and f2=") +
           quoted(name.trimmed());
}

QString GenerateEmployeeSql(const QString &month, const QString &name)
{
    return QStringLiteral("insert into rsgz (f0,f1,f2,t1)  select ") + quoted(month) +
           QStringLiteral(",f1,f2,f5 from rsda where f2=") + quoted(name.trimmed());
}

int GenerateMonthFromPersonnel(Connection &cn, const QString &month)
{
    Transaction tx(cn);
    ModGzLock::LockMonths(cn, {month});
    const int n = cn.execute(GenerateFromPersonnelSql(month));
    tx.commit();
    return n;
}

int CopyMonth(Connection &cn, const QString &month, const QString &source)
{
    if (month == source)
        return -1;
    Transaction tx(cn);
    ModGzLock::LockMonths(cn, {month});
    // An empty source would leave the target deleted and nothing copied in its place.
    if (YeCheck(cn, source))
        return -1;
    cn.execute(DeleteMonthSql(month));
    const int n = cn.execute(CopyMonthSql(month, source));
    tx.commit();
    return n;
}

int GenerateEmployee(Connection &cn, const QString &month, const QString &name)
{
    Transaction tx(cn);
    ModGzLock::LockMonths(cn, {month});
    cn.execute(DeleteEmployeeSql(month, name));
    const int n = cn.execute(GenerateEmployeeSql(month, name));
    tx.commit();
    return n;
}

} // namespace ModGzsc
