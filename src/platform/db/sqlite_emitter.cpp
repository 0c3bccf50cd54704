// The SQLite emitter: statements of the tree written as SQLite SQL around the expression writer.
#include "platform/db/sqlite_emitter.h"

#include "platform/db/sqlite_expression_writer.h"

namespace jet {

namespace {
QString ident(const QString &name) { return sqliteName(name); }
} // namespace

struct SqliteEmitter::Impl : SqliteExpressionWriter {
    using SqliteExpressionWriter::SqliteExpressionWriter;

    // ---- statements ---------------------------------------------------------------------
    void addTables(Scope &s, const std::vector<TableRef> &refs)
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

    QString tableList(const std::vector<TableRef> &refs)
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
                sql += ident(r.name);
            if (r.function) {
                QStringList args;
                for (const NodePtr &a : r.args)
                    args << value(*a);
                sql += QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
            }
            if (!r.alias.isEmpty())
                sql += QStringLiteral(" AS ") + ident(r.alias);
            if (r.on)
                sql += QStringLiteral(" ON ") + condition(*r.on);
        }
        return sql;
    }

    // "select X [as a] from T group by X [order by X]" over a column that leads an index: the
    // distinct values are read through the index one at a time (a skip scan) instead of grouping
    // every row of the table. Gives the same rows, a Null group included.
    QString distinctThroughIndex(const Select &s)
    {
        if (s.from.size() != 1 || s.from[0].name.isEmpty() || s.where || s.having || s.next || s.distinct || s.top
            || s.limit || s.items.size() != 1 || s.groupBy.size() != 1 || s.orderBy.size() > 1)
            return {};
        const Node &item = *s.items[0].expr, &group = *s.groupBy[0];
        auto isColumn = [&](const Node &n) {
            return n.kind == NodeKind::Column && n.text.compare(item.text, Qt::CaseInsensitive) == 0
                && (n.qualifier.isEmpty() || n.qualifier.compare(s.from[0].alias.isEmpty() ? s.from[0].name : s.from[0].alias,
                                                                 Qt::CaseInsensitive) == 0);
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
        const QString x = ident(column->name), t = ident(s.from[0].name);
        const QString alias = ident(s.items[0].alias.isEmpty() ? column->name : s.items[0].alias);
        return QStringLiteral("WITH RECURSIVE skip(v) AS (SELECT min(%1) FROM %2 UNION ALL SELECT (SELECT min(%1) FROM %2 "
                              "WHERE %1 > skip.v) FROM skip WHERE skip.v IS NOT NULL) "
                              "SELECT NULL AS %3 WHERE EXISTS (SELECT 1 FROM %2 WHERE %1 IS NULL) "
                              "UNION ALL SELECT v FROM skip WHERE v IS NOT NULL ORDER BY 1")
            .arg(x, t, alias);
    }

    // guards: per item, the store guard of the column the item goes into (insert … select).
    QString select(const Select &s, const QList<const char *> &guards = {})
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
            QString v = value(*item.expr);
            if (int(i) < guards.size() && guards.at(int(i)) && !sameGuardColumn(*item.expr, guards.at(int(i))))
                v = QLatin1String(guards.at(int(i))) + QLatin1Char('(') + v + QLatin1Char(')');
            if (!item.alias.isEmpty())
                v += QStringLiteral(" AS ") + ident(item.alias);
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
                o << value(*item.expr) + (item.descending ? QStringLiteral(" DESC") : QString());
            sql += QStringLiteral(" ORDER BY ") + o.join(QStringLiteral(", "));
        }
        if (s.top)
            sql += QStringLiteral(" LIMIT ") + value(*s.top);
        else if (s.limit)
            sql += QStringLiteral(" LIMIT ") + value(*s.limit)
                   + (s.offset ? QStringLiteral(" OFFSET ") + value(*s.offset) : QString());
        scope = saved;
        return sql;
    }

    // A column whose values were stored through the same check: they go back in unchanged.
    bool sameGuardColumn(const Node &n, const char *guard) const
    {
        if (n.kind != NodeKind::Column)
            return false;
        const ColumnInfo *c = findColumn(n);
        const char *own = c ? storeGuard(c->declaredType) : nullptr;
        return own && qstrcmp(own, guard) == 0;
    }

    // A value going into a column: checked and converted as the column's type requires.
    QString stored(const QList<ColumnInfo> &columns, const QString &column, const Node &valueNode)
    {
        const Emitted e = gen(valueNode);
        const QString v = asValue(e);
        for (const ColumnInfo &c : columns) {
            if (c.name.compare(column, Qt::CaseInsensitive) != 0)
                continue;
            const char *guard = storeGuard(c.declaredType);
            if (!guard || e.type == ValueType::Null || sameGuardColumn(valueNode, guard))
                return v;
            const ValueType target = columnValueType(c.declaredType);
            if ((target == ValueType::Text && e.type == ValueType::Text) || (target == ValueType::Date && e.type == ValueType::Date))
                return v;
            // a date going into a number column goes in as its day number
            const QString value = target == ValueType::Number && e.type == ValueType::Date
                                      ? QStringLiteral("acc_date_serial(") + v + QLatin1Char(')')
                                      : v;
            return QLatin1String(guard) + QLatin1Char('(') + value + QLatin1Char(')');
        }
        return v;
    }

    QStringList update(const Update &u)
    {
        Scope local;
        const QList<ColumnInfo> columns = columnsOf(u.table);
        local.entries.push_back({u.alias.isEmpty() ? u.table : u.alias, columns});
        scope = &local;
        QStringList sets;
        for (const Assignment &a : u.sets)
            sets << ident(a.column) + QStringLiteral(" = ") + stored(columns, a.column, *a.value);
        QString sql = QStringLiteral("UPDATE ") + ident(u.table) + (u.alias.isEmpty() ? QString() : QStringLiteral(" AS ") + ident(u.alias))
                      + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
        if (u.where)
            sql += QStringLiteral(" WHERE ") + condition(*u.where);
        scope = nullptr;
        return {sql};
    }

    QStringList remove(const Delete &d)
    {
        Scope local;
        local.entries.push_back({d.table, columnsOf(d.table)});
        scope = &local;
        QString sql = QStringLiteral("DELETE FROM ") + ident(d.table);
        if (d.where)
            sql += QStringLiteral(" WHERE ") + condition(*d.where);
        scope = nullptr;
        return {sql};
    }

    QStringList insert(const Insert &ins)
    {
        const QList<ColumnInfo> columns = columnsOf(ins.table);
        QStringList targets = ins.columns;
        if (targets.isEmpty())
            for (const ColumnInfo &c : columns)
                targets << c.name;
        QString sql = QStringLiteral("INSERT INTO ") + ident(ins.table);
        if (!ins.columns.isEmpty()) {
            QStringList names;
            for (const QString &c : ins.columns)
                names << ident(c);
            sql += QStringLiteral(" (") + names.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        if (ins.defaultValues)
            return {sql + QStringLiteral(" DEFAULT VALUES")};
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
            return {sql};
        }
        QStringList rows;
        for (const std::vector<NodePtr> &row : ins.rows) {
            QStringList values;
            for (size_t i = 0; i < row.size(); ++i)
                values << (int(i) < targets.size() ? stored(columns, targets.at(int(i)), *row[i]) : value(*row[i]));
            rows << QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        scope = nullptr;
        return {sql + QStringLiteral(" VALUES ") + rows.join(QLatin1Char(','))};
    }

    QStringList selectInto(const Select &s);

    // An expression over the columns of one table (or none).
    QString over(const Node &n, const QString &table, bool asCondition)
    {
        Scope s;
        if (!table.isEmpty())
            s.entries.push_back({table, columnsOf(table)});
        scope = &s;
        const QString sql = asCondition ? condition(n) : value(n);
        scope = nullptr;
        return sql;
    }
};

SqliteEmitter::SqliteEmitter(SchemaLookup schema) : d(std::make_unique<Impl>(std::move(schema))) {}

SqliteEmitter::~SqliteEmitter() = default;

QString SqliteEmitter::value(const Node &n, const QString &table) { return d->over(n, table, false); }

QString SqliteEmitter::condition(const Node &n, const QString &table) { return d->over(n, table, true); }

QStringList SqliteEmitter::statement(const Statement &st)
{
    switch (st.kind) {
    case StatementKind::Select:
        if (!st.select->into.isEmpty())
            return d->selectInto(*st.select);
        return {d->select(*st.select)};
    case StatementKind::Insert:
        return d->insert(*st.insert);
    case StatementKind::Update:
        return d->update(*st.update);
    case StatementKind::Delete:
        return d->remove(*st.del);
    }
    return {};
}

// select … into T: a new table with the source columns' definitions (an auto-numbered key stays
// auto-numbered), filled by insert … select.
QStringList SqliteEmitter::Impl::selectInto(const Select &s)
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
        const QString name = !item.alias.isEmpty() ? item.alias
                             : found             ? found->name
                             : e.kind == NodeKind::Column ? e.text
                                                          : QStringLiteral("Expr%1").arg(expressionNumber++);
        defs.append({name, found ? found->declaredType : QString(), found && found->autoIncrement});
    }
    QStringList columnDefs, names;
    bool keyUsed = false;
    for (const Def &def : defs) {
        QString text = ident(def.name);
        if (def.autoIncrement && !keyUsed) {
            text += QStringLiteral(" counter");
            keyUsed = true;
        } else if (!def.type.isEmpty()) {
            text += QLatin1Char(' ') + def.type;
        }
        columnDefs << text;
        names << ident(def.name);
    }
    const QStringList create = translateAccessSql(
        QStringLiteral("create table %1 (%2)").arg(ident(s.into), columnDefs.join(QStringLiteral(", "))), nullptr);
    return create + QStringList{QStringLiteral("INSERT INTO %1 (%2) ").arg(ident(s.into), names.join(QLatin1Char(','))) + select(s)};
}

} // namespace jet
