// The month query of the pay sheet and pay slip windows and the tables of text they show.
#include "printing/pay_grid.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"
#include "printing/column_sums.h"


namespace ModPayGrid {

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
        return ModFlSum::SingleText(float(*static_cast<const double *>(value.constData())));
    case QMetaType::Float:
        return ModFlSum::SingleText(*static_cast<const float *>(value.constData()));
    case QMetaType::LongLong:
        return ModFlSum::WholeText(*static_cast<const qlonglong *>(value.constData()));
    case QMetaType::Int:
        return ModFlSum::WholeText(*static_cast<const int *>(value.constData()));
    default:
        return value.toString();
    }
}

void getgzZdBT(PayTable &table, int h, const QStringList &captions)
{
    QStringList &row = table.rows[h];
    if (captions.size() == row.size()) {
        row = captions;  // one shared copy for every caption row of the pay slips
        return;
    }
    for (int i = 0; i < captions.size() && i < row.size(); ++i)
        row[i] = captions.at(i);
}

void GETgzzdnr(PayTable &table, int y, const QVariantList &record)
{
    QStringList &row = table.rows[y];
    for (int k = 0; k < record.size() && k < row.size(); ++k)
        if (!record.at(k).isNull())
            row[k] = CellText(record.at(k));
}

PayTable BuildPaySheet(const ResultSet &records, const QStringList &captions, int cols)
{
    PayTable t;
    t.cols = cols;
    // Caption row, one row per record, and the totals row.
    t.rows = QList<QStringList>(records.rows.size() + 2, QStringList(cols));
    getgzZdBT(t, 0, captions);
    for (int y = 0; y < records.rows.size(); ++y)
        GETgzzdnr(t, y + 1, records.rows.at(y));
    QStringList &totals = t.rows.last();
    if (cols > 0)
        totals[0] = QStringLiteral("合计");
    // The totals cells are still empty while the sums are taken, so they add nothing.
    for (int c = 3; c < cols; ++c)
        totals[c] = ModFlSum::SingleText(ModFlSum::FlSum(t, c));
    return t;
}

PayTable BuildPaySlips(const ResultSet &records, const QStringList &captions, int cols)
{
    PayTable t;
    t.cols = cols;
    t.rows = QList<QStringList>(2 * records.rows.size() + 1, QStringList(cols));
    int h = 0;
    for (const QVariantList &record : records.rows) {
        getgzZdBT(t, h, captions);
        GETgzzdnr(t, h + 1, record);
        h += 2;
    }
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
