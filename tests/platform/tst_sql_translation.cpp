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
    void readsDateLiterals();
    void reportsAccessTypeNames();
};

void TestSqlTranslation::translates_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    const auto same = [](const char *name, const QString &sql) { QTest::newRow(name) << sql << QStringList{sql}; };

    // Statements SQLite runs as they are.
    same("plain select", "select * from rsda");
    same("insert with brackets", "insert into czyrz([czyname],czyxm)  values('system','操作员日志')");
    same("insert select", "insert into rsgz (f0,f1,f2,t1)  select '200504',f1,f2,f5 from rsda");
    same("update formula", "update rsgz set t39=t1+t2+t3 where f0='200504' and (t1>0)");
    same("hash inside string", "select * from rsda where f2='#1#' or f2='#2005-3-17#'");
    same("hash inside brackets", "select [a#b], \"c#d\" from t");
    same("quotes doubled", "update czyzd set czy_pass='it''s #1 & into' where czy_name='o''neil'");
    same("true and false", "update bmcode set zzbj=true where zzbj=false");
    same("left join", "select a.x from a left join b on a.id=b.id");
    same("into inside string", "select * from t where x='select a into b from c'");
    same("into in a comment", "select f1 from rsda -- into x\n where id=1");
    same("delete", "delete    from czyrz where last_time is not null");
    same("semicolon and left( in strings", "update t set a='x;y', b='left(1)' where c=\"right(\"");
    same("create index", "create index ix_f1 on rsda(f1)");
    same("alter add int", "alter table mytable add COLUMN xh int");
    same("month list", "select  f0 as ye from rsgz group by f0 order by f0");

    QTest::newRow("date and time")
        << "update czyrz set last_time= #2005-3-17 14:09:00# where czyxm='操作员日志' and last_time is null"
        << QStringList{"update czyrz set last_time= '2005-03-17 14:09:00' where czyxm='操作员日志' and last_time is null"};
    QTest::newRow("date only, US order, pm")
        << "select * from t where d>=#2005-3-17# and d<#3/18/2005# and e=#2005-3-17 2:09:05 PM#"
        << QStringList{"select * from t where d>='2005-03-17 00:00:00' and d<'2005-03-18 00:00:00' and e='2005-03-17 14:09:05'"};
    QTest::newRow("not a date stays") << "select #2005-13-40# from t" << QStringList{"select #2005-13-40# from t"};
    QTest::newRow("concatenation") << "select f1 & '-&-' & f2 from rsda where f1 & 'x'='1x'"
                                   << QStringList{"select (ifnull(f1,'')||ifnull('-&-','')||ifnull(f2,'')) from rsda "
                                                  "where (ifnull(f1,'')||ifnull('x',''))='1x'"};
    QTest::newRow("concatenation binds looser than +") << "select 1+2 & 'x', Left(f1 & (f2 & 'y'), 3), Mid(a & b, 2) from t"
                                   << QStringList{"select (ifnull(1+2,'')||ifnull('x','')), \"left\"((ifnull(f1,'')||"
                                                  "ifnull((ifnull(f2,'')||ifnull('y','')),'')), 3), Mid((ifnull(a,'')||ifnull(b,'')), 2) from t"};
    QTest::newRow("left and right functions") << "select left(f1,2), Right (f2, 1) from rsda"
                                              << QStringList{"select \"left\"(f1,2), \"right\" (f2, 1) from rsda"};

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
    QTest::newRow("alter char") << "alter table mytable add column lx  char(10)"
                                << QStringList{"alter table mytable add column lx  char(10) check(length(\"lx\")<=10)"};
    QTest::newRow("alter single default") << "alter table rsgz add column t1 single default 0"
                                          << QStringList{"alter table rsgz add column t1 single real default 0"};
    QTest::newRow("alter without column word") << "ALTER TABLE rsda ADD f4 CHAR(2)"
                                               << QStringList{"ALTER TABLE rsda ADD f4 CHAR(2) check(length(\"f4\")<=2)"};

    QTest::newRow("select into, auto key kept")
        << "select id,f1,f2  into rsgz from rsda where id=0 "
        << QStringList{"create table \"rsgz\" (\"id\" integer primary key autoincrement, \"f1\" char(20) check(length(\"f1\")<=20), "
                       "\"f2\" char(20) check(length(\"f2\")<=20))",
                       "insert into \"rsgz\" (\"id\",\"f1\",\"f2\") select id,f1,f2 from rsda where id=0"};
    QTest::newRow("select into from ckv_zc")
        << "select id into myTable from ckv_zc where id=0"
        << QStringList{"create table \"myTable\" (\"id\" integer primary key autoincrement)",
                       "insert into \"myTable\" (\"id\") select id from ckv_zc where id=0"};
    QTest::newRow("select star into")
        << "select *  into rs_codedict from dh_codedict where id_no=0 order by xh"
        << QStringList{"create table \"rs_codedict\" (\"id_no\" integer, \"xh\" int, \"table_code\" char(10) check(length(\"table_code\")<=10), "
                       "\"memo\" memo text)",
                       "insert into \"rs_codedict\" (\"id_no\",\"xh\",\"table_code\",\"memo\") select * from dh_codedict where id_no=0 order by xh"};
    QTest::newRow("select into with alias, expression, date")
        << "select r.f1 as code, f5*2, [f2] into [new t] from rsda r where r.f2<>'a into b' and r.f1>#2005-1-2#"
        << QStringList{"create table \"new t\" (\"code\" char(20) check(length(\"code\")<=20), \"Expr1000\", "
                       "\"f2\" char(20) check(length(\"f2\")<=20))",
                       "insert into \"new t\" (\"code\",\"Expr1000\",\"f2\") select r.f1 as code, f5*2, [f2] "
                       "from rsda r where r.f2<>'a into b' and r.f1>'2005-01-02 00:00:00'"};
    QTest::newRow("select into from a missing table")
        << "select id into t from nosuch where id=0" << QStringList{"create table \"t\" as select id from nosuch where id=0"};
    QTest::newRow("two statements") << "create table a (x char(2)); update a set x=#2005-1-1#;"
                                    << QStringList{"create table a (x char(2) check(length(\"x\")<=2))",
                                                   " update a set x='2005-01-01 00:00:00'"};
}

void TestSqlTranslation::translates()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QCOMPARE(translateAccessSql(sql, schema), expected);
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
