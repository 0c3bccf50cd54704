// ModJgupdate: creation of the tables the system makes itself on first use.
#pragma once

#include <QStringList>

class Connection;

namespace ModJgupdate {

// Creates mytable, the personnel table rsda and the default personnel dictionary and print rows
// on cnMain. What already exists is left as it is; only what is missing is created, and the whole
// step is one transaction.
void CreatePersonnelTables();
void CreatePersonnelTables(Connection &cn);

// The default dh_codedict and pr_codedict inserts, in the order they are executed.
QStringList DefaultPersonnelDictInserts();
QStringList DefaultPersonnelPrintInserts();

// Creates rs_codedict, the wage table rsgz (with its month index) and the catalogue row of "rsgz"
// where they are missing; mytable and rsda are created first when they are missing. One transaction.
void CreateWageTables(Connection &cn);
// The table of closed months (gzjz: month, closed time, operator) and the triggers through which the
// database refuses any insert, update or delete of a closed month's wage rows; made where missing.
void CreateMonthClosingTable(Connection &cn);

// Everything the windows would otherwise create on first use, in one transaction: the personnel
// tables and dictionaries, the wage tables with the month-closing table, and the 43 default wage
// items. A new database gets them at once (SetFirstUseTables); what exists is left as it is.
void CreateFirstUseTables(Connection &cn);

// The 43 default wage item inserts of rs_codedict, in order.
QStringList DefaultWageItemInserts();
// Writes the 43 default rows and fills the Null nullbj marks, when rs_codedict holds no "rsgz" row.
// Returns whether it wrote them. One transaction.
bool WriteDefaultWageItems(Connection &cn);

} // namespace ModJgupdate
