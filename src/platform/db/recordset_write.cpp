// Recordset: edits of the current row, new rows and deletions written back to the base table by key.
#include "platform/db/recordset.h"
#include "platform/db/recordset_private.h"

#include <sqlite3.h>

using namespace recordset_internal;

void Recordset::setValue(const QString &field, const QVariant &v)
{
    requireOpen();
    setValue(columnOrThrow(field), v);
}

void Recordset::setValue(int index, const QVariant &v)
{
    requireOpen();
    if (index < 0 || index >= d->columns.size())
        throw DbError(ErrItemNotFound, QStringLiteral("在对应所需名称或序数的集合中，未找到项目。（%1）").arg(index));
    requireWritable();
    requireCurrent();
    if (d->baseColumn.at(index).isEmpty())
        throw DbError(DbError::ProviderFailure,
                      QStringLiteral("字段“%1”不是表“%2”的列，不能更新。").arg(d->columns.at(index), d->table));
    if (d->editMode == adEditNone) {
        d->original = d->rows.at(d->cur);
        d->dirty = QList<bool>(d->width, false);
        d->editMode = adEditInProgress;
    }
    d->rows[d->cur][index] = v;
    d->dirty[index] = true;
    emit rowChanged(d->cur);
}

void Recordset::setValueAt(int row, int column, const QVariant &v)
{
    requireOpen();
    if (row < 0 || row >= d->rows.size())
        throw DbError(ErrInvalidArgument, QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    if (column < 0 || column >= d->columns.size())
        throw DbError(ErrItemNotFound, QStringLiteral("在对应所需名称或序数的集合中，未找到项目。（%1）").arg(column));
    if (d->editMode != adEditNone && row == currentRow()) {
        setValue(column, v);
        return;
    }
    requireWritable();
    if (d->baseColumn.at(column).isEmpty())
        throw DbError(DbError::ProviderFailure,
                      QStringLiteral("字段“%1”不是表“%2”的列，不能更新。").arg(d->columns.at(column), d->table));
    const QVariant key = d->rows.at(row).at(d->keyColumn);
    const int n = d->cn->execute(QStringLiteral("update ") + bracketed(d->table) + QStringLiteral(" set ")
                                     + bracketed(d->baseColumn.at(column)) + QStringLiteral("=? where ")
                                     + keyRef(d->keyName) + QStringLiteral("=?"),
                                 {v, key});
    if (n == 0)
        throw DbError(DbError::ProviderFailure, QStringLiteral("无法为更新定位行。一些值可能已在最后读取后已更改。"));
    d->rows[row][column] = v;
    rereadRow(row, d->keyName, column == d->keyColumn ? v : key);
    emit rowChanged(row);
}

void Recordset::AddNew()
{
    requireOpen();
    requireWritable();
    commitPending();
    d->cursorBeforeAdd = d->cur;
    d->rows.append(QVariantList(d->width, QVariant()));
    d->original.clear();
    d->dirty = QList<bool>(d->width, false);
    d->editMode = adEditAdd;
    const int row = int(d->rows.size()) - 1;
    emit rowInserted(row);
    setCursor(row);
}

void Recordset::Update()
{
    requireOpen();
    if (d->editMode == adEditAdd)
        writeNew();
    else if (d->editMode == adEditInProgress)
        writeEdit();
}

// Writes the columns set in the pending edit; on failure the edit stays pending.
void Recordset::writeEdit()
{
    const int row = d->cur;
    QStringList sets;
    QVariantList params;
    for (int i = 0; i < d->columns.size(); ++i) {
        if (!d->dirty.value(i))
            continue;
        sets << bracketed(d->baseColumn.at(i)) + QStringLiteral("=?");
        params << d->rows.at(row).at(i);
    }
    if (!sets.isEmpty()) {
        params << d->original.at(d->keyColumn);
        const int n = d->cn->execute(QStringLiteral("update ") + bracketed(d->table) + QStringLiteral(" set ")
                                         + sets.join(QLatin1Char(',')) + QStringLiteral(" where ")
                                         + keyRef(d->keyName) + QStringLiteral("=?"),
                                     params);
        if (n == 0)
            throw DbError(DbError::ProviderFailure,
                          QStringLiteral("无法为更新定位行。一些值可能已在最后读取后已更改。"));
    }
    d->editMode = adEditNone;
    d->original.clear();
    d->dirty.clear();
    if (!sets.isEmpty())
        rereadRow(row, d->keyName, d->rows.at(row).at(d->keyColumn));
    emit rowChanged(row);
}

// Inserts the pending new row with the columns that were set, then reads back its key and defaults.
void Recordset::writeNew()
{
    const int row = d->cur;
    QStringList names;
    QStringList marks;
    QVariantList params;
    for (int i = 0; i < d->columns.size(); ++i) {
        if (!d->dirty.value(i))
            continue;
        names << bracketed(d->baseColumn.at(i));
        marks << QStringLiteral("?");
        params << d->rows.at(row).at(i);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("insert into ") + bracketed(d->table) + QStringLiteral(" default values")
                            : QStringLiteral("insert into ") + bracketed(d->table) + QLatin1Char('(')
                                  + names.join(QLatin1Char(',')) + QStringLiteral(") values(")
                                  + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    d->cn->execute(sql, params);
    d->editMode = adEditNone;
    d->original.clear();
    const bool keySet = d->dirty.value(d->keyColumn);
    d->dirty.clear();
    if (sqlite3 *db = d->cn->sqliteHandle()) {
        const qlonglong rowid = sqlite3_last_insert_rowid(db);
        if (d->keyName == kRowid)
            d->rows[row][d->keyColumn] = rowid;
        rereadRow(row, kRowid, rowid);
    } else if (keySet) {
        rereadRow(row, d->keyName, d->rows.at(row).at(d->keyColumn));
    } else if (d->cn->postgresHandle()) {
        // the number the server gave this connection's insert, whatever other desks added meanwhile
        try {
            rereadRow(row, d->keyName, d->cn->query(QStringLiteral("select lastval()")).rows.value(0).value(0));
        } catch (const DbError &) {
            // The row is written; only its key could not be read back.
        }
    } else {
        try {
            const ResultSet last = d->cn->query(QStringLiteral("select max(") + bracketed(d->keyName)
                                                + QStringLiteral(") from ") + bracketed(d->table));
            if (!last.rows.isEmpty())
                rereadRow(row, d->keyName, last.rows.first().value(0));
        } catch (const DbError &) {
            // The row is written; only its key could not be read back.
        }
    }
    emit rowChanged(row);
}

// Refreshes a row's base-table columns from the table (key, defaults, values as stored).
void Recordset::rereadRow(int row, const QString &whereColumn, const QVariant &whereValue)
{
    ResultSet rs;
    try {
        rs = d->cn->query(QStringLiteral("select * from ") + bracketed(d->table) + QStringLiteral(" where ")
                              + keyRef(whereColumn) + QStringLiteral("=?"),
                          {whereValue});
    } catch (const DbError &) {
        return;  // the write itself succeeded; the row keeps the values it was given
    }
    if (rs.rows.isEmpty())
        return;
    QHash<QString, int> at;
    for (int i = 0; i < rs.columns.size(); ++i)
        at.insert(rs.columns.at(i).toLower(), i);
    const QVariantList &fresh = rs.rows.first();
    for (int i = 0; i < d->columns.size(); ++i) {
        if (d->baseColumn.at(i).isEmpty())
            continue;
        const int j = at.value(d->baseColumn.at(i).toLower(), -1);
        if (j >= 0)
            d->rows[row][i] = fresh.at(j);
    }
}

void Recordset::CancelUpdate()
{
    requireOpen();
    if (d->editMode == adEditInProgress) {
        d->rows[d->cur] = d->original;
        d->editMode = adEditNone;
        d->original.clear();
        d->dirty.clear();
        emit rowChanged(d->cur);
    } else if (d->editMode == adEditAdd) {
        const int row = int(d->rows.size()) - 1;
        d->rows.removeAt(row);
        d->editMode = adEditNone;
        d->dirty.clear();
        emit rowRemoved(row);
        setCursor(qMin(d->cursorBeforeAdd, int(d->rows.size())));
    }
}

void Recordset::Delete()
{
    requireOpen();
    requireWritable();
    if (d->editMode == adEditAdd) {
        CancelUpdate();
        return;
    }
    requireCurrent();
    const int row = d->cur;
    const QVariant key = d->editMode == adEditInProgress ? d->original.at(d->keyColumn) : d->rows.at(row).at(d->keyColumn);
    d->cn->execute(QStringLiteral("delete from ") + bracketed(d->table) + QStringLiteral(" where ")
                       + keyRef(d->keyName) + QStringLiteral("=?"),
                   {key});
    d->editMode = adEditNone;
    d->original.clear();
    d->dirty.clear();
    d->rows.removeAt(row);
    d->onDeleted = true;
    emit rowRemoved(row);
    emit moved(-1);
}

int Recordset::EditMode() const { return d->editMode; }

bool Recordset::isDirty(int column) const { return d->dirty.value(column); }

bool Recordset::hasChanges() const
{
    if (!d->open || d->editMode == adEditNone || d->cur < 0 || d->cur >= d->rows.size())
        return false;
    const QVariantList &row = d->rows.at(d->cur);
    for (int c = 0; c < d->columns.size(); ++c) {
        if (!d->dirty.value(c))
            continue;
        const QVariant now = row.value(c);
        if (d->editMode == adEditAdd) {
            if (!now.isNull())
                return true;
            continue;
        }
        const QVariant before = d->original.value(c);
        if (now.isNull() != before.isNull() || now.toString() != before.toString())
            return true;
    }
    return false;
}

void Recordset::commitPending()
{
    if (d->editMode != adEditNone)
        Update();
}
