// ModGzjs: builds one update statement per formula item and runs them over a month in one transaction.
#include "payroll/wage_calculation.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_codes.h"
#include "platform/db/connection.h"

namespace ModGzjs {

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

std::optional<CalcFailure> CalculateMonth(Connection &cn, const QString &month, int *statements)
{
    if (statements)
        *statements = 0;
    const QList<ModGzgs::FormulaItem> items = ModGzgs::ReadFormulaItems(cn, DictCodes::kWageTable);
    Transaction tx(cn);
    for (const ModGzgs::FormulaItem &item : items) {
        try {
            cn.execute(CalcStatement(item, month));
        } catch (const DbError &e) {
            return CalcFailure{item, e};  // the guard rolls the month back
        }
        if (statements)
            ++*statements;
    }
    tx.commit();
    return std::nullopt;
}

QString CalcFailureMessage(const CalcFailure &failure)
{
    const ModGzgs::FormulaItem &item = failure.item;
    QString text = QStringLiteral("工资项目“%1”（%2）计算出错，本月工资没有任何改动。\n公式：%3")
                       .arg(item.colmName, item.colmCode, item.formula);
    text += QStringLiteral("\n条件：") + (item.hasCondition() ? item.condition : QStringLiteral("（无）"));
    text += QStringLiteral("\n数据库错误：%1（%2）").arg(failure.error.description).arg(failure.error.number);
    return text;
}

} // namespace ModGzjs
