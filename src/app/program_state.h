// Program-wide state of the run: the shared connection, the database kind and location, the operator.
#pragma once

#include "platform/db/connection.h"

#include <QString>

inline const QString kAppTitle = QStringLiteral("禾沐馆务");  // settings name, status bar, captions

extern Connection cnMain;     // the one database connection of the run
extern QString strDbType;     // "ACCESS", "SQLSERVER" or "POSTGRESQL"
extern QString strDataPath;   // folder of the local database file, no trailing separator
extern QString strDataFile;   // file name of the local database file
extern QString strConnect;    // the server connection string of this run
extern QString strCzyName;    // the operator logged in
extern QString strGsName;     // company name for report headers; empty for the whole run

// Closes cnMain and empties every value above (tests start each case from here).
void resetProgramState();
