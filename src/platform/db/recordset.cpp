// Recordset: rows fetched whole, a cursor over them, finding and sorting; the writing half is in recordset_write.cpp.
#include "platform/db/recordset.h"
#include "platform/db/recordset_private.h"

#include "platform/db/find_criterion.h"
#include "platform/db/select_shape.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>

using namespace recordset_internal;

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

QVariant Recordset::valueAt(int row, int column) const
{
    if (!d->open || row < 0 || row >= d->rows.size() || column < 0 || column >= d->columns.size())
        return {};
    return d->rows.at(row).at(column);
}

QList<QVariantList> Recordset::rowValues() const { return d->open ? d->rows : QList<QVariantList>(); }

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
