// Row sources of reports: an abstract table of values, a plain in-memory table and a recordset adapter.
#pragma once

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

private:
    QPointer<const Recordset> m_rs;
};
