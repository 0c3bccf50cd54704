// The functions and operators of the old engine's expression language, for SQLite connections.
#pragma once

struct sqlite3;

// Registers on a SQLite connection the acc_* implementations the SQLite emitter calls (operators,
// stored-value checks, and every function of the language), and the language's own names of the
// functions that plain SQL written for the old database calls directly (Int, Nz, Format, …).
void registerAccessFunctions(sqlite3 *db);
