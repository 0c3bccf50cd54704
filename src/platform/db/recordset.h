// Recordset: a client-side snapshot with a cursor, written back to its one base table by key.
#pragma once

#include "platform/db/connection.h"

#include <QObject>
#include <memory>

class Recordset : public QObject {
    Q_OBJECT
public:
    enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
    enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
    enum EditMode { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
    // What AbsolutePosition gives when the cursor is on no row.
    enum Position { adPosBOF = -1, adPosUnknown = -2, adPosEOF = -3 };

    // Numbers of the recordset's own failures (the old data-access layer's numbers).
    static constexpr int ErrInvalidArgument = 3001;  // bad criterion, position out of range
    static constexpr int ErrItemNotFound = 3265;     // no field of that name or index
    static constexpr int ErrObjectClosed = 3704;     // the recordset is not open

    explicit Recordset(QObject *parent = nullptr);
    ~Recordset() override;

    // Runs the query and keeps all its rows; the cursor is on the first row (or BOF and EOF when empty).
    // Opening an open recordset closes it first.
    void Open(const QString &sql, Connection &cn, int cursorType = adOpenStatic, int lockType = adLockReadOnly);
    void Close();  // a pending edit or new row is dropped
    bool isOpen() const;
    void Requery();  // runs the same query again; the cursor goes to the first row

    bool bof() const;  // before the first row (also when empty)
    bool eof() const;  // after the last row (also when empty)
    int RecordCount() const;
    int AbsolutePosition() const;  // 1-based; adPosBOF (-1) / adPosEOF (-3); adPosUnknown just after Delete
    void setAbsolutePosition(int position);
    int currentRow() const;        // 0-based row index, -1 when on no row

    // Moves; moving past BOF or EOF raises DbError 3021. A pending edit or new row is written
    // first (as the old recordsets did on leaving a row); if that fails the cursor stays.
    // After Delete the cursor stands where the deleted row was: MoveNext goes to the row that
    // followed it, MovePrevious to the row before it.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    // Searches forward from the current row (inclusive) for "field op value" (op: = <> < > <= >= like;
    // value: 'text' with '' for a quote, #date#, or a number). Not found: the cursor is at EOF.
    bool Find(const QString &criterion);

    // Puts the rows in the order of one field (Null first, numbers by value, texts as the Chinese
    // locale orders them), rows of equal value keeping their order; the current row stays current.
    // A pending edit is written first. The order holds until the next Open or Requery.
    void Sort(const QString &field, bool descending = false);
    QString sortField() const;  // the field of the last Sort, empty when the rows are as queried
    bool sortDescending() const;

    // Fields of the current row, by name (case-insensitive) or index; no current row raises 3021.
    int fieldCount() const;
    QString fieldName(int index) const;
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const;  // -1 when there is no such field; [brackets] allowed
    QVariant value(const QString &field) const;
    QVariant value(int index) const;
    void setValue(const QString &field, const QVariant &v);  // starts an edit of the current row
    void setValue(int index, const QVariant &v);

    // Any row without moving the cursor (for grids).
    QVariant valueAt(int row, int column) const;
    // Every row's values as they are now (the visible fields first), shared until either side
    // changes: a copy that costs nothing however many rows there are.
    QList<QVariantList> rowValues() const;
    // Writes through at once (a grid edit); on the row of a pending edit or new row it joins that edit.
    void setValueAt(int row, int column, const QVariant &v);

    void AddNew();        // a new row at the end becomes current, in adEditAdd
    void Update();        // writes the pending edit or new row back to the base table
    void CancelUpdate();  // drops the pending edit or new row
    void Delete();        // deletes the current row from the base table and the snapshot
    int EditMode() const;
    bool isDirty(int column) const;  // the column was set in the pending edit or new row
    // The pending edit changed a value of its row (compared as text), or the pending new row holds a
    // value: something Update would write that the table does not hold yet.
    bool hasChanges() const;

    QString source() const;     // the SQL text it was opened with
    QString baseTable() const;  // the single table of the query, empty when not updatable
    QString keyField() const;   // the column rows are written back by (may be SQLite's hidden rowid)
    bool canUpdate() const;     // updatable query and a lock type that allows writing
    int lockType() const;
    int cursorType() const;
    Connection *activeConnection() const;

signals:
    void reset();                     // opened, requeried or closed: all rows replaced
    void moved(int row);              // the current row changed (-1: none)
    void rowChanged(int row);         // a row's values changed
    void rowInserted(int row);        // a row was added (AddNew)
    void rowRemoved(int row);         // a row was deleted or a pending new row cancelled

private:
    void requireOpen() const;
    void requireCurrent() const;
    void requireWritable() const;
    void commitPending();
    void setCursor(int row);
    void fetch();
    void writeEdit();
    void writeNew();
    void rereadRow(int row, const QString &whereColumn, const QVariant &whereValue);
    int columnOrThrow(const QString &field) const;

    struct Private;
    std::unique_ptr<Private> d;
};
