// The server branch: the ODBC connection string, and failures to reach a server numbered as before.
#include "support/test_env.h"

#include "platform/db/connection.h"
#include "platform/db/odbc_provider.h"

#include <QElapsedTimer>
#include <QtTest>

class TestOdbc : public QObject {
    Q_OBJECT
private slots:
    void buildsConnectionStringAndNumbersFailures();
    void unreachableServerFailsPromptly();
};

void TestOdbc::buildsConnectionStringAndNumbersFailures()
{
    const QString driver = OdbcProvider::odbcDriver();
    QVERIFY(driver.startsWith('{') && driver.endsWith('}'));
    QCOMPARE(OdbcProvider::odbcConnectionString("db1", "hy", "sa", "pw", 50),
             "DRIVER=" + driver + ";SERVER=db1;DATABASE=hy;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8;");
    // "host,port" as the system writes a server with a port; values that would end the pair go in braces
    QCOMPARE(OdbcProvider::odbcConnectionString("10.0.0.5, 1433", "工资", "u;x", "p}w{", 50),
             "DRIVER=" + driver + ";SERVER=10.0.0.5;PORT=1433;DATABASE=工资;UID={u;x};PWD={p}}w{};TDS_Version=7.4;"
             "ClientCharset=UTF-8;");
    QCOMPARE(OdbcProvider::odbcConnectionString("h", "d", "u", " a=b ", 50).section(';', 4, 4), QString("PWD={ a=b }"));
    QCOMPARE(OdbcProvider::loginTimeout(50), 10);
    QCOMPARE(OdbcProvider::loginTimeout(0), 2);

    // The driver's failures get the numbers the old provider gave them.
    const struct { const char *state, *message; int number; } failures[] = {
        {"18456", "[FreeTDS][SQL Server]Login failed for user 'sa'.", DbError::LoginRefused},
        {"", "[unixODBC][FreeTDS][SQL Server]Unable to connect to data source", DbError::ProviderFailure},
        {"208", "Invalid object name 'rsda'.", DbError::ObjectNotFound}, {"207", "Invalid column name 'f99'.", DbError::UnknownColumn},
        {"8152", "String or binary data would be truncated.", DbError::ConstraintRefused},
        {"102", "Incorrect syntax near 'form'.", DbError::SyntaxError}};
    for (const auto &f : failures)
        QVERIFY2(OdbcProvider::odbcErrorNumber(f.state, f.message) == f.number, f.message);
}

void TestOdbc::unreachableServerFailsPromptly()
{
    // Nothing listens on port 1: the open must fail as an unreachable server, without hanging.
    Connection cn;
    cn.setCommandTimeout(50);
    QElapsedTimer timer;
    timer.start();
    try {
        cn.open("Provider=SQLOLEDB.1;Persist Security Info=false;User ID=u;pwd=p;Initial Catalog=d;"
                "Data Source=127.0.0.1,1");
        QFAIL("opened a server that is not there");
    } catch (const DbError &e) {
        QCOMPARE(e.number, DbError::ProviderFailure);
        QVERIFY(!e.description.isEmpty());
    }
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!cn.isOpen());
    QCOMPARE(cn.providerKind(), QString());
}

QTEST_MAIN(TestOdbc)
#include "tst_odbc.moc"
