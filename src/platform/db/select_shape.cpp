// Finds the base table of a recordset's select statement by scanning its top-level words.
#include "platform/db/select_shape.h"

#include <QList>
#include <QSet>

namespace {

struct Token {
    enum Kind { Word, Name, Literal, Punct } kind = Word;
    QString text;  // words in lower case; bracketed and quoted names without their quotes
    int offset = 0;
    int depth = 0;  // parenthesis depth at the token
};

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

// Splits the statement into words, names, literals and punctuation, skipping comments.
QList<Token> tokenize(const QString &sql)
{
    QList<Token> out;
    int depth = 0;
    const int n = int(sql.size());
    int i = 0;
    auto closeAt = [&](int from, QChar close) {
        int j = from + 1;
        while (j < n) {
            if (sql.at(j) == close) {
                if ((close == QLatin1Char('\'') || close == QLatin1Char('"')) && j + 1 < n && sql.at(j + 1) == close) {
                    j += 2;  // a doubled quote inside the literal
                    continue;
                }
                return j;
            }
            ++j;
        }
        return n - 1;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = end < 0 ? n : end + 2;
            continue;
        }
        Token t;
        t.offset = i;
        t.depth = depth;
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            const int end = closeAt(i, c);
            t.kind = Token::Literal;
            t.text = sql.mid(i, end - i + 1);
            i = end + 1;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            const int end = closeAt(i, close);
            t.kind = Token::Name;
            t.text = sql.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            t.kind = Token::Word;
            t.text = sql.mid(i, j - i);
            i = j;
        } else {
            t.kind = Token::Punct;
            t.text = QString(c);
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')')) {
                depth = qMax(0, depth - 1);
                t.depth = depth;
            }
            ++i;
        }
        out.append(t);
    }
    return out;
}

bool isKeyword(const Token &t, const char *word)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

const QSet<QString> &clauseWords()
{
    static const QSet<QString> words{
        QStringLiteral("where"), QStringLiteral("order"),   QStringLiteral("group"), QStringLiteral("having"),
        QStringLiteral("union"), QStringLiteral("join"),    QStringLiteral("inner"), QStringLiteral("left"),
        QStringLiteral("right"), QStringLiteral("full"),    QStringLiteral("cross"), QStringLiteral("natural"),
        QStringLiteral("on"),    QStringLiteral("limit"),   QStringLiteral("except"), QStringLiteral("intersect"),
        QStringLiteral("outer"), QStringLiteral("window"),  QStringLiteral("offset")};
    return words;
}

SelectShape refuse(SelectShape shape, const QString &reason)
{
    shape.updatable = false;
    shape.reason = reason;
    return shape;
}

} // namespace

SelectShape analyseSelect(const QString &sql)
{
    SelectShape shape;
    const QList<Token> tokens = tokenize(sql);
    if (tokens.isEmpty() || !isKeyword(tokens.first(), "select"))
        return refuse(shape, QStringLiteral("查询不是 select 语句"));
    int from = -1;
    for (int i = 1; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.depth != 0)
            continue;
        if (i == 1 && (isKeyword(t, "distinct") || isKeyword(t, "distinctrow")))
            return refuse(shape, QStringLiteral("查询含 distinct"));
        if (isKeyword(t, "into"))
            return refuse(shape, QStringLiteral("查询是 select … into 语句"));
        if (isKeyword(t, "from")) {
            from = i;
            break;
        }
    }
    if (from < 0)
        return refuse(shape, QStringLiteral("查询没有 from 子句"));
    shape.fromOffset = tokens.at(from).offset;
    int i = from + 1;
    if (i >= tokens.size() || (tokens.at(i).kind != Token::Word && tokens.at(i).kind != Token::Name)
        || (tokens.at(i).kind == Token::Word && clauseWords().contains(tokens.at(i).text.toLower())))
        return refuse(shape, QStringLiteral("查询的 from 后不是一个表"));
    shape.table = tokens.at(i).text;
    ++i;
    // An alias: "as x" or a bare name that is not the next clause.
    if (i < tokens.size() && isKeyword(tokens.at(i), "as"))
        i += 2;
    else if (i < tokens.size() && (tokens.at(i).kind == Token::Name
                                   || (tokens.at(i).kind == Token::Word
                                       && !clauseWords().contains(tokens.at(i).text.toLower()))))
        ++i;
    if (i < tokens.size()) {
        const Token &t = tokens.at(i);
        const bool clause = t.kind == Token::Word
                            && (isKeyword(t, "where") || isKeyword(t, "order") || isKeyword(t, "limit"));
        const bool end = t.kind == Token::Punct && t.text == QLatin1String(";");
        if (!clause && !end)
            return refuse(shape, QStringLiteral("查询涉及多个表"));
    }
    for (; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.depth != 0)
            continue;
        if (isKeyword(t, "group") || isKeyword(t, "having"))
            return refuse(shape, QStringLiteral("查询是汇总查询"));
        if (isKeyword(t, "union") || isKeyword(t, "except") || isKeyword(t, "intersect"))
            return refuse(shape, QStringLiteral("查询是联合查询"));
        if (isKeyword(t, "join"))
            return refuse(shape, QStringLiteral("查询涉及多个表"));
    }
    shape.updatable = true;
    return shape;
}

QString withExtraColumn(const QString &sql, const SelectShape &shape, const QString &expression, const QString &alias)
{
    if (shape.fromOffset < 0)
        return sql;
    QString out = sql;
    out.insert(shape.fromOffset, QStringLiteral(",") + expression + QStringLiteral(" as ") + alias + QLatin1Char(' '));
    return out;
}
