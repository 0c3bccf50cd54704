// Tests of the batch modification: the condition builder, the update statement and the window.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/personnel_tables.h"
#include "payroll/batch_modify.h"
#include "payroll/batch_modify_window.h"
#include "payroll/commands.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/keyed_toolbar.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include "platform/db/connection.h"

#include <QtTest>

using namespace ModPlxg;

namespace {

QList<WageItem> items()
{
    return {{QStringLiteral("月份"), QStringLiteral("f0"), QStringLiteral("CHAR")},
            {QStringLiteral("员工编号"), QStringLiteral("f1"), QStringLiteral("CHAR")},
            {QStringLiteral("姓名"), QStringLiteral("f2"), QStringLiteral("char")},
            {QStringLiteral("基本工资"), QStringLiteral("T1"), QStringLiteral("NUME")},
            {QStringLiteral("入职日期"), QStringLiteral("T7"), QStringLiteral("Date")},
            {QStringLiteral("比例"), QStringLiteral("T8"), QStringLiteral("BFL")}};
}

QList<ConditionRow> rows(std::initializer_list<std::pair<int, ConditionRow>> filled)
{
    QList<ConditionRow> r(kConditionRows, ConditionRow{QString(), QStringLiteral("="), QString()});
    for (const auto &f : filled)
        r[f.first] = f.second;
    return r;
}

QStringList andConnectors() { return QStringList(kConnectors, QStringLiteral("and")); }

void addMonth(Connection &cn, const QString &month, const QStringList &names)
{
    int n = 0;
    for (const QString &name : names)
        cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) values ('%1','%2','%3',%4)")
                       .arg(month, QStringLiteral("A%1").arg(++n, 2, 10, QLatin1Char('0')), SqlQuote(name))
                       .arg(1000 * n));
}

} // namespace

class TestBatchModify : public QObject {
    Q_OBJECT
private slots:
    void conditionTexts();
    void valueChecks();
    void windowModifies();
    void windowRefusals();
};

void TestBatchModify::conditionTexts()
{
    TestEnv env;
    strDbType = QStringLiteral("ACCESS");
    // A month row on a text item.
    auto r = BuildCondition(items(), rows({{0, {QStringLiteral("月份"), QStringLiteral("="), QStringLiteral("200504")}}}),
                            andConnectors());
    QVERIFY(r.ok);
    QCOMPARE(r.condition, QStringLiteral("f0='200504'"));
    QCOMPARE(r.values[0], QStringLiteral("'200504'"));

    // Rows 0 and 2 filled: the connector between them is the one after the empty row 1.
    QStringList connectors = andConnectors();
    connectors[1] = QStringLiteral("or");
    r = BuildCondition(items(),
                       rows({{0, {QStringLiteral(" 月份 "), QStringLiteral("="), QStringLiteral("200504")}},
                             {2, {QStringLiteral("基本工资"), QStringLiteral(">="), QStringLiteral("1500")}}}),
                       connectors);
    QCOMPARE(r.condition, QStringLiteral("f0='200504' or T1>=1500"));

    // The first filled row needs no connector; like keeps the pattern as typed, blanks around the operator.
    r = BuildCondition(items(), rows({{3, {QStringLiteral("姓名"), QStringLiteral("like"), QStringLiteral("张%")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("f2 like '张%'"));

    // Quotes inside a text value are doubled; items of other types go in as typed.
    r = BuildCondition(items(),
                       rows({{0, {QStringLiteral("姓名"), QStringLiteral("="), QStringLiteral("O'Neil")}},
                             {1, {QStringLiteral("比例"), QStringLiteral("<"), QStringLiteral("t1/2")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("f2='O''Neil' and T8<t1/2"));

    // Dates become the database's date literal; the rewritten value is kept as it stands next time.
    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral(">"), QStringLiteral("2005-3-17")}},
                                      {1, {QStringLiteral("入职日期"), QStringLiteral("<"), QStringLiteral("2005/04/01 8:30")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("T7>#2005-3-17# and T7<#2005-4-1 8:30:00#"));
    const auto again = BuildCondition(
        items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral(">"), r.values[0]}},
                       {1, {QStringLiteral("入职日期"), QStringLiteral("<"), r.values[1]}}}),
        andConnectors());
    QCOMPARE(again.condition, r.condition);
    strDbType = QStringLiteral("SQLSERVER");
    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral("="), QStringLiteral("2005年3月17日")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("T7='2005-3-17'"));

    // A caption that names no item is a missing record, not a silently dropped row.
    try {
        BuildCondition(items(), rows({{0, {QStringLiteral("奖金"), QStringLiteral("="), QStringLiteral("1")}}}),
                       andConnectors());
        QFAIL("an unknown item was accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number, int(DbError::NoCurrentRecord));
    }
}

void TestBatchModify::valueChecks()
{
    TestEnv env;
    strDbType = QStringLiteral("ACCESS");
    // Values are checked by the item's type; numbers go in as typed.
    auto r = BuildCondition(items(), rows({{1, {QStringLiteral("基本工资"), QStringLiteral("="), QStringLiteral(" -1.5e2 ")}}}),
                            andConnectors());
    QCOMPARE(r.condition, QStringLiteral("T1= -1.5e2 "));
    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral("="), QStringLiteral("2005-2-30")}}}),
                       andConnectors());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("日期输入错误"));

    for (const char *good : {"12", "-3", "+.5", "1.", "2E3", " 7 "})
        QVERIFY2(IsNumberText(QLatin1String(good)), good);
    for (const char *bad : {"", "1,000", "1e", "1 2", "abc", "1;drop table rsgz"})
        QVERIFY2(!IsNumberText(QLatin1String(bad)), bad);
    QCOMPARE(TypeClass(QStringLiteral("datetime")), QStringLiteral("DATETIME"));
    QCOMPARE(TypeClass(QStringLiteral("nume")), QStringLiteral("NUME"));
    QCOMPARE(TypeClass(QStringLiteral("MON")), QStringLiteral("STR"));
}

namespace {
template <class T>
T *child(QWidget &w, const QString &name)
{
    T *c = w.findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

QList<double> column(Connection &cn, const QString &col)
{
    QList<double> out;
    for (const auto &row : cn.query(QStringLiteral("select ") + col + QStringLiteral(" from rsgz order by f0,f1")).rows)
        out << row[0].toDouble();
    return out;
}
} // namespace

void TestBatchModify::windowModifies()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    addMonth(cn, QStringLiteral("200504"), {QStringLiteral("张三"), QStringLiteral("李四")});
    addMonth(cn, QStringLiteral("200505"), {QStringLiteral("张三")});

    FrmGZPlxg w;
    w.show();
    // Rows start on the items in dictionary order, operators on "=", connectors off until a value is typed.
    QCOMPARE(child<DataCombo>(w, QStringLiteral("DataCombo1_0"))->text(), QStringLiteral("月份"));
    QCOMPARE(child<DataCombo>(w, QStringLiteral("DataCombo1_7"))->text(), QStringLiteral("公积金"));
    QCOMPARE(child<QComboBox>(w, QStringLiteral("Combo1_5"))->currentText(), QStringLiteral("="));
    auto *join0 = child<QComboBox>(w, QStringLiteral("Combljtj_0"));
    QVERIFY(!join0->isEnabled());
    auto *v0 = child<QLineEdit>(w, QStringLiteral("txtsj_0"));
    w.selectMonth(QStringLiteral("200504"));
    QCOMPARE(v0->text(), QStringLiteral("200504"));
    QVERIFY(join0->isEnabled());

    child<DataCombo>(w, QStringLiteral("Datazd"))->setText(QStringLiteral("奖金"));
    QTest::keyClicks(child<QLineEdit>(w, QStringLiteral("txtZd")), QStringLiteral("t1/10"));
    child<QPushButton>(w, QStringLiteral("CmdFind"))->click();
    QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("数据修改完成！")});
    QCOMPARE(env.messages.records[0].flags, 48);
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{100, 200, 0}));
    QCOMPARE(child<QPlainTextEdit>(w, QStringLiteral("Text4"))->toPlainText(), QStringLiteral("f0='200504'"));
    QVERIFY(v0->text().isEmpty());
    // With the values emptied, running again (toolbar "修改") changes every row of every month.
    child<KeyedToolBar>(w, QStringLiteral("Toolbar1"))->button(QStringLiteral("edit"))->trigger();
    QCOMPARE(column(cn, QStringLiteral("t2")), (QList<double>{100, 200, 100}));

    // "或者" after row 1 joins rows 0 and 2 although row 1 is empty; viewing the condition clears the values.
    QTest::keyClicks(v0, QStringLiteral("200505"));
    auto *join1 = child<QComboBox>(w, QStringLiteral("Combljtj_1"));
    auto *v1 = child<QLineEdit>(w, QStringLiteral("txtsj_1"));
    QTest::keyClicks(v1, QStringLiteral("A01"));
    join1->setFocus();
    QTest::keyClick(join1, Qt::Key_Down);
    QCOMPARE(child<QLineEdit>(w, QStringLiteral("Txttj_1"))->text(), QStringLiteral("or"));
    v1->clear();
    QVERIFY(!join1->isEnabled());
    child<QLineEdit>(w, QStringLiteral("txtsj_2"))->setText(QStringLiteral("李四"));
    child<QPushButton>(w, QStringLiteral("Cmdview"))->click();
    QCOMPARE(w.condition(), QStringLiteral("f0='200505' or f2='李四'"));
    QVERIFY(v0->text().isEmpty());

    // A date item: the picker stands beside the focused value box and writes into it.
    cn.execute(QStringLiteral("update rs_codedict set colm_type='DATE' where colm_code='f1'"));
    FrmGZPlxg dated;
    dated.show();
    auto *picker = child<QDateEdit>(dated, QStringLiteral("DTPheLp"));
    auto *d1 = child<QLineEdit>(dated, QStringLiteral("txtsj_1"));
    QCOMPARE(dated.GetDAtaType(1), QStringLiteral("DATETIME"));
    dated.getHelp(1);
    QVERIFY(picker->isVisible());
    QCOMPARE(picker->y(), d1->y());
    picker->setDate(QDate(2005, 3, 17));
    QCOMPARE(d1->text(), QStringLiteral("2005-3-17"));
    dated.getHelp(2);
    QVERIFY(!picker->isVisible());

    form_main main;
    registerPayrollCommands(main);
    main.runCommand(QStringLiteral("menu_gZset_6"));
    QVERIFY(qobject_cast<FrmGZPlxg *>(main.findChildWindow(QStringLiteral("FrmGZPlxg"))));
}

void TestBatchModify::windowRefusals()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    addMonth(cn, QStringLiteral("200504"), {QStringLiteral("张三")});
    FrmGZPlxg w;
    auto *v0 = child<QLineEdit>(w, QStringLiteral("txtsj_0"));
    auto *v3 = child<QLineEdit>(w, QStringLiteral("txtsj_3"));
    child<DataCombo>(w, QStringLiteral("Datazd"))->setText(QStringLiteral("奖金"));
    auto *newValue = child<QLineEdit>(w, QStringLiteral("txtZd"));
    newValue->setText(QStringLiteral("5"));

    // A basic wage that is no number: refused before anything runs; the month row is already quoted.
    v0->setText(QStringLiteral("200504"));
    v3->setText(QStringLiteral("abc"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("请输入数字")});
    QCOMPARE(env.messages.records[0].flags, 0);
    QCOMPARE(v0->text(), QStringLiteral("'200504'"));
    QCOMPARE(v3->text(), QStringLiteral("abc"));
    QCOMPARE(column(cn, QStringLiteral("t2")), QList<double>{0});

    // Corrected: the quoted month is taken as it stands.
    v3->setText(QStringLiteral("1000"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.texts().last(), QStringLiteral("数据修改完成！"));
    QCOMPARE(column(cn, QStringLiteral("t2")), QList<double>{5});

    // No new value: nothing happens, silently, and the values stay.
    env.messages.records.clear();
    v0->setText(QStringLiteral("200504"));
    newValue->clear();
    w.CmdFind_Click();
    QVERIFY(env.messages.records.isEmpty());
    QCOMPARE(v0->text(), QStringLiteral("'200504'"));

    // A new value the database refuses goes to the common error report; no success, values kept.
    newValue->setText(QStringLiteral("t1+"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(env.messages.records[0].text.startsWith(QStringLiteral("错误号 ") + QString::number(DbError::SyntaxError)));
    QCOMPARE(env.messages.records[0].flags, 16);
    QCOMPARE(v0->text(), QStringLiteral("'200504'"));

    // A missing wage table is reported too, not passed over.
    cn.execute(QStringLiteral("drop table rsgz"));
    newValue->setText(QStringLiteral("1"));
    w.CmdFind_Click();
    QCOMPARE(env.messages.records.size(), 2);
    QVERIFY(env.messages.records[1].text.endsWith(QString::number(DbError::ObjectNotFound)));
}

QTEST_MAIN(TestBatchModify)
#include "tst_batch_modify.moc"
