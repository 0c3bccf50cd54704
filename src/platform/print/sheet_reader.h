// SheetReader: the cells of a spreadsheet file as texts — the first worksheet of an .xlsx workbook,
// or a .csv file in UTF-8 or GB18030.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct SheetTable {
    QList<QStringList> rows;  // as in the file; numbers in their shortest text
    QString error;            // why the file could not be read (empty when it was)
};

// Reads by the file's extension (.xlsx or .csv).
SheetTable ReadSheetFile(const QString &path);
SheetTable ReadXlsx(const QString &path);
// A CSV file: comma-separated, quotes doubled inside quoted fields, line breaks allowed inside them;
// UTF-8 (with or without a byte-order mark) unless the bytes are not UTF-8, then GB18030.
SheetTable ReadCsv(const QString &path);
SheetTable ParseCsv(const QByteArray &bytes);
