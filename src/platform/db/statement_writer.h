// Writes the statements of the tree (select, insert, update, delete, select … into) around the
// expression writer; each backend's emitter supplies the dialect.
#pragma once

#include "platform/db/expression_writer.h"

namespace jet {

class StatementWriter : public ExpressionWriter {
public:
    using ExpressionWriter::ExpressionWriter;

    // One statement as the backend statements that do its work, in order.
    QStringList statement(const Statement &st);
    // An expression over the columns of table (empty: no table), as a value or as a condition.
    QString over(const Node &n, const QString &table, bool asCondition);

protected:
    // ---- the dialect ----------------------------------------------------------------------
    // A value going into a column through its check (acc_store_*).
    virtual QString guarded(const char *guard, const Emitted &value) = 0;
    // The name a select item without an alias is given, or empty to leave it to the backend.
    virtual QString itemName(const Node &item) const { (void)item; return {}; }
    // How ascending or descending order is written: Null sorts before every value.
    virtual QString order(bool descending) const = 0;
    // The statements that make a table from a definition in the system's SQL.
    virtual QStringList createTable(const QString &accessSql) = 0;
    // What runs after an insert that gave these columns their values (their types as found).
    virtual QStringList afterInsert(const QString &table, const QList<ColumnInfo> &given)
    {
        (void)table, (void)given;
        return {};
    }

    QString select(const Select &s, const QList<const char *> &guards = {}) override;

private:
    void addTables(Scope &s, const std::vector<TableRef> &refs);
    QString tableList(const std::vector<TableRef> &refs);
    QString distinctThroughIndex(const Select &s);
    bool sameGuardColumn(const Node &n, const char *guard) const;
    QString stored(const QList<ColumnInfo> &columns, const QString &column, const Node &valueNode);
    QStringList update(const Update &u);
    QStringList remove(const Delete &d);
    QStringList insert(const Insert &ins);
    QStringList selectInto(const Select &s);
    int subqueries = 0;
};

} // namespace jet
