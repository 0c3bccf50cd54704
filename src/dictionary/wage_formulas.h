// Wage item formulas: the items computed by the calculation, and the check of their formulas and conditions.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;

namespace ModGzgs {

// One wage item in use that carries a formula.
struct FormulaItem {
    QVariant xh;
    QString colmCode;   // the column that receives the result
    QString colmName;   // caption, for messages
    QString formula;    // hzgs, leading and trailing blanks removed
    QString condition;  // hztj as written; empty or blank counts as no condition
    bool hasCondition() const { return !condition.trimmed().isEmpty(); }
};

// "select * from rs_codedict where table_code='rsgz' and can_show='1'  and ( hzgs is not null) order by xh"
QString FormulaItemsSql(const QString &tableCode);
// The items in calculation order; a formula of blank text counts as no formula.
QList<FormulaItem> ReadFormulaItems(Connection &cn, const QString &tableCode);

// The names an expression reads: identifiers and bracketed names outside quoted texts, excluding
// function names (followed by "("), in order of first appearance, each once (compared without case).
QStringList NamesRead(const QString &expression);

// One problem found by the check.
struct FormulaProblem {
    QString colmCode;
    QString colmName;
    QString part;     // "公式", "条件" or "字段"
    QString text;     // the formula, condition or column as written
    QString message;  // the database's message, or the order problem
};

// Tries every item's target column, formula and condition against the wage table without changing
// data, and flags formulas or conditions that read a column computed later in dictionary order
// (they would see its previous value).
QList<FormulaProblem> CheckFormulas(Connection &cn, const QString &tableCode);
// The text shown to the user: every problem, or that all items are fine.
QString FormulaCheckReport(const QList<FormulaProblem> &problems);

} // namespace ModGzgs
