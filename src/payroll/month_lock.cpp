// Month locks: PostgreSQL advisory locks of the transaction, waited for a bounded time.
#include "payroll/month_lock.h"

#include "app/sql_text.h"
#include "platform/db/connection.h"

namespace ModGzLock {

int &MonthLockWait()
{
    static int seconds = 10;
    return seconds;
}

QString MonthBusyMessage(const QString &month)
{
    return QStringLiteral("%1 月份的工资正由其他操作员计算、生成或修改，请稍候再试。").arg(month.trimmed());
}

void LockMonths(Connection &cn, QStringList months)
{
    if (!cn.postgresHandle())
        return;
    // Always in the same order: two commands holding several months never wait for each other in a circle.
    months.removeDuplicates();
    months.sort();
    // Waits for rows other desks are changing are bounded too, for the rest of the transaction.
    cn.executeNative(QStringLiteral("SET LOCAL lock_timeout = '%1s'").arg(qMax(1, MonthLockWait())));
    for (const QString &month : months) {
        try {
            cn.executeNative(QStringLiteral("select pg_advisory_xact_lock(7262010, hashtext('%1'))").arg(SqlQuote(month)));
        } catch (const DbError &e) {
            if (!e.isBusy())
                throw;
            throw DbError(DbError::Cause::Busy, DbError::ProviderFailure, MonthBusyMessage(month), e.nativeText);
        }
    }
}

QStringList MonthsWhere(Connection &cn, const QString &condition)
{
    if (!cn.postgresHandle())
        return {};
    QStringList months;
    const ResultSet rs = cn.query(QStringLiteral("select distinct f0 from rsgz")
                                  + (condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition));
    for (const QVariantList &row : rs.rows)
        months << row.value(0).toString();
    return months;
}

bool HoldUnchangedRow(Connection &cn, const QString &table, qint64 id, const QStringList &columns,
                      const QVariantList &shown)
{
    QString sql = QStringLiteral("update [%1] set [id]=[id] where [id]=%2").arg(table).arg(id);
    QVariantList params;
    for (int i = 0; i < columns.size(); ++i) {
        const QVariant v = shown.value(i);
        if (v.isNull()) {
            sql += QStringLiteral(" and [%1] is null").arg(columns.at(i));
        } else {
            sql += QStringLiteral(" and [%1]=?").arg(columns.at(i));
            params << v;
        }
    }
    // Writing the row unchanged locks it: nobody changes it between this test and the save.
    return cn.execute(sql, params) == 1;
}

QString RowChangedMessage()
{
    return QStringLiteral("这条工资记录在显示之后已被其他操作员修改或删除，本次修改没有保存。请重新选择月份查看最新数据后再修改。");
}

} // namespace ModGzLock
