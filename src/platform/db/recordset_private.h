// The recordset's inner state and small helpers, shared by its reading and its writing halves.
#pragma once

#include "platform/db/recordset.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace recordset_internal {

inline const QString kHiddenRowid = QStringLiteral("rs_hidden_rowid_");
inline const QString kRowid = QStringLiteral("rowid");

inline QString noCurrentRecordText()
{
    return QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所请求的操作要求一个当前记录。");
}

inline QString bracketed(const QString &name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

inline QString keyRef(const QString &key) { return key == kRowid ? kRowid : bracketed(key); }

inline QString stripBrackets(const QString &name)
{
    const QString t = name.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2);
    return t;
}

} // namespace recordset_internal

struct Recordset::Private {
    Connection *cn = nullptr;
    QString sql;            // as the caller gave it
    int cursorType = adOpenStatic;
    int lockType = adLockReadOnly;
    bool open = false;

    QStringList columns;          // the visible columns
    QHash<QString, int> index;    // lower-case name → visible column
    QList<QVariantList> rows;     // per row the visible values, then the hidden rowid when there is one
    int width = 0;                // values per row

    QString table;                // base table; empty when the rows cannot be written back
    QString notUpdatable;         // why not
    QStringList baseColumn;       // per visible column: the base-table column it shows, empty for expressions
    QString keyName;              // base-table column (or rowid) the rows are written back by
    int keyColumn = -1;           // its place in a row

    int cur = 0;                  // -1 before the first row, rows.size() after the last
    bool onDeleted = false;       // the cursor stands where a deleted row was
    int editMode = adEditNone;
    QVariantList original;        // the row before the pending edit
    QList<bool> dirty;            // columns set in the pending edit or new row
    int cursorBeforeAdd = 0;
    QString sortField;            // the order Sort put the rows in
    bool sortDescending = false;

    void clearRows()
    {
        columns.clear();
        index.clear();
        rows.clear();
        width = 0;
        table.clear();
        notUpdatable.clear();
        baseColumn.clear();
        keyName.clear();
        keyColumn = -1;
        cur = 0;
        onDeleted = false;
        editMode = adEditNone;
        original.clear();
        dirty.clear();
        sortField.clear();
        sortDescending = false;
    }
};
