// Batch modification of wages: the condition builder and the update statement, without widgets.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

namespace ModPlxg {

// The number of condition rows and of connectors between them.
constexpr int kConditionRows = 8;
constexpr int kConnectors = kConditionRows - 1;

// One wage item as the choosers offer it: caption, column of rsgz, type code.
struct WageItem {
    QString name;  // colm_name
    QString code;  // colm_code
    QString type;  // colm_type
};

// The item dictionary of the window: shown rows of rsgz in dictionary order.
QString ItemDictSql();

// The first item whose caption equals the trimmed caption; null when there is none.
const WageItem *FindItem(const QList<WageItem> &items, const QString &caption);

// The class of a type code as the window treats values: "STR", "DATETIME" or "NUME".
QString TypeClass(const QString &colmType);

// The operators offered for a condition row and for the modified column.
const QStringList &Operators();
// The connector captions ("并且", "或者") and the SQL connector a caption stands for.
const QStringList &ConnectorCaptions();
QString ConnectorFor(const QString &caption);

// Reads a date typed for a date item (year first, "-", "/" or "." between the parts, or
// 年月日, with an optional time of day); false when it is not a date.
bool ParseDateText(const QString &text, QDateTime *out);

// One condition row: chosen item caption, operator, typed value.
struct ConditionRow {
    QString item;
    QString op;
    QString value;
};

// What building a condition gives.
struct ConditionResult {
    bool ok = true;         // false: a value failed its check (message says which)
    QString condition;      // the condition text, built up to the failing row
    QStringList values;     // every row's value box afterwards: rows before the failure rewritten
    int failedRow = -1;
    QString message;        // "日期输入错误" or "请输入数字"
};

// Builds the condition from the rows (empty values skipped) joined by the connector after the
// row above each one ("and"/"or"). Text values are quoted with their quotes doubled, dates become
// the connected database's date literal, numbers are checked and kept; other types go in as typed.
// A value that is already in its treated form (a quoted text, a date literal) is kept as it is, so
// that running again after a refusal does not quote twice. An item caption that names no dictionary
// row raises DbError 3021 (no current record), as finding it in the dictionary would.
ConditionResult BuildCondition(const QList<WageItem> &items, const QList<ConditionRow> &rows,
                               const QStringList &connectors);

// "update rsgz set K=E where C" (no where clause when C is empty). Throws DbError (syntax error)
// when E is not one value expression or C not one condition.
QString BatchUpdateSql(const QString &columnCode, const QString &newValue, const QString &condition);
// Runs the statement on cn in one transaction; returns the number of rows changed.
int RunBatchModify(Connection &cn, const QString &columnCode, const QString &newValue, const QString &condition);

// Asked before an update without a condition (Yes/No, question icon, No the default).
inline const QString kNoConditionQuestion =
    QStringLiteral("没有修改条件，将修改所有月份的全部工资记录，是否继续？");
// The completion message, with the number of rows changed.
QString DoneMessage(int changed);

} // namespace ModPlxg
