// Tests of the dialect helpers (date literals, date-column text) and of the quoting helper.
#include "support/test_env.h"

#include "app/program_state.h"
#include "app/sql_dialect.h"
#include "app/sql_text.h"

#include <QTest>

class TestSqlDialect : public QObject {
    Q_OBJECT
private slots:
    void dateLiteral_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("expected");
        const QDateTime afternoon(QDate(2005, 3, 17), QTime(14, 9, 0));
        const QDateTime morning(QDate(2005, 11, 2), QTime(9, 5, 7));
        const QDateTime midnight(QDate(2005, 3, 7), QTime(0, 0));
        QTest::newRow("access lower case") << "access" << afternoon << "#2005-3-17 14:09:00#";
        QTest::newRow("access mixed case") << "Access" << morning << "#2005-11-2 9:05:07#";
        QTest::newRow("access midnight") << "ACCESS" << midnight << "#2005-3-7#";
        QTest::newRow("server") << "SQLSERVER" << afternoon << "'2005-3-17 14:09:00'";
        QTest::newRow("unknown kind") << "ORACLE" << afternoon << "'2005-3-17 14:09:00'";
        QTest::newRow("no kind") << "" << midnight << "'2005-3-7'";
        QTest::newRow("one second past midnight") << "ACCESS" << QDateTime(QDate(2005, 3, 7), QTime(0, 0, 1))
                                                  << "#2005-3-7 0:00:01#";
    }

    void dateLiteral()
    {
        QFETCH(QString, kind);
        QFETCH(QDateTime, value);
        QFETCH(QString, expected);
        strDbType = kind;
        QCOMPARE(ModGetDAte::DateLiteral(value), expected);
    }

    void dateColumnText_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        QTest::newRow("access lower case") << "access" << "a.last_time" << "Format(a.last_time,'yyyy-mm-dd hh:mm:ss AMPM')";
        QTest::newRow("server lower case") << "SqlServer" << "last_time" << "convert(VarChar(10),last_time, 21)";
        QTest::newRow("unknown kind") << "ORACLE" << "init_time" << "init_time";
        QTest::newRow("no kind") << "" << "init_time" << "init_time";
    }

    void dateColumnText()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        strDbType = kind;
        QCOMPARE(ModGetDAte::DateColumnText(expression), expected);
    }

    void literalsReadBackAsTheSameDate()
    {
        // The local database stores what the literal says, in its own date text.
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        const QList<QDateTime> values = {QDateTime(QDate(2005, 3, 17), QTime(14, 9, 0)), QDateTime(QDate(2005, 11, 2), QTime(9, 5, 7)),
                                         QDateTime(QDate(2005, 3, 7), QTime(0, 0))};
        for (const QDateTime &v : values) {
            cn.execute(QStringLiteral("insert into czyrz (czyname, czyxm) values ('system', 'x')"));
            cn.execute(QStringLiteral("update czyrz set last_time= ") + ModGetDAte::DateLiteral(v) +
                       QStringLiteral(" where czyxm='x' and last_time is null"));
            const ResultSet rs = cn.query(QStringLiteral("select last_time from czyrz where last_time=?"),
                                          {v.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
            QCOMPARE(rs.rows.size(), 1);
        }
    }

    void quotedValuesStayOneValue()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        const QStringList values = {QStringLiteral("王'五"), QStringLiteral("''"), QStringLiteral("x' or '1'='1"),
                                    QStringLiteral("'); drop table czy; --"), QString(), QStringLiteral("普通")};
        for (const QString &v : values) {
            cn.execute(QStringLiteral("insert into zwlx (zwlx, zwlxbm) values ('") + SqlQuote(v) + QStringLiteral("', 'T')"));
            const ResultSet rs = cn.query(QStringLiteral("select zwlx from zwlx where zwlx='") + SqlQuote(v) +
                                          QStringLiteral("' and zwlxbm='T'"));
            QCOMPARE(rs.rows.size(), 1);
            QCOMPARE(rs.rows[0][0].toString(), v);
            cn.execute(QStringLiteral("delete from zwlx where zwlxbm='T'"));
        }
        QVERIFY(cn.tableExists(QStringLiteral("czy")));
    }
};

QTEST_MAIN(TestSqlDialect)
#include "tst_sql_dialect.moc"
