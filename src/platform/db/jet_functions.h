// The functions of the old engine's expression language: how many arguments each takes, what it
// gives, and under which name the SQLite connection carries its implementation.
#pragma once

#include <QString>
#include <vector>

namespace jet {

// What an expression gives, as far as it can be known before it runs.
enum class ValueType { Unknown, Number, Text, Date, Boolean, Null };

enum class FunctionForm {
    Scalar,     // an ordinary function, registered on the connection under sqliteName
    Aggregate,  // count, sum, … : SQLite's own aggregate of the same meaning
    IIf,        // IIf(condition, a, b): only the branch taken is evaluated
    Switch,     // Switch(c1, v1, c2, v2, …)
    Choose,     // Choose(index, v1, v2, …)
    IsNull,     // IsNull(x): a condition
    Nz,         // Nz(x [, y])
};

struct FunctionInfo {
    const char *name;        // as the old engine spells it
    const char *sqliteName;  // the implementation's name (acc_*) on SQLite connections
    int minArgs;
    int maxArgs;             // -1: any number
    ValueType result;
    FunctionForm form;
    bool deterministic;
    // What each argument is read as, for backends whose functions take typed arguments: n a number
    // (a text must be a plain number), c a number as the conversions read it (thousands commas
    // allowed), t a text, d a date, v any value (the implementation looks at its type). Forms for
    // different numbers of arguments are separated by '|'; a shorter call uses the leading letters.
    const char *arguments;
};

// The function of that name (compared without case), or null when the language has none.
const FunctionInfo *findFunction(const QString &name);
const std::vector<FunctionInfo> &functions();

} // namespace jet
