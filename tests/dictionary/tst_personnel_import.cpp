// Employees brought in from a spreadsheet: captions matched, every row checked, all or none written.
#include "support/test_env.h"

#include "dictionary/editor_driver.h"
#include "dictionary/personnel_editor_window.h"
#include "dictionary/personnel_import.h"
#include "dictionary/personnel_import_window.h"
#include "dictionary/personnel_tables.h"
#include "platform/print/sheet_reader.h"
#include "platform/ui/flex_grid.h"

#include <QFileDialog>
#include <QPushButton>
#include <QStringEncoder>
#include <QtTest>

namespace {

Connection &personnelDatabase(TestEnv &env)
{
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    return cn;
}

QString writeCsv(TestEnv &env, const QString &name, const QString &text, const char *encoding)
{
    QFile f(env.path(name));
    f.open(QIODevice::WriteOnly);
    QStringEncoder enc(encoding);
    f.write(enc.encode(text));
    return f.fileName();
}

// The next file dialog chooses path.
void chooseFile(TestEnv &env, const QString &path)
{
    env.dialogs.steps << [path](QDialog *d) {
        static_cast<QFileDialog *>(d)->selectFile(path);
        d->accept();
    };
}

QList<QVariantList> employees(Connection &cn)
{
    return cn.query(QStringLiteral("select f1, f2, f5, f4, f9 from rsda order by f1")).rows;
}

} // namespace

class TestPersonnelImport : public QObject {
    Q_OBJECT
private slots:
    void importsACheckedFileWholeAndRefusesItWholeWhenARowFails();
    void editorImportsAndExportsTheTemplate();
};

void TestPersonnelImport::importsACheckedFileWholeAndRefusesItWholeWhenARowFails()
{
    TestEnv env;
    Connection &cn = personnelDatabase(env);
    const QString path = writeCsv(env, QStringLiteral("员工.csv"),
                                  QStringLiteral("员工编号,姓名,基本工资,性别,部门,F9\r\n"
                                                 "001,张三,3500,男,前台,010-1\r\n"
                                                 "002,\"O'Neil, Jr\",4200.5,女,,\r\n"
                                                 ",,,,,\r\n"),
                                  "GB18030");
    const ModRsdr::ImportPlan plan = ModRsdr::PlanImport(cn, ReadSheetFile(path));
    QVERIFY2(plan.ok(), qPrintable(plan.error + plan.missing.join(',')));
    QCOMPARE(plan.unmatched, QStringList{QStringLiteral("部门")});
    QCOMPARE(plan.columns.size(), 5);
    QCOMPARE(plan.rows.size(), 2);  // the empty line is no row
    QCOMPARE(ModRsdr::RunImport(cn, plan), 2);
    QCOMPARE(employees(cn), (QList<QVariantList>{{"001", "张三", 3500.0, "男", "010-1"},
                                                  {"002", "O'Neil, Jr", 4200.5, "女", QVariant()}}));

    // A file with a row at fault is refused whole; 001 is taken by now.
    const QString tooLong = QString(21, QChar(u'名'));
    const QString badPath = writeCsv(env, QStringLiteral("bad.csv"),
                                  QStringLiteral("员工编号,姓 名,基本工资\n"
                                                 "007,李四,\"3,500\"\n"
                                                 "003,%1,100\n"
                                                 " 001 ,王五,1\n"
                                                 "004,赵六,1\n"
                                                 "004,钱七,abc\n"
                                                 "005,\"周\n八\",1\n"
                                                 "006,吴%2九,1\n").arg(tooLong, QString(QChar(0))),
                                  "UTF-8");
    const ModRsdr::ImportPlan bad = ModRsdr::PlanImport(cn, ReadSheetFile(badPath));
    QVERIFY(!bad.ok());
    QCOMPARE(bad.problemRows(), 6);
    const auto problems = [&](int i) { return bad.rows.at(i).problems.join(QLatin1Char('|')); };
    QVERIFY2(problems(0).contains(QStringLiteral("基本工资")) && problems(0).contains(QStringLiteral("数字")), qPrintable(problems(0)));
    QVERIFY2(problems(1).contains(QStringLiteral("超长")), qPrintable(problems(1)));
    QVERIFY2(problems(2).contains(QStringLiteral("已被其他员工使用")), qPrintable(problems(2)));
    QVERIFY(problems(3).isEmpty());
    QVERIFY2(problems(4).contains(QStringLiteral("第 5 行重复")) && problems(4).contains(QStringLiteral("数字")),
             qPrintable(problems(4)));
    // a line break kept inside quotes, and a NUL
    for (int i : {5, 6})
        QCOMPARE(problems(i), QStringLiteral("姓 名 含有换行、制表符等控制字符"));
    QCOMPARE(ModRsdr::RunImport(cn, bad), 0);
    QCOMPARE(employees(cn).size(), 2);

    // A field that may not be empty and has no column makes the file unfit too.
    cn.execute(QStringLiteral("update dh_codedict set nullbj='1' where colm_code='f2'"));
    const ModRsdr::ImportPlan missing =
        ModRsdr::PlanImport(cn, ReadSheetFile(writeCsv(env, QStringLiteral("m.csv"), QStringLiteral("员工编号\n009\n"), "UTF-8")));
    QCOMPARE(missing.missing, QStringList{QStringLiteral("姓 名")});
    QVERIFY(!missing.ok());
    QVERIFY(!ModRsdr::PlanImport(cn, ReadSheetFile(env.path(QStringLiteral("none.xlsx")))).error.isEmpty());
}

void TestPersonnelImport::editorImportsAndExportsTheTemplate()
{
    TestEnv env;
    Connection &cn = personnelDatabase(env);
    EditorDriver<FrmRSdagl> editor;

    editor.bar()->button(QStringLiteral("import"))->trigger();
    auto *import = editor.w.findChild<FrmRsdr *>(QStringLiteral("FrmRsdr"));
    QVERIFY(import);

    // The template's caption row is the dictionary's captions; filled in, it imports.
    const QString templatePath = env.path(QStringLiteral("模板.xlsx"));
    chooseFile(env, templatePath);
    import->findChild<QPushButton *>(QStringLiteral("cmdTemplate"))->click();
    const SheetTable empty = ReadSheetFile(templatePath);
    QCOMPARE(empty.rows.size(), 1);
    QCOMPARE(empty.rows.first().mid(0, 3), (QStringList{"员工编号", "姓 名", "级别"}));

    const QString path = writeCsv(env, QStringLiteral("ok.csv"), QStringLiteral("员工编号,姓名\n101,甲\n102,乙\n"), "UTF-8");
    chooseFile(env, path);
    import->findChild<QPushButton *>(QStringLiteral("cmdFile"))->click();
    auto *grid = import->findChild<FlexGrid *>(QStringLiteral("FlRows"));
    QVERIFY(grid->Rows() == 3 && grid->TextMatrix(2, 2) == QStringLiteral("乙") && grid->TextMatrix(1, 3) == QStringLiteral("正确"));
    auto *importButton = import->findChild<QPushButton *>(QStringLiteral("cmdImport"));
    QVERIFY(importButton->isEnabled());
    importButton->click();
    QCOMPARE(env.messages.texts().last(), QStringLiteral("导入完成，共导入 2 名员工。"));
    QVERIFY(!importButton->isEnabled());  // not twice
    QCOMPARE(employees(cn).size(), 2);
    QVERIFY(!editor.box(0)->text().isEmpty());  // the editor shows the imported rows
}

QTEST_MAIN(TestPersonnelImport)
#include "tst_personnel_import.moc"
