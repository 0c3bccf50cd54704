// The base schema a new local database starts with, and its creation on first run.
#pragma once

class Connection;
class QString;

// Creates the base tables and rows in an open, empty database (operators, permissions of "system",
// job types, activity log, personnel and print dictionaries, department codes, ckv_zc).
void CreateBaseSchema(Connection &cn);
// Makes a new database file at path holding the base schema; the file must not exist yet.
void CreateDefaultDatabase(const QString &path);
