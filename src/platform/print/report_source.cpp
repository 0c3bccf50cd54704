// Row sources of reports: the abstract table and the plain in-memory table.
#include "platform/print/report_source.h"

int ReportDataSource::columnIndex(const QString &field) const
{
    const QString wanted = field.trimmed();
    for (int c = 0, n = columnCount(); c < n; ++c)
        if (columnName(c).compare(wanted, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

TableSource::TableSource(const QStringList &columns, const QList<QVariantList> &rows)
    : m_columns(columns), m_rows(rows)
{
}

std::shared_ptr<TableSource> TableSource::copyOf(const ReportDataSource &source)
{
    auto copy = std::make_shared<TableSource>();
    QStringList columns;
    const int cols = source.columnCount();
    for (int c = 0; c < cols; ++c)
        columns << source.columnName(c);
    copy->setColumns(columns);
    const int rows = source.rowCount();
    copy->reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QVariantList row;
        row.reserve(cols);
        for (int c = 0; c < cols; ++c)
            row << source.value(r, c);
        copy->addRow(row);
    }
    return copy;
}

QVariant TableSource::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return {};
    return m_rows.at(row).value(column);
}
