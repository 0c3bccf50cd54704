// Tests of FrmGzsC, FrmGZscYg and FrmGZjs driven as a person does, with scripted answers.
#include "app/main_window.h"
#include "app/program_state.h"
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

Connection &openWithPeople(TestEnv &env)
{
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("O'Neil"), 6000);
    return cn;
}

} // namespace

class TestPayrollWindows : public QObject {
    Q_OBJECT
private slots:
    void monthFromPersonnel();
    void monthCopy();
    void oneEmployee();
    void calculation();
    void menuCommandsAndMissingTables();
};

void TestPayrollWindows::monthFromPersonnel()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    FrmGzsC w;
    click(w, "CmdgzDA");
    QCOMPARE(lastText(env), QStringLiteral("要生成工资的月份，不能为空！"));
    QCOMPARE(env.messages.records.last().flags, Msg::vbExclamation);
    QCOMPARE(scalar(cn, QStringLiteral("select count(*) from rsgz")).toInt(), 0);

    choose(w, "DataRC", QStringLiteral("200504"));
    click(w, "CmdgzDA");
    QCOMPARE(lastText(env), QStringLiteral("当月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    cn.execute(QStringLiteral("update rsgz set t2 = 5"));
    click(w, "CmdgzDA");
    QCOMPARE(lastText(env), QStringLiteral("当前月工资已存在。"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    QCOMPARE(wage(cn, QStringLiteral("200504"), QStringLiteral("001"), QStringLiteral("t2")), 5.0);
    // The lists were read when the window opened.
    QCOMPARE(combo(w, "DataRC")->count(), 0);
    FrmGzsC reopened;
    QCOMPARE(combo(reopened, "DataRC0")->count(), 1);
    QCOMPARE(combo(reopened, "DataRC0")->itemText(0), QStringLiteral("200504"));
}

void TestPayrollWindows::monthCopy()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    cn.execute(ModGzsc::GenerateFromPersonnelSql(QStringLiteral("200504")));
    QString set;
    for (int n = 1; n <= 40; ++n)
        set += QStringLiteral("%1t%2 = %2 + id * 100").arg(n > 1 ? "," : "").arg(n);
    cn.execute(QStringLiteral("update rsgz set ") + set);
    FrmGzsC w;
    choose(w, "DataRC0", QStringLiteral("200504"));
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("要生成工资的月份，不能为空！"));

    // Onto a free month: no question.
    choose(w, "DataRC", QStringLiteral("200505"));
    click(w, "Command1");
    QCOMPARE(env.messages.records.size(), 2);
    QCOMPARE(lastText(env), QStringLiteral("当月工资生成完成！"));
    QCOMPARE(wage(cn, QStringLiteral("200505"), QStringLiteral("002"), QStringLiteral("t7")), 207.0);

    // Onto an existing month: No leaves it, with no further message; Yes replaces it.
    cn.execute(QStringLiteral("update rsgz set t40 = 1 where f0 = '200505'"));
    env.messages.answers = {Msg::vbNo};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当前月工资已存在，是否从新生成。"));
    QCOMPARE(env.messages.records.last().flags, Msg::vbYesNo | Msg::vbExclamation);
    QCOMPARE(wage(cn, QStringLiteral("200505"), QStringLiteral("001"), QStringLiteral("t40")), 1.0);
    env.messages.answers = {Msg::vbYes};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200505")), 2);
    for (const QString &number : {QStringLiteral("001"), QStringLiteral("002")})
        for (int n = 1; n <= 40; ++n) {
            const QString col = QStringLiteral("t%1").arg(n);
            QCOMPARE(wage(cn, QStringLiteral("200505"), number, col), wage(cn, QStringLiteral("200504"), number, col));
        }
    QCOMPARE(wage(cn, QStringLiteral("200505"), QStringLiteral("001"), QStringLiteral("t40")), 140.0);

    // Onto itself: refused before anything is asked or changed.
    const QString before = monthDump(cn, QStringLiteral("200504"));
    const int shown = int(env.messages.records.size());
    choose(w, "DataRC", QStringLiteral("200504"));
    click(w, "Command1");
    QCOMPARE(env.messages.records.size(), shown + 1);
    QVERIFY(lastText(env).contains(QStringLiteral("相同")));
    QCOMPARE(monthDump(cn, QStringLiteral("200504")), before);
}

void TestPayrollWindows::oneEmployee()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    addPerson(cn, QStringLiteral("003"), QStringLiteral("O'Neil"), 1000);  // a second person of that name
    FrmGZscYg w;
    QCOMPARE(combo(w, "DataXm")->count(), 3);
    QCOMPARE(combo(w, "DataXm")->itemText(1), QStringLiteral("O'Neil"));
    choose(w, "DataRC", QStringLiteral("200504"));
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("要生成工资的月份或员工，不能为空！"));

    choose(w, "DataXm", QStringLiteral("O'Neil"));
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当前员工月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    cn.execute(QStringLiteral("update rsgz set t3 = 33"));

    env.messages.answers = {Msg::vbNo};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当前月工资已存在，是否从新生成。"));
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t3) from rsgz")).toDouble(), 66.0);

    // Yes, with blanks around the name: still one row per personnel row, the old ones replaced.
    choose(w, "DataXm", QStringLiteral(" O'Neil "));
    env.messages.answers = {Msg::vbYes};
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("当前员工月工资生成完成！"));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 2);
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t3) from rsgz")).toDouble(), 0.0);
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t1) from rsgz")).toDouble(), 7000.0);
}

void TestPayrollWindows::calculation()
{
    TestEnv env;
    Connection &cn = openWithPeople(env);
    cn.execute(ModGzsc::GenerateFromPersonnelSql(QStringLiteral("200504")));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2"));
    FrmGZjs w;
    QCOMPARE(combo(w, "DataRC")->count(), 1);
    choose(w, "DataRC", QStringLiteral("200504"));
    click(w, "Command1");
    QCOMPARE(lastText(env), QStringLiteral("本月工资计算完成!"));
    QCOMPARE(env.messages.records.last().flags, Msg::vbExclamation);
    QCOMPARE(wage(cn, QStringLiteral("200504"), QStringLiteral("002"), QStringLiteral("t39")), 6600.0);

    // A refused formula: the item is named, the month unchanged, no completion message.
    cn.execute(QStringLiteral("update rsgz set t3 = 9"));
    const QString before = monthDump(cn, QStringLiteral("200504"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.2"));
    setItem(cn, QStringLiteral("T6"), QStringLiteral("t1 +* 2"), QStringLiteral("f2='O''Neil'"));
    const int shown = int(env.messages.records.size());
    click(w, "Command1");
    QCOMPARE(env.messages.records.size(), shown + 1);
    QVERIFY(lastText(env).contains(QStringLiteral("质量扣款")));
    QVERIFY(lastText(env).contains(QStringLiteral("t1 +* 2")));
    QVERIFY(lastText(env).contains(QStringLiteral("f2='O''Neil'")));
    QCOMPARE(env.messages.records.last().flags, Msg::vbCritical);
    QCOMPARE(monthDump(cn, QStringLiteral("200504")), before);
}

void TestPayrollWindows::menuCommandsAndMissingTables()
{
    TestEnv env;
    env.openNewDatabase();  // no wage table yet
    form_main mainWindow;
    registerPayrollCommands(mainWindow);
    mainWindow.runCommand(QStringLiteral("menu_gZset_5"));
    QVERIFY(mainWindow.findChildWindow(QStringLiteral("FrmGZjs")));
    // The month list cannot be read: reported, and the window still opens.
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(lastText(env).contains(QString::number(DbError::ObjectNotFound)));
    mainWindow.runCommand(QStringLiteral("menu_gZset_5"));
    QCOMPARE(env.messages.records.size(), 1);  // the open window came to the front
    mainWindow.runCommand(QStringLiteral("menu_gZset_2"));
    mainWindow.runCommand(QStringLiteral("menu_gZset_4"));
    QVERIFY(mainWindow.findChildWindow(QStringLiteral("FrmGzsC")));
    QVERIFY(mainWindow.findChildWindow(QStringLiteral("FrmGZscYg")));

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
