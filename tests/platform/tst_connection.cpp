// Connection over SQLite: the system's table-making SQL end to end, error numbers, transactions,
// and the Access functions inside statements.
#include "support/test_env.h"

#include "platform/db/connection.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sqlite3.h>

namespace {

// The error a call throws; number 0 when it throws none.
template <class F>
DbError thrown(F &&f)
{
    try {
        f();
    } catch (const DbError &e) {
        return e;
    }
    return {};
}

// The error number a statement raises, 0 when it runs.
int errorOf(Connection &cn, const QString &sql, DbError *out = nullptr)
{
    const DbError e = thrown([&] { cn.execute(sql); });
    if (out)
        *out = e;
    return e.number;
}

QVariant scalar(Connection &cn, const QString &sql)
{
    const ResultSet rs = cn.query(sql);
    return rs.rows.isEmpty() ? QVariant() : rs.rows.first().value(0);
}

ColumnInfo columnNamed(Connection &cn, const QString &table, const QString &name)
{
    for (const ColumnInfo &c : cn.columns(table))
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return {};
}

} // namespace

class TestConnection : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_cn;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_cn = std::make_unique<Connection>();
        m_cn->openFile(m_dir->filePath("hydb.mdb"), true);
        m_cn->execute("create table ckv_zc (id counter primary key, name char(10))");
        m_cn->execute("create table dh_codedict (id_no counter, xh int, table_code char(10), colm_code char(10), "
                      "colm_name char(20), colm_type char(10), colm_cd int, can_show char(1), nullbj char(1), "
                      "colm_width int, memo memo)");
    }

    void cleanup()
    {
        m_cn.reset();
        m_dir.reset();
    }

    void createsPersonnelAndWageTables()
    {
        Connection &cn = *m_cn;
        // The personnel side, statement by statement as the system writes it.
        QVERIFY(cn.query("select id into myTable from ckv_zc where id=0").rows.isEmpty());
        for (const char *col : {"COLUMN xh int", "column table_name char(50)", "column table_name_explan char(50)",
                                "column lx  char(10)", "column bz char(50)"})
            cn.execute(QString("alter table mytable add ") + col);
        cn.execute("insert into mytable(xh,table_name,table_name_explan,lx,bz)  values(5,'rsda','人事档案','人事','人事档案主表')");
        cn.query("select id into rsda from ckv_zc where id=0");
        const QStringList types = {"char(20)", "char(20)", "char(8)", "char(2)", "single", "char(20)", "char(18)", "char(30)",
                                   "char(20)", "char(20)", "char(8)", "char(20)", "char(10)", "char(10)", "char(30)"};
        for (int i = 0; i < types.size(); ++i)
            cn.execute(QString("alter table rsda add column f%1 %2").arg(i + 1).arg(types[i]));

        QVERIFY(columnNamed(cn, "mytable", "id").autoIncrement);
        QCOMPARE(columnNamed(cn, "rsda", "f5").declaredType, QString("single"));
        QCOMPARE(scalar(cn, "select id from mytable where table_name='rsda'").toInt(), 1);

        cn.execute("insert into rsda (f1,f2,f5) values ('001','张三',3000), ('002','李四',2500.5)");

        // The wage side: a copy of rsda's columns, then the items.
        cn.query("select *  into rs_codedict from dh_codedict where id_no=0 order by xh");
        for (const char *col : {"hztj", "hzgs"})
            cn.execute(QString("alter table rs_codedict add column %1 char(250)").arg(col));
        QVERIFY(cn.columns("rs_codedict").size() == 13 && columnNamed(cn, "rs_codedict", "memo").declaredType == "memo");
        cn.query("select id,f1,f2  into rsgz from rsda where id=0 ");
        cn.execute("alter table rsgz add column f0 char(12)");
        for (int n = 1; n <= 3; ++n)
            cn.execute(QString("alter table rsgz add column t%1 single default 0").arg(n));
        QVERIFY(cn.columns("rsgz").size() == 7 && columnNamed(cn, "rsgz", "id").autoIncrement);

        QCOMPARE(cn.execute("insert into rsgz (f0,f1,f2,t1)  select '200504',f1,f2,f5 from rsda"), 2);
        QCOMPARE(scalar(cn, "select count(distinct id) from rsgz where id is not null").toInt(), 2);
        // single columns keep fractions and divide as numbers: 3000/4 is not an integer division
        cn.execute("update rsgz set t2=4");
        cn.execute("update rsgz set t3=t1/t2");
        QCOMPARE(scalar(cn, "select t3 from rsgz where f1='002'").toDouble(), 625.125);

        // A copy made by select … into keeps its own numbering.
        cn.query("select * into rsda2 from rsda where f1='002'");
        QCOMPARE(scalar(cn, "select id from rsda2").toInt(), 2);
        cn.execute("insert into rsda2 (f1) values ('003')");
        QCOMPARE(scalar(cn, "select id from rsda2 where f1='003'").toInt(), 3);
    }

    void numbersErrors()
    {
        Connection &cn = *m_cn;
        cn.execute("create table u (id counter primary key, k char(5) unique, n int not null default 0)");
        cn.execute("insert into u (k) values ('a')");
        cn.execute("create table t (code char(4), name varchar(3), note memo)");
        cn.execute("alter table t add column sex char(2)");
        cn.execute("insert into t (code,name,sex) values ('1234','张三丰','男')");
        const struct { const char *sql; int number; } cases[] = {
            {"select * from nosuch", DbError::ObjectNotFound}, {"insert into nosuch (a) values (1)", DbError::ObjectNotFound},
            {"alter table nosuch add column a int", DbError::ObjectNotFound}, {"select nocol from u", DbError::UnknownColumn},
            {"insert into u (nocol) values (1)", DbError::UnknownColumn}, {"selec * from u", DbError::SyntaxError},
            {"select nofunction(1)", DbError::SyntaxError}, {"create table u (x int)", DbError::SyntaxError},
            {"insert into u (k) values ('a')", DbError::ConstraintRefused}, {"update u set n=null", DbError::ConstraintRefused},
            // char(n) length checks, counted in characters
            {"insert into t (code) values ('12345')", DbError::ConstraintRefused}, {"update t set name='四个汉字'", DbError::ConstraintRefused},
            {"update t set sex='男性x'", DbError::ConstraintRefused}, {"select CDbl('abc')", DbError::TypeMismatch},
        };
        for (const auto &c : cases) {
            DbError e;
            QCOMPARE(errorOf(cn, c.sql, &e), c.number);
            QCOMPARE(e.sql, QString(c.sql));
            QVERIFY2(!e.nativeText.isEmpty() && !e.description.isEmpty(), c.sql);
        }
        DbError e;
        errorOf(cn, "select * from rsda", &e);
        QVERIFY(e.nativeText.contains("rsda") && e.description.contains("rsda"));
        QCOMPARE(scalar(cn, "select name from t").toString(), QString("张三丰"));
        cn.execute("update t set note='0123'");  // memo text stays text, whatever it looks like
        QCOMPARE(scalar(cn, "select note from t").toString(), QString("0123"));

        // select … into makes the table, then fills it: a failed fill leaves no half-made table behind.
        QCOMPARE(errorOf(cn, "select id, nocol into t2 from ckv_zc where id=0"), DbError::UnknownColumn);
        QVERIFY(!cn.tableExists("t2"));
        QCOMPARE(errorOf(cn, "select id into t3 from nosuch where id=0"), DbError::ObjectNotFound);
        QCOMPARE(errorOf(cn, "select id into ckv_zc from ckv_zc"), DbError::SyntaxError);
    }

    void failuresOfTheSurroundingsSaidAsSuch()
    {
        TestEnv env;
        const QString db = env.path("hydb.mdb");
        const auto openString = [](const QString &file) { return "provider=microsoft.jet.oledb.4.0;data source=" + file; };
        Connection cn, other;
        cn.openFile(db, true);
        cn.execute("create table t (x int)");
        cn.close();
        // A missing file is not created; the system writes the folder separator as "\".
        QCOMPARE(thrown([&] { cn.open(openString(env.path("missing.mdb"))); }).number, DbError::ProviderFailure);
        QVERIFY(!cn.isOpen() && !QFile::exists(env.path("missing.mdb")));
        cn.open(openString(QDir::toNativeSeparators(env.folder()) + "\\hydb.mdb"));
        QVERIFY(cn.tableExists("t") && cn.providerKind() == "ACCESS");

        // Another program holds the database: busy, in Chinese, told by a flag, with no number shown.
        other.open(openString(db));
        other.beginTransaction();
        other.execute("insert into t values (1)");
        sqlite3_busy_timeout(cn.sqliteHandle(), 50);
        DbError busy;
        QCOMPARE(errorOf(cn, "insert into t values (2)", &busy), DbError::ProviderFailure);
        QVERIFY(busy.isBusy() && !busy.isReadOnly());
        QCOMPARE(busy.description, QString("数据库正被其他程序使用，请稍后再试。"));
        QCOMPARE(busy.numbered(), busy.description);
        other.rollbackTransaction();
        other.close();
        cn.close();
        DbError statement;
        errorOf(*m_cn, "selec 1", &statement);
        QVERIFY(!statement.fromSurroundings() && statement.numbered().endsWith(QString::number(DbError::SyntaxError)));

        // A read-only file, a read-only folder and a folder that may not be entered say so.
        QDir(env.folder()).mkpath("ro");
        QDir(env.folder()).mkpath("shut");
        QFile::copy(db, env.path("ro/hydb.mdb"));
        QFile::copy(db, env.path("shut/hydb.mdb"));
        QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(env.path("ro/hydb.mdb"), QFileDevice::Permissions(0x6666));
        QFile::setPermissions(env.path("ro"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(env.path("shut"), QFileDevice::Permissions());
        {
            AsOrdinaryUser ordinary(env);
            for (const QString &file : {db, env.path("ro/hydb.mdb")}) {
                cn.open(openString(file));
                DbError readOnly;
                QCOMPARE(errorOf(cn, "insert into t values (3)", &readOnly), DbError::ProviderFailure);
                QVERIFY2(readOnly.isReadOnly() && readOnly.description.contains("只读"), qPrintable(readOnly.description));
                cn.close();
            }
            const DbError shut = thrown([&] { cn.open(openString(env.path("shut/hydb.mdb"))); });
            QVERIFY2(shut.cause == DbError::Cause::NoAccess && shut.description.contains("没有权限"), qPrintable(shut.description));
        }
        for (const char *folder : {"ro", "shut"})
            QFile::setPermissions(env.path(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // A file that is no database (a text, a spreadsheet saved under the name) is said so in Chinese.
        QFile text(env.path("notes.mdb"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray("员工,工资\n001,3500\n").repeated(300)) > 0);
        text.close();
        const DbError e = thrown([&] { cn.open(openString(env.path("notes.mdb"))); });
        QVERIFY2(e.number == DbError::ProviderFailure && e.cause == DbError::Cause::NotDatabase &&
                     e.description.contains("文件不是数据库") && !e.description.contains("file is not"),
                 qPrintable(e.description));
        QVERIFY(e.numbered() == e.description && !cn.isOpen());
    }

    void transactionsNestAndRollBack()
    {
        Connection &cn = *m_cn;
        cn.execute("create table t (k char(3) unique)");
        {
            Transaction tx(cn);
            cn.execute("insert into t values ('a')");
            QCOMPARE(errorOf(cn, "insert into t values ('a')"), DbError::ConstraintRefused);
        }  // no commit: leaving the scope undoes the first insert
        QVERIFY(scalar(cn, "select count(*) from t").toInt() == 0 && cn.transactionDepth() == 0);
        {
            Transaction outer(cn);
            cn.execute("insert into t values ('b')");
            {
                Transaction inner(cn);
                QCOMPARE(cn.transactionDepth(), 2);
                cn.execute("insert into t values ('c')");
            }  // the inner one alone is undone
            Transaction committed(cn);
            cn.execute("insert into t values ('d')");
            committed.commit();
            outer.commit();
        }
        QCOMPARE(cn.query("select k from t order by k").rows, (QList<QVariantList>{{QString("b")}, {QString("d")}}));
    }

    // The Access functions inside statements: Null passes through, numbers come back as doubles
    // where the old engine gave doubles.
    void accessFunctions()
    {
        const QVariant null;
        const struct { const char *expr; QVariant expected; } cases[] = {
            {"Format('2005-03-17 14:09:00','yyyy-mm-dd hh:mm:ss AMPM')", "2005-03-17 02:09:00 下午"},
            {"Format('2005-03-17 09:05:07','yyyy-mm-dd hh:nn:ss AM/PM')", "2005-03-17 09:05:07 AM"},
            {"Format('2005-03-07','yyyy年m月d日 dddd')", "2005年3月7日 星期一"}, {"Format(#2005-3-17 14:09#,'yy/mm/dd hh:mm')", "05/03/17 14:09"},
            {"Format(1234.5,'#####0.00')", "1234.50"}, {"Format(0.12345,'0.00%')", "12.35%"}, {"Format(1.005,'0.00')", "1.01"},
            {"Format(-2.5,'0')", "-3"}, {"Format(-5,'0;(0)')", "(5)"}, {"Format(0.5,'#.##')", ".5"}, {"Format(3,'Fixed')", "3.00"},
            {"Format(Null,'0.00')", null}, {"Int(-2.5)", -3.0}, {"Val('  12.5abc')", 12.5}, {"Val('&H1F')", 31.0}, {"Nz(Null)", ""},
            {"Len(12.5)", 4}, {"left(Null, 2)", null}, {"CStr(2.50)", "2.5"}, {"CDbl('1,234.5')", 1234.5},
            {"Year('2005-03-17 14:09:00')", 2005}, {"Month(#3/17/2005#)", 3}, {"Day(38428)", 17} /* day number of 2005-03-17 */,
        };
        for (const auto &c : cases) {
            const QVariant v = scalar(*m_cn, QString("select ") + c.expr);
            const QByteArray got = QByteArray(c.expr) + " gave " + v.toString().toUtf8() + " of type " + QByteArray::number(v.typeId());
            if (c.expected.isNull())
                QVERIFY2(v.isNull(), got);
            else if (c.expected.typeId() == QMetaType::Double)
                QVERIFY2(v.typeId() == QMetaType::Double && v.toDouble() == c.expected.toDouble(), got);
            else
                QVERIFY2(v.toString() == c.expected.toString(), got);
        }
    }

    void formulasAndLogsUseFunctions()
    {
        Connection &cn = *m_cn;
        cn.execute("create table rsgz (id counter primary key, f0 char(12), f2 char(20), t1 single default 0, "
                   "t2 single default 0, t3 single default 0, t39 single default 0)");
        cn.execute("insert into rsgz (f0,f2,t1,t2) values ('200504','张三',3000.6,200), ('200504','李四',1800,null), "
                   "('200505','王五',1000,100)");
        // a wage item computed under a condition, as the calculation writes it
        cn.execute("update rsgz set t39=Int(t1)+Nz(t2,0)+iif(t1>2000,100,0) where f0='200504' and (Left(f2,1)<>'王')");
        QCOMPARE(cn.query("select t39 from rsgz order by id").rows, (QList<QVariantList>{{3300.0}, {1800.0}, {0.0}}));
        QCOMPARE(scalar(cn, "select Format(sum(t39),'#,##0.00') from rsgz").toString(), QString("5,100.00"));

        // the operator log: now() as a default, #date# literals in updates and comparisons
        cn.execute("create table czyrz (tag counter primary key, czyname char(20), czyxm char(50), "
                   "init_time datetime default now(), last_time datetime)");
        cn.execute("insert into czyrz([czyname],czyxm)  values('system','操作员日志')");
        const QDateTime started = QDateTime::fromString(scalar(cn, "select init_time from czyrz").toString(), "yyyy-MM-dd HH:mm:ss");
        QVERIFY(started.isValid());
        QVERIFY(qAbs(started.secsTo(QDateTime::currentDateTime())) < 60);
        cn.execute("update czyrz set last_time= #2005-3-17 14:09:00# where czyxm='操作员日志' and last_time is null");
        QCOMPARE(scalar(cn, "select last_time from czyrz").toString(), QString("2005-03-17 14:09:00"));
        QCOMPARE(scalar(cn, "select count(*) from czyrz where Format(last_time,'yyyy-mm-dd hh:mm:ss AMPM')>=#2005-3-17#").toInt(), 1);
        QCOMPARE(scalar(cn, "select count(*) from czyrz where last_time>=#2005-3-18#").toInt(), 0);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
