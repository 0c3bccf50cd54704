// Access SQL → SQLite statements: select … into, #date# literals, & concatenation, Left/Right,
// Access column types and char(n) length checks. Works on tokens, so literals and names stay intact.
#include "platform/db/sql_translation.h"

#include "platform/db/sql_tokenizer.h"


using sqltok::Kind;

namespace {

struct Tok {
    Kind kind;
    QString text;
};
using Toks = QList<Tok>;

bool isWord(const Tok &t, const char *w)
{
    return t.kind == Kind::Word && sqltok::equalsWord(t.text.constData(), int(t.text.size()), w);
}

bool isPunct(const Tok &t, char c)
{
    return t.kind == Kind::Punct && t.text.size() == 1 && t.text.at(0) == QLatin1Char(c);
}

bool isName(const Tok &t) { return t.kind == Kind::Word || t.kind == Kind::Quoted || t.kind == Kind::Bracketed; }

QString nameOf(const Tok &t) { return sqltok::identifierName(t.text, t.kind); }

QString join(const Toks &toks, int from, int to)
{
    QString s;
    for (int i = from; i < to && i < toks.size(); ++i)
        s += toks.at(i).text;
    return s;
}

QList<int> significant(const Toks &toks, int from = 0, int to = -1)
{
    QList<int> sig;
    if (to < 0)
        to = int(toks.size());
    for (int i = from; i < to; ++i)
        if (toks.at(i).kind != Kind::Space)
            sig.append(i);
    return sig;
}

// Index of the ')' that closes the '(' at open, or -1.
int matchingParen(const Toks &toks, int open)
{
    int depth = 0;
    for (int i = open; i < toks.size(); ++i) {
        if (isPunct(toks.at(i), '('))
            ++depth;
        else if (isPunct(toks.at(i), ')') && --depth == 0)
            return i;
    }
    return -1;
}

// Splits [from, to) at commas outside parentheses into [start, end) ranges.
QList<QPair<int, int>> splitAtCommas(const Toks &toks, int from, int to)
{
    QList<QPair<int, int>> parts;
    int depth = 0;
    int start = from;
    for (int i = from; i < to; ++i) {
        if (isPunct(toks.at(i), '('))
            ++depth;
        else if (isPunct(toks.at(i), ')'))
            --depth;
        else if (depth == 0 && isPunct(toks.at(i), ','))
            parts.append({start, i}), start = i + 1;
    }
    parts.append({start, to});
    return parts;
}

Toks tokenize(const QString &sql)
{
    Toks toks;
    toks.reserve(sql.size() / 3 + 4);
    const QChar *s = sql.constData();
    const int n = int(sql.size());
    for (int pos = 0; pos < n;) {
        const sqltok::Token t = sqltok::next(s, n, pos);
        toks.append({t.kind, sql.mid(t.start, t.length)});
        pos += t.length;
    }
    return toks;
}

// ---- column definitions -------------------------------------------------------------------

// Access type names whose SQLite affinity would be wrong, and the type text that gives the right one.
struct TypeWord {
    const char *access;
    const char *affinityWord;
};
constexpr TypeWord kAffinity[] = {
    {"single", "real"},   // NUMERIC affinity would store 3.0 as 3 and make t1/t2 an integer division
    {"currency", "real"},
    {"money", "real"},
    {"memo", "text"},     // NUMERIC affinity would turn the text '0123' into the number 123
};

bool isConstraintWord(const Tok &t)
{
    static const char *const words[] = {"constraint", "primary", "not", "null", "unique", "check", "default",
                                        "collate", "references", "generated", "as"};
    for (const char *w : words)
        if (isWord(t, w))
            return true;
    return false;
}

bool startsTableConstraint(const Tok &t)
{
    return isWord(t, "constraint") || isWord(t, "primary") || isWord(t, "unique") || isWord(t, "check")
        || isWord(t, "foreign");
}

// "default now()" and friends: Access defaults that SQLite reads only as built-in expressions.
void rewriteDefaults(Toks &toks, int from)
{
    const QList<int> sig = significant(toks, from);
    for (int k = 0; k + 3 < sig.size(); ++k) {
        if (!isWord(toks.at(sig[k]), "default") || !isPunct(toks.at(sig[k + 2]), '(')
            || !isPunct(toks.at(sig[k + 3]), ')'))
            continue;
        const Tok &fn = toks.at(sig[k + 1]);
        QString replacement;
        if (isWord(fn, "now"))
            replacement = QStringLiteral("(datetime('now','localtime'))");
        else if (isWord(fn, "date"))
            replacement = QStringLiteral("(date('now','localtime')||' 00:00:00')");
        else if (isWord(fn, "time"))
            replacement = QStringLiteral("('1899-12-30 '||time('now','localtime'))");
        else
            continue;
        toks[sig[k + 1]].text = replacement;
        for (int i = sig[k + 1] + 1; i <= sig[k + 3]; ++i)
            toks[i].text.clear();
    }
}

// One column definition of create table or alter table … add column.
QString translateColumnDef(Toks el)
{
    const QList<int> sig = significant(el);
    if (sig.size() < 2 || startsTableConstraint(el.at(sig[0])) || !isName(el.at(sig[0])))
        return join(el, 0, int(el.size()));
    const QString column = nameOf(el.at(sig[0]));

    int j = 1;
    QStringList typeWords;
    while (j < sig.size() && el.at(sig[j]).kind == Kind::Word && !isConstraintWord(el.at(sig[j])))
        typeWords << el.at(sig[j++]).text.toLower();
    if (typeWords.isEmpty())
        return join(el, 0, int(el.size()));
    const int typeStart = sig[1];
    int typeEnd = sig[j - 1] + 1;
    QStringList sizes;
    if (j < sig.size() && isPunct(el.at(sig[j]), '(')) {
        const int close = matchingParen(el, sig[j]);
        if (close > 0) {
            for (const auto &[a, b] : splitAtCommas(el, sig[j] + 1, close))
                sizes << join(el, a, b).trimmed();
            typeEnd = close + 1;
        }
    }
    const QString key = typeWords.join(QLatin1Char(' '));
    rewriteDefaults(el, typeEnd);
    QString rest = join(el, typeEnd, int(el.size()));
    QString type = join(el, typeStart, typeEnd);

    if (key == QLatin1String("counter") || key == QLatin1String("autoincrement")) {
        // Access's auto-numbered key: SQLite's rowid key with autoincrement never reuses a number.
        const Toks restToks = tokenize(rest);
        bool hasPrimary = false, hasAuto = false;
        int keyEnd = -1;
        for (int i = 0; i < restToks.size(); ++i) {
            if (isWord(restToks.at(i), "primary"))
                hasPrimary = true;
            else if (hasPrimary && keyEnd < 0 && isWord(restToks.at(i), "key"))
                keyEnd = i + 1;
            else if (isWord(restToks.at(i), "autoincrement"))
                hasAuto = true;
        }
        if (!hasPrimary) {
            type = QStringLiteral("integer primary key autoincrement");
        } else {
            type = QStringLiteral("integer");
            if (!hasAuto && keyEnd > 0)
                rest = join(restToks, 0, keyEnd) + QStringLiteral(" autoincrement") + join(restToks, keyEnd, int(restToks.size()));
        }
    } else if (typeWords.size() == 1 && sizes.isEmpty()) {
        for (const TypeWord &w : kAffinity)
            if (key == QLatin1String(w.access))
                type += QLatin1Char(' ') + QLatin1String(w.affinityWord);
    }

    // Text columns refuse values longer than their size, as the old database did.
    static const QStringList sized = {QStringLiteral("char"), QStringLiteral("varchar"), QStringLiteral("nchar"),
                                      QStringLiteral("nvarchar"), QStringLiteral("character"),
                                      QStringLiteral("character varying"), QStringLiteral("national character"),
                                      QStringLiteral("national char"), QStringLiteral("national character varying"),
                                      QStringLiteral("text"), QStringLiteral("string")};
    int limit = 0;
    if (sized.contains(key)) {
        bool ok = false;
        if (sizes.size() == 1)
            limit = sizes.first().toInt(&ok);
        else if (sizes.isEmpty() && key != QLatin1String("text"))
            limit = 255, ok = true;  // a text column without a size holds 255 characters
        if (!ok || limit <= 0)
            limit = 0;
    }
    QString result = join(el, 0, typeStart) + type + rest;
    if (limit > 0) {
        int keep = int(result.size());
        while (keep > 0 && result.at(keep - 1).isSpace())
            --keep;
        const QString trailing = result.mid(keep);
        result.truncate(keep);
        result += QStringLiteral(" check(length(%1)<=%2)").arg(sqltok::quoteIdentifier(column)).arg(limit) + trailing;
    }
    return result;
}

QString translateCreate(const Toks &toks, const QList<int> &sig)
{
    int k = 1;
    if (k < sig.size() && (isWord(toks.at(sig[k]), "temp") || isWord(toks.at(sig[k]), "temporary")))
        ++k;
    if (k >= sig.size() || !isWord(toks.at(sig[k]), "table"))
        return join(toks, 0, int(toks.size()));
    ++k;
    if (k + 2 < sig.size() && isWord(toks.at(sig[k]), "if") && isWord(toks.at(sig[k + 1]), "not"))
        k += 3;
    ++k;  // the table name
    if (k >= sig.size() || !isPunct(toks.at(sig[k]), '('))
        return join(toks, 0, int(toks.size()));
    const int open = sig[k];
    const int close = matchingParen(toks, open);
    if (close < 0)
        return join(toks, 0, int(toks.size()));
    QStringList elements;
    for (const auto &[a, b] : splitAtCommas(toks, open + 1, close))
        elements << translateColumnDef(toks.mid(a, b - a));
    return join(toks, 0, open + 1) + elements.join(QLatin1Char(',')) + join(toks, close, int(toks.size()));
}

QString translateAlter(const Toks &toks, const QList<int> &sig)
{
    // alter table <name> add [column] <column definition>
    if (sig.size() < 5 || !isWord(toks.at(sig[1]), "table") || !isWord(toks.at(sig[3]), "add"))
        return join(toks, 0, int(toks.size()));
    int k = 4;
    if (isWord(toks.at(sig[k]), "column"))
        ++k;
    if (k >= sig.size())
        return join(toks, 0, int(toks.size()));
    return join(toks, 0, sig[k]) + translateColumnDef(toks.mid(sig[k]));
}

// ---- select … into ------------------------------------------------------------------------

bool endsSourceClause(const Tok &t)
{
    return isWord(t, "where") || isWord(t, "order") || isWord(t, "group") || isWord(t, "having")
        || isWord(t, "limit");
}

QStringList translateSelectInto(const Toks &toks, const QList<int> &sig, const SchemaLookup &schema)
{
    const QString unchanged = join(toks, 0, int(toks.size()));
    int into = -1, from = -1, depth = 0;
    for (int k = 0; k < sig.size(); ++k) {
        const Tok &t = toks.at(sig[k]);
        if (isPunct(t, '('))
            ++depth;
        else if (isPunct(t, ')'))
            --depth;
        else if (depth == 0 && into < 0 && isWord(t, "into"))
            into = k;
        else if (depth == 0 && into >= 0 && isWord(t, "from")) {
            from = k;
            break;
        }
    }
    if (into < 0)
        return {unchanged};
    const int targetEnd = from < 0 ? int(sig.size()) : from;
    if (targetEnd != into + 2 || !isName(toks.at(sig[into + 1])))
        return {unchanged};  // "into T in 'other file'" and the like: left to SQLite to refuse
    const QString target = nameOf(toks.at(sig[into + 1]));
    const QString quotedTarget = sqltok::quoteIdentifier(target);
    const QString items = join(toks, sig[0] + 1, sig[into]).trimmed();
    const QString rest = from < 0 ? QString() : join(toks, sig[from], int(toks.size())).trimmed();

    // A single source table (with an optional alias) gets its column definitions copied.
    QString source, alias;
    bool single = false;
    if (from >= 0 && from + 1 < sig.size() && isName(toks.at(sig[from + 1]))) {
        source = nameOf(toks.at(sig[from + 1]));
        int k = from + 2;
        if (k < sig.size() && isWord(toks.at(sig[k]), "as"))
            ++k;
        if (k < sig.size() && toks.at(sig[k]).kind == Kind::Word && !endsSourceClause(toks.at(sig[k]))) {
            alias = toks.at(sig[k]).text;
            ++k;
        }
        single = k >= sig.size() || endsSourceClause(toks.at(sig[k]));
    }
    const QList<ColumnInfo> sourceColumns = single && schema ? schema(source) : QList<ColumnInfo>();
    const QString createAs = QStringLiteral("create table %1 as select %2 %3").arg(quotedTarget, items, rest).trimmed();
    if (sourceColumns.isEmpty())
        return {createAs};  // a join, a sub-query or a missing table: SQLite's own copy (or its error)

    struct Def {
        QString name;
        QString type;
        bool autoIncrement = false;
    };
    QList<Def> defs;
    const auto findColumn = [&](const QString &name) -> const ColumnInfo * {
        for (const ColumnInfo &c : sourceColumns)
            if (c.name.compare(name, Qt::CaseInsensitive) == 0)
                return &c;
        return nullptr;
    };
    const auto isQualifier = [&](const Tok &t) {
        const QString q = nameOf(t);
        return q.compare(source, Qt::CaseInsensitive) == 0 || (!alias.isEmpty() && q.compare(alias, Qt::CaseInsensitive) == 0);
    };
    int itemStart = sig[0] + 1;
    {
        const QList<int> head = significant(toks, itemStart, sig[into]);
        if (!head.isEmpty() && (isWord(toks.at(head[0]), "distinct") || isWord(toks.at(head[0]), "all")))
            itemStart = head[0] + 1;
    }
    int expressionNumber = 1000;
    for (const auto &[a, b] : splitAtCommas(toks, itemStart, sig[into])) {
        const QList<int> s = significant(toks, a, b);
        if (s.isEmpty())
            return {unchanged};
        // "*" and "S.*": every column of the source
        if ((s.size() == 1 && isPunct(toks.at(s[0]), '*'))
            || (s.size() == 3 && isQualifier(toks.at(s[0])) && isPunct(toks.at(s[1]), '.') && isPunct(toks.at(s[2]), '*'))) {
            for (const ColumnInfo &c : sourceColumns)
                defs.append({c.name, c.declaredType, c.autoIncrement});
            continue;
        }
        // [S.]column [[as] alias]
        int k = 0;
        if (s.size() >= 3 && isName(toks.at(s[0])) && isPunct(toks.at(s[1]), '.') && isQualifier(toks.at(s[0])))
            k = 2;
        QString itemAlias;
        int end = int(s.size());
        if (end - k >= 3 && isWord(toks.at(s[end - 2]), "as") && isName(toks.at(s[end - 1])))
            itemAlias = nameOf(toks.at(s[end - 1])), end -= 2;
        else if (end - k == 2 && isName(toks.at(s[k])) && isName(toks.at(s[end - 1])))
            itemAlias = nameOf(toks.at(s[end - 1])), end -= 1;
        const ColumnInfo *c = (end - k == 1 && isName(toks.at(s[k]))) ? findColumn(nameOf(toks.at(s[k]))) : nullptr;
        if (c)
            defs.append({itemAlias.isEmpty() ? c->name : itemAlias, c->declaredType, c->autoIncrement});
        else if (end - k == 1 && isName(toks.at(s[k])))
            defs.append({itemAlias.isEmpty() ? nameOf(toks.at(s[k])) : itemAlias, QString(), false});  // SQLite names the fault
        else
            defs.append({itemAlias.isEmpty() ? QStringLiteral("Expr%1").arg(expressionNumber++) : itemAlias, QString(), false});
    }

    QStringList columnDefs, names;
    bool keyUsed = false;
    for (const Def &d : defs) {
        QString def = sqltok::quoteIdentifier(d.name);
        if (d.autoIncrement && !keyUsed) {
            def += QStringLiteral(" integer primary key autoincrement");
            keyUsed = true;
        } else if (!d.type.isEmpty()) {
            def += QLatin1Char(' ') + d.type;
        }
        columnDefs << def;
        names << sqltok::quoteIdentifier(d.name);
    }
    const Toks create = tokenize(QStringLiteral("create table %1 (%2)").arg(quotedTarget, columnDefs.join(QStringLiteral(", "))));
    return {translateCreate(create, significant(create)),
            QStringLiteral("insert into %1 (%2) select %3 %4").arg(quotedTarget, names.join(QLatin1Char(',')), items, rest).trimmed()};
}

// ---- & concatenation ---------------------------------------------------------------------

// Where an operand of & ends: & binds looser than arithmetic and tighter than comparisons.
bool endsOperand(const Tok &t)
{
    if (t.kind == Kind::Punct && t.text.size() == 1)
        return QStringLiteral(",;=<>!").contains(t.text.at(0));
    static const char *const words[] = {"and", "or", "not", "like", "is", "between", "in", "select", "from",
                                        "where", "set", "order", "group", "having", "when", "then", "else", "end",
                                        "as", "values", "on", "join", "union", "case", "distinct", "by", "escape"};
    for (const char *w : words)
        if (isWord(t, w))
            return true;
    return false;
}

// Access's a & b joins texts and reads Null as empty; SQLite's & is a bitwise and, and its ||
// binds tighter than + and gives Null for Null. Each chain becomes (ifnull(a,'')||ifnull(b,'')).
void rewriteConcatenation(Toks &toks)
{
    for (int i = 0; i < toks.size(); ++i) {
        if (!isPunct(toks.at(i), '&'))
            continue;
        int start = i, depth = 0;
        for (int j = i - 1; j >= 0; --j) {
            const Tok &t = toks.at(j);
            if (isPunct(t, ')'))
                ++depth;
            else if (isPunct(t, '(') && depth-- == 0)
                break;
            else if (depth == 0 && endsOperand(t))
                break;
            start = j;
        }
        QList<int> amps{i};
        int end = i + 1;
        depth = 0;
        for (int j = i + 1; j < toks.size(); ++j) {
            const Tok &t = toks.at(j);
            if (isPunct(t, '('))
                ++depth;
            else if (isPunct(t, ')') && depth-- == 0)
                break;
            else if (depth == 0 && endsOperand(t))
                break;
            if (depth == 0 && isPunct(t, '&'))
                amps.append(j);
            end = j + 1;
        }
        QStringList operands;
        int from = start;
        amps.append(end);
        for (int a : amps) {
            Toks operand = toks.mid(from, a - from);
            rewriteConcatenation(operand);
            operands << QStringLiteral("ifnull(%1,'')").arg(join(operand, 0, int(operand.size())).trimmed());
            from = a + 1;
        }
        // the blanks around the chain stay where they were
        while (start < i && toks.at(start).kind == Kind::Space)
            ++start;
        while (end > amps.at(amps.size() - 2) + 1 && toks.at(end - 1).kind == Kind::Space)
            --end;
        const bool enclosed = start > 0 && isPunct(toks.at(start - 1), '(') && end < toks.size() && isPunct(toks.at(end), ')');
        const QString chain = operands.join(QStringLiteral("||"));
        toks.remove(start, end - start);
        toks.insert(start, {Kind::Word, enclosed ? chain : QLatin1Char('(') + chain + QLatin1Char(')')});
        i = start;
    }
}

// ---- one statement ------------------------------------------------------------------------

QStringList translateStatement(Toks toks, const SchemaLookup &schema)
{
    // Token rewrites first: they hold anywhere in a statement.
    for (int i = 0; i < toks.size(); ++i) {
        Tok &t = toks[i];
        if (t.kind == Kind::Date) {
            const QString iso = accessDateLiteralText(t.text.mid(1, t.text.size() - 2));
            if (!iso.isEmpty())
                t = {Kind::String, QLatin1Char('\'') + iso + QLatin1Char('\'')};
        } else if (isWord(t, "left") || isWord(t, "right")) {
            // LEFT and RIGHT are join words to SQLite; as functions they are called by a quoted name.
            int j = i + 1;
            while (j < toks.size() && toks.at(j).kind == Kind::Space)
                ++j;
            if (j < toks.size() && isPunct(toks.at(j), '('))
                t = {Kind::Quoted, sqltok::quoteIdentifier(t.text.toLower())};
        }
    }
    rewriteConcatenation(toks);
    const QList<int> sig = significant(toks);
    if (sig.isEmpty())
        return {};
    const Tok &first = toks.at(sig[0]);
    if (isWord(first, "select"))
        return translateSelectInto(toks, sig, schema);
    if (isWord(first, "create"))
        return {translateCreate(toks, sig)};
    if (isWord(first, "alter"))
        return {translateAlter(toks, sig)};
    return {join(toks, 0, int(toks.size()))};
}

} // namespace

QStringList translateAccessSql(const QString &sql, const SchemaLookup &schema)
{
    if (!sqltok::needsTranslation(sql))
        return {sql};
    const Toks toks = tokenize(sql);
    QStringList out;
    Toks statement;
    bool trigger = false;  // a trigger body holds ';' of its own: it ends at "end"
    for (const Tok &t : toks) {
        if (isPunct(t, ';') && !trigger) {
            out += translateStatement(statement, schema);
            statement.clear();
            continue;
        }
        if (isWord(t, "trigger") && !significant(statement).isEmpty() && isWord(statement.at(significant(statement).first()), "create"))
            trigger = true;
        else if (trigger && isWord(t, "end"))
            trigger = false;
        statement.append(t);
    }
    out += translateStatement(statement, schema);
    return out.isEmpty() ? QStringList{sql} : out;
}

QString accessTypeName(const QString &declared)
{
    const QString t = declared.trimmed();
    for (const TypeWord &w : kAffinity) {
        const QString mapped = QLatin1String(w.access) + QLatin1Char(' ') + QLatin1String(w.affinityWord);
        if (t.compare(mapped, Qt::CaseInsensitive) == 0)
            return t.left(int(qstrlen(w.access)));
    }
    return declared;
}
