// ModGzjz: closed months are rows of gzjz; the triggers made with the table refuse their changes.
#include "payroll/month_closing.h"

#include "app/sql_dialect.h"
#include "app/sql_text.h"
#include "dictionary/personnel_tables.h"
#include "payroll/wage_months.h"
#include "platform/db/connection.h"

#include <QDateTime>

namespace ModGzjz {

namespace {

const QString kClosedMark = QStringLiteral(" 已结账");

QStringList closedMonths(Connection &cn)
{
    ModJgupdate::CreateMonthClosingTable(cn);
    QStringList out;
    for (const QVariantList &row : cn.query(QStringLiteral("select f0 from gzjz order by f0")).rows)
        out << row.value(0).toString();
    return out;
}

} // namespace

QList<MonthState> Months(Connection &cn)
{
    const QStringList closed = closedMonths(cn);
    QStringList months = ModGzsc::MonthList(cn);
    for (const QString &m : closed)
        if (!months.contains(m))
            months << m;
    months.sort();
    QList<MonthState> out;
    for (const QString &m : months)
        if (!m.isEmpty())
            out.append({m, closed.contains(m)});
    return out;
}

QString MonthCaption(const MonthState &m) { return m.closed ? m.month + kClosedMark : m.month; }

QString MonthOfCaption(const QString &caption)
{
    const QString t = caption.trimmed();
    return t.endsWith(kClosedMark.trimmed()) ? t.left(t.size() - kClosedMark.trimmed().size()).trimmed() : t;
}

bool IsClosed(Connection &cn, const QString &month) { return closedMonths(cn).contains(month); }

Outcome CloseMonth(Connection &cn, const QString &month, const QString &operatorName)
{
    if (IsClosed(cn, month))
        return Outcome::AlreadyClosed;
    cn.execute(QStringLiteral("insert into gzjz (f0, jzsj, czy) values ('%1', %2, '%3')")
                   .arg(SqlQuote(month), ModGetDAte::DateLiteral(QDateTime::currentDateTime()), SqlQuote(operatorName)));
    return Outcome::Done;
}

Outcome ReopenMonth(Connection &cn, const QString &month, const QString &operatorName)
{
    if (operatorName != kAdministrator)
        return Outcome::NotAllowed;
    if (!IsClosed(cn, month))
        return Outcome::NotClosed;
    cn.execute(QStringLiteral("delete from gzjz where f0='%1'").arg(SqlQuote(month)));
    return Outcome::Done;
}

} // namespace ModGzjz
