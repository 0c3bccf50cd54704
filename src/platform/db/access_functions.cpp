// Access built-in functions registered on SQLite connections.
#include "platform/db/access_functions.h"

void registerAccessFunctions(sqlite3 *db) { (void)db; }
