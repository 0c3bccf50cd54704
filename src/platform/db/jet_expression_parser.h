// The parser of the expression language: tokens, the operators in the old engine's precedence,
// literals, names and calls. The statement parser builds on it and reads the sub-queries an
// expression may hold.
#pragma once

#include "platform/db/jet_ast.h"
#include "platform/db/sql_tokenizer.h"

#include <QSet>
#include <vector>

namespace jet {

struct Tok {
    sqltok::Kind kind = sqltok::Kind::Punct;
    int start = 0;
    QString text;
};

[[noreturn]] void syntaxError(const QString &source, int at, const QString &what);
std::vector<Tok> tokenize(const QString &source);
// Words that end an expression or a name list and can never be a bare column or alias.
const QSet<QString> &reservedWords();

class ExpressionParser {
public:
    explicit ExpressionParser(const QString &source) : m_source(source), m_toks(tokenize(source)) {}
    virtual ~ExpressionParser() = default;

    bool atEnd() const { return m_pos >= int(m_toks.size()); }
    // Nothing but a closing ';' may follow.
    void expectEnd();
    NodePtr expression() { return binaryLevel(0); }

protected:
    // A select, where an expression holds one: ( select … ), in ( select … ), exists ( select … ).
    virtual std::unique_ptr<Select> select() = 0;

    int here() const { return atEnd() ? int(m_source.size()) : m_toks[size_t(m_pos)].start; }
    [[noreturn]] void fail(const QString &what) const { syntaxError(m_source, here(), what); }
    const Tok *peek(int ahead = 0) const
    {
        const int i = m_pos + ahead;
        return i < int(m_toks.size()) ? &m_toks[size_t(i)] : nullptr;
    }
    bool isWord(const char *w, int ahead = 0) const
    {
        const Tok *t = peek(ahead);
        return t && t->kind == sqltok::Kind::Word && sqltok::equalsWord(t->text.constData(), int(t->text.size()), w);
    }
    bool isPunct(const char *p, int ahead = 0) const
    {
        const Tok *t = peek(ahead);
        return t && t->kind == sqltok::Kind::Punct && t->text == QLatin1String(p);
    }
    bool acceptWord(const char *w)
    {
        if (!isWord(w))
            return false;
        ++m_pos;
        return true;
    }
    bool acceptPunct(const char *p)
    {
        if (!isPunct(p))
            return false;
        ++m_pos;
        return true;
    }
    void expectWord(const char *w)
    {
        if (!acceptWord(w))
            fail(QStringLiteral("缺少 %1").arg(QString::fromLatin1(w).toUpper()));
    }
    void expectPunct(const char *p)
    {
        if (!acceptPunct(p))
            fail(QStringLiteral("缺少“%1”").arg(QString::fromLatin1(p)));
    }
    NodePtr make(NodeKind kind, int position, Op op = Op::None)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->op = op;
        n->position = position;
        return n;
    }
    NodePtr binary(Op op, NodePtr a, NodePtr b)
    {
        NodePtr n = make(NodeKind::Binary, a->position, op);
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }
    // A name: a word, [bracketed] or `quoted`.
    bool atName() const
    {
        const Tok *t = peek();
        if (!t)
            return false;
        if (t->kind == sqltok::Kind::Bracketed || (t->kind == sqltok::Kind::Quoted && t->text.startsWith(QLatin1Char('`'))))
            return true;
        return t->kind == sqltok::Kind::Word && !reservedWords().contains(t->text.toLower());
    }
    NodePtr primary();
    QString name();
    NodePtr columnReference();

    const QString &m_source;
    std::vector<Tok> m_toks;
    int m_pos = 0;

private:
    // The logical levels, loosest first: Imp, Eqv, Xor, Or, And; then Not.
    NodePtr binaryLevel(int level);
    NodePtr notLevel();
    NodePtr comparison();
    NodePtr concatenation();
    NodePtr additive();
    NodePtr modulo();
    NodePtr integerDivision();
    NodePtr multiplicative();
    // Unary minus binds looser than ^: -2^2 is -(2^2).
    NodePtr unary();
    // ^ is left-associative (2^3^2 = 64); its right operand may carry a sign (2^-1).
    NodePtr power();
    NodePtr powerOperand();
    NodePtr textLiteral();
    NodePtr punctuationPrimary();
    NodePtr wordPrimary();
    NodePtr caseExpression();
};

} // namespace jet
