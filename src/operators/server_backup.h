// ModServerBackup: backup and restore of a server database (PostgreSQL) with its own tools: a
// pg_dump archive under the backup's usual name, restored by pg_restore in one transaction.
#pragma once

#include "operators/backup.h"
#include "operators/restore.h"

namespace ModServerBackup {

// The PostgreSQL client program of that name (on the PATH or in the server's own folders), or empty.
QString FindTool(const QString &name);
// What is said when it is missing.
QString MissingToolText(const QString &name);

// A custom-format dump of the data of cn's database (its tables, their rows, keys and triggers)
// written beside target and renamed over it when complete, readable by its owner only.
Modulback::CopyResult DumpDatabase(Connection &cn, const QString &target, QString *why);

// The restore's steps in server mode: the dump checked with pg_restore; the data replaced in one
// transaction (the tables moved aside, the dump's tables made in their place, the old ones
// dropped), so that a failure leaves the data as it was and other desks never see half of it.
ModRestore::Steps PostgresSteps();

} // namespace ModServerBackup
