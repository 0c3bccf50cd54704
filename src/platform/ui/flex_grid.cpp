// FlexGrid: texts in one flat list shown through a table model; no widget per cell.
#include "platform/ui/flex_grid.h"

#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QTimer>

// ---- FlexGridModel ----

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void FlexGridModel::setSize(int rows, int cols)
{
    rows = qMax(0, rows);
    cols = qMax(0, cols);
    if (rows == m_rows && cols == m_cols)
        return;
    beginResetModel();
    if (cols == m_cols) {
        m_cells.resize(qsizetype(rows) * cols);
    } else {
        QStringList cells;
        cells.resize(qsizetype(rows) * cols);
        const int keepRows = qMin(rows, m_rows);
        const int keepCols = qMin(cols, m_cols);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                cells[qsizetype(r) * cols + c] = m_cells.at(qsizetype(r) * m_cols + c);
        m_cells = std::move(cells);
    }
    m_rows = rows;
    m_cols = cols;
    endResetModel();
}

void FlexGridModel::setFixedRows(int n)
{
    n = qBound(0, n, 1);
    if (n == m_fixedRows)
        return;
    beginResetModel();
    m_fixedRows = n;
    endResetModel();
}

QString FlexGridModel::text(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return {};
    return m_cells.at(qsizetype(row) * m_cols + col);
}

void FlexGridModel::setText(int row, int col, const QString &text)
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return;
    m_cells[qsizetype(row) * m_cols + col] = text;
    scheduleRefresh();
}

// Cell writes come in bulk (a whole pay sheet cell by cell): the view is told once, afterwards.
void FlexGridModel::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        if (m_fixedRows > 0 && m_cols > 0)
            emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
        if (rowCount() > 0 && m_cols > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::DisplayRole});
    });
}

void FlexGridModel::setTable(const QList<QStringList> &table)
{
    int cols = 0;
    for (const QStringList &line : table)
        cols = qMax(cols, int(line.size()));
    beginResetModel();
    m_rows = int(table.size());
    m_cols = cols;
    m_cells.clear();
    m_cells.resize(qsizetype(m_rows) * m_cols);
    for (int r = 0; r < m_rows; ++r) {
        const QStringList &line = table.at(r);
        for (int c = 0; c < line.size(); ++c)
            m_cells[qsizetype(r) * m_cols + c] = line.at(c);
    }
    endResetModel();
}

void FlexGridModel::clearTexts()
{
    for (QString &s : m_cells)
        s.clear();
    scheduleRefresh();
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : qMax(0, m_rows - m_fixedRows);
}

int FlexGridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_cols; }

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return text(index.row() + m_fixedRows, index.column());
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_fixedRows > 0 ? text(0, section) : QString();
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---- FlexGrid ----

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Twips::toPx(255));
    horizontalHeader()->setHighlightSections(false);
    setAccessibleName(QStringLiteral("表格"));
    connect(m_model, &QAbstractItemModel::modelReset, this, &FlexGrid::applyWidths);
}

int FlexGrid::Rows() const { return m_model->rows(); }

void FlexGrid::setRows(int rows) { m_model->setSize(rows, m_model->cols()); }

int FlexGrid::Cols() const { return m_model->cols(); }

void FlexGrid::setCols(int cols)
{
    m_model->setSize(m_model->rows(), cols);
    m_widths.resize(qMax(0, cols), -1);
    applyWidths();
}

int FlexGrid::FixedRows() const { return m_model->fixedRows(); }

void FlexGrid::setFixedRows(int rows)
{
    m_model->setFixedRows(rows);
    horizontalHeader()->setVisible(m_model->fixedRows() > 0);
}

QString FlexGrid::TextMatrix(int row, int col) const { return m_model->text(row, col); }

void FlexGrid::setTextMatrix(int row, int col, const QString &text) { m_model->setText(row, col, text); }

int FlexGrid::ColWidth(int col) const { return m_widths.value(col, -1); }

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_model->cols())
        return;
    m_widths.resize(m_model->cols(), -1);
    m_widths[col] = twips;
    applyWidths();
}

void FlexGrid::applyWidths()
{
    m_widths.resize(m_model->cols(), -1);
    for (int c = 0; c < m_widths.size(); ++c) {
        const int w = m_widths.at(c);
        setColumnHidden(c, w == 0);
        if (w > 0)
            setColumnWidth(c, Twips::toPx(w));
    }
}

void FlexGrid::Clear() { m_model->clearTexts(); }

void FlexGrid::setTable(const QList<QStringList> &table)
{
    m_model->setTable(table);
    applyWidths();
}

void FlexGrid::fillFromRecordset(const Recordset &rs)
{
    QList<QStringList> table;
    const int n = rs.RecordCount();
    const int fields = rs.fieldCount();
    table.reserve(n + 1);
    table.append(rs.fieldNames());
    for (int r = 0; r < n; ++r) {
        QStringList line;
        line.reserve(fields);
        for (int c = 0; c < fields; ++c)
            line.append(fieldValueText(rs.valueAt(r, c)));
        table.append(std::move(line));
    }
    setTable(table);
}

int FlexGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() + m_model->fixedRows() : 0; }

int FlexGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }
