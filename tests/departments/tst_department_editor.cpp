// Tests of the department code editor Form_bmbmdy, driven through its boxes, toolbar and buttons.
#include "support/test_env.h"
#include "support/tools.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "departments/commands.h"
#include "departments/department_editor_window.h"
#include "departments/department_report.h"
#include "dictionary/editor_driver.h"
#include "platform/db/recordset.h"
#include "platform/print/report_source.h"
#include "platform/ui/data_grid.h"

#include <QMdiSubWindow>

namespace {

struct Editor {
    Form_bmbmdy w;
    Editor()
    {
        w.show();
        w.activateWindow();
        (void)QTest::qWaitForWindowActive(&w);
    }
    template <class T>
    T *find(const QString &name) const { return w.findChild<T *>(name); }
    QLineEdit *box(int i) const { return find<QLineEdit>(QString("Text1_%1").arg(i)); }
    KeyedToolBar *bar() const { return find<KeyedToolBar>("Toolbar"); }
    bool enabled(const QString &key) const { return bar()->isButtonEnabled(key); }
    void click(const QString &key) const { QTest::mouseClick(bar()->toolButton(key), Qt::LeftButton); }
    void type(int i, const QString &text) const
    {
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClick(box(i), Qt::Key_Delete);
        typeInto(box(i), text);
    }
    void enter(int i) const
    {
        box(i)->setFocus();
        QTest::keyClick(box(i), Qt::Key_Return);
    }
    bool entering() const { return !enabled("Add") && !enabled("Find") && enabled("Save") && enabled("Cancel"); }
    bool browsing() const { return enabled("Add") && enabled("Find") && !enabled("Save") && !enabled("Cancel"); }
};

void addDepartment(Connection &cn, const QString &code, const QString &name, bool leaf = true, bool used = false)
{
    cn.execute("insert into bmcode (bmcode, name, zzbj, used_tag) values (?, ?, ?, ?)", {code, name, leaf, used});
}

QStringList codes(Connection &cn)
{
    QStringList out;
    for (const QVariantList &r : cn.query("select bmcode from bmcode order by bmcode").rows)
        out << r.value(0).toString();
    return out;
}

QString lastMessage(const TestEnv &env) { return env.messages.records.isEmpty() ? QString() : env.messages.records.last().text; }
int lastFlags(const TestEnv &env) { return env.messages.records.isEmpty() ? -1 : env.messages.records.last().flags; }

} // namespace

class TestDepartmentEditor : public QObject {
    Q_OBJECT
private slots:
    // The Enter flow adds departments; a refused code or save keeps the row pending; the report,
    // calculator and shortcuts; closing updates the leaf flags.
    void enterFlowRefusalsAndClosing()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addDepartment(cn, "1", "总部");
        {
            Editor e;
            QCOMPARE(e.find<QLabel>("LabbmBmcd")->text(), QString("部门编码长度设定为：1-1-3"));

            e.click("Add");
            QVERIFY(e.entering() && e.box(0)->text() == "1" && !e.box(0)->isReadOnly());
            e.type(0, "11");
            e.enter(0);
            QVERIFY(e.box(13)->text() == "2" && e.box(1)->hasFocus() && env.messages.records.isEmpty());
            e.type(1, "销售部");
            e.enter(1);
            QVERIFY(e.box(2)->hasFocus() && !e.box(14)->isVisible());
            e.type(2, "5");
            e.enter(2);
            QVERIFY(lastMessage(env) == "部门输入错误" && lastFlags(env) == 16 && e.box(2)->hasFocus());
            e.type(2, "3");
            e.enter(2);
            QVERIFY(e.box(14)->text() == "营业部门" && e.box(3)->hasFocus() && e.box(14)->isVisible());
            e.type(3, "张三");
            e.enter(3);
            e.type(4, "5551234");
            e.enter(4);

            const QVariantList row = cn.query("select name, cg, bmsm, fzr, dh, point_h from bmcode where bmcode='11'").rows.value(0);
            QCOMPARE(row, QVariantList({"销售部", "3", "营业部门", "张三", "5551234", "2"}));
            // The next department is started at once, one code further, with the grid showing both saved rows.
            QVERIFY(e.entering() && e.box(0)->text() == "12" && e.box(1)->text().isEmpty());
            QCOMPARE(e.find<DataGrid>("DaGridLy")->model()->rowCount(), 2);
            e.click("Cancel");
            QVERIFY(e.browsing() && e.w.entryRecords()->EditMode() == Recordset::adEditNone);

            // A code taken already is refused on leaving the box. Saved without confirming the code,
            // the database refuses it and the row stays pending.
            Recordset *entry = e.w.entryRecords();
            e.click("Add");
            e.type(0, "11");
            QTest::keyClick(e.box(0), Qt::Key_Tab);
            QVERIFY(lastMessage(env) == "部门编码重复！" && lastFlags(env) == 16 && e.box(0)->text().isEmpty());
            e.type(0, "1");
            e.type(1, "新部门");
            e.click("Save");
            QVERIFY(lastMessage(env) == "编码重复请重新输入！" && e.browsing());
            QVERIFY(entry->EditMode() == Recordset::adEditAdd && entry->value("bmcode").isNull());
            QCOMPARE(codes(cn), QStringList({"1", "11"}));
            // "Add" goes on with the refused row instead of writing it unchecked.
            const int rows = entry->RecordCount();
            e.click("Add");
            QVERIFY(e.entering() && e.box(1)->text() == "新部门" && e.box(0)->text().isEmpty());
            QCOMPARE(entry->RecordCount(), rows);
            // Enter in the telephone box after a refused save starts no next department.
            e.type(0, "1");
            e.enter(4);
            QVERIFY(lastMessage(env) == "编码重复请重新输入！" && e.box(0)->text().isEmpty() && e.browsing());
            QVERIFY(entry->RecordCount() == rows && entry->EditMode() == Recordset::adEditAdd && e.box(1)->text() == "新部门");
            e.type(0, "2");
            e.enter(4);
            QCOMPARE(codes(cn), QStringList({"1", "11", "2"}));
            QVERIFY(e.entering() && entry->RecordCount() == rows + 1 && e.box(1)->text().isEmpty());
            e.click("Cancel");

            // The report of the listed departments, its preview and print; the calculator; the shortcuts.
            const ReportDocument doc = ModBmReport::BuildDepartmentReport(std::make_shared<RecordsetSource>(e.w.browseRecords()));
            QCOMPARE(doc.exportPdf(env.path("bmbm.pdf")), QString());
            QString text = pdfLayoutText(env.path("bmbm.pdf"));
            text.remove(' ');
            for (const char *word : {"部门目录", "部门名称", "总部", "新部门", "营业部门", "张三", "5551234", "打印日期"})
                QVERIFY2(text.contains(QString::fromUtf8(word)), word);
            e.click("PrintView");
            ReportPreview *preview = EditorDriver<Form_bmbmdy>::takePreview();
            QVERIFY(preview && !preview->isModal() && preview->pageCount() == 1);
            delete preview;
            e.click("print");  // the print dialog first; cancelled by the script
            QCOMPARE(env.dialogs.shown, QStringList({"PrintDialog"}));
            env.shell.knownPrograms = {"/usr/bin/xcalc", "/usr/bin/galculator"};
            e.click("Calc");
            QCOMPARE(env.shell.startedPrograms, QStringList({"/usr/bin/galculator"}));
            env.shell.knownPrograms.clear();
            e.click("Calc");
            QVERIFY(lastMessage(env).startsWith("未找到计算器程序") && lastFlags(env) == 48);
            e.box(3)->setFocus();
            QTest::keyClick(e.box(3), Qt::Key_N, Qt::ControlModifier);
            QVERIFY(e.entering() && entry->EditMode() == Recordset::adEditAdd);
            QTest::keyClick(e.box(0), Qt::Key_U, Qt::ControlModifier);
            QVERIFY(e.browsing() && entry->EditMode() == Recordset::adEditNone);
            e.w.close();
        }
        QCOMPARE(cn.query("select zzbj from bmcode order by bmcode").rows, QList<QVariantList>({{0}, {-1}, {-1}}));
    }

    void locksDeleteAndFind()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        {
            Editor empty;  // nothing to find; nothing to delete, nothing asked
            env.messages.inputs << "1";
            empty.click("Find");
            empty.click("Dele");
            QVERIFY(lastMessage(env) == "无符合条件记录" && lastFlags(env) == 48);
        }
        env.messages.records.clear();
        addDepartment(cn, "1", "总部", false);
        addDepartment(cn, "11", "销售部");
        addDepartment(cn, "2", "仓库", true, true);
        Editor e;
        Recordset *rs = e.w.browseRecords();
        auto move = [&](int i) { QTest::mouseClick(e.find<QPushButton>(QString("Cmdmove_%1").arg(i)), Qt::LeftButton); };

        // In use (2) or with a sub-department (1): code locked, no delete; a leaf (11): free.
        QVERIFY(rs->value("bmcode") == "2" && !e.enabled("Dele") && e.box(0)->isReadOnly());
        move(0);
        QVERIFY(rs->value("bmcode") == "1" && !e.enabled("Dele") && e.box(0)->isReadOnly());
        QVERIFY(!e.find<QPushButton>("Cmdmove_1")->isEnabled() && e.find<QPushButton>("Cmdmove_2")->isEnabled());
        move(2);
        QVERIFY(rs->value("bmcode") == "11" && e.enabled("Dele") && !e.box(0)->isReadOnly());

        // Recoding a department to another's code is refused and its own code comes back.
        e.type(0, "2");
        e.enter(0);
        QVERIFY(lastMessage(env) == "部门编码重复！" && e.box(0)->text() == "11");

        env.messages.answers << Msg::vbNo;
        e.click("Dele");
        QVERIFY(lastMessage(env) == "确认删除当前记录" && lastFlags(env) == 36);
        QCOMPARE(codes(cn), QStringList({"1", "11", "2"}));
        env.messages.answers << Msg::vbYes;
        e.click("Dele");
        QCOMPARE(codes(cn), QStringList({"1", "2"}));
        QCOMPARE(e.find<DataGrid>("daGridDy")->model()->rowCount(), 2);

        env.messages.inputs << "9" << "2" << "x'";
        e.click("Find");
        QVERIFY(lastMessage(env) == "无符合条件记录" && lastFlags(env) == 48 && rs->currentRow() >= 0);
        move(0);
        e.click("Find");
        QCOMPARE(rs->value("bmcode").toString(), QString("2"));
        e.click("Find");  // a quote is searched for, not a broken criterion
        QCOMPARE(lastMessage(env), QString("无符合条件记录"));

        // A sub-department added since the window opened keeps its parent: the leaf flag is recomputed
        // only on closing, so the delete looks at the codes themselves.
        for (const auto &[code, name] : {std::pair{"3", "后勤部"}, {"31", "仓管组"}}) {
            e.click("Add");
            e.type(0, code);
            e.type(1, name);
            e.click("Save");
        }
        env.messages.inputs << "3";
        e.click("Find");
        QVERIFY2(rs->value("bmcode") == "3" && e.enabled("Dele"), qPrintable(codes(cn).join(',')));
        const int asked = env.messages.records.size();
        e.click("Dele");
        QCOMPARE(env.messages.records.size(), asked + 1);  // refused, nothing asked
        QVERIFY(lastMessage(env).startsWith("部门“3”还有下级部门“31”") && lastFlags(env) == 16);
        QCOMPARE(codes(cn), QStringList({"1", "2", "3", "31"}));
    }

    // Opened from the menu: one window however often asked, its use logged once; window-state changes
    // check nothing half-typed; closing with a pending department asks; Ctrl+Q closes the window only.
    void inTheMainWindow()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        form_main w;
        w.show();
        registerDepartmentCommands(w);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QString logRows = "select count(*) from czyrz where czyxm='部门编码'";
        w.runCommand("menu_set_0");
        w.runCommand("menu_set_0");
        auto *editor = static_cast<Form_bmbmdy *>(w.findChildWindow("Form_bmbmdy"));
        QVERIFY(editor && editor->windowTitle() == "部门编码");
        QCOMPARE(w.findChildren<Form_bmbmdy *>().size(), 1);
        QCOMPARE(cn.query(logRows).rows.value(0).value(0).toInt(), 1);
        auto *sub = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        auto *code = editor->findChild<QLineEdit *>("Text1_0");

        // A half-typed code: maximising, restoring and double-clicking the title bar move the focus,
        // but the person did not leave the box, so nothing is checked.
        QTest::mouseClick(editor->findChild<KeyedToolBar *>("Toolbar")->toolButton("Add"), Qt::LeftButton);
        code->setFocus();
        QTest::keyClicks(code, "123");
        sub->showMaximized();
        sub->showNormal();
        QTest::mouseDClick(sub, Qt::LeftButton, {}, QPoint(sub->width() / 2, 8));
        QTest::mouseDClick(sub, Qt::LeftButton, {}, QPoint(sub->width() / 2, 8));
        QVERIFY2(env.messages.records.isEmpty(), qPrintable(lastMessage(env)));
        // Tab out of the box is the person's move: checked.
        code->setFocus();
        QTest::keyClick(code, Qt::Key_Tab);
        QCOMPARE(lastMessage(env), QString("编码长度应为5"));

        // A new department with a name typed: closing asks. Cancel keeps the window; Yes saves through
        // the code check (refused: the window stays), then with a good code saves it.
        env.messages.records.clear();
        auto *name = editor->findChild<QLineEdit *>("Text1_1");
        const QString hostile = "x'); delete from bmcode; -- 😀" + QString(40, QChar(u'部'));
        code->setText("3");
        name->setText(hostile);
        env.messages.answers = {Msg::vbCancel, Msg::vbYes};
        QVERIFY(!sub->close());
        code->setText("12");  // its parent 1 does not exist
        QVERIFY(!sub->close());
        QCOMPARE(env.messages.texts(), (QStringList{"数据尚未保存，是否保存？", "数据尚未保存，是否保存？", "上级商品未定义！"}));
        QCOMPARE(env.messages.records.first().flags, Msg::vbYesNoCancel | Msg::vbQuestion);
        QVERIFY(w.findChildWindow("Form_bmbmdy") && codes(cn).isEmpty());
        code->setText("3");
        env.messages.answers = {Msg::vbYes};
        QVERIFY(sub->close());
        QTRY_VERIFY(!w.findChildWindow("Form_bmbmdy"));
        QCOMPARE(cn.query("select bmcode, name from bmcode").rows, QList<QVariantList>({{"3", hostile}}));

        // Ctrl+Q in the window closes the window (running its closing steps), not the program.
        w.runCommand("menu_set_0");
        auto *grid = w.findChildWindow("Form_bmbmdy")->findChild<DataGrid *>("daGridDy");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w.findChildWindow("Form_bmbmdy"));
        QCOMPARE(env.shell.endRequests, 0);
        QCOMPARE(cn.query(logRows + " and last_time is null").rows.value(0).value(0).toInt(), 0);
    }
};

QTEST_MAIN(TestDepartmentEditor)
#include "tst_department_editor.moc"
