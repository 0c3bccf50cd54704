// The tests' PostgreSQL databases: made from a template that holds the language's functions, dropped after the case.
#include "test_postgres.h"

#include "platform/db/connection.h"

#include <QCoreApplication>
#include <QSettings>
#include <libpq-fe.h>
#include <stdexcept>

namespace TestPostgres {

namespace {

const char *const kTemplate = "rsgz_template";

// Runs statements on the cluster's maintenance database; throws with the server's message.
class Admin {
public:
    Admin()
    {
        const Server s = server();
        const QByteArray info = QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=postgres")
                                    .arg(s.host)
                                    .arg(s.port)
                                    .arg(s.user, s.password)
                                    .toUtf8();
        m_conn = PQconnectdb(info.constData());
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(PQerrorMessage(m_conn));
        PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    }
    ~Admin() { PQfinish(m_conn); }
    Admin(const Admin &) = delete;
    Admin &operator=(const Admin &) = delete;

    QString scalar(const QString &sql)
    {
        PGresult *r = PQexec(m_conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(r);
        QString value;
        if (status == PGRES_TUPLES_OK && PQntuples(r) > 0)
            value = QString::fromUtf8(PQgetvalue(r, 0, 0));
        const QString error = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
            throw std::runtime_error(error.toStdString());
        return value;
    }

private:
    PGconn *m_conn = nullptr;
};

} // namespace

bool enabled() { return !qEnvironmentVariableIsEmpty("RSGZ_TEST_POSTGRES"); }

Server server()
{
    QSettings file(qEnvironmentVariable("RSGZ_TEST_POSTGRES"), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("main"));
    return {file.value(QStringLiteral("server")).toString(), file.value(QStringLiteral("port")).toInt(),
            file.value(QStringLiteral("username")).toString(), file.value(QStringLiteral("password")).toString()};
}

void open(Connection &cn, const QString &database)
{
    const Server s = server();
    cn.openPostgres(s.host, s.port, database, s.user, s.password);
}

QString createDatabase()
{
    static int counter = 0;
    Admin admin;
    // The template is made once for every test program: the first one holds the others off meanwhile.
    admin.scalar(QStringLiteral("select pg_advisory_lock(7262002)"));
    try {
        if (admin.scalar(QStringLiteral("select count(*) from pg_database where datname = '%1'").arg(QLatin1String(kTemplate))) == QLatin1String("0")) {
            admin.scalar(QStringLiteral("create database %1").arg(QLatin1String(kTemplate)));
            Connection cn;
            open(cn, QLatin1String(kTemplate));  // creates the functions
            cn.close();
        }
    } catch (...) {
        admin.scalar(QStringLiteral("select pg_advisory_unlock(7262002)"));
        throw;
    }
    admin.scalar(QStringLiteral("select pg_advisory_unlock(7262002)"));
    const QString name = QStringLiteral("rsgz_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    admin.scalar(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    admin.scalar(QStringLiteral("create database %1 template %2").arg(name, QLatin1String(kTemplate)));
    return name;
}

void dropDatabase(const QString &name)
{
    try {
        Admin admin;
        admin.scalar(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    } catch (const std::exception &) {
        // the cluster is thrown away after the run
    }
}

} // namespace TestPostgres
