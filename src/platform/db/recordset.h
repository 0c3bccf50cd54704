// Recordset: a client-side snapshot with a cursor, written back to its one base table by key.
#pragma once

#include "platform/db/connection.h"

#include <QObject>

class Recordset : public QObject {
    Q_OBJECT
public:
    enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
    enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
    enum EditMode { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };

    explicit Recordset(QObject *parent = nullptr);
    ~Recordset() override;

    // Runs the query and keeps all its rows; the cursor is on the first row (or BOF and EOF when empty).
    void Open(const QString &sql, Connection &cn, int cursorType = adOpenStatic, int lockType = adLockReadOnly);
    void Close();
    bool isOpen() const;
    void Requery();  // runs the same query again; the cursor goes to the first row

    bool bof() const;  // before the first row (also when empty)
    bool eof() const;  // after the last row (also when empty)
    int RecordCount() const;
    int AbsolutePosition() const;  // 1-based; -1 (BOF) / -3 (EOF) as the old recordsets gave
    void setAbsolutePosition(int position);
    int currentRow() const;        // 0-based row index, -1 when on no row

    // Moves; moving past BOF or EOF raises DbError 3021.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    // Searches forward from the current row (inclusive) for "field op value" (op: = <> < > <= >= like;
    // value: 'text' with '' for a quote, #date#, or a number). Not found: the cursor is at EOF.
    bool Find(const QString &criterion);

    // Fields of the current row, by name (case-insensitive) or index; no current row raises 3021.
    int fieldCount() const;
    QString fieldName(int index) const;
    int fieldIndex(const QString &name) const;  // -1 when there is no such field
    QVariant value(const QString &field) const;
    QVariant value(int index) const;
    void setValue(const QString &field, const QVariant &v);  // starts an edit of the current row

    // Any row without moving the cursor (for grids).
    QVariant valueAt(int row, int column) const;
    void setValueAt(int row, int column, const QVariant &v);  // writes through at once (a grid edit)

    void AddNew();        // a new row at the end becomes current, in adEditAdd
    void Update();        // writes the pending edit or new row back to the base table
    void CancelUpdate();  // drops the pending edit or new row
    void Delete();        // deletes the current row from the base table and the snapshot
    int EditMode() const;

    QString source() const;     // the SQL text it was opened with
    QString baseTable() const;  // the single table of the query, empty when not updatable
    Connection *activeConnection() const;

signals:
    void reset();                     // opened, requeried or closed: all rows replaced
    void moved(int row);              // the current row changed (-1: none)
    void rowChanged(int row);         // a row's values changed
    void rowInserted(int row);        // a row was added (AddNew)
    void rowRemoved(int row);         // a row was deleted or a pending new row cancelled

private:
    struct Private;
    std::unique_ptr<Private> d;
};
