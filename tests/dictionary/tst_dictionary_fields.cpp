// Tests of the dictionary-driven field routines: checks, update lists, grid captions, box helpers.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/dictionary_fields.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <QLineEdit>
#include <QtTest>

class TestDictionaryFields : public QObject {
    Q_OBJECT
private slots:
    void valueRulesByType();
    void personnelCheckShowsOnlyFirstFailure();
    void updateListQuotingAndNulls();
    void gridCaptionsAndWidths();
    void fillFromRecord();
};

void TestDictionaryFields::valueRulesByType()
{
    TestEnv env;
    const QVariant null;
    // Text: blanks at either end do not count; one character too many fails with the length text.
    QVERIFY(CheckFieldValue("CHAR", 10, "  abcdefghij  ", "姓 名", "1"));
    QVERIFY(!CheckFieldValue("txt", 10, "abcdefghijk", "姓 名", null));
    QCOMPARE(env.messages.texts(), QStringList{"姓 名 输入数据超长!"});
    QVERIFY(env.messages.records.last().flags == 48 && env.messages.records.last().title.isEmpty());

    // Empty values: allowed with nullbj "0" or Null, refused otherwise, for every known kind.
    QVERIFY(CheckFieldValue("NUME", 4, "", "基本工资", "0"));
    QVERIFY(CheckFieldValue("DATE", 0, "", "日期", null));
    QVERIFY(!CheckFieldValue("NUME", 4, "", "基本工资", "1"));
    QCOMPARE(env.messages.records.last().text, QString("基本工资 数据不能为空!"));

    // Numbers and dates.
    QVERIFY(CheckFieldValue("INT", 0, "-12.5", "奖金", null));
    QVERIFY(!CheckFieldValue("nume", 0, "12a", "奖金", null));
    QCOMPARE(env.messages.records.last().text, QString("奖金  请输入数字！"));
    QVERIFY(CheckFieldValue("DATETIME", 0, "2005-04-30", "入职", null));
    QVERIFY(CheckFieldValue("DATE", 0, "2005/4/3 08:30", "入职", null));
    QVERIFY(!CheckFieldValue("DATE", 0, "2005-13-01", "入职", null));
    QCOMPARE(env.messages.records.last().text, QString("入职 请输入日期！"));

    // Types the checks do not accept fail without any message, even with a good number.
    const int shown = env.messages.records.size();
    QVERIFY(!CheckFieldValue("MON", 10, "1234.5", "工资", null));
    QVERIFY(!CheckFieldValue("BFL", 10, "0.25", "比率", null));
    QVERIFY(!CheckFieldValue("DATATEIM", 10, "", "日期", null));
    QCOMPARE(env.messages.records.size(), shown);
}

void TestDictionaryFields::personnelCheckShowsOnlyFirstFailure()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    cn.execute("update dh_codedict set nullbj='1' where colm_code='f1'");

    // f1 empty and required, f5 not a number: only the first box's message appears.
    QList<FieldBoxValue> boxes{{"f1", "", "CHAR"}, {"f2", "张三", ""}, {"f5", "12a", ""}};
    QVERIFY(!CheckPersonnelFields(cn, "rsda", boxes));
    QCOMPARE(env.messages.texts(), QStringList{"员工编号 数据不能为空!"});

    boxes[0].text = "A01";
    QVERIFY(!CheckPersonnelFields(cn, "rsda", boxes));
    QCOMPARE(env.messages.texts().last(), QString("基本工资  请输入数字！"));

    // Column names match the dictionary without regard to case; a box with no row passes.
    boxes[2] = {"F5", "1200", ""};
    boxes.append({"f99", "anything", ""});
    QVERIFY(CheckPersonnelFields(cn, "rsda", boxes));
    boxes[2].text = "x";
    QVERIFY(!CheckPersonnelFields(cn, "rsda", boxes) && env.messages.records.size() == 3);

    // A type the dictionary marks "MON" blocks the save silently.
    cn.execute("update dh_codedict set colm_type='MON' where colm_code='f5'");
    boxes[2].text = "1200";
    QVERIFY(!CheckPersonnelFields(cn, "rsda", boxes) && env.messages.records.size() == 3);
}

void TestDictionaryFields::updateListQuotingAndNulls()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute("create table tt (id integer primary key, f1 char(20), T1 single, T2 single, d1 text)");
    cn.execute("insert into tt (id, f1, T1, T2, d1) values (7, 'x', 1, 2, 'y')");
    cn.execute("insert into tt (id, f1, T1, T2, d1) values (8, 'keep', 5, 6, 'z')");

    // Every box empty: one null statement per box on that row only, and an empty list.
    strUpdateSet = "stale";
    BuildUpdateSetList(cn, {{"f1", "", "CHAR"}, {"T1", "", "NUME"}, {"T2", "", "NUME"}, {"d1", "", "DATE"}}, "tt", 7);
    QVERIFY(strUpdateSet.isEmpty());
    ResultSet rs = cn.query("select f1, T1, T2, d1 from tt order by id");
    for (int c = 0; c < 4; ++c)
        QVERIFY(rs.rows[0][c].isNull());
    QCOMPARE(rs.rows[1][0].toString(), QString("keep"));

    // The example of a mixed row: text quoted, number bare, the empty box set to Null.
    cn.execute("update tt set T2=2 where id=7");
    BuildUpdateSetList(cn, {{"f1", "A01", "CHAR"}, {"T1", "1200", "NUME"}, {"T2", "", "NUME"}}, "tt", 7);
    QCOMPARE(strUpdateSet, QString("[f1]='A01',[T1]=1200"));
    QVERIFY(cn.query("select T2 from tt where id=7").rows[0][0].isNull());

    // A quote inside a text is doubled, so the statement stores it; dates are quoted, and the
    // codes that are not text or date stay bare.
    BuildUpdateSetList(cn, {{"f1", "O'Brien", "txt"}, {"d1", "2005-4-3", "datetime"}, {"T1", "7.5", "MON"}}, "tt", 7);
    QCOMPARE(strUpdateSet, QString("[f1]='O''Brien',[d1]='2005-4-3',[T1]=7.5"));
    cn.execute("update tt set " + strUpdateSet + " where id=7");
    QCOMPARE(cn.query("select f1, d1, T1 from tt where id=7").rows.value(0), (QVariantList{"O'Brien", "2005-4-3", 7.5}));
}

void TestDictionaryFields::gridCaptionsAndWidths()
{
    TestEnv env;
    Connection &cn = env.openOlderDatabase();
    ModJgupdate::CreateWageTables(cn);  // an empty wage dictionary
    QVERIFY(!GridCaptionsFor(cn, "rsgz", {"id", "f1"}).has_value());

    cn.execute("insert into rs_codedict (xh, table_code, colm_code, colm_name, can_show, colm_width) values "
               "(5, 'rsgz', 'f1', '员工编号', '1', null), (10, 'rsgz', 'T1', '基本工资', '0', 8), (10, 'other', 'f2', '姓名', '1', 3)");
    const auto cols = GridCaptionsFor(cn, "rsgz", {"id", "F1", "t1", "f2"});
    QVERIFY(cols.has_value());
    QVERIFY(cols->size() == 4 && !cols->at(0).found && cols->at(0).width == 0);
    QVERIFY(cols->at(1).caption == "员工编号" && cols->at(1).width == 1400);  // Null width
    QVERIFY(cols->at(2).caption == "基本工资" && cols->at(2).width == 800);   // not in use, still captioned
    QCOMPARE(cols->at(3).width, 0);  // a row of another table does not count
}

void TestDictionaryFields::fillFromRecord()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute("create table tt (id integer primary key, f1 text, T1 single)");
    cn.execute("insert into tt values (1, 'A01', null)");
    QLineEdit a("old"), b("old"), c("old");
    setBoxDataField(&a, "F1");
    setBoxDataField(&b, "T1");
    setBoxDataField(&c, "f1");
    const QList<QLineEdit *> boxes{&a, &b, &c};

    Recordset empty;
    empty.Open("select * from tt where id=0", cn);
    FillFieldsFromRecord(boxes, 3, empty);
    QCOMPARE(a.text(), QString("old"));

    Recordset rs;
    rs.Open("select * from tt", cn);
    FillFieldsFromRecord(boxes, 2, rs);
    QCOMPARE((QStringList{a.text(), b.text(), c.text()}), (QStringList{"A01", "", "old"}));  // Null empty, the third beyond the count
}

QTEST_MAIN(TestDictionaryFields)
#include "tst_dictionary_fields.moc"
