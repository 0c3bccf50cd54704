// Tests of the batch modification: the condition builder, the update statement and the window.
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/sql_text.h"
#include "payroll/batch_modify.h"
#include "payroll/batch_modify_window.h"
#include "payroll/commands.h"
#include "payroll/payroll_fixture.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/keyed_toolbar.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace ModPlxg;

namespace {

using Filled = QList<std::pair<int, ConditionRow>>;

// Builds the condition over a small dictionary from the given rows; connectors are "and" but the one
// after row orAfter, which is "or".
ConditionResult build(const Filled &filled, int orAfter = -1)
{
    const QList<WageItem> items = {{"月份", "f0", "CHAR"}, {"员工编号", "f1", "CHAR"}, {"姓名", "f2", "char"},
                                   {"基本工资", "T1", "NUME"}, {"入职日期", "T7", "Date"}, {"比例", "T8", "BFL"},
                                   {"津贴", "T9", "MON"}};
    QList<ConditionRow> rows(kConditionRows, ConditionRow{QString(), QStringLiteral("="), QString()});
    for (const auto &f : filled)
        rows[f.first] = f.second;
    QStringList connectors(kConnectors, QStringLiteral("and"));
    if (orAfter >= 0)
        connectors[orAfter] = QStringLiteral("or");
    return BuildCondition(items, rows, connectors);
}

template <class T>
T *child(QWidget &w, const QString &name) { return w.findChild<T *>(name); }
QLineEdit *valueBox(QWidget &w, int row) { return child<QLineEdit>(w, QStringLiteral("txtsj_%1").arg(row)); }

// A database with the wage tables and, per month, one numbered employee per name (t1 = 1000 * n).
Connection &openWages(TestEnv &env, const QList<std::pair<QString, QStringList>> &months)
{
    Connection &cn = PayrollFixture::openPayrollDatabase(env);
    for (const auto &[month, names] : months)
        for (int n = 1; n <= names.size(); ++n)
            cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) values ('%1','A0%2','%3',%4)")
                           .arg(month).arg(n).arg(SqlQuote(names[n - 1])).arg(1000 * n));
    return cn;
}

QList<double> column(Connection &cn, const QString &col)
{
    QList<double> out;
    for (const auto &row : cn.query(QStringLiteral("select ") + col + QStringLiteral(" from rsgz order by f0,f1")).rows)
        out << row[0].toDouble();
    return out;
}

} // namespace

class TestBatchModify : public QObject {
    Q_OBJECT
private slots:
    void conditionTextsAndValueChecks();
    void windowModifies();
    void refusedAndHostileValuesRunNothing();
};

void TestBatchModify::conditionTextsAndValueChecks()
{
    TestEnv env;
    struct Case { const char *dbType; Filled filled; int orAfter; const char *expected; };
    const QList<Case> cases = {
        {"ACCESS", {{0, {"月份", "=", "200504"}}}, -1, "f0='200504'"},
        // Rows 0 and 2 filled: the connector between them is the one after the empty row 1.
        {"ACCESS", {{0, {" 月份 ", "=", "200504"}}, {2, {"基本工资", ">=", "1500"}}}, 1, "f0='200504' or T1>=1500"},
        {"ACCESS", {{3, {"姓名", "like", "张%"}}}, -1, "f2 like '张%'"},
        // Quotes in text values are doubled; other types go in as typed, numbers too.
        {"ACCESS", {{0, {"姓名", "=", "O'Neil"}}, {1, {"比例", "<", "t1/2"}}, {2, {"津贴", "=", "5"}}}, -1,
         "f2='O''Neil' and T8<t1/2 and T9=5"},
        {"ACCESS", {{1, {"基本工资", "=", " -1.5e2 "}}}, -1, "T1= -1.5e2 "},
        {"ACCESS", {{0, {"入职日期", ">", "2005-3-17"}}, {1, {"入职日期", "<", "2005/04/01 8:30"}}}, -1,
         "T7>#2005-3-17# and T7<#2005-4-1 8:30:00#"},
        {"SQLSERVER", {{0, {"入职日期", "=", "2005年3月17日"}}}, -1, "T7='2005-3-17'"}};
    for (const Case &c : cases) {
        strDbType = QLatin1String(c.dbType);
        const ConditionResult r = build(c.filled, c.orAfter);
        QCOMPARE(r.condition, QString::fromUtf8(c.expected));
        // The rewritten values are taken as they stand when run again: nothing is quoted twice.
        Filled again = c.filled;
        for (auto &f : again)
            f.second.value = r.values[f.first];
        QCOMPARE(build(again, c.orAfter).condition, r.condition);
    }
    strDbType = QStringLiteral("ACCESS");
    const auto r = build({{0, {"入职日期", "=", "2005-2-30"}}});
    QVERIFY(!r.ok && r.message == QStringLiteral("日期输入错误"));
    for (const char *good : {"-3", "+.5", "1.", "2E3", " 7 "})
        QVERIFY2(IsPlainNumber(QLatin1String(good)), good);
    for (const char *bad : {"", "1,000", "1e", "1 2", "abc", "1;drop table rsgz", "inf", "nan", "1e999", "0x10"})
        QVERIFY2(!IsPlainNumber(QLatin1String(bad)), bad);
    // A caption that names no item is a missing record, not a silently dropped row.
    try {
        build({{0, {"奖金", "=", "1"}}});
        QFAIL("an unknown item was accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number, int(DbError::NoCurrentRecord));
    }
}

void TestBatchModify::windowModifies()
{
    TestEnv env;
    Connection &cn = openWages(env, {{"200504", {"张三", "李四"}}, {"200505", {"张三"}}});
    FrmGZPlxg w;
    w.show();
    // Rows start on the items in dictionary order; connectors are off until a value is typed.
    QCOMPARE(child<DataCombo>(w, QStringLiteral("DataCombo1_7"))->text(), QStringLiteral("公积金"));
    auto *join0 = child<QComboBox>(w, QStringLiteral("Combljtj_0"));
    QVERIFY(!join0->isEnabled());
    QLineEdit *v0 = valueBox(w, 0);
    w.selectMonth(QStringLiteral("200504"));
    QVERIFY(v0->text() == QStringLiteral("200504") && join0->isEnabled());

    child<DataCombo>(w, QStringLiteral("Datazd"))->setText(QStringLiteral("奖金"));
    QTest::keyClicks(child<QLineEdit>(w, QStringLiteral("txtZd")), QStringLiteral("t1/10"));
    child<QPushButton>(w, QStringLiteral("CmdFind"))->click();
    QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("数据修改完成！共修改了 2 条工资记录。")});
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{100, 200, 0}));
    QVERIFY(child<QPlainTextEdit>(w, QStringLiteral("Text4"))->toPlainText() == QStringLiteral("f0='200504'") && v0->text().isEmpty());
    // With the values emptied, running again (toolbar "修改") would change every row of every month:
    // asked first, No (the default) changes nothing, Yes all three rows.
    const QString noCondition = QStringLiteral("没有修改条件，将修改所有月份的全部工资记录，是否继续？");
    env.messages.records.clear();
    env.messages.answers = {Msg::vbNo, Msg::vbYes};
    QAction *edit = child<KeyedToolBar>(w, QStringLiteral("Toolbar1"))->button(QStringLiteral("edit"));
    edit->trigger();
    QCOMPARE(env.messages.texts(), QStringList{noCondition});
    QCOMPARE(env.messages.records[0].flags, Msg::vbYesNo | Msg::vbQuestion | Msg::vbDefaultButton2);
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{100, 200, 0}));
    edit->trigger();
    QCOMPARE(env.messages.texts(), (QStringList{noCondition, noCondition, QStringLiteral("数据修改完成！共修改了 3 条工资记录。")}));
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{100, 200, 100}));

    // "或者" after row 1 joins rows 0 and 2 although row 1 is empty; viewing the condition clears the values.
    QTest::keyClicks(v0, QStringLiteral("200505"));
    auto *join1 = child<QComboBox>(w, QStringLiteral("Combljtj_1"));
    QTest::keyClicks(valueBox(w, 1), QStringLiteral("A01"));
    join1->setFocus();
    QTest::keyClick(join1, Qt::Key_Down);
    valueBox(w, 1)->clear();
    QVERIFY(!join1->isEnabled());
    valueBox(w, 2)->setText(QStringLiteral("李四"));
    child<QPushButton>(w, QStringLiteral("Cmdview"))->click();
    QVERIFY(w.condition() == QStringLiteral("f0='200505' or f2='李四'") && v0->text().isEmpty());

    // A date item: the picker stands beside the focused value box and writes into it.
    cn.execute(QStringLiteral("update rs_codedict set colm_type='DATE' where colm_code='f1'"));
    FrmGZPlxg dated;
    dated.show();
    auto *picker = child<QDateEdit>(dated, QStringLiteral("DTPheLp"));
    dated.getHelp(1);
    QVERIFY(picker->isVisible() && picker->y() == valueBox(dated, 1)->y());
    picker->setDate(QDate(2005, 3, 17));
    QCOMPARE(valueBox(dated, 1)->text(), QStringLiteral("2005-3-17"));
    dated.getHelp(2);
    QVERIFY(!picker->isVisible());

    form_main main;
    registerPayrollCommands(main);
    main.runCommand(QStringLiteral("menu_gZset_6"));
    QVERIFY(qobject_cast<FrmGZPlxg *>(main.findChildWindow(QStringLiteral("FrmGZPlxg"))));
}

// A condition value that is no number, no new value, a value the database refuses and a missing
// table are reported; a new value or a condition value that would end the statement, add a second
// one or comment out the rest is refused before anything runs. No table changes on a refusal.
void TestBatchModify::refusedAndHostileValuesRunNothing()
{
    TestEnv env;
    Connection &cn = openWages(env, {{"200504", {"张三"}}, {"200505", {"李四"}}});
    cn.execute(QStringLiteral("update rs_codedict set colm_type = 'MON' where colm_code = 'T3'"));  // 销售提成, row 5
    auto everything = [&cn] {
        QString out;
        for (const char *sql : {"select * from rsgz order by id", "select * from czy order by 1, 2, 3", "select count(*) from czyzd"})
            for (const QVariantList &row : cn.query(QString::fromLatin1(sql)).rows)
                for (const QVariant &v : row)
                    out += v.toString() + QLatin1Char('|');
        return out;
    };
    const QString before = everything();
    FrmGZPlxg w;
    QLineEdit *v0 = valueBox(w, 0), *v3 = valueBox(w, 3);
    child<DataCombo>(w, QStringLiteral("Datazd"))->setText(QStringLiteral("奖金"));
    auto *newValue = child<QLineEdit>(w, QStringLiteral("txtZd"));
    auto refusedAsSyntax = [&](int row, const QString &conditionValue, const QString &value) {
        env.messages.records.clear();
        v0->setText(QStringLiteral("200504"));
        valueBox(w, row)->setText(conditionValue);
        newValue->setText(value);
        w.CmdFind_Click();
        QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].flags == 16);
        QVERIFY2(env.messages.records[0].text.contains(QString::number(DbError::SyntaxError)), qPrintable(value));
        QCOMPARE(everything(), before);
    };
    const QString nul = QStringLiteral("1") + QChar(0) + QStringLiteral("; delete from rsgz");
    const QStringList values = {"99; insert into czy ([name], czy_id, nr) values ('clerk', 1, '操作员设置')",
                                "1 -- 备注", "1 /* x */", "1) where (1=1", "t1 where 1=1", nul, "(1", "1,t3=2"};
    for (const QString &value : values)
        refusedAsSyntax(0, QStringLiteral("200504"), value);
    // a value of an item spliced as typed cannot bring a second statement either
    refusedAsSyntax(5, QStringLiteral("1; delete from rsgz"), QStringLiteral("5"));
    valueBox(w, 5)->clear();

    // A basic wage that is no number: refused before anything runs; the month row above is already quoted.
    env.messages.records.clear();
    newValue->setText(QStringLiteral("5"));
    v0->setText(QStringLiteral("200504")), v3->setText(QStringLiteral("abc"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("请输入数字")});
    QVERIFY(v0->text() == QStringLiteral("'200504'") && v3->text() == QStringLiteral("abc"));
    QCOMPARE(everything(), before);
    // Corrected: the quoted month is taken as it stands.
    v3->setText(QStringLiteral("1000"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.texts().last(), QStringLiteral("数据修改完成！共修改了 1 条工资记录。"));
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{5, 0}));

    // No new value: nothing happens, silently, and the values stay.
    env.messages.records.clear();
    v0->setText(QStringLiteral("200504")), newValue->clear();
    w.CmdFind_Click();
    QVERIFY(env.messages.records.isEmpty());
    // A new value the database refuses, or a missing wage table, is reported; no success, values kept.
    newValue->setText(QStringLiteral("t1+"));
    w.CmdFind_Click();
    QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].flags == 16);
    QVERIFY(env.messages.records[0].text.startsWith(QStringLiteral("错误号 ") + QString::number(DbError::SyntaxError)));
    QCOMPARE(v0->text(), QStringLiteral("'200504'"));
    cn.execute(QStringLiteral("drop table rsgz")), newValue->setText(QStringLiteral("1"));
    w.CmdFind_Click();
    QVERIFY(env.messages.records.size() == 2 && env.messages.records[1].text.endsWith(QString::number(DbError::ObjectNotFound)));
}

QTEST_MAIN(TestBatchModify)
#include "tst_batch_modify.moc"
