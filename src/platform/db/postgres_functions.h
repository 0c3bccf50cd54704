// The implementations of the old engine's expression language on PostgreSQL: SQL and PL/pgSQL
// functions in the schema "acc", created on the first connection to a database and replaced when
// the program brings a newer version.
#pragma once

namespace pgfunctions {

// Raised whenever a function of the scripts changes: a database holding an older set gets the new one.
constexpr int kVersion = 2;

// The scripts, run in this order; each holds several statements and can run again on a database
// that has them.
const char *valuesScript();
const char *operatorsScript();
const char *libraryScript();
const char *formatScript();

} // namespace pgfunctions
