// Tests of the operator activity log: rows opened and closed per use, the log window's filters,
// clearing and export.
#include "support/test_env.h"
#include "support/tools.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "operators/activity_log.h"
#include "operators/activity_log_window.h"
#include "operators/commands.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"

#include <QLineEdit>
#include <QtTest>

namespace {

int count(const QString &where)
{
    return cnMain.query(QStringLiteral("select count(*) from czyrz where ") + where).rows.at(0).at(0).toInt();
}

void addClosedRow(const QString &who, const QString &what, const QString &start)
{
    cnMain.execute(QStringLiteral("insert into czyrz (czyname, czyxm, init_time, last_time) values (?, ?, ?, ?)"),
                   {who, what, start, start});
}

int rowsFound(const QString &name, const QDate &from)
{
    return cnMain.query(Frm_czyrz::FindSql(name, from)).rows.size();
}

} // namespace

class TestActivityLog : public QObject {
    Q_OBJECT
private slots:
    void rowsOpenAndClose()
    {
        TestEnv env;
        env.openNewDatabase();
        strCzyName = QStringLiteral("O'Neil");
        // A row left open by an earlier run that ended without closing the window…
        Modczyrz::LogUseStart(QStringLiteral("部门编码"));
        Modczyrz::LogUseStart(QStringLiteral("操作员设置"));
        strCzyName = QStringLiteral("李四");
        // …and the row of this run's use.
        Modczyrz::LogUseStart(QStringLiteral("部门编码"));
        QCOMPARE(count(QStringLiteral("last_time is null")), 3);
        QCOMPARE(count(QStringLiteral("czyname='O''Neil' and init_time is not null")), 2);

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        Modczyrz::LogUseEnd(QStringLiteral("部门编码"));
        // Both uses of that window are closed with the time of this closing; the other stays open.
        QCOMPARE(count(QStringLiteral("czyxm='部门编码' and last_time is null")), 0);
        QCOMPARE(count(QStringLiteral("czyxm='操作员设置' and last_time is null")), 1);
        const auto ends = cnMain.query(QStringLiteral("select last_time from czyrz where czyxm='部门编码'")).rows;
        for (const QVariantList &row : ends) {
            const QDateTime end = QDateTime::fromString(row.at(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            QVERIFY2(end.isValid() && end >= before.addSecs(-1) && end <= QDateTime::currentDateTime().addSecs(1),
                     qPrintable(row.at(0).toString()));
        }

        // A caption with a quote is stored as it is and closes its own row.
        Modczyrz::LogUseStart(QStringLiteral("O'Neil's"));
        Modczyrz::LogUseEnd(QStringLiteral("O'Neil's"));
        QCOMPARE(count(QStringLiteral("czyxm='O''Neil''s' and last_time is not null")), 1);
    }

    void filters()
    {
        TestEnv env;
        env.openNewDatabase();
        addClosedRow(QStringLiteral("张三"), QStringLiteral("操作员设置"), QStringLiteral("2026-12-05 23:59:59"));
        addClosedRow(QStringLiteral("张三"), QStringLiteral("部门编码"), QStringLiteral("2026-12-06 00:00:01"));
        addClosedRow(QStringLiteral("李四"), QStringLiteral("部门编码"), QStringLiteral("2026-12-06 15:30:00"));
        addClosedRow(QStringLiteral("O'Neil"), QStringLiteral("部门编码"), QStringLiteral("2026-11-01 08:00:00"));
        cnMain.execute(QStringLiteral("insert into czyrz (czyname, czyxm) values ('张三', '操作员日志')"));  // open

        QCOMPARE(rowsFound({}, {}), 4);
        QCOMPARE(rowsFound(QStringLiteral("O'Neil"), {}), 1);
        // The start date counts from the beginning of that day, afternoon rows included.
        QCOMPARE(rowsFound({}, QDate(2026, 12, 6)), 2);
        QCOMPARE(rowsFound(QStringLiteral("张三"), QDate(2026, 12, 6)), 1);
        QCOMPARE(rowsFound({}, QDate(2026, 12, 7)), 0);

        // The listing renders both times as text with the time of day (on a server database in 24 hours).
        const ResultSet listed = cnMain.query(Frm_czyrz::LoadSql() + QStringLiteral(" order by tag"));
        QCOMPARE(listed.rows.size(), 4);
        QVERIFY2(listed.rows[2].at(3).toString().startsWith(TestEnv::onPostgres() ? QStringLiteral("2026-12-06 15:30:00")
                                                                                  : QStringLiteral("2026-12-06 03:30:00")),
                 qPrintable(listed.rows[2].at(3).toString()));
    }

    void windowListsClearsAndExports()
    {
        TestEnv env;
        env.openNewDatabase();
        strCzyName = QStringLiteral("system");
        addClosedRow(QStringLiteral("张三"), QStringLiteral("部门编码"), QStringLiteral("2026-12-01 09:00:00"));
        addClosedRow(QStringLiteral("李四"), QStringLiteral("操作员设置"), QStringLiteral("2026-12-02 10:00:00"));

        form_main w;
        registerOperatorCommands(w);
        w.show();
        w.menuItem(QStringLiteral("menu_sys_1"))->setEnabled(true);
        w.runCommand(QStringLiteral("menu_sys_1"));
        auto *log = qobject_cast<Frm_czyrz *>(w.findChildWindow(QStringLiteral("Frm_czyrz")));
        QVERIFY(log);
        // Its own use is open, so not listed yet.
        QCOMPARE(count(QStringLiteral("czyxm='操作员日志' and czyname='system' and last_time is null")), 1);
        auto *grid = log->findChild<DataGrid *>(QStringLiteral("MSGrid"));
        QCOMPARE(grid->model()->rowCount(), 2);
        QVERIFY(grid->columnWidthTwips(3) >= 2100);

        auto *name = log->findChild<QLineEdit *>(QStringLiteral("txtname"));
        name->setText(QStringLiteral("李四"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("李四"));
        QCOMPARE(grid->columnCaption(4), QStringLiteral("结束时间"));  // captions set again after the find

        log->Toolbar1_ButtonClick(QStringLiteral("dc"));
        const QString book = env.path(QStringLiteral("book1.xlsx"));
        QVERIFY(QFile::exists(book));
        const QString strings = xlsxPart(book, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(strings.contains(QStringLiteral("操作员姓名")) && strings.contains(QStringLiteral("李四")));
        QVERIFY(!strings.contains(QStringLiteral("张三")));  // what the grid shows, not the whole table

        env.messages.answers = {Msg::vbNo};
        log->Toolbar1_ButtonClick(QStringLiteral("delete"));
        QCOMPARE(count(QStringLiteral("1=1")), 3);
        env.messages.answers = {Msg::vbYes};
        log->Toolbar1_ButtonClick(QStringLiteral("delete"));
        QCOMPARE(env.messages.records.last().text, QStringLiteral("确认删除所有日志吗?"));
        QCOMPARE(env.messages.records.last().flags, 36);
        QCOMPARE(count(QStringLiteral("1=1")), 1);  // the window's own open use stays
        QCOMPARE(grid->model()->rowCount(), 0);

        log->Toolbar1_ButtonClick(QStringLiteral("exit"));
        QTRY_VERIFY(!w.findChildWindow(QStringLiteral("Frm_czyrz")));
        QCOMPARE(count(QStringLiteral("last_time is null")), 0);
        // Opened again, the earlier use is listed.
        w.runCommand(QStringLiteral("menu_sys_1"));
        log = qobject_cast<Frm_czyrz *>(w.findChildWindow(QStringLiteral("Frm_czyrz")));
        QCOMPARE(log->findChild<DataGrid *>(QStringLiteral("MSGrid"))->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestActivityLog)
#include "tst_activity_log.moc"
