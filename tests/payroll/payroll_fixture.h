// Test fixture of the payroll tests: a database with the wage tables, employees and dictionary items.
#pragma once

#include "dictionary/personnel_tables.h"
#include "platform/db/connection.h"
#include "support/test_env.h"

#include <QVariant>

namespace PayrollFixture {

// A new database with rsda, rs_codedict (43 default items) and rsgz.
inline Connection &openPayrollDatabase(TestEnv &env)
{
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    return cn;
}

// An employee written straight into rsda.
inline void addPerson(Connection &cn, const QString &number, const QString &name, double basicWage)
{
    cn.execute(QStringLiteral("insert into rsda (f1, f2, f5) values (?, ?, ?)"), {number, name, basicWage});
}

// Three employees (basic wage 3000, 6000 and 1000; the third named name3) and their rows of
// 200504 and 200503.
inline Connection &openWithTwoMonths(TestEnv &env, const QString &name3 = QStringLiteral("O'Neil"))
{
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("李四"), 6000);
    addPerson(cn, QStringLiteral("003"), name3, 1000);
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) select '200504',f1,f2,f5 from rsda"));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) select '200503',f1,f2,f5 from rsda"));
    return cn;
}

inline void setItem(Connection &cn, const QString &code, const QVariant &formula, const QVariant &condition = {},
                    const QString &canShow = QStringLiteral("1"))
{
    cn.execute(QStringLiteral("update rs_codedict set hzgs = ?, hztj = ?, can_show = ? "
                              "where table_code = 'rsgz' and colm_code = ?"),
               {formula, condition, canShow, code});
}

inline QVariant scalar(Connection &cn, const QString &sql, const QVariantList &params = {})
{
    const ResultSet rs = cn.query(sql, params);
    return rs.rows.isEmpty() ? QVariant() : rs.rows.first().value(0);
}

inline double wage(Connection &cn, const QString &month, const QString &number, const QString &column)
{
    return scalar(cn, QStringLiteral("select %1 from rsgz where f0 = ? and f1 = ?").arg(column), {month, number}).toDouble();
}

inline int monthRows(Connection &cn, const QString &month)
{
    return scalar(cn, QStringLiteral("select count(*) from rsgz where f0 = ?"), {month}).toInt();
}

// All of a month's rows as text, ordered, to compare a month before and after.
inline QString monthDump(Connection &cn, const QString &month)
{
    QString out;
    const ResultSet rs = cn.query(QStringLiteral("select * from rsgz where f0 = ? order by id"), {month});
    for (const QVariantList &row : rs.rows) {
        for (const QVariant &v : row)
            out += v.toString() + QLatin1Char('|');
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace PayrollFixture
