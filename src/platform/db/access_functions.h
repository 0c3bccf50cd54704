// The functions that formulas and conditions written for the old database call, for SQLite.
#pragma once

struct sqlite3;

// Registers Format, Int, Fix, Val, Nz, Len, Left, Right, Mid, UCase, LCase, CStr, CDbl, Now,
// Date, Year, Month and Day on a SQLite connection.
void registerAccessFunctions(sqlite3 *db);
