// Access SQL translation: input statements against the SQLite statements they become.
#include "support/test_env.h"

#include "platform/db/sql_translation.h"

#include <QtTest>

namespace {

ColumnInfo col(const QString &name, const QString &type, bool autoKey = false)
{
    ColumnInfo c;
    c.name = name;
    c.declaredType = type;
    c.primaryKey = autoKey;
    c.autoIncrement = autoKey;
    return c;
}

QList<ColumnInfo> schema(const QString &table)
{
    const QString t = table.toLower();
    if (t == QLatin1String("rsda"))
        return {col("id", "INTEGER", true), col("f1", "char(20)"), col("f2", "char(20)"), col("f5", "single")};
    if (t == QLatin1String("ckv_zc"))
        return {col("id", "integer", true)};
    if (t == QLatin1String("dh_codedict"))
        return {col("id_no", "integer"), col("xh", "int"), col("table_code", "char(10)"), col("memo", "memo")};
    return {};
}

} // namespace

class TestSqlTranslation : public QObject {
    Q_OBJECT
private slots:
    void translates_data();
    void translates();
    void translatesForPostgres();
    void refusesMoreThanOneStatement();
    void readsDateLiterals();
    void reportsAccessTypeNames();
};

void TestSqlTranslation::translates_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    const auto same = [](const char *name, const QString &sql) { QTest::newRow(name) << sql << QStringList{sql}; };

    // Definitions SQLite runs as they are.
    same("create index", "create index ix_f1 on rsda(f1)");
    same("alter add int", "alter table mytable add COLUMN xh int");
    QTest::newRow("closing semicolon dropped") << "create index ix on rsda(f1);  " << QStringList{"create index ix on rsda(f1)"};

    QTest::newRow("create with Access types")
        << "create table t (a char(20), b single, c memo, id counter, d int, e double)"
        << QStringList{"create table t (a char(20) check(length(\"a\")<=20), b single real, c memo text, "
                       "id integer primary key autoincrement, d int, e double)"};
    QTest::newRow("create with constraints")
        << "create table [my t] (id counter primary key, [f 1] text(50) not null, v varchar, constraint u unique (v))"
        << QStringList{"create table [my t] (id integer primary key autoincrement, [f 1] text(50) not null check(length(\"f 1\")<=50), "
                       "v varchar check(length(\"v\")<=255), constraint u unique (v))"};
    QTest::newRow("create default now") << "create table t (d datetime default now(), n int default 0)"
                                        << QStringList{"create table t (d datetime default (datetime('now','localtime')), n int default 0)"};
    QTest::newRow("create default date literal") << "create table t (d datetime default #2005-3-17#)"
                                                 << QStringList{"create table t (d datetime default '2005-03-17 00:00:00')"};
    QTest::newRow("alter char") << "alter table mytable add column lx  char(10)"
                                << QStringList{"alter table mytable add column lx  char(10) check(length(\"lx\")<=10)"};
    QTest::newRow("alter single default") << "alter table rsgz add column t1 single default 0"
                                          << QStringList{"alter table rsgz add column t1 single real default 0"};
    QTest::newRow("alter without column word") << "ALTER TABLE rsda ADD f4 CHAR(2)"
                                               << QStringList{"ALTER TABLE rsda ADD f4 CHAR(2) check(length(\"f4\")<=2)"};

    // select … into: a table with the source's definitions (the key stays auto-numbered), then filled.
    QTest::newRow("select into, auto key kept")
        << "select id,f1,f2  into rsgz from rsda where id=0 "
        << QStringList{"create table rsgz (id integer primary key autoincrement, f1 char(20) check(length(\"f1\")<=20), "
                       "f2 char(20) check(length(\"f2\")<=20))",
                       "INSERT INTO rsgz (id,f1,f2) SELECT id, f1, f2 FROM rsda WHERE (id = 0)"};
    QTest::newRow("select star into")
        << "select *  into rs_codedict from dh_codedict where id_no=0 order by xh"
        << QStringList{"create table rs_codedict (id_no integer, xh int, table_code char(10) check(length(\"table_code\")<=10), "
                       "memo memo text)",
                       "INSERT INTO rs_codedict (id_no,xh,table_code,memo) SELECT * FROM dh_codedict WHERE (id_no = 0) ORDER BY xh"};
}

void TestSqlTranslation::translates()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QCOMPARE(translateAccessSql(sql, schema), expected);
}

// One execute is one statement: a second one, a comment or a NUL is refused before anything runs,
// in definitions as in data statements; a trigger's body keeps its own semicolons.
// PostgreSQL reads the same definitions with its own types: Access types without a name of their own
// as the domains of the schema acc, texts with their length and binary order, auto-numbered keys
// as identity columns whose numbering follows keys an insert gives.
void TestSqlTranslation::translatesForPostgres()
{
    QCOMPARE(translateAccessSqlForPostgres(
                 QStringLiteral("create table [My T] (id counter, a char(20), b single, c memo, d datetime default now(), "
                                "e yesno, n int, k integer primary key)"),
                 schema),
             QStringList{QStringLiteral(
                 "create table \"my t\" (\"id\" bigint generated by default as identity primary key,"
                 "\"a\" varchar(20) COLLATE \"C\",\"b\" acc.single,\"c\" text COLLATE \"C\","
                 "\"d\" timestamp(0) default localtimestamp(0),\"e\" acc.yesno,\"n\" bigint,"
                 "\"k\" bigint generated by default as identity primary key)")});
    QCOMPARE(translateAccessSqlForPostgres(QStringLiteral("drop table temp.rsgz_trial_before"), schema),
             QStringList{QStringLiteral("drop table pg_temp.rsgz_trial_before")});
    const QStringList into = translateAccessSqlForPostgres(QStringLiteral("select id,f1  into rsgz from rsda where id=0 "), schema);
    QCOMPARE(into.size(), 3);
    QCOMPARE(into.at(0), QStringLiteral("create table \"rsgz\" (\"id\" bigint generated by default as identity primary key,"
                                        "\"f1\" varchar(20) COLLATE \"C\")"));
    QCOMPARE(into.at(1), QStringLiteral("INSERT INTO \"rsgz\" (\"id\",\"f1\") SELECT \"id\", \"f1\" FROM \"rsda\" WHERE (\"id\" = 0)"));
    QVERIFY(into.at(2).startsWith(QStringLiteral("SELECT setval(pg_get_serial_sequence('\"rsgz\"', 'id')")));
}

void TestSqlTranslation::refusesMoreThanOneStatement()
{
    const QStringList refused = {"create table a (x char(2)); update a set x=#2005-1-1#;", "create index i on t(a) -- x",
                                 "create index i on t(a) /* x */", "select * from rsda; delete from rsda",
                                 "update rsda set f2 = 'a' -- where id = 1", QStringLiteral("drop table t") + QChar(0)};
    for (const QString &sql : refused) {
        try {
            translateAccessSql(sql, schema);
            QFAIL(qPrintable(sql));
        } catch (const DbError &e) {
            QCOMPARE(e.number, DbError::SyntaxError);
        }
    }
    const QString trigger = "create trigger r before delete on rsda begin select raise(abort, 'no'); end;";
    QCOMPARE(translateAccessSql(trigger, schema).size(), 1);
}

void TestSqlTranslation::readsDateLiterals()
{
    QCOMPARE(accessDateLiteralText("2005-3-17 14:09:00"), QString("2005-03-17 14:09:00"));
    QCOMPARE(accessDateLiteralText("2005/3/7"), QString("2005-03-07 00:00:00"));
    QCOMPARE(accessDateLiteralText("3/17/05"), QString("2005-03-17 00:00:00"));
    QCOMPARE(accessDateLiteralText("2005-3-17 12:30 AM"), QString("2005-03-17 00:30:00"));
    QCOMPARE(accessDateLiteralText("2005-3-17 下午 12:30:01"), QString("2005-03-17 12:30:01"));
    QCOMPARE(accessDateLiteralText("14:09"), QString("1899-12-30 14:09:00"));
    QVERIFY(accessDateLiteralText("2005-2-30").isEmpty());
    QVERIFY(accessDateLiteralText("2005-3-17 25:00").isEmpty());
    QVERIFY(accessDateLiteralText("1 2").isEmpty());
}

void TestSqlTranslation::reportsAccessTypeNames()
{
    QCOMPARE(accessTypeName("single real"), QString("single"));
    QCOMPARE(accessTypeName("Memo text"), QString("Memo"));
    QCOMPARE(accessTypeName("char(20)"), QString("char(20)"));
    QCOMPARE(accessTypeName("real"), QString("real"));
}

QTEST_MAIN(TestSqlTranslation)
#include "tst_sql_translation.moc"
