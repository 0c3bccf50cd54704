// Parses the system's SQL (the old engine's language) into the tree of jet_ast.h.
#pragma once

#include "platform/db/jet_ast.h"

#include <QString>

namespace jet {

// What a piece of text typed by a user must be.
enum class ExpressionKind {
    Value,      // a formula or a new value: one value expression
    Condition,  // a condition: one expression, used as true or false
};

// Parses exactly one expression; anything before or after it (a closing bracket of its own, a second
// statement, a comment, a NUL character) is a syntax error. Throws DbError (SyntaxError) with a
// Chinese description naming where the text went wrong.
NodePtr parseExpression(const QString &text);

// Parses exactly one select, insert, update or delete statement (a ';' with only blanks after it is
// allowed); throws DbError (SyntaxError) otherwise.
Statement parseStatement(const QString &text);

// True when the statement text starts with a word the statement parser handles.
bool isDataStatement(const QString &text);

// What an expression reads and calls.
struct ExpressionNames {
    QStringList columns;           // each once, compared without case, in order of first appearance
    QStringList functions;         // functions of the language it calls
    QStringList unknownFunctions;  // names called as functions that the language does not have
};
ExpressionNames namesIn(const Node &node);

// Parses a user's formula (Value) or condition (Condition) and checks it as the old engine would
// before running it: one expression, known functions with the right number of arguments.
// Throws DbError (SyntaxError) when it is not acceptable; returns the tree otherwise.
NodePtr checkUserExpression(const QString &text, ExpressionKind kind);

} // namespace jet
