// DataGrid and RecordsetModel: a recordset shown as a table without a widget per cell.
#include "platform/ui/data_grid.h"

#include "platform/db/recordset.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QApplication>
#include <QHeaderView>
#include "platform/db/access_format.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

QString fieldValueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return accessfmt::numberText(value.toDouble());
    return value.toString();
}

bool isNumberValue(const QVariant &value)
{
    if (value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// ---- RecordsetModel ----

RecordsetModel::RecordsetModel(QObject *parent) : QAbstractTableModel(parent) {}

void RecordsetModel::setRecordset(Recordset *rs)
{
    m_changingRows = true;
    beginResetModel();
    for (const auto &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_rs = rs;
    if (rs) {
        m_links << connect(rs, &Recordset::reset, this, &RecordsetModel::onReset)
                << connect(rs, &Recordset::rowInserted, this, &RecordsetModel::onRowInserted)
                << connect(rs, &Recordset::rowRemoved, this, &RecordsetModel::onRowRemoved)
                << connect(rs, &Recordset::rowChanged, this, &RecordsetModel::onRowChanged)
                << connect(rs, &QObject::destroyed, this, [this] { setRecordset(nullptr); });
    }
    if (!m_designed)
        m_columns.clear();
    m_fieldNames.clear();
    resolveColumns();
    m_rows = rs ? rs->RecordCount() : 0;
    endResetModel();
    m_changingRows = false;
    emit columnsRebuilt();
}

void RecordsetModel::setBoundColumns(const QStringList &fields, const QStringList &captions)
{
    m_changingRows = true;
    beginResetModel();
    m_designed = !fields.isEmpty();
    m_columns.clear();
    for (int i = 0; i < fields.size(); ++i) {
        Column c;
        c.field = fields.at(i);
        c.caption = captions.value(i, fields.at(i));
        m_columns.append(c);
    }
    m_fieldNames.clear();
    resolveColumns();
    endResetModel();
    m_changingRows = false;
    emit columnsRebuilt();
}

bool RecordsetModel::fieldsChanged() const
{
    const QStringList now = m_rs ? m_rs->fieldNames() : QStringList();
    return now != m_fieldNames;
}

// Builds the automatic columns from the recordset's fields (keeping the layout while the fields
// stay the same) and finds each designed column's field.
void RecordsetModel::resolveColumns()
{
    const QStringList now = m_rs ? m_rs->fieldNames() : QStringList();
    if (!m_designed && now != m_fieldNames) {
        m_columns.clear();
        for (const QString &f : now) {
            Column c;
            c.field = f;
            c.caption = f;
            m_columns.append(c);
        }
    }
    m_fieldNames = now;
    for (Column &c : m_columns)
        c.fieldIndex = m_rs ? m_rs->fieldIndex(c.field) : -1;
}

void RecordsetModel::setColumnCaption(int c, const QString &caption)
{
    if (c < 0 || c >= m_columns.size())
        return;
    m_columns[c].caption = caption;
    emit headerDataChanged(Qt::Horizontal, c, c);
}

void RecordsetModel::setColumnField(int c, const QString &field)
{
    if (c < 0 || c >= m_columns.size())
        return;
    m_columns[c].field = field;
    m_columns[c].fieldIndex = m_rs ? m_rs->fieldIndex(field) : -1;
    if (m_rows > 0)
        emit dataChanged(index(0, c), index(m_rows - 1, c));
}

void RecordsetModel::onReset()
{
    const bool rebuilt = !m_designed && fieldsChanged();
    m_changingRows = true;
    beginResetModel();
    resolveColumns();
    m_rows = m_rs ? m_rs->RecordCount() : 0;
    endResetModel();
    m_changingRows = false;
    if (rebuilt)
        emit columnsRebuilt();
}

void RecordsetModel::onRowInserted(int row)
{
    m_changingRows = true;
    beginInsertRows({}, row, row);
    ++m_rows;
    endInsertRows();
    m_changingRows = false;
}

void RecordsetModel::onRowRemoved(int row)
{
    m_changingRows = true;
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
    m_changingRows = false;
}

void RecordsetModel::onRowChanged(int row)
{
    if (row >= 0 && row < m_rows && !m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

int RecordsetModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rs ? 0 : int(m_columns.size());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    const bool alignment = role == Qt::TextAlignmentRole;
    if (!m_rs || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && !alignment))
        return {};
    const int field = m_columns.at(index.column()).fieldIndex;
    if (field < 0)
        return {};
    const QVariant value = m_rs->valueAt(index.row(), field);
    if (alignment)  // numbers to the right, texts (codes such as "001" among them) to the left
        return QVariant::fromValue(Qt::AlignVCenter | (isNumberValue(value) ? Qt::AlignRight : Qt::AlignLeft));
    return fieldValueText(value);
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? m_columns.at(section).caption : QVariant();
    return QVariant();  // the record selector column carries no numbers
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_allowUpdate && m_rs && index.isValid() && m_columns.at(index.column()).fieldIndex >= 0 && m_rs->canUpdate())
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_rs || !index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int field = m_columns.at(index.column()).fieldIndex;
    const QVariant v = value.toString().isEmpty() ? QVariant() : value;
    try {
        m_rs->setValueAt(index.row(), field, v);
    } catch (const DbError &e) {
        emit writeFailed(e.number, e.description);
        return false;
    }
    return true;
}

// ---- DataGrid ----

namespace {

// Paints the drop-down button of a button column in the current cell.
class CellButtonDelegate : public QStyledItemDelegate {
public:
    explicit CellButtonDelegate(DataGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QRect r = m_grid->cellButtonRect(index.row(), index.column());
        if (r.isEmpty())
            return;
        QStyleOptionButton button;
        button.rect = r;
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        QStyle *style = m_grid->style();
        style->drawControl(QStyle::CE_PushButton, &button, painter, m_grid);
        QStyleOption arrow;
        arrow.rect = r.adjusted(3, 3, -3, -3);
        arrow.state = QStyle::State_Enabled;
        arrow.palette = m_grid->palette();
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, m_grid);
    }

private:
    DataGrid *m_grid;
};

} // namespace

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), m_model(new RecordsetModel(this))
{
    setModel(m_model);
    setItemDelegate(new CellButtonDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Twips::toPx(255));
    verticalHeader()->setFixedWidth(Twips::toPx(270));
    horizontalHeader()->setHighlightSections(false);
    setAccessibleName(QStringLiteral("数据表格"));
    connect(m_model, &RecordsetModel::writeFailed, this, &DataGrid::report);
    connect(m_model, &RecordsetModel::columnsRebuilt, this, &DataGrid::applyColumnLayout);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnLayout();
        if (recordset())
            followRecordset(recordset()->currentRow());
        // Rows as queried again: no column's order is shown.
        if (horizontalHeader()->isSortIndicatorShown() && (!recordset() || recordset()->sortField().isEmpty()))
            horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (!m_applying && column < m_model->columnCount())
            m_model->column(column).widthTwips = Twips::fromPx(size);
    });
}

void DataGrid::setRecordset(Recordset *rs)
{
    for (const auto &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_model->setRecordset(rs);
    if (rs)
        m_links << connect(rs, &Recordset::moved, this, &DataGrid::followRecordset);
    applyColumnLayout();
    followRecordset(rs ? rs->currentRow() : -1);
}

Recordset *DataGrid::recordset() const { return m_model->recordset(); }

void DataGrid::setSortable(bool sortable)
{
    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(sortable);
    header->setSortIndicatorShown(sortable);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    if (!sortable || m_sortLink)
        return;
    m_sortLink = connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        Recordset *rs = recordset();
        const QString field = columnField(column);
        if (!rs || !rs->isOpen() || field.isEmpty() || !horizontalHeader()->isSortIndicatorShown())
            return;
        const bool descending = rs->sortField().compare(field, Qt::CaseInsensitive) == 0 && !rs->sortDescending();
        try {
            rs->Sort(field, descending);
        } catch (const DbError &e) {
            report(e.number, e.description);
            return;
        }
        horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    });
}

void DataGrid::setBoundColumns(const QStringList &fields, const QStringList &captions)
{
    m_model->setBoundColumns(fields, captions);
}

int DataGrid::columnCount() const { return m_model->columnCount(); }

QString DataGrid::columnField(int column) const
{
    return column >= 0 && column < m_model->columnCount() ? m_model->column(column).field : QString();
}

void DataGrid::setColumnField(int column, const QString &field) { m_model->setColumnField(column, field); }

QString DataGrid::columnCaption(int column) const
{
    return m_model->headerData(column, Qt::Horizontal).toString();
}

void DataGrid::setColumnCaption(int column, const QString &caption) { m_model->setColumnCaption(column, caption); }

int DataGrid::columnWidthTwips(int column) const
{
    if (column < 0 || column >= m_model->columnCount() || isColumnHidden(column))
        return 0;
    return Twips::fromPx(columnWidth(column));
}

void DataGrid::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    m_model->column(column).widthTwips = twips;
    applyColumnLayout();
}

bool DataGrid::isColumnVisible(int column) const
{
    return column >= 0 && column < m_model->columnCount() && !isColumnHidden(column);
}

void DataGrid::setColumnVisible(int column, bool visible)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    m_model->column(column).visible = visible;
    applyColumnLayout();
}

void DataGrid::setColumnButton(int column, bool button)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    m_model->column(column).button = button;
    viewport()->update();
}

bool DataGrid::hasColumnButton(int column) const
{
    return column >= 0 && column < m_model->columnCount() && m_model->column(column).button;
}

void DataGrid::setAllowUpdate(bool allow) { m_model->setAllowUpdate(allow); }

bool DataGrid::allowUpdate() const { return m_model->allowUpdate(); }

int DataGrid::currentColumn() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void DataGrid::setCurrentColumn(int column)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    const int row = recordset() ? recordset()->currentRow() : -1;
    if (row < 0)
        return;
    m_syncing = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

int DataGrid::rowHeightTwips() const { return Twips::fromPx(verticalHeader()->defaultSectionSize()); }

int DataGrid::columnLeftTwips(int column) const
{
    return Twips::fromPx(viewport()->geometry().left() + columnViewportPosition(column));
}

QRect DataGrid::cellButtonRect(int row, int column) const
{
    const QModelIndex current = currentIndex();
    if (!hasColumnButton(column) || !current.isValid() || current.row() != row || current.column() != column)
        return {};
    const QRect cell = visualRect(current);
    const int side = qMin(cell.height(), 18);
    return QRect(cell.right() - side + 1, cell.top(), side, cell.height());
}

void DataGrid::applyColumnLayout()
{
    m_applying = true;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const RecordsetModel::Column &col = m_model->column(c);
        setColumnHidden(c, !col.visible || col.widthTwips == 0);
        if (col.widthTwips > 0)
            setColumnWidth(c, Twips::toPx(col.widthTwips));
    }
    m_applying = false;
}

// Selects the recordset's current row (none at BOF/EOF) without moving the recordset back.
void DataGrid::followRecordset(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        if (column >= m_model->columnCount())
            column = 0;
        const QModelIndex target = m_model->index(row, column);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(target);
    }
    m_syncing = false;
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();  // the cell button moves with the current cell
    Recordset *rs = recordset();
    if (m_syncing || m_model->isChangingRows() || !rs || !current.isValid() || current.row() == rs->currentRow())
        return;
    try {
        rs->setAbsolutePosition(current.row() + 1);
    } catch (const DbError &e) {
        report(e.number, e.description);
        followRecordset(rs->currentRow());  // the move was refused: show where the recordset still is
    }
}

bool DataGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex current = currentIndex();
        if (mouse->button() == Qt::LeftButton && current.isValid()
            && cellButtonRect(current.row(), current.column()).contains(mouse->position().toPoint())) {
            emit buttonClick(current.column());
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}

void DataGrid::report(int number, const QString &description)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&DataGrid::error)))
        emit error(number, description);
    else
        MsgBox(description, Msg::vbExclamation);
}
