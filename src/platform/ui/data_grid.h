// DataGrid: a table view bound to a Recordset through RecordsetModel; its current row follows the recordset.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

#include "platform/db/recordset.h"
class QStyledItemDelegate;

// Text shown for a field value: empty for Null, numbers without trailing zeros.
QString fieldValueText(const QVariant &value);
// True for a value of a number type (a text that reads as a number is still a text).
bool isNumberValue(const QVariant &value);

// The rows of a Recordset as a table: read straight from the recordset's storage, no copy.
// Columns are every field of the recordset, or a designed list of bound fields.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;           // bound field name
        QString caption;         // header text
        int widthTwips = -1;     // -1: the default width
        bool visible = true;
        bool button = false;     // a cell button in the current cell of this column
        int fieldIndex = -1;     // resolved against the recordset
    };

    explicit RecordsetModel(QObject *parent = nullptr);

    void setRecordset(Recordset *rs);  // null unbinds: no rows, no columns
    Recordset *recordset() const { return m_rs; }

    // Designed columns (field, caption); an empty list makes the columns follow the recordset's fields.
    void setBoundColumns(const QStringList &fields, const QStringList &captions = {});
    bool hasBoundColumns() const { return m_designed; }
    const Column &column(int c) const { return m_columns.at(c); }
    Column &column(int c) { return m_columns[c]; }
    void setColumnCaption(int c, const QString &caption);
    void setColumnField(int c, const QString &field);

    void setAllowUpdate(bool allow) { m_allowUpdate = allow; }
    // True while rows are being inserted, removed or replaced: current-index changes the view
    // makes then are its own housekeeping, not a user's choice of row.
    bool isChangingRows() const { return m_changingRows; }
    bool allowUpdate() const { return m_allowUpdate; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void writeFailed(int number, const QString &description);  // a cell edit the database refused
    void columnsRebuilt();                                      // columns replaced: layout to re-apply

private:
    void onReset();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void resolveColumns();
    bool fieldsChanged() const;

    QPointer<Recordset> m_rs;
    QList<Column> m_columns;
    QStringList m_fieldNames;  // the recordset's fields when the columns were last built
    bool m_designed = false;
    bool m_allowUpdate = false;
    bool m_changingRows = false;
    int m_rows = 0;
    QList<QMetaObject::Connection> m_links;
};

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    // Binding; null unbinds (the grid shows nothing).
    void setRecordset(Recordset *rs);
    Recordset *recordset() const;
    RecordsetModel *recordsetModel() const { return m_model; }

    void setBoundColumns(const QStringList &fields, const QStringList &captions = {});
    int columnCount() const;
    QString columnField(int column) const;
    void setColumnField(int column, const QString &field);
    QString columnCaption(int column) const;
    void setColumnCaption(int column, const QString &caption);
    int columnWidthTwips(int column) const;     // the width shown; 0 when hidden
    void setColumnWidthTwips(int column, int twips);  // 0 hides the column, as a zero width did
    bool isColumnVisible(int column) const;
    void setColumnVisible(int column, bool visible);
    void setColumnButton(int column, bool button);  // a button in the current cell; a click emits buttonClick
    bool hasColumnButton(int column) const;

    void setAllowUpdate(bool allow);
    bool allowUpdate() const;
    // A click on a column header puts the rows in that column's order (again: the other way round),
    // for lists whose order is not fixed.
    void setSortable(bool sortable);

    int currentColumn() const;
    void setCurrentColumn(int column);
    int rowHeightTwips() const;
    int columnLeftTwips(int column) const;  // left edge of the column within the grid
    QRect cellButtonRect(int row, int column) const;  // in viewport coordinates; empty when none shows

signals:
    void error(int number, const QString &description);  // a refused cell edit or move; shown when unconnected
    void buttonClick(int column);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool viewportEvent(QEvent *event) override;

private:
    void applyColumnLayout();
    void followRecordset(int row);
    void report(int number, const QString &description);

    RecordsetModel *m_model;
    bool m_syncing = false;
    bool m_applying = false;
    QList<QMetaObject::Connection> m_links;
    QMetaObject::Connection m_sortLink;
};
