// The base schema a new local database starts with, and its creation on first run.
#pragma once

class Connection;
class QString;

// Creates the base tables and rows in an open, empty database (operators, permissions of "system",
// job types, activity log, personnel and print dictionaries, department codes, ckv_zc).
void CreateBaseSchema(Connection &cn);
// The base schema in a server database that does not hold it yet (a new, empty database).
void CreateBaseSchemaIfMissing(Connection &cn);
// Makes a new database file at path holding the base schema; the file must not exist yet.
void CreateDefaultDatabase(const QString &path);
