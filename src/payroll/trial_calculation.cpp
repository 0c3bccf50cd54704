// ModGzjs, trial: the month before the calculation is kept in a temporary table, the calculation
// runs, one aggregate query compares the two, and the transaction is rolled back.
#include "payroll/trial_calculation.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_codes.h"
#include "platform/db/connection.h"

namespace ModGzjs {

namespace {

const QString kBefore = QStringLiteral("rsgz_trial_before");

double number(const QVariant &v) { return v.isNull() ? 0.0 : v.toDouble(); }

} // namespace

TrialResult TrialCalculation(Connection &cn, const QString &month, int largest)
{
    TrialResult result;
    const QList<ModGzgs::FormulaItem> items = ModGzgs::ReadFormulaItems(cn, DictCodes::kWageTable);
    QStringList columns;
    for (const ModGzgs::FormulaItem &item : items)
        if (!columns.contains(item.colmCode.toLower()))
            columns << item.colmCode.toLower();
    const bool hasNet = columns.contains(QStringLiteral("t40"));
    if (!hasNet)
        columns << QStringLiteral("t40");

    Transaction tx(cn);  // never committed: everything below is rolled back
    // A temporary table lives outside the database file.
    cn.execute(QStringLiteral("create temp table %1 as select id, %2 from rsgz where f0='%3'")
                   .arg(kBefore, columns.join(QLatin1Char(',')), SqlQuote(month)));
    result.failure = CalculateMonth(cn, month);
    if (!result.failure) {
        QStringList sums;
        for (const QString &c : columns)
            sums << QStringLiteral("sum(b.%1), sum(a.%1), sum(iif(a.%1 = b.%1 or (a.%1 is null and b.%1 is null), 0, 1))")
                        .arg(c);
        const QVariantList row = cn.query(QStringLiteral("select count(*), ") + sums.join(QStringLiteral(", "))
                                          + QStringLiteral(" from rsgz a inner join %1 b on a.id = b.id").arg(kBefore))
                                     .rows.value(0);
        result.rows = row.value(0).toInt();
        for (const ModGzgs::FormulaItem &item : items) {
            const int at = 1 + 3 * int(columns.indexOf(item.colmCode.toLower()));
            result.items.append({item.colmCode, item.colmName, row.value(at + 2).toInt(), number(row.value(at)),
                                 number(row.value(at + 1))});
        }
        const ResultSet changed = cn.query(
            QStringLiteral("select top %1 a.f1, a.f2, b.t40, a.t40 from rsgz a inner join %2 b on a.id = b.id "
                           "where not (a.t40 = b.t40 or (a.t40 is null and b.t40 is null)) "
                           "order by abs(nz(a.t40, 0) - nz(b.t40, 0)) desc, a.f1")
                .arg(largest)
                .arg(kBefore));
        for (const QVariantList &r : changed.rows)
            result.largest.append({r.value(0).toString().trimmed(), r.value(1).toString().trimmed(), number(r.value(2)),
                                   number(r.value(3))});
    }
    cn.execute(QStringLiteral("drop table temp.") + kBefore);
    return result;
}

} // namespace ModGzjs
