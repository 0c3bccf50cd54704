// Tests of FrmGzsC, FrmGZscYg and FrmGZjs driven as a person does, with scripted answers.
#include "app/main_window.h"
#include "payroll/commands.h"
#include "payroll/employee_generation_window.h"
#include "payroll/month_generation_window.h"
#include "payroll/payroll_fixture.h"
#include "payroll/wage_months.h"
#include "payroll/wage_calculation_window.h"
#include "platform/ui/data_combo.h"
#include "support/test_env.h"

#include <QPushButton>
#include <QTest>

using namespace PayrollFixture;

namespace {

DataCombo *combo(QWidget &w, const char *name) { return w.findChild<DataCombo *>(QLatin1String(name)); }
void click(QWidget &w, const char *name) { w.findChild<QPushButton *>(QLatin1String(name))->click(); }
void choose(QWidget &w, const char *name, const QString &text) { combo(w, name)->setEditText(text); }

QString lastText(const TestEnv &env) { return env.messages.records.isEmpty() ? QString() : env.messages.records.last().text; }

// Clicks a button and returns the one message it showed ("" when it showed none or several).
QString clickSays(TestEnv &env, QWidget &w, const char *name)
{
    const auto shown = env.messages.records.size();
    click(w, name);
    return env.messages.records.size() == shown + 1 ? env.messages.records.last().text : QStringLiteral("<%1 messages>").arg(env.messages.records.size() - shown);
}

Connection &openWithPeople(TestEnv &env)
{
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("O'Neil"), 6000);
    return cn;
}

double sum(Connection &cn, const char *column) { return scalar(cn, QStringLiteral("select sum(%1) from rsgz").arg(column)).toDouble(); }

} // namespace

class TestPayrollWindows : public QObject {
    Q_OBJECT
private slots:
    void monthGenerationAndCopy();
    void oneEmployeeThenItsCalculation();
    void menuCommandsAndMissingTables();
};

void TestPayrollWindows::monthGenerationAndCopy()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    const QString apr = QStringLiteral("200504"), may = QStringLiteral("200505");
    FrmGzsC w;
    for (const char *command : {"CmdgzDA", "Command1"}) {  // from personnel, copy: both need the month
        QCOMPARE(clickSays(env, w, command), QStringLiteral("要生成工资的月份，不能为空！"));
        QCOMPARE(env.messages.records.last().flags, Msg::vbExclamation);
    }
    // A month nobody could find again is refused by every generation, before anything is written.
    const QString format = QStringLiteral("月份格式应为年月，如200504");
    FrmGZscYg one;
    choose(one, "DataXm", QStringLiteral("张三"));
    for (const QString &bad : {QStringLiteral("2026-12"), QStringLiteral("20261"), QStringLiteral("202613"),
                               QStringLiteral("202600"), QStringLiteral(" 202612"), QStringLiteral("２０２６１２"),
                               QStringLiteral("2026'; delete from rsgz; --")}) {
        choose(w, "DataRC", bad), choose(w, "DataRC0", QStringLiteral("202611"));
        choose(one, "DataRC", bad);
        QCOMPARE(clickSays(env, w, "CmdgzDA"), format);
        QCOMPARE(clickSays(env, w, "Command1"), format);
        QCOMPARE(clickSays(env, one, "Command1"), format);
        choose(w, "DataRC", QStringLiteral("202612")), choose(w, "DataRC0", bad);
        QCOMPARE(clickSays(env, w, "Command1"), format);  // the month copied from as well
    }
    QCOMPARE(sum(cn, "1"), 0.0);  // no rows written

    choose(w, "DataRC", apr);
    QCOMPARE(clickSays(env, w, "CmdgzDA"), QStringLiteral("当月工资生成完成！"));
    cn.execute(QStringLiteral("update rsgz set t2 = 5"));
    QCOMPARE(clickSays(env, w, "CmdgzDA"), QStringLiteral("当前月工资已存在。"));
    QCOMPARE(monthRows(cn, apr), 2);
    QCOMPARE(wage(cn, apr, QStringLiteral("001"), QStringLiteral("t2")), 5.0);
    // The lists were read when the window opened.
    QCOMPARE(combo(w, "DataRC")->count(), 0);
    FrmGzsC reopened;
    QVERIFY(combo(reopened, "DataRC0")->count() == 1 && combo(reopened, "DataRC0")->itemText(0) == apr);

    // Copying onto a free month: no question.
    QString set;
    for (int n = 1; n <= 40; ++n)
        set += QStringLiteral("%1t%2 = %2 + id * 100").arg(n > 1 ? "," : "").arg(n);
    cn.execute(QStringLiteral("update rsgz set ") + set);
    choose(w, "DataRC0", apr), choose(w, "DataRC", may);
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("当月工资生成完成！"));
    QCOMPARE(wage(cn, may, QStringLiteral("002"), QStringLiteral("t7")), 207.0);
    // Onto an existing month: No leaves it, with no further message; Yes replaces it.
    cn.execute(QStringLiteral("update rsgz set t40 = 1 where f0 = '200505'"));
    env.messages.answers = {Msg::vbNo};
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("当前月工资已存在，是否从新生成。"));
    QCOMPARE(env.messages.records.last().flags, Msg::vbYesNo | Msg::vbExclamation);
    QCOMPARE(wage(cn, may, QStringLiteral("001"), QStringLiteral("t40")), 1.0);
    env.messages.answers = {Msg::vbYes};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当月工资生成完成！"));
    QCOMPARE(monthRows(cn, may), 2);
    for (const QString &number : {QStringLiteral("001"), QStringLiteral("002")})
        for (int n = 1; n <= 40; ++n)
            QCOMPARE(wage(cn, may, number, QStringLiteral("t%1").arg(n)), wage(cn, apr, number, QStringLiteral("t%1").arg(n)));

    // Onto itself: refused before anything is asked or changed.
    const QString before = monthDump(cn, apr);
    choose(w, "DataRC", apr);
    QVERIFY(clickSays(env, w, "Command1").contains(QStringLiteral("相同")));
    QCOMPARE(monthDump(cn, apr), before);
    // A source month without rows: refused before the existing target is touched or asked about.
    choose(w, "DataRC0", QStringLiteral("202611"));
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("要复制的工资月份没有工资数据，不能复制！"));
    QCOMPARE(ModGzsc::CopyMonth(cn, apr, QStringLiteral("202611")), -1);
    QCOMPARE(monthDump(cn, apr), before);
}

void TestPayrollWindows::oneEmployeeThenItsCalculation()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    addPerson(cn, QStringLiteral("003"), QStringLiteral("O'Neil"), 1000);  // a second person of that name
    FrmGZscYg w;
    QVERIFY(combo(w, "DataXm")->count() == 3 && combo(w, "DataXm")->itemText(1) == QStringLiteral("O'Neil"));
    choose(w, "DataRC", QStringLiteral("200504"));
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("要生成工资的月份或员工，不能为空！"));

    choose(w, "DataXm", QStringLiteral("O'Neil"));
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("当前员工月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    cn.execute(QStringLiteral("update rsgz set t3 = 33"));
    env.messages.answers = {Msg::vbNo};
    QCOMPARE(clickSays(env, w, "Command1"), QStringLiteral("当前月工资已存在，是否从新生成。"));
    QCOMPARE(sum(cn, "t3"), 66.0);
    // Yes, with blanks around the name: still one row per personnel row, the old ones replaced.
    choose(w, "DataXm", QStringLiteral(" O'Neil "));
    env.messages.answers = {Msg::vbYes};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当前员工月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    QCOMPARE(sum(cn, "t3"), 0.0);
    QCOMPARE(sum(cn, "t1"), 7000.0);

    // The month of the two O'Neils calculated through FrmGZjs.
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2"));
    FrmGZjs calc;
    QCOMPARE(combo(calc, "DataRC")->count(), 1);
    choose(calc, "DataRC", QStringLiteral("200504"));
    QCOMPARE(clickSays(env, calc, "Command1"), QStringLiteral("本月工资计算完成!"));
    QCOMPARE(env.messages.records.last().flags, Msg::vbExclamation);
    QCOMPARE(wage(cn, QStringLiteral("200504"), QStringLiteral("002"), QStringLiteral("t39")), 6600.0);

    // A refused formula: the item, formula and condition named, the month unchanged, no completion message.
    cn.execute(QStringLiteral("update rsgz set t3 = 9"));
    const QString before = monthDump(cn, QStringLiteral("200504"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.2"));
    setItem(cn, QStringLiteral("T6"), QStringLiteral("t1 +* 2"), QStringLiteral("f2='O''Neil'"));
    const QString report = clickSays(env, calc, "Command1");
    for (const char *named : {"质量扣款", "t1 +* 2", "f2='O''Neil'"})
        QVERIFY2(report.contains(QString::fromUtf8(named)), named);
    QCOMPARE(env.messages.records.last().flags, Msg::vbCritical);
    QCOMPARE(monthDump(cn, QStringLiteral("200504")), before);
}

void TestPayrollWindows::menuCommandsAndMissingTables()
{
    TestEnv env;
    env.openOlderDatabase();  // no wage table yet
    form_main mainWindow;
    registerPayrollCommands(mainWindow);
    // The month list cannot be read: reported, and the window still opens; asked again, it only comes to the front.
    for (int i = 0; i < 2; ++i)
        mainWindow.runCommand(QStringLiteral("menu_gZset_5"));
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(lastText(env).contains(QString::number(DbError::ObjectNotFound)));
    mainWindow.runCommand(QStringLiteral("menu_gZset_2"));
    mainWindow.runCommand(QStringLiteral("menu_gZset_4"));
    QVERIFY(mainWindow.findChildWindow(QStringLiteral("FrmGzsC")) && mainWindow.findChildWindow(QStringLiteral("FrmGZscYg")));

    // A calculation without the dictionary tables is reported, not computed.
    auto *calc = qobject_cast<FrmGZjs *>(mainWindow.findChildWindow(QStringLiteral("FrmGZjs")));
    QVERIFY(calc);
    env.messages.records.clear();
    calc->getgzZd();
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(!lastText(env).contains(QStringLiteral("完成")));
}

QTEST_MAIN(TestPayrollWindows)
#include "tst_payroll_windows.moc"
