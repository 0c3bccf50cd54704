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

// The item whose statement the database refused, with the database's error.
struct CalcFailure {
    ModGzgs::FormulaItem item;
    DbError error;
};

// Computes the month: one update per item in dictionary order, each seeing the items before it,
// all in one transaction. On a refused statement everything is rolled back and the failure is
// returned; the month is then exactly as it was. statements receives the number of updates run.
std::optional<CalcFailure> CalculateMonth(Connection &cn, const QString &month, int *statements = nullptr);

// The message naming the refused item, its formula and condition, and the database's text.
QString CalcFailureMessage(const CalcFailure &failure);

} // namespace ModGzjs
