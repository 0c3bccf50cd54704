// Dictionary-driven field routines shared by the record editors (Modkrda, ModbtHelp): locking,
// filling from a record, checking input against the dictionary, update lists and grid captions.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

class Connection;
class DataGrid;
class KeyedToolBar;
class QEvent;
class QPushButton;
class QLineEdit;
class QObject;
class Recordset;

// What the routines need of one input box: the column it edits, its text and its tag (the type code).
struct FieldBoxValue {
    QString dataField;
    QString text;
    QString tag;
};

// ---- Modkrda ----

// The column list of the last BuildUpdateSetList ("[f1]='A01',[T1]=1200"); empty before the first call.
extern QString strUpdateSet;

// What is wrong with one value against its dictionary row (type code, length, caption, nullbj):
// nothing (nullopt), the field's message, or an empty text for a type code the fields do not take.
std::optional<QString> FieldValueProblem(const QString &type, int length, const QString &value, const QString &caption,
                                         const QVariant &nullbj);

// Checks one value against its dictionary row (type code, length, caption, nullbj). Shows the
// field's message (OK, exclamation icon) and answers false when it is not acceptable; an unknown
// type code ("MON", "BFL", "DATATEIM", ...) is refused without a message.
bool CheckFieldValue(const QString &type, int length, const QString &value, const QString &caption,
                     const QVariant &nullbj);

// Checks the boxes in order against the personnel dictionary (dh_codedict) of table code `code`;
// stops at the first refusal, so at most one message is shown. A box whose column has no
// dictionary row has nothing to be checked against and passes.
bool CheckPersonnelFields(Connection &cn, const QString &code, const QList<FieldBoxValue> &boxes);

// Builds strUpdateSet from the non-empty boxes (text types and dates quoted, quotes doubled;
// other types bare) and sets each empty box's column to Null on row `id` at once, one statement
// per box. Callers that go on to write the update run both in one transaction.
void BuildUpdateSetList(Connection &cn, const QList<FieldBoxValue> &boxes, const QString &table, qint64 id);

// Widget forms used by the editors: each box carries its column (a BoundLineEdit's data field, else
// the "dataField" property) and its type code in the "tag" property.
QString boxDataField(const QLineEdit *box);
void setBoxDataField(QLineEdit *box, const QString &field);
QString boxTag(const QLineEdit *box);
void setBoxTag(QLineEdit *box, const QString &tag);
QList<FieldBoxValue> fieldBoxValues(const QList<QLineEdit *> &boxes);

// Sets every box read-only (locked) or editable.
void LockFields(const QList<QLineEdit *> &boxes, int count, bool locked);
// Copies the current row of rs into the boxes (Null gives ""); at BOF or EOF nothing changes.
void FillFieldsFromRecord(const QList<QLineEdit *> &boxes, int count, const Recordset &rs);
bool CheckPersonnelFields(const QString &code, const QList<QLineEdit *> &boxes);  // on cnMain
void BuildUpdateSetList(const QList<QLineEdit *> &boxes, int count, const QString &table, qint64 id);  // on cnMain

// ---- ModbtHelp ----

// Caption and width (twips) of one grid column; width 0 hides it.
struct GridColumnCaption {
    bool found = false;  // the column's field has a dictionary row
    QString caption;
    int width = 0;
};

// The captions and widths the wage dictionary (rs_codedict) gives grid columns bound to `fields`:
// colm_name and colm_width × 100 twips (1400 when Null); a field without a row gets width 0.
// Empty when the dictionary has no row for `code` (the grid is then left as it is).
std::optional<QList<GridColumnCaption>> GridCaptionsFor(Connection &cn, const QString &code,
                                                       const QStringList &fields);

// Sets the captions and widths of the grid's columns from the wage dictionary of `code`: every
// column first hidden, then those whose field has a row shown. An empty dictionary changes nothing.
void SetGridCaptions(DataGrid *grid, const QString &code);  // on cnMain

// The editors' four move buttons (0 first, 1 previous, 2 next, 3 last) on `rs`: moves stop at the
// first and last row instead of running off either end, and setButtons(back, forward) is told
// which directions remain. With fewer than two rows nothing moves.
void MoveByButton(Recordset &rs, int index, const std::function<void(bool back, bool forward)> &setButtons);

// The editors' delete: asks "确认删除当前记录" (OK/Cancel); on OK deletes the current row and moves
// to the next one, or to the last when the deleted row was the last.
void DeleteCurrentRecord(Recordset &rs);

// The editors' find: searches forward from the current row for employee number `number` (f1);
// when none is found says "未查到数据!" and moves to the last row.
void FindEmployeeNumber(Recordset &rs, const QString &number);

// Keys of the editors' input boxes: Enter moves to the next box (after the last, to the first),
// and box 2 is upper-cased when an editable one loses the focus. True when the event was used.
bool HandleFieldBoxEvent(const QList<QLineEdit *> &boxes, QObject *watched, QEvent *event);

// The editors' move buttons: first and previous follow `back`, next and last follow `forward`.
void SetMoveButtons(QPushButton *const (&buttons)[4], bool back, bool forward);

// The editors' toolbar: browsing enables the commands and disables save and cancel; editing the reverse.
void SetEditorToolbar(KeyedToolBar &toolbar, bool browsing);
