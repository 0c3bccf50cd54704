// The tests' PostgreSQL: when RSGZ_TEST_POSTGRES names the settings file that scripts/postgres.sh
// wrote, the database-facing tests run against that throw-away cluster, each case on a database
// of its own.
#pragma once

#include <QString>

class Connection;

namespace TestPostgres {

// True when the tests run against PostgreSQL.
bool enabled();

struct Server {
    QString host;
    int port = 0;
    QString user;
    QString password;
};
Server server();

// A new empty database holding the expression language's functions; its name.
QString createDatabase();
void dropDatabase(const QString &name);
// Opens cn on the database.
void open(Connection &cn, const QString &database);

} // namespace TestPostgres
