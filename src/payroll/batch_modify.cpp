// Batch modification of wages: the condition builder and the update statement.
#include "payroll/batch_modify.h"

#include "app/sql_dialect.h"
#include "app/sql_text.h"
#include "payroll/month_lock.h"
#include "platform/db/connection.h"
#include "platform/db/jet_parser.h"

#include <QRegularExpression>

namespace ModPlxg {

QString ItemDictSql()
{
    return QStringLiteral("select * from rs_codedict where table_code='") + QStringLiteral("rsgz")
           + QStringLiteral("' and can_show='1'  order by xh");
}

const WageItem *FindItem(const QList<WageItem> &items, const QString &caption)
{
    const QString wanted = caption.trimmed();
    for (const WageItem &item : items)
        if (item.name == wanted)
            return &item;
    return nullptr;
}

QString TypeClass(const QString &colmType)
{
    const QString t = colmType.trimmed().toUpper();
    if (t == QLatin1String("DATE") || t == QLatin1String("DATETIME"))
        return QStringLiteral("DATETIME");
    if (t == QLatin1String("NUME"))
        return QStringLiteral("NUME");
    return QStringLiteral("STR");
}

const QStringList &Operators()
{
    static const QStringList ops{QStringLiteral("<"),  QStringLiteral("<="),   QStringLiteral(">"),
                                 QStringLiteral(">="), QStringLiteral("="),    QStringLiteral("like"),
                                 QStringLiteral("<>")};
    return ops;
}

const QStringList &ConnectorCaptions()
{
    static const QStringList captions{QStringLiteral("并且"), QStringLiteral("或者")};
    return captions;
}

QString ConnectorFor(const QString &caption)
{
    return caption == QLatin1String("并且") ? QStringLiteral("and") : QStringLiteral("or");
}

bool ParseDateText(const QString &text, QDateTime *out)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{4})\\s*(?:([-/.])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})|年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?)"
        "(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    const int year = m.captured(1).toInt();
    const bool separated = !m.captured(2).isEmpty();
    const int month = (separated ? m.captured(3) : m.captured(5)).toInt();
    const int day = (separated ? m.captured(4) : m.captured(6)).toInt();
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    QTime time(0, 0, 0);
    if (!m.captured(7).isEmpty()) {
        time = QTime(m.captured(7).toInt(), m.captured(8).toInt(), m.captured(9).toInt());
        if (!time.isValid())
            return false;
    }
    if (out)
        *out = QDateTime(date, time);
    return true;
}

namespace {

// A text that is already one quoted SQL text: '…' with every inner quote doubled.
bool isQuotedText(const QString &v)
{
    if (v.size() < 2 || !v.startsWith(QLatin1Char('\'')) || !v.endsWith(QLatin1Char('\'')))
        return false;
    QString inner = v.mid(1, v.size() - 2);
    inner.remove(QLatin1String("''"));
    return !inner.contains(QLatin1Char('\''));
}

// A text that is already a date literal of the connected database.
bool isDateLiteral(const QString &v)
{
    const QString probe = ModGetDAte::DateLiteral(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    const QChar delim = probe.isEmpty() ? QChar(u'#') : probe.front();
    if (v.size() < 3 || v.front() != delim || v.back() != delim)
        return false;
    return ParseDateText(v.mid(1, v.size() - 2), nullptr);
}

} // namespace

ConditionResult BuildCondition(const QList<WageItem> &items, const QList<ConditionRow> &rows,
                               const QStringList &connectors)
{
    ConditionResult r;
    for (const ConditionRow &row : rows)
        r.values << row.value;
    QString &c = r.condition;
    for (int i = 0; i < rows.size() && i < kConditionRows; ++i) {
        QString v = rows[i].value;
        if (v.isEmpty())
            continue;
        const WageItem *item = FindItem(items, rows[i].item);
        if (!item)
            throw DbError(DbError::NoCurrentRecord,
                          QStringLiteral("找不到项目“%1”").arg(rows[i].item.trimmed()));
        const QString type = item->type.trimmed().toUpper();
        if (type == QLatin1String("CHAR") || type == QLatin1String("TEXT") || type == QLatin1String("TXT")) {
            if (!isQuotedText(v))
                v = QLatin1Char('\'') + SqlQuote(v) + QLatin1Char('\'');
        } else if (type == QLatin1String("DATE") || type == QLatin1String("DATETIME")) {
            if (!isDateLiteral(v)) {
                QDateTime when;
                if (!ParseDateText(v, &when)) {
                    r.ok = false;
                    r.failedRow = i;
                    r.message = QStringLiteral("日期输入错误");
                    return r;
                }
                v = ModGetDAte::DateLiteral(when);
            }
        } else if (type == QLatin1String("NUME")) {
            if (!IsPlainNumber(v)) {
                r.ok = false;
                r.failedRow = i;
                r.message = QStringLiteral("请输入数字");
                return r;
            }
        }
        r.values[i] = v;

        const QString &k = item->code;
        const QString &o = rows[i].op;
        const bool like = o == QLatin1String("like");
        const QString clause = like ? k + QLatin1Char(' ') + o + QLatin1Char(' ') + v : k + o + v;
        if (c.isEmpty()) {
            c = clause;
        } else {
            const QString j = i - 1 < connectors.size() ? connectors[i - 1] : QStringLiteral("and");
            c += QLatin1Char(' ') + j + QLatin1Char(' ') + clause;
        }
    }
    return r;
}

QString BatchUpdateSql(const QString &columnCode, const QString &newValue, const QString &condition)
{
    // The new value is one value and the condition one condition: neither can close the statement's
    // brackets, add a second statement or comment the rest out.
    jet::checkUserExpression(newValue, jet::ExpressionKind::Value);
    if (!condition.isEmpty())
        jet::checkUserExpression(condition, jet::ExpressionKind::Condition);
    QString sql = QStringLiteral("update rsgz set ") + columnCode + QLatin1Char('=') + newValue;
    if (!condition.isEmpty())
        sql += QStringLiteral(" where ") + condition;
    return sql;
}

int RunBatchModify(Connection &cn, const QString &columnCode, const QString &newValue, const QString &condition)
{
    // All rows or none: a value that fails on one row leaves every row as it was.
    const QString sql = BatchUpdateSql(columnCode, newValue, condition);
    Transaction tx(cn);
    ModGzLock::LockMonths(cn, ModGzLock::MonthsWhere(cn, condition));
    const int changed = cn.execute(sql);
    tx.commit();
    return changed;
}

QString DoneMessage(int changed)
{
    return QStringLiteral("数据修改完成！共修改了 %1 条工资记录。").arg(changed);
}

} // namespace ModPlxg
