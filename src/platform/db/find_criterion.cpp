// Parsing and matching of the criteria that Recordset::Find takes.
#include "platform/db/find_criterion.h"

#include "platform/db/db_error.h"

#include <QLocale>

namespace {

[[noreturn]] void badCriterion(const QString &criterion)
{
    throw DbError(3001, QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。")
                            + QStringLiteral("（查找条件：") + criterion + QStringLiteral("）"));
}

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool readNumber(const QString &text, double *out)
{
    bool ok = false;
    const double d = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && out)
        *out = d;
    return ok;
}

} // namespace

QDateTime parseDbDateTime(const QString &raw)
{
    const QString text = raw.trimmed();
    static const char *const formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy-M-d H:m:s",
                                          "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-M-d H:m",
                                          "yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d H:m:s", "yyyy/M/d",
                                          "M/d/yyyy H:m:s", "M/d/yyyy"};
    for (const char *f : formats) {
        const QString format = QString::fromLatin1(f);
        QDateTime dt = QDateTime::fromString(text, format);
        if (dt.isValid())
            return dt;
        if (!format.contains(QLatin1Char('H'))) {
            const QDate date = QDate::fromString(text, format);
            if (date.isValid())
                return QDateTime(date, QTime(0, 0));
        }
    }
    return {};
}

FindCriterion FindCriterion::parse(const QString &criterion)
{
    FindCriterion c;
    const QString s = criterion.trimmed();
    int i = 0;
    const int n = int(s.size());
    // The field: [a bracketed name] or a run of characters up to a blank or an operator.
    if (i < n && s.at(i) == QLatin1Char('[')) {
        const int end = int(s.indexOf(QLatin1Char(']'), i));
        if (end < 0)
            badCriterion(criterion);
        c.m_field = s.mid(i + 1, end - i - 1);
        i = end + 1;
    } else {
        while (i < n && !s.at(i).isSpace() && s.at(i) != QLatin1Char('=') && s.at(i) != QLatin1Char('<')
               && s.at(i) != QLatin1Char('>'))
            ++i;
        c.m_field = s.left(i);
    }
    if (c.m_field.trimmed().isEmpty())
        badCriterion(criterion);
    while (i < n && s.at(i).isSpace())
        ++i;
    // The operator.
    const QString rest = s.mid(i);
    struct OpText {
        const char *text;
        Op op;
    };
    static const OpText ops[] = {{"<=", LessEqual}, {">=", GreaterEqual}, {"<>", NotEqual}, {"=", Equal},
                                 {"<", Less},       {">", Greater}};
    bool found = false;
    for (const OpText &o : ops) {
        if (rest.startsWith(QLatin1String(o.text))) {
            c.m_op = o.op;
            i += int(qstrlen(o.text));
            found = true;
            break;
        }
    }
    if (!found) {
        if (rest.startsWith(QLatin1String("like"), Qt::CaseInsensitive) && rest.size() > 4
            && (rest.at(4).isSpace() || rest.at(4) == QLatin1Char('\''))) {
            c.m_op = Like;
            i += 4;
        } else {
            badCriterion(criterion);
        }
    }
    // The value.
    const QString value = s.mid(i).trimmed();
    if (value.isEmpty())
        badCriterion(criterion);
    if (value.startsWith(QLatin1Char('\''))) {
        QString text;
        int j = 1;
        bool closed = false;
        while (j < value.size()) {
            const QChar ch = value.at(j);
            if (ch == QLatin1Char('\'')) {
                if (j + 1 < value.size() && value.at(j + 1) == QLatin1Char('\'')) {
                    text += ch;
                    j += 2;
                    continue;
                }
                closed = true;
                ++j;
                break;
            }
            text += ch;
            ++j;
        }
        if (!closed || !value.mid(j).trimmed().isEmpty())
            badCriterion(criterion);
        c.m_kind = Text;
        c.m_text = text;
    } else if (value.startsWith(QLatin1Char('#'))) {
        if (value.size() < 2 || !value.endsWith(QLatin1Char('#')))
            badCriterion(criterion);
        c.m_kind = Date;
        c.m_text = value.mid(1, value.size() - 2);
        c.m_date = parseDbDateTime(c.m_text);
        if (!c.m_date.isValid())
            badCriterion(criterion);
    } else {
        c.m_kind = Number;
        c.m_text = value;
        if (!readNumber(value, &c.m_number))
            badCriterion(criterion);
    }
    if (c.m_op == Like) {
        if (c.m_kind != Text)
            badCriterion(criterion);
        QString pattern;
        for (const QChar ch : std::as_const(c.m_text)) {
            if (ch == QLatin1Char('*') || ch == QLatin1Char('%'))
                pattern += QStringLiteral(".*");
            else
                pattern += QRegularExpression::escape(QString(ch));
        }
        c.m_like = QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                      QRegularExpression::CaseInsensitiveOption
                                          | QRegularExpression::DotMatchesEverythingOption);
    }
    return c;
}

bool FindCriterion::compare(int order) const
{
    switch (m_op) {
    case Equal: return order == 0;
    case NotEqual: return order != 0;
    case Less: return order < 0;
    case Greater: return order > 0;
    case LessEqual: return order <= 0;
    case GreaterEqual: return order >= 0;
    case Like: break;
    }
    return false;
}

bool FindCriterion::matches(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return false;
    if (m_op == Like)
        return m_like.match(value.toString()).hasMatch();
    auto numberOrder = [](double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); };
    switch (m_kind) {
    case Date: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            dt = QDateTime(value.toDate(), QTime(0, 0));
        else
            dt = parseDbDateTime(value.toString());
        if (!dt.isValid())
            return false;
        return compare(dt < m_date ? -1 : (dt > m_date ? 1 : 0));
    }
    case Number: {
        double d = 0;
        if (isNumeric(value))
            return compare(numberOrder(value.toDouble(), m_number));
        if (readNumber(value.toString(), &d))
            return compare(numberOrder(d, m_number));
        return compare(value.toString().compare(m_text, Qt::CaseInsensitive));
    }
    case Text: {
        double literal = 0;
        if (isNumeric(value) && readNumber(m_text, &literal))
            return compare(numberOrder(value.toDouble(), literal));
        return compare(value.toString().compare(m_text, Qt::CaseInsensitive));
    }
    }
    return false;
}
