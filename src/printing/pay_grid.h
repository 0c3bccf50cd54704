// The month query of the pay sheet and pay slip windows and the tables of text they show.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class Connection;
struct ResultSet;

// A grid's contents as text: rows × cols cells, row 0 the caption row.
struct PayTable {
    int cols = 0;
    QList<QStringList> rows;  // every row holds cols texts

    int Rows() const { return int(rows.size()); }
    int Cols() const { return cols; }
    const QString &TextMatrix(int r, int c) const { return rows[r][c]; }
    int ColWidth(int) const { return -1; }  // the default width
};

namespace ModPayGrid {

// The shown wage items of a table code, in dictionary order (getgzZd, getgzZdBT).
struct ShownColumns {
    QStringList codes;     // colm_code
    QStringList captions;  // colm_name
};
ShownColumns ReadShownColumns(Connection &cn, const QString &tableName);
// The comma-separated column list of the codes ("f0,f1,f2,T1").
QString ColumnList(const QStringList &codes);

// "select <list>  from <table> where f0='<month>'  order by f1,[id]"
QString MonthQuerySql(const QString &columnList, const QString &tableName, const QString &month);

// The text a grid shows for a database value: Null empty, numbers as single-precision text.
QString CellText(const QVariant &value);

// getgzZdBT: the captions into row h (as many as there are columns).
void getgzZdBT(PayTable &table, int h, const QStringList &captions);
// GETgzzdnr: one record's values into row y; a Null field leaves its cell as it is.
void GETgzzdnr(PayTable &table, int y, const QVariantList &record);

// The pay sheet of a queried month: caption row, one row per record, and the totals row "合计"
// with the single-precision sum of every column from the fourth on.
PayTable BuildPaySheet(const ResultSet &records, const QStringList &captions, int cols);
// The pay slips: for each record a caption row then its values (Null cells left empty), and one
// empty row at the end.
PayTable BuildPaySlips(const ResultSet &records, const QStringList &captions, int cols);

// gzfind: runs the month query for the column list; no rows gives nothing (the grid stays as it
// was). The captions are read from the dictionary afresh for the query.
std::optional<PayTable> QueryPaySheet(Connection &cn, const QString &tableName, const QString &columnList,
                                      int cols, const QString &month);
std::optional<PayTable> QueryPaySlips(Connection &cn, const QString &tableName, const QString &columnList,
                                      int cols, const QString &month);

} // namespace ModPayGrid
