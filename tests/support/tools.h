// Runs the command-line tools the tests read documents back with (pdftotext, pdfinfo, unzip).
#pragma once

#include <QString>
#include <QStringList>

// The standard output of program run with args (empty when it cannot run).
QString runTool(const QString &program, const QStringList &args);
// The text of a PDF as pdftotext gives it with its layout kept.
QString pdfLayoutText(const QString &pdf);
// One part of a workbook ("xl/worksheets/sheet1.xml", "xl/styles.xml", ...).
QString xlsxPart(const QString &xlsx, const QString &part);
