// ModBmCD: the segment lengths of department codes, the check of a typed code, the suggested next
// code and the leaf flags recomputed when the department editor closes.
#pragma once

#include <QString>
#include <array>

class Connection;

namespace ModBmCD {

// Entry 0: number of levels; entries 1 … levels: characters of each level's segment; the rest 0.
using BmCdTable = std::array<qint16, 5>;
extern BmCdTable BmCdLen;

// Fills BmCdLen with the fixed layout: 3 levels of 1, 1 and 3 characters (codes of 1, 2 and 5).
void BmCdInit();

// "1-1-3": the segment lengths of levels 1 to 3 joined by "-".
QString SegmentText(const BmCdTable &len);

// Outcome of checking a typed department code.
struct CodeCheck {
    QString message;         // empty: the code passed every check
    QString level;           // the level to show; null when the check stopped before it was known
    bool duplicate = false;  // the code is taken: the code box is emptied
    bool passed() const { return message.isEmpty(); }
};

// Checks code against the segment table (too short, between two levels, over the total length),
// finds its level, then looks up its parent and duplicates on cn. `adding`: a new department is
// being entered, so any row with the code is a duplicate; otherwise an existing department whose
// stored code is ownCode is being recoded, and only another department with the code is one.
// Quotes in the code are doubled before they reach the SQL. Database errors propagate.
CodeCheck CheckCode(Connection &cn, const QString &code, const BmCdTable &len, bool adding,
                    const QString &ownCode = {});

// The code proposed for a new department from the code shown (the entry set's current row):
// its last character read as a number plus one ("1003" → "1004", "1009" → "10010"); a code of
// one character is kept; an empty department table gives "1".
QString SuggestedCode(const QString &shown, bool tableEmpty);

// A department code that another department's code begins with ("1" for "11" and "11001"): the
// sub-department found first in code order, or the empty text when there is none. Read afresh, so a
// sub-department added since the editor opened counts. Database errors propagate.
QString FirstSubDepartment(Connection &cn, const QString &code);

// The boolean literal of the current database kind: true/false on the local file, 1/0 on SQL Server.
QString BoolLiteral(bool value);

// The closing steps over bmcode: every department's zzbj becomes true unless the next one in code
// order has a longer code (it has a sub-department); then departments without a name are removed.
// Database errors propagate.
void CloseDepartmentCodes(Connection &cn);

} // namespace ModBmCD
