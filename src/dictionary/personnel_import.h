// ModRsdr: employees brought in from a spreadsheet (xlsx or csv) into the personnel table, checked
// field by field as the personnel editor checks them, all or none.
#pragma once

#include "dictionary/dictionary_tables.h"

#include <QList>
#include <QString>
#include <QStringList>

class Connection;
struct SheetTable;

namespace ModRsdr {

// A column of the file and the personnel field its caption names.
struct ImportColumn {
    int fileColumn = 0;
    DictRow field;
};

// One row of the file (line counted from 1, the header being line 1), its values per matched
// column and what is wrong with it.
struct ImportRow {
    int line = 0;
    QStringList values;
    QStringList problems;
};

struct ImportPlan {
    QString table;                 // the personnel table the rows go into
    QString error;                 // the file could not be read, or has no caption row
    QList<ImportColumn> columns;   // matched, in file order
    QStringList unmatched;         // captions of file columns that name no personnel field (ignored)
    QStringList missing;           // fields that may not be empty and have no column in the file
    QList<ImportRow> rows;         // every row that holds anything
    int problemRows() const;
    // Importing is possible: the file was read, there are rows, and no row or missing field fails.
    bool ok() const { return error.isEmpty() && missing.isEmpty() && !rows.isEmpty() && problemRows() == 0; }
};

// Matches the first row's captions to the personnel dictionary's captions (colm_name) or codes
// (colm_code), then checks every row: the fields' own checks (length, number, date, required) and
// employee numbers (f1) repeated within the file or already used in rsda.
ImportPlan PlanImport(Connection &cn, const SheetTable &table, const QString &tableCode = QStringLiteral("rsda"));

// Inserts every row of an acceptable plan into rsda in one transaction; returns the rows inserted.
int RunImport(Connection &cn, const ImportPlan &plan);

// Writes an empty workbook whose caption row is the personnel dictionary's captions, in order;
// returns what went wrong, or an empty text.
QString WriteTemplate(Connection &cn, const QString &path, const QString &tableCode = QStringLiteral("rsda"));

} // namespace ModRsdr
