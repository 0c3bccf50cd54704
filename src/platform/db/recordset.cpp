// Recordset: rows fetched whole, a cursor over them, and edits written back to the base table by key.
#include "platform/db/recordset.h"

#include "platform/db/find_criterion.h"
#include "platform/db/select_shape.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>

namespace {

const QString kHiddenRowid = QStringLiteral("rs_hidden_rowid_");
const QString kRowid = QStringLiteral("rowid");

QString noCurrentRecordText()
{
    return QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所请求的操作要求一个当前记录。");
}

QString bracketed(const QString &name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

QString keyRef(const QString &key) { return key == kRowid ? kRowid : bracketed(key); }

QString stripBrackets(const QString &name)
{
    const QString t = name.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2);
    return t;
}

} // namespace

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

Recordset::Recordset(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}

Recordset::~Recordset() = default;

void Recordset::Open(const QString &sql, Connection &cn, int cursorType, int lockType)
{
    if (d->open)
        Close();
    d->cn = &cn;
    d->sql = sql;
    d->cursorType = cursorType;
    d->lockType = lockType;
    fetch();
    d->open = true;
    d->cur = 0;
    emit reset();
    emit moved(currentRow());
}

// Runs the query and works out the base table and the key the rows are written back by.
void Recordset::fetch()
{
    Connection &cn = *d->cn;
    const SelectShape shape = analyseSelect(d->sql);
    ResultSet rs;
    bool hidden = false;
    if (shape.updatable && cn.sqliteHandle()) {
        // SQLite's rowid rides along as a hidden last column, in case the rows have no key of their own.
        try {
            rs = cn.query(withExtraColumn(d->sql, shape, kRowid, kHiddenRowid));
            hidden = !rs.columns.isEmpty() && rs.columns.last() == kHiddenRowid;
        } catch (const DbError &) {
            rs = cn.query(d->sql);  // a view or a table without rowid: the plain query (its own error, if any)
        }
    } else {
        rs = cn.query(d->sql);
    }
    d->clearRows();
    d->columns = rs.columns;
    if (hidden)
        d->columns.removeLast();
    d->width = int(rs.columns.size());
    for (int i = int(d->columns.size()) - 1; i >= 0; --i)
        d->index.insert(d->columns.at(i).toLower(), i);
    d->rows = std::move(rs.rows);
    d->baseColumn = QStringList(d->columns.size(), QString());

    if (!shape.updatable) {
        d->notUpdatable = shape.reason;
        return;
    }
    QList<ColumnInfo> tableColumns;
    try {
        tableColumns = cn.columns(shape.table);
    } catch (const DbError &) {
        // The rows are read; without the table's columns they just cannot be written back.
    }
    if (tableColumns.isEmpty()) {
        d->notUpdatable = QStringLiteral("找不到表“%1”的列").arg(shape.table);
        return;
    }
    QHash<QString, QString> byLower;
    QString primaryKey, uniqueKey;
    int primaryCount = 0;
    for (const ColumnInfo &c : tableColumns) {
        byLower.insert(c.name.toLower(), c.name);
        if (c.primaryKey) {
            primaryKey = c.name;
            ++primaryCount;
        }
        if (c.unique && uniqueKey.isEmpty())
            uniqueKey = c.name;
    }
    for (int i = 0; i < d->columns.size(); ++i)
        d->baseColumn[i] = byLower.value(d->columns.at(i).toLower());
    const int idColumn = d->index.value(QStringLiteral("id"), -1);
    const int pkColumn = primaryCount == 1 ? d->index.value(primaryKey.toLower(), -1) : -1;
    if (idColumn >= 0 && !d->baseColumn.at(idColumn).isEmpty()) {
        d->keyName = d->baseColumn.at(idColumn);
        d->keyColumn = idColumn;
    } else if (pkColumn >= 0 && !d->baseColumn.at(pkColumn).isEmpty()) {
        d->keyName = d->baseColumn.at(pkColumn);
        d->keyColumn = pkColumn;
    } else if (hidden) {
        d->keyName = kRowid;
        d->keyColumn = d->width - 1;
    } else if (const int uniqueColumn = d->index.value(uniqueKey.toLower(), -1);
               !uniqueKey.isEmpty() && uniqueColumn >= 0) {
        // a server's table without a key and without SQLite's rowid: a column of unique values
        d->keyName = uniqueKey;
        d->keyColumn = uniqueColumn;
    } else {
        d->notUpdatable = QStringLiteral("查询结果中没有可定位行的键列");
        return;
    }
    d->table = shape.table;
}

void Recordset::Close()
{
    if (!d->open)
        return;
    d->clearRows();
    d->open = false;
    emit reset();
    emit moved(-1);
}

bool Recordset::isOpen() const { return d->open; }

void Recordset::Requery()
{
    requireOpen();
    commitPending();
    fetch();
    d->cur = 0;
    emit reset();
    emit moved(currentRow());
}

bool Recordset::bof() const { return !d->open || (!d->onDeleted && (d->rows.isEmpty() || d->cur < 0)); }

bool Recordset::eof() const
{
    return !d->open || (!d->onDeleted && (d->rows.isEmpty() || d->cur >= d->rows.size()));
}

int Recordset::RecordCount() const { return d->open ? int(d->rows.size()) : 0; }

int Recordset::AbsolutePosition() const
{
    if (!d->open || d->onDeleted)
        return adPosUnknown;
    if (d->rows.isEmpty() || d->cur < 0)
        return adPosBOF;
    if (d->cur >= d->rows.size())
        return adPosEOF;
    return d->cur + 1;
}

void Recordset::setAbsolutePosition(int position)
{
    requireOpen();
    commitPending();
    if (position < 1 || position > d->rows.size())
        throw DbError(ErrInvalidArgument,
                      QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    setCursor(position - 1);
}

int Recordset::currentRow() const
{
    if (!d->open || d->onDeleted || d->cur < 0 || d->cur >= d->rows.size())
        return -1;
    return d->cur;
}

void Recordset::setCursor(int row)
{
    d->cur = row;
    d->onDeleted = false;
    emit moved(currentRow());
}

void Recordset::MoveFirst()
{
    requireOpen();
    commitPending();
    if (d->rows.isEmpty())
        throw DbError(DbError::NoCurrentRecord, noCurrentRecordText());
    setCursor(0);
}

void Recordset::MoveLast()
{
    requireOpen();
    commitPending();
    if (d->rows.isEmpty())
        throw DbError(DbError::NoCurrentRecord, noCurrentRecordText());
    setCursor(int(d->rows.size()) - 1);
}

void Recordset::MoveNext()
{
    requireOpen();
    commitPending();
    if (d->onDeleted) {
        setCursor(d->cur);  // the row that followed the deleted one sits at its index now
        return;
    }
    if (eof())
        throw DbError(DbError::NoCurrentRecord, noCurrentRecordText());
    setCursor(d->cur + 1);
}

void Recordset::MovePrevious()
{
    requireOpen();
    commitPending();
    if (d->onDeleted) {
        setCursor(d->cur - 1);
        return;
    }
    if (bof())
        throw DbError(DbError::NoCurrentRecord, noCurrentRecordText());
    setCursor(d->cur - 1);
}

bool Recordset::Find(const QString &criterion)
{
    requireOpen();
    const FindCriterion c = FindCriterion::parse(criterion);
    const int column = columnOrThrow(c.field());
    commitPending();
    const int start = d->cur < 0 ? 0 : d->cur;
    for (int r = start; r < d->rows.size(); ++r) {
        if (c.matches(d->rows.at(r).at(column))) {
            setCursor(r);
            return true;
        }
    }
    setCursor(int(d->rows.size()));
    return false;
}

int Recordset::fieldCount() const { return int(d->columns.size()); }

QString Recordset::fieldName(int index) const { return d->columns.value(index); }

QStringList Recordset::fieldNames() const { return d->columns; }

int Recordset::fieldIndex(const QString &name) const
{
    return d->index.value(stripBrackets(name).toLower(), -1);
}

int Recordset::columnOrThrow(const QString &field) const
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw DbError(ErrItemNotFound, QStringLiteral("在对应所需名称或序数的集合中，未找到项目。（%1）").arg(field));
    return i;
}

QVariant Recordset::value(const QString &field) const
{
    requireOpen();
    const int column = columnOrThrow(field);
    requireCurrent();
    return d->rows.at(d->cur).at(column);
}

QVariant Recordset::value(int index) const
{
    requireOpen();
    if (index < 0 || index >= d->columns.size())
        throw DbError(ErrItemNotFound, QStringLiteral("在对应所需名称或序数的集合中，未找到项目。（%1）").arg(index));
    requireCurrent();
    return d->rows.at(d->cur).at(index);
}

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

QVariant Recordset::valueAt(int row, int column) const
{
    if (!d->open || row < 0 || row >= d->rows.size() || column < 0 || column >= d->columns.size())
        return {};
    return d->rows.at(row).at(column);
}

QList<QVariantList> Recordset::rowValues() const { return d->open ? d->rows : QList<QVariantList>(); }

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

QString Recordset::source() const { return d->sql; }

QString Recordset::baseTable() const { return d->table; }

QString Recordset::keyField() const { return d->keyName; }

bool Recordset::canUpdate() const { return d->open && !d->table.isEmpty() && d->lockType != adLockReadOnly; }

int Recordset::lockType() const { return d->lockType; }

int Recordset::cursorType() const { return d->cursorType; }

Connection *Recordset::activeConnection() const { return d->open ? d->cn : nullptr; }

void Recordset::requireOpen() const
{
    if (!d->open)
        throw DbError(ErrObjectClosed, QStringLiteral("对象关闭时，不允许操作。"));
}

void Recordset::requireCurrent() const
{
    if (currentRow() < 0)
        throw DbError(DbError::NoCurrentRecord, noCurrentRecordText());
}

void Recordset::requireWritable() const
{
    if (d->lockType == adLockReadOnly)
        throw DbError(DbError::ProviderFailure,
                      QStringLiteral("记录集以只读方式打开，不能更新。这可能是提供程序的限制，也可能是选定锁定类型的限制。"));
    if (d->table.isEmpty())
        throw DbError(DbError::ProviderFailure,
                      QStringLiteral("记录集不能更新：%1。").arg(d->notUpdatable));
}

void Recordset::commitPending()
{
    if (d->editMode != adEditNone)
        Update();
}

void Recordset::Sort(const QString &field, bool descending)
{
    requireOpen();
    commitPending();
    const int c = columnOrThrow(field);
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    const auto compare = [&](const QVariant &a, const QVariant &b) {
        if (a.isNull() != b.isNull())
            return a.isNull() ? -1 : 1;
        if (a.isNull())
            return 0;
        const bool numbers = a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString;
        if (numbers)
            return a.toDouble() < b.toDouble() ? -1 : (b.toDouble() < a.toDouble() ? 1 : 0);
        return collator.compare(a.toString(), b.toString());
    };
    QList<int> order(d->rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = compare(d->rows.at(a).at(c), d->rows.at(b).at(c));
        return descending ? r > 0 : r < 0;
    });
    QList<QVariantList> rows;
    rows.reserve(d->rows.size());
    int cur = d->cur;
    for (int i = 0; i < order.size(); ++i) {
        rows.append(d->rows.at(order.at(i)));
        if (order.at(i) == d->cur && !d->onDeleted)
            cur = i;
    }
    d->rows = std::move(rows);
    d->cur = cur;
    d->sortField = fieldName(c);
    d->sortDescending = descending;
    emit reset();
    emit moved(currentRow());
}

QString Recordset::sortField() const { return d->sortField; }

bool Recordset::sortDescending() const { return d->sortDescending; }
