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

// The columns an expression reads, in order of first appearance, each once (compared without
// case); empty when the text is not an expression.
QStringList NamesRead(const QString &expression);

// One problem found by the check.
struct FormulaProblem {
    QString colmCode;
    QString colmName;
    QString part;     // "公式", "条件" or "字段"
    QString text;     // the formula, condition or column as written
    QString message;  // the database's message, or the order problem
};

// Checks every item without running anything: its target column, and its formula and condition
// parsed as one expression of their kind, with known functions and columns of the wage table; and
// flags formulas or conditions that read a column computed later in dictionary order (they would
// see its previous value).
QList<FormulaProblem> CheckFormulas(Connection &cn, const QString &tableCode);
// The text shown to the user: every problem, or that all items are fine.
QString FormulaCheckReport(const QList<FormulaProblem> &problems);

} // namespace ModGzgs
