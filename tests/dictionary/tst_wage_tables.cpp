// Tests of the tables the system creates itself: personnel side, wage side, the 43 default wage items.
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "payroll/payroll_fixture.h"
#include "support/test_env.h"

#include <QTest>

using namespace PayrollFixture;

namespace {

QStringList columnNames(Connection &cn, const QString &table)
{
    QStringList names;
    for (const ColumnInfo &c : cn.columns(table))
        names << c.name.toLower();
    return names;
}

int count(Connection &cn, const QString &sql) { return scalar(cn, sql).toInt(); }

} // namespace

class TestWageTables : public QObject {
    Q_OBJECT
private slots:
    void personnelAndWageTablesOnNewDatabase();
    void partialDatabasesGetOnlyWhatIsMissing();
    void failedCreationLeavesNothingBehind();
};

void TestWageTables::personnelAndWageTablesOnNewDatabase()
{
    TestEnv env;
    Connection &cn = env.openOlderDatabase();
    ModJgupdate::CreateWageTables(cn);  // the personnel tables come first

    QCOMPARE(columnNames(cn, QStringLiteral("mytable")),
             (QStringList{"id", "xh", "table_name", "table_name_explan", "lx", "bz"}));
    const QList<CatalogueRow> cat = ModDict::Catalogue(cn, QStringLiteral("人事"));
    QVERIFY(cat.size() == 1 && cat.first().tableName == QStringLiteral("rsda") && cat.first().tableNameExplan == QStringLiteral("人事档案"));

    QStringList expected{"id"};
    for (int i = 1; i <= 15; ++i)
        expected << QStringLiteral("f%1").arg(i);
    QCOMPARE(columnNames(cn, QStringLiteral("rsda")), expected);
    // The id is numbered by the database.
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("李四"), 2500);
    QCOMPARE(count(cn, QStringLiteral("select count(distinct id) from rsda where id is not null")), 2);

    const QList<DictRow> dict = ModDict::PersonnelDict(cn, QStringLiteral("rsda"));
    QVERIFY(dict.size() == 15 && dict.at(4).colmCode == QStringLiteral("f5") && dict.at(4).colmType == QStringLiteral("NUME"));
    for (const DictRow &r : dict) {
        QVERIFY(r.shown());  // the number 1 reads back as the text "1"
        QVERIFY(r.mayBeEmpty());
    }
    const QList<DictRow> print = ModDict::PrintDict(cn, QStringLiteral("rsda"));
    QVERIFY(print.size() == 8 && print.last().colmCode == QStringLiteral("f15"));
    QVERIFY(print.first().colmDq == QStringLiteral("C") && print.first().sumTag == QStringLiteral("0"));

    QStringList rsgz{"id", "f1", "f2", "f0"};
    for (int n = 1; n <= 40; ++n)
        rsgz << QStringLiteral("t%1").arg(n);
    QCOMPARE(columnNames(cn, QStringLiteral("rsgz")), rsgz);
    QCOMPARE(columnNames(cn, QStringLiteral("rs_codedict")), columnNames(cn, QStringLiteral("dh_codedict")) + QStringList({"hztj", "hzgs"}));
    QCOMPARE(count(cn, QStringLiteral("select count(*) from rs_codedict")), 0);

    const QList<CatalogueRow> wages = ModDict::Catalogue(cn, QStringLiteral("工资"));
    QVERIFY(wages.size() == 1 && wages.first().tableName == QStringLiteral("rsgz") && wages.first().tableNameExplan == QStringLiteral("员工工资"));
    QCOMPARE(count(cn, QStringLiteral("select count(*) from mytable")), 2);

    // Items default to 0; the month key refuses over-long text like every char(n) column.
    cn.execute(QStringLiteral("insert into rsgz (f0, f1) values ('200504', '001')"));
    QCOMPARE(scalar(cn, QStringLiteral("select t40 from rsgz")).toDouble(), 0.0);
    QVERIFY_THROWS_EXCEPTION(DbError, cn.execute(QStringLiteral("insert into rsgz (f0) values ('2005040100000')")));

    // The month filter and the pay-sheet order have their index.
    if (TestEnv::onPostgres()) {
        for (const ColumnInfo &c : cn.columns(QStringLiteral("rsgz")))
            QCOMPARE(c.leadsIndex, c.name == QLatin1String("f0") || c.name == QLatin1String("id"));
    } else {
        const ResultSet idx = cn.query(QStringLiteral(
            "select group_concat(ii.name) from sqlite_master m, pragma_index_info(m.name) ii "
            "where m.type = 'index' and m.tbl_name = 'rsgz' group by m.name"));
        QCOMPARE(idx.rows.size(), 1);
        QCOMPARE(idx.rows.first().value(0).toString(), QStringLiteral("f0,f1"));
    }

    // The 43 default items. A row of another table with no nullbj is filled too, as the update
    // has no table filter.
    cn.execute(QStringLiteral("insert into rs_codedict (xh, table_code, colm_code) values (1, 'other', 'x')"));
    QVERIFY(ModJgupdate::WriteDefaultWageItems(cn));

    const QList<DictRow> rows = ModDict::WageDict(cn, QStringLiteral("rsgz"), false);
    QCOMPARE(rows.size(), 43);
    QStringList codes;
    for (const DictRow &r : rows) {
        codes << r.colmCode;
        QCOMPARE(r.nullbj.toString(), QStringLiteral("0"));
        QCOMPARE(r.tableName, QStringLiteral("工资管理"));
        QCOMPARE(r.colmCd.toInt(), 10);
        QVERIFY(r.hzgs.isNull());
    }
    expected = QStringList{"f0", "f1", "f2"};
    for (int n = 1; n <= 40; ++n)
        expected << QStringLiteral("T%1").arg(n);
    QCOMPARE(codes, expected);
    QVERIFY(rows.at(9).colmName == QStringLiteral("t7") && rows.at(9).xh.toInt() == 85 && rows.at(42).xh.toInt() == 385);
    QCOMPARE(rows.at(41).colmName, QStringLiteral("应发合计"));
    QCOMPARE(ModDict::WageDict(cn, QStringLiteral("rsgz"), true).size(), 11);
    QCOMPARE(scalar(cn, QStringLiteral("select nullbj from rs_codedict where table_code = 'other'")).toString(),
             QStringLiteral("0"));

    QVERIFY(!ModJgupdate::WriteDefaultWageItems(cn));
    QCOMPARE(count(cn, QStringLiteral("select count(*) from rs_codedict")), 44);
}

void TestWageTables::partialDatabasesGetOnlyWhatIsMissing()
{
    TestEnv env;
    Connection &cn = env.openOlderDatabase();
    // A personnel table made by hand with only some of its columns, and no mytable.
    cn.execute(QStringLiteral("create table rsda (id integer primary key autoincrement, f1 char(20), f2 char(20))"));
    cn.execute(QStringLiteral("insert into rsda (f1, f2) values ('001', '张三')"));
    ModJgupdate::CreatePersonnelTables(cn);
    QCOMPARE(columnNames(cn, QStringLiteral("rsda")).size(), 16);
    QCOMPARE(count(cn, QStringLiteral("select count(*) from rsda")), 1);

    // Repeating the creation writes no second default row anywhere.
    ModJgupdate::CreatePersonnelTables(cn);
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::CreateWageTables(cn);
    QCOMPARE(count(cn, QStringLiteral("select count(*) from mytable")), 2);
    QCOMPARE(count(cn, QStringLiteral("select count(*) from dh_codedict")), 15);
    QCOMPARE(count(cn, QStringLiteral("select count(*) from pr_codedict")), 8);

    // The wage dictionary without its formula columns and without the wage table: both completed,
    // the rows kept.
    cn.execute(QStringLiteral("drop table rs_codedict"));
    cn.execute(QStringLiteral("drop table rsgz"));
    cn.execute(QStringLiteral("delete from mytable where table_name = 'rsgz'"));
    cn.execute(QStringLiteral("select * into rs_codedict from dh_codedict where id_no=0"));
    cn.execute(QStringLiteral("insert into rs_codedict (xh, table_code, colm_code) values (5, 'rsgz', 'f0')"));
    ModJgupdate::CreateWageTables(cn);
    QVERIFY(columnNames(cn, QStringLiteral("rs_codedict")).contains("hzgs") && columnNames(cn, QStringLiteral("rs_codedict")).contains("hztj"));
    QCOMPARE(count(cn, QStringLiteral("select count(*) from rs_codedict")), 1);
    QCOMPARE(columnNames(cn, QStringLiteral("rsgz")).size(), 44);
    QCOMPARE(count(cn, QStringLiteral("select count(*) from mytable where table_name = 'rsgz'")), 1);
    // The dictionary already holds a "rsgz" row: no defaults are added to it.
    QVERIFY(!ModJgupdate::WriteDefaultWageItems(cn));
    QCOMPARE(count(cn, QStringLiteral("select count(*) from rs_codedict")), 1);
}

void TestWageTables::failedCreationLeavesNothingBehind()
{
    TestEnv env;
    Connection &cn = env.openOlderDatabase();
    // Without the personnel dictionary the last step fails; the tables made before it go too.
    cn.execute(QStringLiteral("drop table dh_codedict"));
    QVERIFY_THROWS_EXCEPTION(DbError, ModJgupdate::CreatePersonnelTables(cn));
    QVERIFY(!cn.tableExists(QStringLiteral("mytable")) && !cn.tableExists(QStringLiteral("rsda")));
    QCOMPARE(cn.transactionDepth(), 0);
}

QTEST_MAIN(TestWageTables)
#include "tst_wage_tables.moc"
