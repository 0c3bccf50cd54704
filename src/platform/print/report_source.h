// Row sources of reports: an abstract table of values, a plain in-memory table, and adapters of a recordset and of a table of cells.
#pragma once

#include "platform/ui/cell_table.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <memory>

class Recordset;

// What a report reads its detail rows from: rows × named columns of values.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QVariant value(int row, int column) const = 0;  // an invalid QVariant outside the table
    // Column of a field name, without regard to case; -1 when the source has no such column.
    virtual int columnIndex(const QString &field) const;
    // Whether a value is a number, for fields that align by what they show: numbers of a number
    // type and text that is a plain number (Cells::isPlainNumber).
    virtual bool numberAt(int row, int column) const;
    // True when the rows never change (a preview may keep the source as it is); otherwise
    // snapshot() gives a copy that no longer depends on anything that may change.
    virtual bool isSnapshot() const { return false; }
    virtual std::shared_ptr<const ReportDataSource> snapshot() const;
};

// A plain table kept in memory. Rows shorter than the column list read as Null in the missing cells.
class TableSource : public ReportDataSource {
public:
    TableSource() = default;
    explicit TableSource(const QStringList &columns, const QList<QVariantList> &rows = {});
    // A copy of every value of another source, independent of it from then on.
    static std::shared_ptr<TableSource> copyOf(const ReportDataSource &source);

    void setColumns(const QStringList &columns) { m_columns = columns; }
    void addRow(const QVariantList &row) { m_rows.append(row); }
    void reserve(int rows) { m_rows.reserve(rows); }

    int rowCount() const override { return int(m_rows.size()); }
    int columnCount() const override { return int(m_columns.size()); }
    QString columnName(int column) const override { return m_columns.value(column); }
    QVariant value(int row, int column) const override;
    // Its rows are its own (shared with nobody who changes them once a report holds it).
    bool isSnapshot() const override { return true; }

private:
    QStringList m_columns;
    QList<QVariantList> m_rows;
};

// The rows of an open recordset, read in place without moving its cursor. A recordset that is
// closed or destroyed reads as an empty table.
class RecordsetSource : public ReportDataSource {
public:
    explicit RecordsetSource(const Recordset *recordset);
    int rowCount() const override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QVariant value(int row, int column) const override;
    int columnIndex(const QString &field) const override;
    // The recordset's rows as they are now, shared with it until either changes (no copy).
    std::shared_ptr<const ReportDataSource> snapshot() const override;

private:
    QPointer<const Recordset> m_rs;
};

// The cells of a table as report rows, read in place. Without blocks: row 0 is the header and
// detail row r is table row r + 1, columns "C0", "C1", …. With blocks of k rows: detail row r is
// block r (table rows r·k … r·k + k − 1) and column j is cell (r·k + j / cols, j % cols); a last
// block of empty cells is left out. Values are the cells' texts; number cells count as numbers.
class CellTableSource : public ReportDataSource {
public:
    explicit CellTableSource(std::shared_ptr<const CellTable> table);
    int rowCount() const override { return m_rows; }
    int columnCount() const override;
    QString columnName(int column) const override;
    QVariant value(int row, int column) const override;
    bool numberAt(int row, int column) const override;
    bool isSnapshot() const override { return true; }  // tables handed out are never changed

private:
    bool locate(int row, int column, int *tableRow, int *tableColumn) const;
    std::shared_ptr<const CellTable> m_table;
    int m_block = 0;
    int m_rows = 0;
};
