// FlexGrid: texts in one flat list shown through a table model; no widget per cell.
#include "platform/ui/flex_grid.h"

#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QTimer>

// ---- FlexGridModel ----

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent), m_own(std::make_shared<TextCells>()) {}

TextCells &FlexGridModel::own()
{
    if (m_ext) {
        m_own = TextCells::copyOf(*m_ext);
        m_own->setGeneralNumbers(true);
        m_ext.reset();
    } else if (m_own.use_count() > 1) {
        auto copy = std::make_shared<TextCells>(*m_own);
        m_own = std::move(copy);
    }
    return *m_own;
}

std::shared_ptr<const CellTable> FlexGridModel::cells() const
{
    if (m_ext)
        return m_ext;
    return m_own;
}

void FlexGridModel::setSize(int rows, int cols)
{
    rows = qMax(0, rows);
    cols = qMax(0, cols);
    if (rows == this->rows() && cols == this->cols())
        return;
    beginResetModel();
    own().resize(rows, cols);
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

void FlexGridModel::setText(int row, int col, const QString &text)
{
    if (row < 0 || row >= rows() || col < 0 || col >= cols())
        return;
    own().setText(row, col, text);
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
        if (m_fixedRows > 0 && cols() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, cols() - 1);
        if (rowCount() > 0 && cols() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, cols() - 1), {Qt::DisplayRole});
    });
}

void FlexGridModel::setTable(const QList<QStringList> &table)
{
    int cols = 0;
    for (const QStringList &line : table)
        cols = qMax(cols, int(line.size()));
    auto cells = std::make_shared<TextCells>();
    cells->resize(int(table.size()), cols);
    for (int r = 0; r < table.size(); ++r) {
        const QStringList &line = table.at(r);
        for (int c = 0; c < line.size(); ++c)
            cells->setText(r, c, line.at(c));
    }
    beginResetModel();
    m_ext.reset();
    m_own = std::move(cells);
    endResetModel();
}

void FlexGridModel::setTable(std::shared_ptr<const CellTable> table)
{
    beginResetModel();
    m_ext = std::move(table);
    if (!m_ext)
        m_own = std::make_shared<TextCells>();
    endResetModel();
}

void FlexGridModel::clearTexts()
{
    if (m_ext) {
        auto empty = std::make_shared<TextCells>();
        empty->resize(rows(), cols());
        m_own = std::move(empty);
        m_ext.reset();
    } else {
        own().clearTexts();
    }
    scheduleRefresh();
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : qMax(0, rows() - m_fixedRows);
}

int FlexGridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : cols(); }

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + m_fixedRows;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (table().kind(row, index.column()) == CellTable::Text ? Qt::AlignLeft : Qt::AlignRight));
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return text(row, index.column());
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

bool FlexGrid::CellNumber(int row, int col, double *value) const
{
    const CellTable &t = m_model->table();
    if (t.kind(row, col) == CellTable::Text)
        return false;
    *value = t.number(row, col);
    return true;
}

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

void FlexGrid::setTable(std::shared_ptr<const CellTable> table)
{
    m_model->setTable(std::move(table));
    applyWidths();
}

void FlexGrid::fillFromRecordset(const Recordset &rs)
{
    const int n = rs.RecordCount();
    const int fields = rs.fieldCount();
    auto cells = std::make_shared<TextCells>();
    cells->resize(n + 1, fields);
    for (int c = 0; c < fields; ++c)
        cells->setCell(0, c, rs.fieldName(c), CellTable::Text);
    // A number is a number and a text a text, whatever it reads: "001" and "200504" stay texts.
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < fields; ++c) {
            const QVariant v = rs.valueAt(r, c);
            cells->setCell(r + 1, c, fieldValueText(v), isNumberValue(v) ? CellTable::Number : CellTable::Text);
        }
    setTable(std::shared_ptr<const CellTable>(std::move(cells)));
}

int FlexGrid::Row() const { return currentIndex().isValid() ? currentIndex().row() + m_model->fixedRows() : 0; }

int FlexGrid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }
