// Names of the files that exports and printing write beside the program.
#pragma once

#include <QString>

// folder/base + n + suffix with the first n >= 1 whose file does not exist yet ("book1.xlsx",
// "book2.xlsx", …): an export never overwrites an earlier one.
QString uniqueFileName(const QString &folder, const QString &base, const QString &suffix);
