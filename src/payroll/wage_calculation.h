// ModGzjs: the wage calculation of one month by the formulas of the wage dictionary.
#pragma once

#include "dictionary/wage_formulas.h"
#include "platform/db/db_error.h"

#include <QString>
#include <optional>

class Connection;

namespace ModGzjs {

// "f0='<month>'": the rows of the month.
QString MonthCondition(const QString &month);
// "update rsgz set <column>=<formula> where f0='<month>'[ and (<condition>)]"
QString CalcStatement(const ModGzgs::FormulaItem &item, const QString &month);

// The items in runs, each computed by one update, in order: an item runs after every earlier item
// that sets a column it reads or sets its own column, and no earlier than an earlier item that reads
// its column, so every item sees exactly the values it would see computed one after another.
// Throws DbError when a formula or condition is not one expression of its kind (nothing has run).
QList<QList<ModGzgs::FormulaItem>> FuseItems(const QList<ModGzgs::FormulaItem> &items);
// "update rsgz set <c1>=<f1>, <c2>=IIf((<condition>), (<f2>), <c2>) where f0='<month>'"
QString FusedStatement(const QList<ModGzgs::FormulaItem> &run, const QString &month);

// The item whose statement the database refused, with the database's error.
struct CalcFailure {
    ModGzgs::FormulaItem item;
    DbError error;
};

// How the month is computed: one update per run of items (the default), or one per item.
enum class CalcMode { Fused, ItemByItem };

// Computes the month by the items in dictionary order, each seeing the items before it, all in one
// transaction. A formula or condition that is not one expression of its kind is refused before
// anything runs; on a refused statement everything is rolled back and the failure names the item
// (a refused run is tried again item by item to find it); the month is then exactly as it was.
// statements receives the number of updates that ran.
std::optional<CalcFailure> CalculateMonth(Connection &cn, const QString &month, int *statements = nullptr,
                                          CalcMode mode = CalcMode::Fused);

// The message naming the refused item, its formula and condition, and the database's text.
QString CalcFailureMessage(const CalcFailure &failure);

} // namespace ModGzjs
