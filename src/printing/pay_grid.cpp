// The month query of the pay sheet and pay slip windows and the tables of text they show.
#include "printing/pay_grid.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"
#include "printing/column_sums.h"

#include <cmath>

namespace ModPayGrid {

QString MonthListSql() { return QStringLiteral("select  f0 as ye from rsgz group by f0 order by f0"); }

QStringList MonthList(Connection &cn)
{
    QStringList months;
    for (const QVariantList &row : cn.query(MonthListSql()).rows)
        months << (row.isEmpty() || row.first().isNull() ? QString() : row.first().toString());
    return months;
}

ShownColumns ReadShownColumns(Connection &cn, const QString &tableName)
{
    ShownColumns out;
    for (const DictRow &row : ModDict::WageDict(cn, tableName, true)) {
        out.codes << row.colmCode;
        out.captions << row.colmName;
    }
    return out;
}

QString ColumnList(const QStringList &codes)
{
    QString list;
    for (const QString &code : codes) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += code;
    }
    return list;
}

QString MonthQuerySql(const QString &columnList, const QString &tableName, const QString &month)
{
    const QString condition = QStringLiteral("f0='") + SqlQuote(month) + QLatin1Char('\'');
    return QStringLiteral("select ") + columnList + QStringLiteral("  from ") + tableName + QStringLiteral(" where ") +
           condition + QStringLiteral("  order by f1,[id]");
}

QString CellText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const float f = value.toFloat();
        // Whole amounts are the common case; they need no general formatting.
        if (f == std::trunc(f) && std::fabs(f) < 1e7f)
            return QString::number(qint64(f));
        return ModFlSum::SingleText(f);
    }
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

namespace {

QStringList captionRow(const QStringList &captions, int cols)
{
    QStringList row = captions.mid(0, cols);
    while (row.size() < cols)
        row << QString();
    return row;
}

QStringList valueRow(const QVariantList &record, int cols)
{
    QStringList row;
    row.reserve(cols);
    for (int k = 0; k < cols; ++k)
        row << (k < record.size() ? CellText(record.at(k)) : QString());
    return row;
}

} // namespace

PayTable BuildPaySheet(const ResultSet &records, const QStringList &captions, int cols)
{
    PayTable t;
    t.cols = cols;
    t.rows.reserve(records.rows.size() + 2);
    t.rows << captionRow(captions, cols);
    for (const QVariantList &record : records.rows)
        t.rows << valueRow(record, cols);
    QStringList totals(cols);
    if (cols > 0)
        totals[0] = QStringLiteral("合计");
    t.rows << totals;  // empty while the sums are taken, so it adds nothing
    for (int c = 3; c < cols; ++c)
        t.rows.last()[c] = ModFlSum::SingleText(ModFlSum::FlSum(t, c));
    return t;
}

PayTable BuildPaySlips(const ResultSet &records, const QStringList &captions, int cols)
{
    PayTable t;
    t.cols = cols;
    t.rows.reserve(2 * records.rows.size() + 1);
    const QStringList caption = captionRow(captions, cols);
    for (const QVariantList &record : records.rows) {
        t.rows << caption;
        t.rows << valueRow(record, cols);
    }
    t.rows << QStringList(cols);
    return t;
}

namespace {

template <class Build>
std::optional<PayTable> queryMonth(Connection &cn, const QString &tableName, const QString &columnList, int cols,
                                   const QString &month, Build build)
{
    const ResultSet records = cn.query(MonthQuerySql(columnList, tableName, month));
    if (records.rows.isEmpty())
        return std::nullopt;
    return build(records, ReadShownColumns(cn, tableName).captions, cols);
}

} // namespace

std::optional<PayTable> QueryPaySheet(Connection &cn, const QString &tableName, const QString &columnList, int cols,
                                      const QString &month)
{
    return queryMonth(cn, tableName, columnList, cols, month, BuildPaySheet);
}

std::optional<PayTable> QueryPaySlips(Connection &cn, const QString &tableName, const QString &columnList, int cols,
                                      const QString &month)
{
    return queryMonth(cn, tableName, columnList, cols, month, BuildPaySlips);
}

} // namespace ModPayGrid
