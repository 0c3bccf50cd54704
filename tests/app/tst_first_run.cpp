// Tests of the base schema a new local database starts with.
#include "support/test_env.h"

#include "app/first_run.h"
#include "app/permissions.h"
#include "app/program_state.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>
#include <QTest>

class TestFirstRun : public QObject {
    Q_OBJECT
private slots:
    void baseTablesAndRows()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        // With the base tables, those the windows used to make on first use are there from the start,
        // with their default rows, so that no window has anything left to create.
        for (const char *table : {"czyzd", "czy", "zwlx", "czyrz", "dh_codedict", "PR_codedict", "bmcode", "ckv_zc", "mytable",
                                  "rsda", "rs_codedict", "rsgz", "gzjz"})
            QVERIFY2(cn.tableExists(QString::fromLatin1(table)), table);
        QCOMPARE(cn.query(QStringLiteral("select table_name from mytable order by xh")).rows,
                 (QList<QVariantList>{{QStringLiteral("rsda")}, {QStringLiteral("rsgz")}}));
        QCOMPARE(cn.query(QStringLiteral("select count(*) from dh_codedict where table_code='rsda'")).rows[0][0].toInt(), 15);
        QCOMPARE(cn.query(QStringLiteral("select count(*) from pr_codedict where table_code='rsda'")).rows[0][0].toInt(), 8);
        QCOMPARE(cn.query(QStringLiteral("select count(*) from rs_codedict where table_code='rsgz' and nullbj='0'")).rows[0][0].toInt(), 43);

        const ResultSet ops = cn.query(QStringLiteral("select czy_no, czy_name, czy_pass, sys_tag, zwlx from czyzd"));
        QCOMPARE(ops.rows.size(), 1);
        // an empty password, not Null: Null never matches at login
        QVERIFY(ops.rows[0][1] == "system" && !ops.rows[0][2].isNull() && ops.rows[0][2].toString().isEmpty());
        QVERIFY(ops.rows[0][0].toInt() == 1 && ops.rows[0][3].toInt() == 1);
        QCOMPARE(cn.query(QStringLiteral("select count(*) from zwlx where zwlx='%1'").arg(ops.rows[0][4].toString()))
                     .rows[0][0].toInt(), 1);

        const ResultSet perms = cn.query(QStringLiteral("select [name], czy_id, nr from czy order by rowid"));
        QCOMPARE(perms.rows.size(), 47);
        QCOMPARE(QSet<QString>(kPermissionNames.begin(), kPermissionNames.end()).size(), 47);
        for (int i = 0; i < perms.rows.size(); ++i) {
            QCOMPARE(perms.rows[i][0].toString(), QStringLiteral("system"));
            QCOMPARE(perms.rows[i][1].toInt(), 1);
            QCOMPARE(perms.rows[i][2].toString(), kPermissionNames.at(i));
        }
        // Spot checks of the order operator management shows.
        QVERIFY(kPermissionNames[0] == "储值卡计费标准设置" && kPermissionNames[34] == "操作员设置" && kPermissionNames[36] == "数据备份");
        QVERIFY(kPermissionNames[40] == "清空数据库" && kPermissionNames[46] == "商品进货删除");

        const ResultSet jobs = cn.query(QStringLiteral("select zwlx, zwlxbm from zwlx"));
        QVERIFY(jobs.rows.size() >= 1);
        QCOMPARE(jobs.rows[0][0].toString(), QStringLiteral("操作员"));
    }

    void columnsBehaveAsTheProgramExpects()
    {
        TestEnv env;
        Connection &cn = env.openOlderDatabase();

        // The default dictionary rows write the number 1; readers compare with the text '1'.
        cn.execute(QStringLiteral("insert into dh_codedict (xh,[TABLE_CODE],[TABLE_NAME],[COLM_CODE],[COLM_NAME],"
                                  "[COLM_TYPE],[COLM_CD],[CAN_SHOW]) values (5,'rsda','人事档案','f1','员工编号','CHAR',20,1)"));
        cn.execute(QStringLiteral("insert into pr_codedict   (xh,table_code,table_name,colm_code,colm_name,colm_type,"
                                  "colm_cd,can_show,colm_dq,con_type,sum_tag)  values(5,'rsda','人事档案','f1','员工编号',"
                                  "'CHAR',5,'1','C','TXT','0')"));
        const ResultSet shown = cn.query(QStringLiteral("select can_show, id_no from dh_codedict "
                                                        "where table_code='rsda' and can_show='1'"));
        QCOMPARE(shown.rows.size(), 1);
        QCOMPARE(shown.rows[0][0], QVariant(QStringLiteral("1")));  // a text, not the number written
        QVERIFY(shown.rows[0][1].toInt() > 0);
        QCOMPARE(cn.query(QStringLiteral("select count(*) from PR_codedict where table_CODE='rsda' and can_SHOW='1'"))
                     .rows[0][0].toInt(), 1);

        // The log's start time is filled by the database as local time text.
        const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
        cn.execute(QStringLiteral("insert into czyrz([czyname],czyxm)  values('system','操作员设置')"));
        cn.execute(QStringLiteral("insert into czyrz([czyname],czyxm)  values('system','部门编码')"));
        const ResultSet log = cn.query(QStringLiteral("select tag, init_time, last_time from czyrz order by tag"));
        QCOMPARE(log.rows.size(), 2);
        QVERIFY(log.rows[1][0].toInt() > log.rows[0][0].toInt());
        const QString started = log.rows[0][1].toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(started).hasMatch(),
                 qPrintable(started));
        const QDateTime at = QDateTime::fromString(started, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(at >= before && at <= QDateTime::currentDateTime().addSecs(2));
        QVERIFY(log.rows[0][2].isNull());

        // Department codes are unique.
        cn.execute(QStringLiteral("insert into bmcode (bmcode, name) values ('1', '总部')"));
        try {
            cn.execute(QStringLiteral("insert into bmcode (bmcode, name) values ('1', '重复')"));
            QFAIL("a duplicate department code was accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.number, DbError::ConstraintRefused);
        }

        // Tables made by the program copy ckv_zc's id, which must be an auto-numbered key.
        bool idIsAutoNumbered = false;
        for (const ColumnInfo &c : cn.columns(QStringLiteral("ckv_zc")))
            idIsAutoNumbered |= c.name == QLatin1String("id") && c.autoIncrement;
        QVERIFY(idIsAutoNumbered);
    }

    void defaultDatabaseFile()
    {
        TestEnv env;
        // An existing file is never replaced.
        QFile existing(env.dbPath());
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
        existing.close();
        QVERIFY_THROWS_EXCEPTION(DbError, CreateDefaultDatabase(env.dbPath()));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("keep me"));
        existing.close();

        // A new database holds passwords and pay: readable by its owner only, whatever the umask.
        const QString made = env.path(QStringLiteral("made.mdb"));
        const mode_t mask = ::umask(0);
        CreateDefaultDatabase(made);
        ::umask(mask);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(made).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        // A file that cannot be made leaves nothing behind.
        const QString unreachable = env.path(QStringLiteral("no-such-folder/hydb.mdb"));
        QVERIFY_THROWS_EXCEPTION(DbError, CreateDefaultDatabase(unreachable));
        QVERIFY(!QFile::exists(unreachable));
    }
};

QTEST_MAIN(TestFirstRun)
#include "tst_first_run.moc"
