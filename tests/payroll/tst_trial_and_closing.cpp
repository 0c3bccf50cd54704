// Tests of the trial calculation and of closed months.
#include "payroll/payroll_fixture.h"

#include "app/program_state.h"
#include "payroll/batch_modify.h"
#include "payroll/month_closing.h"
#include "payroll/month_closing_window.h"
#include "payroll/trial_calculation.h"
#include "payroll/trial_window.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_calculation_window.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/flex_grid.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QtTest>

using namespace PayrollFixture;

namespace {

const QString kMonth = QStringLiteral("200504");

Connection &openWithMonth(TestEnv &env)
{
    Connection &cn = openWithTwoMonths(env, QStringLiteral("王五"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"), QStringLiteral("t1>=3000"));
    setItem(cn, QStringLiteral("T4"), QStringLiteral("round(t1*0.08, 2)"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2-t4"));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39-iif(t39>5000,(t39-5000)*0.1,0)"));
    return cn;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestTrialAndClosing : public QObject {
    Q_OBJECT
private slots:
    void trialWritesNothingAndMatchesTheCalculation();
    void closedMonthRefusesEveryWritePathTillTheAdministratorReopens();
};

void TestTrialAndClosing::trialWritesNothingAndMatchesTheCalculation()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    const QByteArray before = fileBytes(env.dbPath());
    const ModGzjs::TrialResult trial = ModGzjs::TrialCalculation(cn, kMonth);
    QVERIFY(!trial.failure);
    QCOMPARE(fileBytes(env.dbPath()), before);
    QCOMPARE(cn.transactionDepth(), 0);
    QCOMPARE(trial.rows, 3);
    QCOMPARE(trial.items.size(), 4);
    QCOMPARE(trial.items.at(0).code, QStringLiteral("T2"));
    QCOMPARE(trial.items.at(0).rowsChanged, 2);  // the condition leaves 003 alone
    // the largest change of net pay first
    QCOMPARE(trial.largest.size(), 3);
    QCOMPARE(trial.largest.at(0).number, QStringLiteral("002"));
    QCOMPARE(trial.largest.at(0).after, 6000 + 600 - 480 - 112.0);

    // The window shows the same trial: 关闭 writes nothing; 确认计算 computes the month as
    // 执行工资计算 does, to exactly the trial's totals.
    FrmGZjs w;
    w.setMonth(kMonth);
    w.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
    auto *window = qobject_cast<FrmGZjsTrial *>(w.trialWindow());
    QVERIFY(window);
    auto *grid = window->findChild<FlexGrid *>(QStringLiteral("FlTrial"));
    QVERIFY(grid->Rows() == 5 && grid->TextMatrix(1, 0) == QStringLiteral("奖金"));
    QCOMPARE(grid->TextMatrix(1, 4), QStringLiteral("900.00"));
    QCOMPARE(grid->TextMatrix(4, 5), QStringLiteral("9988.00"));
    window->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t40) from rsgz")).toDouble(), 0.0);
    w.trial();
    window = qobject_cast<FrmGZjsTrial *>(w.trialWindow());
    window->findChild<QPushButton *>(QStringLiteral("cmdExport"))->click();
    QVERIFY(QFile::exists(env.path(QStringLiteral("book1.xlsx"))));
    window->findChild<QPushButton *>(QStringLiteral("cmdConfirm"))->click();
    QCOMPARE(env.messages.texts().last(), QStringLiteral("本月工资计算完成!"));
    for (const ModGzjs::TrialItem &item : trial.items) {
        QCOMPARE(scalar(cn, QStringLiteral("select sum(%1) from rsgz where f0 = ?").arg(item.code), {kMonth}).toDouble(),
                 item.after);
        QCOMPARE(item.before, 0.0);
    }
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t40) from rsgz")).toDouble(), 9988.0);
    // A failing item gives the failure the calculation gives, and still nothing is written.
    setItem(cn, QStringLiteral("T4"), QStringLiteral("t1/(t1-3000)"));
    const QByteArray computed = fileBytes(env.dbPath());
    const ModGzjs::TrialResult failed = ModGzjs::TrialCalculation(cn, kMonth);
    QVERIFY(failed.failure);
    const auto real = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY(real);
    QCOMPARE(ModGzjs::CalcFailureMessage(*failed.failure), ModGzjs::CalcFailureMessage(*real));
    QCOMPARE(fileBytes(env.dbPath()), computed);
}

// Every way of writing wage rows is refused for a closed month, by the database itself, with the
// month named; reading and copying from it stay open; only the administrator may reopen it, and
// reopening lets the writes through again.
void TestTrialAndClosing::closedMonthRefusesEveryWritePathTillTheAdministratorReopens()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
    QCOMPARE(ModGzjz::CloseMonth(cn, kMonth, QStringLiteral("clerk")), ModGzjz::Outcome::Done);
    QCOMPARE(ModGzjz::CloseMonth(cn, kMonth, QStringLiteral("clerk")), ModGzjz::Outcome::AlreadyClosed);
    const QString closedText = QStringLiteral("200504 已结账，不能修改。");
    const QString before = monthDump(cn, kMonth);
    auto refused = [&](const char *what, const std::function<void()> &write) {
        try {
            write();
            QFAIL(what);
        } catch (const DbError &e) {
            QVERIFY2(e.description == closedText, qPrintable(e.description));
        }
        QCOMPARE(monthDump(cn, kMonth), before);
    };
    refused("generation", [&] { ModGzsc::GenerateMonthFromPersonnel(cn, kMonth); });
    refused("copy onto it", [&] { ModGzsc::CopyMonth(cn, kMonth, QStringLiteral("200503")); });
    refused("one employee", [&] { ModGzsc::GenerateEmployee(cn, kMonth, QStringLiteral("张三")); });
    refused("entry save", [&] { cn.execute(QStringLiteral("update rsgz set t3 = 5 where f0 = '200504' and f1 = '001'")); });
    refused("entry delete", [&] { cn.execute(QStringLiteral("delete from rsgz where f0 = '200504'")); });
    refused("batch", [&] { ModPlxg::RunBatchModify(cn, QStringLiteral("T3"), QStringLiteral("5"), QString()); });
    refused("moving a row in", [&] { cn.execute(QStringLiteral("update rsgz set f0 = '200504' where f0 = '200503'")); });
    const auto calc = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY(calc);
    QCOMPARE(calc->error.description, closedText);
    QVERIFY(ModGzjs::CalcFailureMessage(*calc).contains(closedText));
    QCOMPARE(monthDump(cn, kMonth), before);
    // another month is open, and a closed month is a source to copy from
    QCOMPARE(ModGzsc::CopyMonth(cn, QStringLiteral("200506"), kMonth), 3);
    QVERIFY(!ModGzjs::CalculateMonth(cn, QStringLiteral("200503")));
    // the closing list marks the month
    FrmGZjz window(FrmGZjz::Mode::Close);
    auto *list = window.findChild<QComboBox *>(QStringLiteral("cmbMonth"));
    QCOMPARE(list->itemText(list->findData(kMonth)), QStringLiteral("200504 已结账"));
    QCOMPARE(list->itemText(list->findData(QStringLiteral("200503"))), QStringLiteral("200503"));

    for (const char *name : {"SYSTEM", "System", "clerk", " system", ""})
        QCOMPARE(ModGzjz::ReopenMonth(cn, kMonth, QString::fromLatin1(name)), ModGzjz::Outcome::NotAllowed);
    QVERIFY(ModGzjz::IsClosed(cn, kMonth));

    // Through the window: a clerk is told, the administrator is asked and may say no.
    strCzyName = QStringLiteral("clerk");
    FrmGZjz reopen(FrmGZjz::Mode::Reopen);
    list = reopen.findChild<QComboBox *>(QStringLiteral("cmbMonth"));
    list->setCurrentIndex(list->findData(kMonth));
    reopen.findChild<QPushButton *>(QStringLiteral("cmdRun"))->click();
    QCOMPARE(env.messages.records.last().flags, 48);
    QVERIFY(ModGzjz::IsClosed(cn, kMonth));
    strCzyName = ModGzjz::kAdministrator;
    env.messages.answers = {Msg::vbNo};
    reopen.run();
    QVERIFY(env.messages.records.last().flags == 36 && env.messages.records.last().text.contains(kMonth));
    QVERIFY(ModGzjz::IsClosed(cn, kMonth));
    env.messages.answers = {Msg::vbYes};
    reopen.run();
    QVERIFY(!ModGzjz::IsClosed(cn, kMonth));
    QCOMPARE(list->itemText(list->findData(kMonth)), kMonth);
    cn.execute(QStringLiteral("update rsgz set t3 = 5 where f0 = '200504' and f1 = '001'"));
    QCOMPARE(wage(cn, kMonth, QStringLiteral("001"), QStringLiteral("t3")), 5.0);
}

QTEST_MAIN(TestTrialAndClosing)
#include "tst_trial_and_closing.moc"
