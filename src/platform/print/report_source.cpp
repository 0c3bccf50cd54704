// Row sources of reports: the abstract table and the plain in-memory table.
#include "platform/print/report_source.h"
#include "platform/print/report_format.h"

int ReportDataSource::columnIndex(const QString &field) const
{
    const QString wanted = field.trimmed();
    for (int c = 0, n = columnCount(); c < n; ++c)
        if (columnName(c).compare(wanted, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

bool ReportDataSource::numberAt(int row, int column) const
{
    const QVariant v = value(row, column);
    if (v.typeId() == QMetaType::QString)
        return Cells::isPlainNumber(v.toString());
    double unused = 0;
    return ReportFormat::toNumber(v, &unused);
}

std::shared_ptr<const ReportDataSource> ReportDataSource::snapshot() const { return TableSource::copyOf(*this); }

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

CellTableSource::CellTableSource(std::shared_ptr<const CellTable> table) : m_table(std::move(table))
{
    if (!m_table)
        return;
    const int rows = m_table->rowCount(), cols = m_table->columnCount();
    m_block = std::max(0, m_table->blockRows());
    if (m_block == 0) {
        m_rows = std::max(0, rows - 1);
        return;
    }
    m_rows = (rows + m_block - 1) / m_block;
    // A last block with nothing in it (the empty row after the last pay slip) is not printed.
    if (m_rows > 0) {
        bool empty = true;
        for (int r = (m_rows - 1) * m_block; r < rows && empty; ++r)
            for (int c = 0; c < cols && empty; ++c)
                empty = m_table->text(r, c).isEmpty();
        if (empty)
            --m_rows;
    }
}

int CellTableSource::columnCount() const
{
    return m_table ? m_table->columnCount() * std::max(1, m_block) : 0;
}

QString CellTableSource::columnName(int column) const
{
    return column >= 0 && column < columnCount() ? QStringLiteral("C%1").arg(column) : QString();
}

bool CellTableSource::locate(int row, int column, int *tableRow, int *tableColumn) const
{
    if (!m_table || row < 0 || row >= m_rows || column < 0 || column >= columnCount())
        return false;
    const int cols = m_table->columnCount();
    *tableRow = m_block == 0 ? row + 1 : row * m_block + column / cols;
    *tableColumn = column % cols;
    return true;
}

QVariant CellTableSource::value(int row, int column) const
{
    int r = 0, c = 0;
    return locate(row, column, &r, &c) ? QVariant(m_table->text(r, c)) : QVariant();
}

bool CellTableSource::numberAt(int row, int column) const
{
    int r = 0, c = 0;
    return locate(row, column, &r, &c) && m_table->kind(r, c) != CellTable::Text;
}
