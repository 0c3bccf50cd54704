// Access SQL → SQLite statements. Select, insert, update and delete are parsed and written again
// by the SQLite emitter; create and alter are rewritten on tokens (Access column types, char(n)
// length checks, #date# literals), so literals and names stay intact.
#include "platform/db/sql_translation.h"

#include "platform/db/db_error.h"
#include "platform/db/expression_writer.h"
#include "platform/db/jet_parser.h"
#include "platform/db/postgres_emitter.h"
#include "platform/db/sql_tokenizer.h"
#include "platform/db/sqlite_emitter.h"


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

// "default now()" and friends: Access defaults that the backend reads only as its own expressions.
void rewriteDefaults(Toks &toks, int from, bool postgres)
{
    const QList<int> sig = significant(toks, from);
    for (int k = 0; k + 3 < sig.size(); ++k) {
        if (!isWord(toks.at(sig[k]), "default") || !isPunct(toks.at(sig[k + 2]), '(')
            || !isPunct(toks.at(sig[k + 3]), ')'))
            continue;
        const Tok &fn = toks.at(sig[k + 1]);
        QString replacement;
        if (isWord(fn, "now"))
            replacement = postgres ? QStringLiteral("localtimestamp(0)") : QStringLiteral("(datetime('now','localtime'))");
        else if (isWord(fn, "date"))
            replacement = postgres ? QStringLiteral("(current_date::timestamp)") : QStringLiteral("(date('now','localtime')||' 00:00:00')");
        else if (isWord(fn, "time"))
            replacement = postgres ? QStringLiteral("(timestamp '1899-12-30' + localtime(0))")
                                   : QStringLiteral("('1899-12-30 '||time('now','localtime'))");
        else
            continue;
        toks[sig[k + 1]].text = replacement;
        for (int i = sig[k + 1] + 1; i <= sig[k + 3]; ++i)
            toks[i].text.clear();
    }
}

// The PostgreSQL type of a column declared with an Access type (key: its type words in lower
// case; limit: the length of a text column). Types PostgreSQL has no name for are domains of the
// schema "acc", so that the column reports the type it was declared with.
QString postgresType(const QString &key, const QString &declared, int limit)
{
    const char *guard = jet::storeGuard(key);
    const QString g = guard ? QString::fromLatin1(guard) : QString();
    if (g == QLatin1String("acc_store_single"))
        return QStringLiteral("acc.single");
    if (g == QLatin1String("acc_store_double"))
        return QStringLiteral("double precision");
    if (g == QLatin1String("acc_store_currency"))
        return QStringLiteral("acc.currency");
    if (g == QLatin1String("acc_store_long"))
        return QStringLiteral("bigint");
    if (g == QLatin1String("acc_store_integer"))
        return QStringLiteral("smallint");
    if (g == QLatin1String("acc_store_byte"))
        return QStringLiteral("acc.byte");
    if (g == QLatin1String("acc_store_bool"))
        return QStringLiteral("acc.yesno");
    if (g == QLatin1String("acc_store_date"))
        return QStringLiteral("timestamp(0)");
    // Texts sort and compare by their characters' codes, as in the local file.
    if (g == QLatin1String("acc_store_text"))
        return (limit > 0 ? QStringLiteral("varchar(%1)").arg(limit) : QStringLiteral("text")) + QStringLiteral(" COLLATE \"C\"");
    return declared;
}

// A column definition for PostgreSQL: the name, the type, the rest (constraints, default) as
// written; an auto-numbered key (counter, or integer … autoincrement) is an identity column.
QString postgresColumn(const QString &column, const QString &key, const QString &declared, const QString &rest, int limit)
{
    Toks restToks = tokenize(rest);
    bool autoNumber = key == QLatin1String("counter") || key == QLatin1String("autoincrement");
    bool hasPrimary = false;
    // "integer primary key" numbers its rows by itself in the local file: the same here.
    const QList<int> sig = significant(restToks);
    if (key == QLatin1String("integer") && sig.size() >= 2 && isWord(restToks.at(sig[0]), "primary")
        && isWord(restToks.at(sig[1]), "key"))
        autoNumber = true;
    for (Tok &t : restToks) {
        if (isWord(t, "autoincrement")) {
            autoNumber = true;
            t.text.clear();
        } else if (isWord(t, "primary")) {
            hasPrimary = true;
        } else if (t.kind == Kind::Date) {
            const QString iso = accessDateLiteralText(t.text.mid(1, t.text.size() - 2));
            if (!iso.isEmpty())
                t.text = QStringLiteral("TIMESTAMP '") + iso + QLatin1Char('\'');
        }
    }
    QString type = autoNumber ? QStringLiteral("bigint generated by default as identity") : postgresType(key, declared, limit);
    if (autoNumber && !hasPrimary)
        type += QStringLiteral(" primary key");
    return jet::postgresName(column) + QLatin1Char(' ') + type + join(restToks, 0, int(restToks.size()));
}

// One column definition of create table or alter table … add column.
QString translateColumnDef(Toks el, bool postgres)
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
    rewriteDefaults(el, typeEnd, postgres);
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
    if (postgres)
        return postgresColumn(column, key, type, rest, limit);
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

QString translateCreate(const Toks &toks, const QList<int> &sig, bool postgres)
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
        elements << translateColumnDef(toks.mid(a, b - a), postgres);
    return join(toks, 0, open + 1) + elements.join(QLatin1Char(',')) + join(toks, close, int(toks.size()));
}

QString translateAlter(const Toks &toks, const QList<int> &sig, bool postgres)
{
    // alter table <name> add [column] <column definition>
    if (sig.size() < 5 || !isWord(toks.at(sig[1]), "table") || !isWord(toks.at(sig[3]), "add"))
        return join(toks, 0, int(toks.size()));
    int k = 4;
    if (isWord(toks.at(sig[k]), "column"))
        ++k;
    if (k >= sig.size())
        return join(toks, 0, int(toks.size()));
    return join(toks, 0, sig[k]) + translateColumnDef(toks.mid(sig[k]), postgres);
}

// ---- one statement ------------------------------------------------------------------------

// Statements other than select, insert, update and delete: date literals and the column
// definitions of create table and alter table are what the backend needs rewritten. PostgreSQL
// also reads names in brackets or quotes in lower case, and the temporary tables' schema "temp"
// as its own "pg_temp".
QString translateDefinition(Toks toks, bool postgres)
{
    for (int i = 0; i < toks.size(); ++i) {
        Tok &t = toks[i];
        if (t.kind == Kind::Date) {
            const QString iso = accessDateLiteralText(t.text.mid(1, t.text.size() - 2));
            if (!iso.isEmpty())
                t = {Kind::String, (postgres ? QStringLiteral("TIMESTAMP '") : QStringLiteral("'")) + iso + QLatin1Char('\'')};
        } else if (postgres && (t.kind == Kind::Quoted || t.kind == Kind::Bracketed)) {
            t = {Kind::Quoted, jet::postgresName(nameOf(t))};
        } else if (postgres && isWord(t, "temp") && i + 1 < toks.size() && isPunct(toks.at(i + 1), '.')) {
            t.text = QStringLiteral("pg_temp");
        }
    }
    const QList<int> sig = significant(toks);
    if (sig.isEmpty())
        return {};
    const Tok &first = toks.at(sig[0]);
    if (isWord(first, "create"))
        return translateCreate(toks, sig, postgres);
    if (isWord(first, "alter"))
        return translateAlter(toks, sig, postgres);
    return join(toks, 0, int(toks.size()));
}

[[noreturn]] void refuse(const QString &sql, const QString &what)
{
    throw DbError(DbError::SyntaxError, QStringLiteral("语法错误：%1。").arg(what), sql);
}

// One execute runs one statement: no second statement after a ';', no comment, no NUL character.
// A trigger's body holds ';' of its own and ends at its "end".
void checkOneStatement(const QString &sql, const Toks &toks)
{
    if (sql.contains(QChar(0)))
        refuse(sql, QStringLiteral("语句中含有 NUL 字符"));
    bool trigger = false, ended = false;
    int words = 0;
    for (const Tok &t : toks) {
        if (t.kind == Kind::Space) {
            if (t.text.startsWith(QLatin1String("--")) || t.text.startsWith(QLatin1String("/*")))
                refuse(sql, QStringLiteral("不能使用注释"));
            continue;
        }
        if (ended)
            refuse(sql, QStringLiteral("一次只能执行一条语句"));
        if (t.kind == Kind::Word && ++words == 2 && isWord(t, "trigger"))
            trigger = true;
        else if (trigger && isWord(t, "end"))
            trigger = false;
        if (isPunct(t, ';') && !trigger)
            ended = true;
    }
}

// The statements other than select, insert, update and delete, after the one-statement check.
QStringList translateOther(const QString &sql, bool postgres)
{
    Toks toks = tokenize(sql);
    checkOneStatement(sql, toks);
    // the closing ';' and anything after it are blanks
    for (int i = 0; i < toks.size(); ++i)
        if (isPunct(toks.at(i), ';') && significant(toks, i + 1).isEmpty()) {
            toks.resize(i);
            break;
        }
    const QString out = translateDefinition(toks, postgres);
    return out.trimmed().isEmpty() ? QStringList{} : QStringList{out};
}

} // namespace

QStringList translateAccessSql(const QString &sql, const SchemaLookup &schema)
{
    if (jet::isDataStatement(sql)) {
        const jet::Statement st = jet::parseStatement(sql);
        return jet::SqliteEmitter(schema).statement(st);
    }
    return translateOther(sql, false);
}

QStringList translateAccessSqlForPostgres(const QString &sql, const SchemaLookup &schema, const QList<jet::ValueType> &paramTypes)
{
    if (jet::isDataStatement(sql)) {
        const jet::Statement st = jet::parseStatement(sql);
        return jet::PostgresEmitter(schema, paramTypes).statement(st);
    }
    return translateOther(sql, true);
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
