// Wage item formulas: reading the items to compute, and checking formulas and conditions against rsgz.
#include "dictionary/wage_formulas.h"

#include "app/sql_text.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"

#include <QSet>

namespace {

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c.unicode() > 0x7f; }
bool isNamePart(QChar c) { return isNameStart(c) || c.isDigit(); }

// Words of SQL itself, which read no column.
const QSet<QString> &sqlWords()
{
    static const QSet<QString> words{QStringLiteral("and"),  QStringLiteral("or"),   QStringLiteral("not"),
                                     QStringLiteral("null"), QStringLiteral("is"),   QStringLiteral("like"),
                                     QStringLiteral("between"), QStringLiteral("in"), QStringLiteral("case"),
                                     QStringLiteral("when"), QStringLiteral("then"), QStringLiteral("else"),
                                     QStringLiteral("end"),  QStringLiteral("true"), QStringLiteral("false"),
                                     QStringLiteral("mod"),  QStringLiteral("as"),   QStringLiteral("escape")};
    return words;
}

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
    QStringList names;
    auto add = [&names](const QString &name) {
        if (name.isEmpty() || sqlWords().contains(name.toLower()))
            return;
        for (const QString &n : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return;
        names << name;
    };
    const int n = int(expression.size());
    int i = 0;
    while (i < n) {
        const QChar c = expression.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text; a doubled quote stays inside it.
            ++i;
            while (i < n) {
                if (expression.at(i) == c) {
                    if (i + 1 < n && expression.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == QLatin1Char('[')) {
            const int close = int(expression.indexOf(QLatin1Char(']'), i + 1));
            const int end = close < 0 ? n : close;
            add(expression.mid(i + 1, end - i - 1).trimmed());
            i = end + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && expression.at(i + 1).isDigit())) {
            while (i < n && (isNamePart(expression.at(i)) || expression.at(i) == QLatin1Char('.')))
                ++i;
        } else if (isNameStart(c)) {
            const int start = i;
            while (i < n && isNamePart(expression.at(i)))
                ++i;
            int j = i;
            while (j < n && expression.at(j).isSpace())
                ++j;
            if (j >= n || expression.at(j) != QLatin1Char('('))
                add(expression.mid(start, i - start));
        } else {
            ++i;
        }
    }
    return names;
}

QList<FormulaProblem> CheckFormulas(Connection &cn, const QString &tableCode)
{
    const QList<FormulaItem> items = ReadFormulaItems(cn, tableCode);
    const QString table = tableCode.trimmed();
    QList<FormulaProblem> problems;

    // Every statement runs inside a transaction that is rolled back: a formula is SQL as typed and
    // the check must leave the data as it found it whatever it holds.
    Transaction tx(cn);
    auto attempt = [&](const FormulaItem &item, const QString &part, const QString &text, const QString &sql) {
        try {
            cn.query(sql);
            return true;
        } catch (const DbError &e) {
            problems.append({item.colmCode, item.colmName, part, text,
                             QStringLiteral("%1（%2）").arg(e.description).arg(e.number)});
            return false;
        }
    };
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

    for (int i = 0; i < items.size(); ++i) {
        const FormulaItem &item = items.at(i);
        attempt(item, QStringLiteral("字段"), item.colmCode,
                QStringLiteral("select ") + item.colmCode + QStringLiteral(" from ") + table + QStringLiteral(" where 1=0"));
        if (attempt(item, QStringLiteral("公式"), item.formula,
                    QStringLiteral("select ") + item.formula + QStringLiteral(" from ") + table +
                        QStringLiteral(" where 1=0")))
            checkOrder(i, QStringLiteral("公式"), item.formula);
        if (item.hasCondition() &&
            attempt(item, QStringLiteral("条件"), item.condition,
                    QStringLiteral("select 1 from ") + table + QStringLiteral(" where (") + item.condition +
                        QStringLiteral(") and 1=0")))
            checkOrder(i, QStringLiteral("条件"), item.condition);
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
