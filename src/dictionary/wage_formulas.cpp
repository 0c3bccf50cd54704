// Wage item formulas: reading the items to compute, and checking formulas and conditions against rsgz.
#include "dictionary/wage_formulas.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"
#include "platform/db/jet_parser.h"


namespace {

int indexOfItem(const QList<ModGzgs::FormulaItem> &items, const QString &column)
{
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).colmCode.trimmed().compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

namespace ModGzgs {

QString FormulaItemsSql(const QString &tableCode)
{
    return QStringLiteral("select * from rs_codedict where table_code='") + SqlQuote(tableCode) +
           QStringLiteral("' and can_show='1' ") + QStringLiteral(" and ( hzgs is not null) order by xh");
}

QList<FormulaItem> ReadFormulaItems(Connection &cn, const QString &tableCode)
{
    QList<FormulaItem> items;
    for (const DictRow &row : ModDict::ReadDictRows(cn, FormulaItemsSql(tableCode))) {
        FormulaItem item;
        item.xh = row.xh;
        item.colmCode = row.colmCode.trimmed();
        item.colmName = row.colmName;
        item.formula = row.hzgs.toString().trimmed();
        item.condition = row.hztj.isNull() ? QString() : row.hztj.toString();
        if (!item.formula.isEmpty())
            items.append(item);
    }
    return items;
}

QStringList NamesRead(const QString &expression)
{
    try {
        return jet::namesIn(*jet::parseExpression(expression)).columns;
    } catch (const DbError &) {
        return {};
    }
}

QList<FormulaProblem> CheckFormulas(Connection &cn, const QString &tableCode)
{
    const QList<FormulaItem> items = ReadFormulaItems(cn, tableCode);
    QStringList columns;
    for (const ColumnInfo &c : cn.columns(tableCode.trimmed()))
        columns << c.name.toLower();
    QList<FormulaProblem> problems;

    auto checkOrder = [&](int index, const QString &part, const QString &text) {
        for (const QString &name : NamesRead(text)) {
            const int other = indexOfItem(items, name);
            if (other > index) {
                const FormulaItem &later = items.at(other);
                problems.append({items.at(index).colmCode, items.at(index).colmName, part, text,
                                 QStringLiteral("读取的 %1（%2）在本项之后才计算，计算时读到的是它原来的值")
                                     .arg(later.colmCode, later.colmName)});
            }
        }
    };
    // Nothing runs: each text is parsed, its functions and the columns it names are looked up.
    auto check = [&](int index, const QString &part, const QString &text, jet::ExpressionKind kind) {
        const FormulaItem &item = items.at(index);
        try {
            const jet::NodePtr tree = jet::checkUserExpression(text, kind);
            bool known = true;
            for (const QString &name : jet::namesIn(*tree).columns) {
                if (!columns.contains(name.toLower())) {
                    problems.append({item.colmCode, item.colmName, part, text, QStringLiteral("找不到字段“%1”").arg(name)});
                    known = false;
                }
            }
            if (known)
                checkOrder(index, part, text);
        } catch (const DbError &e) {
            problems.append({item.colmCode, item.colmName, part, text, e.description});
        }
    };

    for (int i = 0; i < items.size(); ++i) {
        const FormulaItem &item = items.at(i);
        if (!columns.contains(item.colmCode.toLower()))
            problems.append({item.colmCode, item.colmName, QStringLiteral("字段"), item.colmCode,
                             QStringLiteral("找不到字段“%1”").arg(item.colmCode)});
        check(i, QStringLiteral("公式"), item.formula, jet::ExpressionKind::Value);
        if (item.hasCondition())
            check(i, QStringLiteral("条件"), item.condition, jet::ExpressionKind::Condition);
    }
    return problems;
}

QString FormulaCheckReport(const QList<FormulaProblem> &problems)
{
    if (problems.isEmpty())
        return QStringLiteral("所有使用中的工资项目的公式和条件都正确。");
    QString text = QStringLiteral("以下工资项目的公式或条件有问题（共 %1 处）：").arg(problems.size());
    for (const FormulaProblem &p : problems)
        text += QStringLiteral("\n%1（%2）%3“%4”：%5").arg(p.colmCode, p.colmName, p.part, p.text, p.message);
    return text;
}

} // namespace ModGzgs
