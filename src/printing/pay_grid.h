// The month query of the pay sheet and pay slip windows, one compact copy of the month, and the
// pay sheet and pay slip tables shown from it.
#pragma once

#include "platform/ui/cell_table.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

class Connection;
struct ResultSet;

namespace ModPayGrid {

// The shown wage items of a table code, in dictionary order (getgzZd, getgzZdBT): codes and
// captions read together, so that the captions always belong to the columns queried.
struct ShownColumns {
    QStringList codes;     // colm_code
    QStringList captions;  // colm_name
};
ShownColumns ReadShownColumns(Connection &cn, const QString &tableName);
// The comma-separated column list of the codes ("f0,f1,f2,T1").
QString ColumnList(const QStringList &codes);

// "select <list>  from <table> where f0='<month>'  order by f1,[id]"
QString MonthQuerySql(const QString &columnList, const QString &tableName, const QString &month);

// One month of wage rows kept once: a column of numbers holds doubles rounded to the cent (NaN for
// Null), a column with any text in it holds texts. The totals are taken from the values as the
// month is read.
class PayMonth {
public:
    // Takes the rows of the month query (emptied as they are read, so the two copies are never
    // whole at once). A column is a number column when every value in it is a number or Null.
    PayMonth(ResultSet &records, const QStringList &captions);

    int employees() const { return m_rows; }
    int columns() const { return int(m_columns.size()); }
    const QStringList &captions() const { return m_captions; }
    bool isNumberColumn(int c) const { return m_columns[size_t(c)].number; }
    bool isNull(int row, int c) const;
    double value(int row, int c) const { return m_columns[size_t(c)].values[size_t(row)]; }
    QString text(int row, int c) const;  // as shown: two decimals for numbers, empty for Null
    // The totals row of the pay sheet: "合计" in the first column, nothing in the second and third,
    // from the fourth on the column's sum to the cent (a text column adds the numbers its texts start with).
    QString totalText(int c) const;
    double total(int c) const { return m_totals[size_t(c)]; }

private:
    struct Column {
        bool number = true;
        std::vector<double> values;  // number column
        QStringList texts;           // text column (Null as a null QString)
    };
    int m_rows = 0;
    QStringList m_captions;
    std::vector<Column> m_columns;
    std::vector<double> m_totals;
};

// The pay sheet (caption row, one row per employee, the totals row) or the pay slips (for each
// employee a caption row and then the values; one empty row at the end) of a month, as a grid
// shows and a sheet writes them. Captions and texts are text cells, amounts money cells.
class PayTable : public CellTable {
public:
    enum Layout { Sheet, Slips };
    PayTable(std::shared_ptr<const PayMonth> month, Layout layout) : m_month(std::move(month)), m_layout(layout) {}

    const PayMonth &month() const { return *m_month; }
    Layout layout() const { return m_layout; }

    int rowCount() const override;
    int columnCount() const override { return m_month->columns(); }
    QString text(int row, int column) const override;
    Kind kind(int row, int column) const override;
    double number(int row, int column) const override;
    int blockRows() const override { return m_layout == Slips ? 2 : 0; }

    // Grid-style reading for FlSum and the tests.
    int Rows() const { return rowCount(); }
    QString TextMatrix(int row, int column) const { return text(row, column); }

private:
    enum Part { Caption, Values, Totals, Empty };
    Part part(int row, int *employee) const;

    std::shared_ptr<const PayMonth> m_month;
    Layout m_layout;
};

// gzfind: reads the shown columns and runs the month query; a month without rows (or no shown
// column) gives nothing, and the window keeps what it showed.
std::shared_ptr<const PayMonth> QueryMonth(Connection &cn, const QString &tableName, const ShownColumns &shown,
                                           const QString &month);

} // namespace ModPayGrid
