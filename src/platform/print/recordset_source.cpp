// Report rows read from an open recordset.
#include "platform/db/recordset.h"
#include "platform/print/report_source.h"

RecordsetSource::RecordsetSource(const Recordset *recordset) : m_rs(recordset) {}

int RecordsetSource::rowCount() const
{
    return m_rs && m_rs->isOpen() ? qMax(0, m_rs->RecordCount()) : 0;
}

int RecordsetSource::columnCount() const
{
    return m_rs && m_rs->isOpen() ? m_rs->fieldCount() : 0;
}

QString RecordsetSource::columnName(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return m_rs->fieldName(column);
}

QVariant RecordsetSource::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return m_rs->valueAt(row, column);
}

int RecordsetSource::columnIndex(const QString &field) const
{
    return m_rs && m_rs->isOpen() ? m_rs->fieldIndex(field.trimmed()) : -1;
}

std::shared_ptr<const ReportDataSource> RecordsetSource::snapshot() const
{
    if (!m_rs || !m_rs->isOpen())
        return std::make_shared<TableSource>();
    return std::make_shared<TableSource>(m_rs->fieldNames(), m_rs->rowValues());
}
