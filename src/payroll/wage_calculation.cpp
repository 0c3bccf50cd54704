// ModGzjs: runs the month's calculation: the items' formulas as updates of the month's rows, in
// dictionary order, in one transaction.
#include "payroll/wage_calculation.h"

#include "app/sql_text.h"
#include "payroll/month_lock.h"
#include "dictionary/dictionary_codes.h"
#include "platform/db/connection.h"
#include "platform/db/jet_parser.h"

namespace ModGzjs {

namespace {

// The columns an item reads (its formula and its condition), lower case.
QStringList columnsRead(const ModGzgs::FormulaItem &item)
{
    QStringList read;
    auto add = [&read](const QString &text, jet::ExpressionKind kind) {
        for (const QString &c : jet::namesIn(*jet::checkUserExpression(text, kind)).columns)
            read << c.toLower();
    };
    add(item.formula, jet::ExpressionKind::Value);
    if (item.hasCondition())
        add(item.condition, jet::ExpressionKind::Condition);
    return read;
}

std::optional<CalcFailure> runItems(Connection &cn, const QList<ModGzgs::FormulaItem> &items, const QString &month,
                                    int *statements)
{
    for (const ModGzgs::FormulaItem &item : items) {
        try {
            cn.execute(CalcStatement(item, month));
        } catch (const DbError &e) {
            return CalcFailure{item, e};
        }
        if (statements)
            ++*statements;
    }
    return std::nullopt;
}

} // namespace

QString MonthCondition(const QString &month) { return QStringLiteral("f0='") + SqlQuote(month) + QLatin1Char('\''); }

QString CalcStatement(const ModGzgs::FormulaItem &item, const QString &month)
{
    QString where = MonthCondition(month);
    // The condition is bracketed so that an "or" inside it cannot reach rows of other months.
    if (item.hasCondition())
        where += QStringLiteral(" and (") + item.condition + QLatin1Char(')');
    return QStringLiteral("update rsgz set ") + item.colmCode + QLatin1Char('=') + item.formula +
           QStringLiteral(" where ") + where;
}

QList<QList<ModGzgs::FormulaItem>> FuseItems(const QList<ModGzgs::FormulaItem> &items)
{
    // Each item's level is the first update that can compute it with the values it would see one
    // after another: after every earlier item that sets a column it reads or sets its own column,
    // and not before an earlier item that reads its column (an update reads the values it had).
    QList<int> level;
    QList<QStringList> reads;
    QStringList targets;
    int levels = 0;
    for (const ModGzgs::FormulaItem &item : items) {
        const QStringList read = columnsRead(item);
        const QString target = item.colmCode.trimmed().toLower();
        int l = 0;
        for (int j = 0; j < targets.size(); ++j) {
            if (read.contains(targets.at(j)) || targets.at(j) == target)
                l = std::max(l, level.at(j) + 1);
            else if (reads.at(j).contains(target))
                l = std::max(l, level.at(j));
        }
        level << l;
        reads << read;
        targets << target;
        levels = std::max(levels, l + 1);
    }
    QList<QList<ModGzgs::FormulaItem>> runs(levels);
    for (int i = 0; i < items.size(); ++i)
        runs[level.at(i)].append(items.at(i));
    return runs;
}

QString FusedStatement(const QList<ModGzgs::FormulaItem> &run, const QString &month)
{
    QStringList sets;
    for (const ModGzgs::FormulaItem &item : run) {
        const QString value = item.hasCondition()
                                  ? QStringLiteral("IIf((%1), (%2), %3)").arg(item.condition, item.formula, item.colmCode)
                                  : item.formula;
        sets << item.colmCode + QLatin1Char('=') + value;
    }
    return QStringLiteral("update rsgz set ") + sets.join(QStringLiteral(", ")) + QStringLiteral(" where ") +
           MonthCondition(month);
}

std::optional<CalcFailure> CalculateMonth(Connection &cn, const QString &month, int *statements, CalcMode mode)
{
    if (statements)
        *statements = 0;
    const QList<ModGzgs::FormulaItem> items = ModGzgs::ReadFormulaItems(cn, DictCodes::kWageTable);
    // Every formula and condition must be one expression of its kind before anything runs.
    for (const ModGzgs::FormulaItem &item : items) {
        try {
            columnsRead(item);
        } catch (const DbError &e) {
            return CalcFailure{item, e};
        }
    }
    Transaction tx(cn);
    try {
        ModGzLock::LockMonths(cn, {month});
    } catch (const DbError &e) {
        return CalcFailure{items.value(0), e};
    }
    if (mode == CalcMode::ItemByItem) {
        if (auto failure = runItems(cn, items, month, statements))
            return failure;  // the guard rolls the month back
        tx.commit();
        return std::nullopt;
    }
    for (const QList<ModGzgs::FormulaItem> &run : FuseItems(items)) {
        try {
            Transaction runTx(cn);
            cn.execute(run.size() == 1 ? CalcStatement(run.first(), month) : FusedStatement(run, month));
            runTx.commit();
        } catch (const DbError &e) {
            // Which item was refused: the run again, item by item, inside the same transaction.
            if (auto failure = runItems(cn, run, month, nullptr))
                return failure;
            return CalcFailure{run.first(), e};
        }
        if (statements)
            ++*statements;
    }
    tx.commit();
    return std::nullopt;
}

QString CalcFailureMessage(const CalcFailure &failure)
{
    // A database held by another program or a file that cannot be written is no fault of a formula.
    if (failure.error.fromSurroundings())
        return failure.error.description + QStringLiteral("\n本月工资没有任何改动。");
    const ModGzgs::FormulaItem &item = failure.item;
    QString text = QStringLiteral("工资项目“%1”（%2）计算出错，本月工资没有任何改动。\n公式：%3")
                       .arg(item.colmName, item.colmCode, item.formula);
    text += QStringLiteral("\n条件：") + (item.hasCondition() ? item.condition : QStringLiteral("（无）"));
    text += QStringLiteral("\n数据库错误：%1（%2）").arg(failure.error.description).arg(failure.error.number);
    return text;
}

} // namespace ModGzjs
