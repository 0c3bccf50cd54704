// The schema a new local database starts with, and its creation on first run.
#pragma once

class Connection;
class QString;

// Creates the base tables and rows in an open, empty database (operators, permissions of "system",
// job types, activity log, personnel and print dictionaries, department codes, ckv_zc).
void CreateBaseSchema(Connection &cn);

// The tables the windows would otherwise make on first use (the personnel and wage tables with
// their default dictionaries, the month-closing table). They belong to the dictionary subsystem,
// which hands its creation routine over here when the program is put together; without one a new
// database holds the base schema alone.
using FirstUseTables = void (*)(Connection &cn);
void SetFirstUseTables(FirstUseTables create);
// Everything a new database holds: the base schema, then the first-use tables, so that every
// window works on it at once and none of them has anything left to create.
void CreateCompleteSchema(Connection &cn);

// The complete schema in a server database that does not hold it yet (a new, empty database);
// two desks opening it at once make it once.
void CreateSchemaIfMissing(Connection &cn);

// Makes a new database file at path holding the complete schema, in one transaction; the file must
// not exist yet.
void CreateDefaultDatabase(const QString &path);
