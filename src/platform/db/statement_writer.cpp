// The statement writer: select, insert, update, delete and select … into over the expression writer.
#include "platform/db/statement_writer.h"

namespace jet {

void StatementWriter::addTables(Scope &s, const std::vector<TableRef> &refs)
{
    for (const TableRef &r : refs) {
        if (!r.nested.empty()) {
            addTables(s, r.nested);
        } else if (r.function) {
            s.entries.push_back({r.alias.isEmpty() ? r.name : r.alias, {}});
        } else if (!r.name.isEmpty()) {
            s.entries.push_back({r.alias.isEmpty() ? r.name : r.alias, columnsOf(r.name)});
        } else if (r.subquery) {
            s.entries.push_back({r.alias, {}});
        }
    }
}

QString StatementWriter::tableList(const std::vector<TableRef> &refs)
{
    QString sql;
    for (const TableRef &r : refs) {
        switch (r.join) {
        case JoinKind::First: break;
        case JoinKind::Comma: sql += QStringLiteral(", "); break;
        case JoinKind::Inner: sql += QStringLiteral(" INNER JOIN "); break;
        case JoinKind::Left: sql += QStringLiteral(" LEFT JOIN "); break;
        case JoinKind::Right: sql += QStringLiteral(" RIGHT JOIN "); break;
        case JoinKind::Cross: sql += QStringLiteral(" CROSS JOIN "); break;
        }
        if (!r.nested.empty())
            sql += QLatin1Char('(') + tableList(r.nested) + QLatin1Char(')');
        else if (r.subquery)
            sql += QLatin1Char('(') + select(*r.subquery) + QLatin1Char(')');
        else
            sql += name(r.name);
        if (r.function) {
            QStringList args;
            for (const NodePtr &a : r.args)
                args << value(*a);
            sql += QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        if (!r.alias.isEmpty())
            sql += QStringLiteral(" AS ") + name(r.alias);
        else if (r.subquery)
            sql += QStringLiteral(" AS ") + name(QStringLiteral("subquery%1").arg(++subqueries));  // PostgreSQL needs a name
        if (r.on)
            sql += QStringLiteral(" ON ") + condition(*r.on);
    }
    return sql;
}

// "select X [as a] from T group by X [order by X]" over a column that leads an index: the
// distinct values are read through the index one at a time (a skip scan) instead of grouping
// every row of the table. Gives the same rows, a Null group included.
QString StatementWriter::distinctThroughIndex(const Select &s)
{
    if (s.from.size() != 1 || s.from[0].name.isEmpty() || s.where || s.having || s.next || s.distinct || s.top
        || s.limit || s.items.size() != 1 || s.groupBy.size() != 1 || s.orderBy.size() > 1)
        return {};
    const Node &item = *s.items[0].expr, &group = *s.groupBy[0];
    auto isColumn = [&](const Node &n) {
        return n.kind == NodeKind::Column && n.text.compare(item.text, Qt::CaseInsensitive) == 0
            && (n.qualifier.isEmpty()
                || n.qualifier.compare(s.from[0].alias.isEmpty() ? s.from[0].name : s.from[0].alias, Qt::CaseInsensitive) == 0);
    };
    if (!isColumn(item) || !isColumn(group) || (!s.orderBy.empty() && (!isColumn(*s.orderBy[0].expr) || s.orderBy[0].descending)))
        return {};
    const QList<ColumnInfo> columns = columnsOf(s.from[0].name);
    const ColumnInfo *column = nullptr;
    for (const ColumnInfo &c : columns)
        if (c.name.compare(item.text, Qt::CaseInsensitive) == 0)
            column = &c;
    if (!column || !column->leadsIndex)
        return {};
    const QString x = name(column->name), t = name(s.from[0].name);
    const QString alias = name(s.items[0].alias.isEmpty() ? column->name : s.items[0].alias);
    return QStringLiteral("WITH RECURSIVE skip(v) AS (SELECT min(%1) FROM %2 UNION ALL SELECT (SELECT min(%1) FROM %2 "
                          "WHERE %1 > skip.v) FROM skip WHERE skip.v IS NOT NULL) "
                          "SELECT NULL AS %3 WHERE EXISTS (SELECT 1 FROM %2 WHERE %1 IS NULL) "
                          "UNION ALL SELECT v FROM skip WHERE v IS NOT NULL ORDER BY 1%4")
        .arg(x, t, alias, order(false));
}

// guards: per item, the store guard of the column the item goes into (insert … select).
QString StatementWriter::select(const Select &s, const QList<const char *> &guards)
{
    if (!scope && guards.isEmpty()) {
        const QString skip = distinctThroughIndex(s);
        if (!skip.isEmpty())
            return skip;
    }
    Scope local;
    local.parent = scope;
    addTables(local, s.from);
    const Scope *saved = scope;
    scope = &local;
    QString sql = QStringLiteral("SELECT ");
    if (s.distinct)
        sql += QStringLiteral("DISTINCT ");
    QStringList items;
    for (size_t i = 0; i < s.items.size(); ++i) {
        const SelectItem &item = s.items[i];
        const Emitted e = gen(*item.expr);
        QString v = asValue(e);
        if (int(i) < guards.size() && guards.at(int(i)) && !sameGuardColumn(*item.expr, guards.at(int(i))))
            v = guarded(guards.at(int(i)), e);
        const QString alias = item.alias.isEmpty() ? itemName(*item.expr) : item.alias;
        if (!alias.isEmpty())
            v += QStringLiteral(" AS ") + name(alias);
        items << v;
    }
    sql += items.join(QStringLiteral(", "));
    if (!s.from.empty())
        sql += QStringLiteral(" FROM ") + tableList(s.from);
    if (s.where)
        sql += QStringLiteral(" WHERE ") + condition(*s.where);
    if (!s.groupBy.empty()) {
        QStringList g;
        for (const NodePtr &e : s.groupBy)
            g << value(*e);
        sql += QStringLiteral(" GROUP BY ") + g.join(QStringLiteral(", "));
    }
    if (s.having)
        sql += QStringLiteral(" HAVING ") + condition(*s.having);
    if (s.next)
        sql += QLatin1Char(' ') + s.compound.toUpper() + QLatin1Char(' ') + select(*s.next);
    if (!s.orderBy.empty()) {
        QStringList o;
        for (const OrderItem &item : s.orderBy)
            o << value(*item.expr) + order(item.descending);
        sql += QStringLiteral(" ORDER BY ") + o.join(QStringLiteral(", "));
    }
    if (s.top)
        sql += QStringLiteral(" LIMIT ") + value(*s.top);
    else if (s.limit)
        sql += QStringLiteral(" LIMIT ") + value(*s.limit) + (s.offset ? QStringLiteral(" OFFSET ") + value(*s.offset) : QString());
    scope = saved;
    return sql;
}

// A column whose values were stored through the same check: they go back in unchanged.
bool StatementWriter::sameGuardColumn(const Node &n, const char *guard) const
{
    if (n.kind != NodeKind::Column)
        return false;
    const ColumnInfo *c = findColumn(n);
    const char *own = c ? storeGuard(c->declaredType) : nullptr;
    return own && qstrcmp(own, guard) == 0;
}

// A value going into a column: checked and converted as the column's type requires.
QString StatementWriter::stored(const QList<ColumnInfo> &columns, const QString &column, const Node &valueNode)
{
    const Emitted e = gen(valueNode);
    for (const ColumnInfo &c : columns) {
        if (c.name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const char *guard = storeGuard(c.declaredType);
        if (!guard || e.type == ValueType::Null || sameGuardColumn(valueNode, guard))
            return asValue(e);
        const ValueType target = columnValueType(c.declaredType);
        if ((target == ValueType::Text && e.type == ValueType::Text) || (target == ValueType::Date && e.type == ValueType::Date))
            return asValue(e);
        // a date going into a number column goes in as its day number
        if (target == ValueType::Number && e.type == ValueType::Date)
            return guarded(guard, call("acc_date_serial", {{e, ArgKind::Date}}, ValueType::Number));
        return guarded(guard, e);
    }
    return asValue(e);
}

QStringList StatementWriter::update(const Update &u)
{
    Scope local;
    const QList<ColumnInfo> columns = columnsOf(u.table);
    local.entries.push_back({u.alias.isEmpty() ? u.table : u.alias, columns});
    scope = &local;
    QStringList sets;
    for (const Assignment &a : u.sets)
        sets << name(a.column) + QStringLiteral(" = ") + stored(columns, a.column, *a.value);
    QString sql = QStringLiteral("UPDATE ") + name(u.table) + (u.alias.isEmpty() ? QString() : QStringLiteral(" AS ") + name(u.alias))
                  + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
    if (u.where)
        sql += QStringLiteral(" WHERE ") + condition(*u.where);
    scope = nullptr;
    return {sql};
}

QStringList StatementWriter::remove(const Delete &d)
{
    Scope local;
    local.entries.push_back({d.table, columnsOf(d.table)});
    scope = &local;
    QString sql = QStringLiteral("DELETE FROM ") + name(d.table);
    if (d.where)
        sql += QStringLiteral(" WHERE ") + condition(*d.where);
    scope = nullptr;
    return {sql};
}

QStringList StatementWriter::insert(const Insert &ins)
{
    const QList<ColumnInfo> columns = columnsOf(ins.table);
    QStringList targets = ins.columns;
    if (targets.isEmpty())
        for (const ColumnInfo &c : columns)
            targets << c.name;
    QString sql = QStringLiteral("INSERT INTO ") + name(ins.table);
    if (!ins.columns.isEmpty()) {
        QStringList names;
        for (const QString &c : ins.columns)
            names << name(c);
        sql += QStringLiteral(" (") + names.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    if (ins.defaultValues)
        return {sql + QStringLiteral(" DEFAULT VALUES")};
    QList<ColumnInfo> given;
    for (const ColumnInfo &c : columns)
        for (const QString &t : targets)
            if (c.name.compare(t, Qt::CaseInsensitive) == 0)
                given << c;
    Scope none;
    scope = &none;
    if (ins.select) {
        QList<const char *> guards;
        bool star = false;
        for (const SelectItem &item : ins.select->items)
            star = star || item.expr->kind == NodeKind::Star;
        if (!star && !ins.select->next) {
            for (int i = 0; i < targets.size(); ++i) {
                const char *g = nullptr;
                for (const ColumnInfo &c : columns)
                    if (c.name.compare(targets.at(i), Qt::CaseInsensitive) == 0)
                        g = storeGuard(c.declaredType);
                guards << g;
            }
        }
        sql += QLatin1Char(' ') + select(*ins.select, guards);
        scope = nullptr;
        return QStringList{sql} + afterInsert(ins.table, given);
    }
    QStringList rows;
    for (const std::vector<NodePtr> &row : ins.rows) {
        QStringList values;
        for (size_t i = 0; i < row.size(); ++i)
            values << (int(i) < targets.size() ? stored(columns, targets.at(int(i)), *row[i]) : value(*row[i]));
        rows << QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    scope = nullptr;
    return QStringList{sql + QStringLiteral(" VALUES ") + rows.join(QLatin1Char(','))} + afterInsert(ins.table, given);
}

QString StatementWriter::over(const Node &n, const QString &table, bool asCondition)
{
    Scope s;
    if (!table.isEmpty())
        s.entries.push_back({table, columnsOf(table)});
    scope = &s;
    const QString sql = asCondition ? condition(n) : value(n);
    scope = nullptr;
    return sql;
}

QStringList StatementWriter::statement(const Statement &st)
{
    switch (st.kind) {
    case StatementKind::Select:
        if (!st.select->into.isEmpty())
            return selectInto(*st.select);
        return {select(*st.select)};
    case StatementKind::Insert:
        return insert(*st.insert);
    case StatementKind::Update:
        return update(*st.update);
    case StatementKind::Delete:
        return remove(*st.del);
    }
    return {};
}

// select … into T: a new table with the source columns' definitions (an auto-numbered key stays
// auto-numbered), filled by insert … select.
QStringList StatementWriter::selectInto(const Select &s)
{
    struct Def {
        QString name;
        QString type;
        bool autoIncrement = false;
    };
    QList<Def> defs;
    QList<ColumnInfo> sourceColumns;
    QString source, alias;
    const bool single = s.from.size() == 1 && !s.from[0].name.isEmpty() && !s.next;
    if (single) {
        source = s.from[0].name;
        alias = s.from[0].alias;
        sourceColumns = columnsOf(source);
    }
    int expressionNumber = 1000;
    for (const SelectItem &item : s.items) {
        const Node &e = *item.expr;
        if (e.kind == NodeKind::Star) {
            for (const ColumnInfo &c : sourceColumns)
                defs.append({c.name, c.declaredType, c.autoIncrement});
            continue;
        }
        const ColumnInfo *found = nullptr;
        if (e.kind == NodeKind::Column)
            for (const ColumnInfo &c : sourceColumns)
                if (c.name.compare(e.text, Qt::CaseInsensitive) == 0)
                    found = &c;
        const QString column = !item.alias.isEmpty()        ? item.alias
                               : found                      ? found->name
                               : e.kind == NodeKind::Column ? e.text
                                                            : QStringLiteral("Expr%1").arg(expressionNumber++);
        defs.append({column, found ? found->declaredType : QString(), found && found->autoIncrement});
    }
    QStringList columnDefs, names;
    QList<ColumnInfo> keys;  // the auto-numbered key, filled with the source's numbers
    bool keyUsed = false;
    for (const Def &def : defs) {
        QString text = name(def.name);
        if (def.autoIncrement && !keyUsed) {
            text += QStringLiteral(" counter");
            keyUsed = true;
            ColumnInfo key;
            key.name = def.name;
            key.autoIncrement = true;
            keys << key;
        } else if (!def.type.isEmpty()) {
            text += QLatin1Char(' ') + def.type;
        }
        columnDefs << text;
        names << name(def.name);
    }
    const QStringList create =
        createTable(QStringLiteral("create table %1 (%2)").arg(name(s.into), columnDefs.join(QStringLiteral(", "))));
    return create + QStringList{QStringLiteral("INSERT INTO %1 (%2) ").arg(name(s.into), names.join(QLatin1Char(','))) + select(s)}
           + afterInsert(s.into, keys);
}

} // namespace jet
