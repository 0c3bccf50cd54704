// The month query of the pay sheet and pay slip windows, the compact month and the tables shown from it.
#include "printing/pay_grid.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/access_format.h"
#include "platform/db/connection.h"
#include "platform/ui/data_grid.h"
#include "printing/column_sums.h"

#include <cmath>
#include <limits>

namespace ModPayGrid {

namespace {
constexpr int kFirstTotalled = 3;  // the month, the number and the name get no total
constexpr double kNull = std::numeric_limits<double>::quiet_NaN();
} // namespace

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

// ---- PayMonth

PayMonth::PayMonth(ResultSet &records, const QStringList &captions)
    : m_rows(int(records.rows.size())), m_captions(captions), m_columns(records.columns.size())
{
    const int cols = int(m_columns.size());
    // A column of numbers (and Nulls) is kept as numbers; any text makes it a column of texts.
    for (const QVariantList &row : std::as_const(records.rows))
        for (int c = 0; c < cols && c < row.size(); ++c)
            if (m_columns[size_t(c)].number && !row.at(c).isNull() && !isNumberValue(row.at(c)))
                m_columns[size_t(c)].number = false;
    for (Column &col : m_columns) {
        if (col.number)
            col.values.resize(size_t(m_rows), kNull);
        else
            col.texts.resize(m_rows);
    }
    for (int r = 0; r < m_rows; ++r) {
        const QVariantList row = std::move(records.rows[r]);  // freed as soon as it is read
        for (int c = 0; c < cols && c < row.size(); ++c) {
            const QVariant &v = row.at(c);
            if (v.isNull())
                continue;
            Column &col = m_columns[size_t(c)];
            if (col.number)
                col.values[size_t(r)] = ModFlSum::ToCent(v.toDouble());
            else
                col.texts[r] = isNumberValue(v) ? accessfmt::numberText(v.toDouble()) : v.toString();
        }
    }
    records.rows.clear();

    // Amounts add as the values they show (already to the cent); a column of texts adds the
    // numbers its cells start with, as FlSum reads a grid.
    struct TextColumn {
        const QStringList &texts;
        int Rows() const { return int(texts.size()) + 1; }
        const QString &TextMatrix(int r, int) const { return texts.at(r - 1); }
    };
    m_totals.assign(size_t(cols), kNull);
    for (int c = kFirstTotalled; c < cols; ++c) {
        const Column &col = m_columns[size_t(c)];
        if (!col.number) {
            m_totals[size_t(c)] = ModFlSum::FlSum(TextColumn{col.texts}, 0);
            continue;
        }
        ModFlSum::Sum sum;
        for (double v : col.values)
            if (!std::isnan(v))
                sum.add(v);
        m_totals[size_t(c)] = sum.value();
    }
}

bool PayMonth::isNull(int row, int c) const
{
    const Column &col = m_columns[size_t(c)];
    return col.number ? std::isnan(col.values[size_t(row)]) : col.texts.at(row).isNull();
}

QString PayMonth::text(int row, int c) const
{
    const Column &col = m_columns[size_t(c)];
    if (!col.number)
        return col.texts.at(row);
    const double v = col.values[size_t(row)];
    return std::isnan(v) ? QString() : ModFlSum::MoneyText(v);
}

QString PayMonth::totalText(int c) const
{
    if (c == 0)
        return QStringLiteral("合计");
    return c < kFirstTotalled ? QString() : ModFlSum::MoneyText(m_totals[size_t(c)]);
}

// ---- PayTable

PayTable::Part PayTable::part(int row, int *employee) const
{
    const int n = m_month->employees();
    if (m_layout == Sheet) {
        *employee = row - 1;
        return row == 0 ? Caption : row <= n ? Values : Totals;
    }
    *employee = row / 2;
    return row >= 2 * n ? Empty : row % 2 ? Values : Caption;
}

int PayTable::rowCount() const { return m_layout == Sheet ? m_month->employees() + 2 : 2 * m_month->employees() + 1; }

QString PayTable::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QString();
    int e = 0;
    switch (part(row, &e)) {
    case Caption:
        return m_month->captions().value(column);
    case Values:
        return m_month->text(e, column);
    case Totals:
        return m_month->totalText(column);
    case Empty:
        break;
    }
    return QString();
}

CellTable::Kind PayTable::kind(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return Text;
    int e = 0;
    switch (part(row, &e)) {
    case Values:
        return m_month->isNumberColumn(column) && !m_month->isNull(e, column) ? Money : Text;
    case Totals:
        return column >= kFirstTotalled ? Money : Text;
    default:
        return Text;
    }
}

double PayTable::number(int row, int column) const
{
    if (kind(row, column) == Text)
        return 0;
    int e = 0;
    return part(row, &e) == Totals ? ModFlSum::ToCent(m_month->total(column)) : m_month->value(e, column);
}

std::shared_ptr<const PayMonth> QueryMonth(Connection &cn, const QString &tableName, const ShownColumns &shown,
                                           const QString &month)
{
    if (shown.codes.isEmpty())
        return nullptr;
    ResultSet records = cn.query(MonthQuerySql(ColumnList(shown.codes), tableName, month));
    if (records.rows.isEmpty())
        return nullptr;
    return std::make_shared<const PayMonth>(records, shown.captions);
}

} // namespace ModPayGrid
