// Screenshot driver: starts the program on a scratch database, logs in as a person would, opens
// every window the menus offer and saves one PNG per window, named by the window's objectName.
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "departments/commands.h"
#include "departments/department_report.h"
#include "dictionary/commands.h"
#include "dictionary/personnel_tables.h"
#include "operators/commands.h"
#include "operators/database_settings_window.h"
#include "payroll/commands.h"
#include "payroll/batch_modify_window.h"
#include "payroll/employee_generation_window.h"
#include "payroll/month_generation_window.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_calculation_window.h"
#include "payroll/wage_months.h"
#include "platform/shell/shell.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "printing/commands.h"
#include "printing/dictionary_report.h"
#include "printing/pay_grid_window.h"
#include "platform/db/recordset.h"
#include "platform/print/report_preview.h"
#include "platform/print/report_source.h"
#include "program/program.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace {

QString g_out;

void settle(int ms = 400)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void saveScreen(const QString &name)
{
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString file = g_out + QLatin1Char('/') + name + QStringLiteral(".png");
    shot.save(file);
    std::printf("saved %s\n", qPrintable(file));
}

// Saves one window as it is drawn (its frame included), for the walk-through.
void saveWindow(QWidget *window, const QString &name)
{
    settle(300);
    const QString file = g_out + QLatin1Char('/') + name + QStringLiteral(".png");
    window->grab().save(file);
    std::printf("saved %s\n", qPrintable(file));
}

// Messages are answered with OK/Yes and printed, so no box blocks the run. The export message of
// the walk-through is shown for real, photographed and closed.
class PrintingMessages : public ScriptedMessageService {
public:
    QString shootNext;  // the name of the next message box with buttons of its own to photograph
    int msgBox(const QString &text, int flags, const QString &title) override
    {
        std::printf("message: %s\n", qPrintable(text));
        return ScriptedMessageService::msgBox(text, flags, title);
    }
    int msgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title) override
    {
        std::printf("message: %s [%s]\n", qPrintable(text), qPrintable(extra.join(QLatin1Char('|'))));
        if (shootNext.isEmpty())
            return ScriptedMessageService::msgBoxWithButtons(text, flags, extra, title);
        const QString name = shootNext;
        shootNext.clear();
        QTimer::singleShot(500, [name] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                saveWindow(box, name);
                box->close();
            }
        });
        return QtMessageService().msgBoxWithButtons(text, flags, extra, title);
    }
};
PrintingMessages *g_messages = nullptr;

// A program folder of its own, so the run never touches a real database.
class ScratchShell : public Shell {
public:
    QString folder;
    QString programFolder() const override { return folder; }
    void endProgram(int) override { std::printf("end of program requested\n"); }
};

void seed()
{
    // The first run made every table; the default wage items are there before formulas are set.
    ModJgupdate::CreateFirstUseTables(cnMain);
    const QStringList names{QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"),
                            QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("杨磊"),
                            QStringLiteral("赵敏"), QStringLiteral("黄强")};
    for (int i = 0; i < names.size(); ++i)
        cnMain.execute(QStringLiteral("insert into rsda(f1,f2,f3,f4,f5,f9) values('%1','%2','%3','%4',%5,'%6')")
                           .arg(QStringLiteral("A%1").arg(101 + i, 3, 10, QLatin1Char('0')), names.at(i),
                                i % 3 == 0 ? QStringLiteral("主管") : QStringLiteral("教练"),
                                i % 2 ? QStringLiteral("女") : QStringLiteral("男"))
                           .arg(3000 + 250 * i)
                           .arg(QStringLiteral("1380000%1").arg(1000 + i)));
    ModGzsc::GenerateMonthFromPersonnel(cnMain, QStringLiteral("202611"));
    ModGzsc::GenerateMonthFromPersonnel(cnMain, QStringLiteral("202612"));
    cnMain.execute(QStringLiteral("update rsgz set t2=500+id*10, t3=id*37, t4=120, t5=200, t6=0"));
    cnMain.execute(QStringLiteral("update rs_codedict set hzgs='round(t1*0.02,2)' where colm_code='T4'"));
    cnMain.execute(QStringLiteral("update rs_codedict set hzgs='round(t1*0.07,2)' where colm_code='T5'"));
    cnMain.execute(QStringLiteral("update rs_codedict set hzgs='t1+t2+t3' where colm_code='T39'"));
    cnMain.execute(QStringLiteral("update rs_codedict set hzgs='t39-t4-t5-t6' where colm_code='T40'"));
    ModGzjs::CalculateMonth(cnMain, QStringLiteral("202611"));
    ModGzjs::CalculateMonth(cnMain, QStringLiteral("202612"));

    // Two operators with some permissions, a day of log rows and a small department tree.
    cnMain.execute(QStringLiteral("insert into czyzd(czy_name,czy_pass,zwlx) values('王芳','123','财务'),('李娜','','操作员')"));
    cnMain.execute(QStringLiteral("insert into czy([name],czy_id,nr) values('王芳',2,'操作员日志'),('王芳',2,'数据备份')"));
    cnMain.execute(QStringLiteral("insert into czyrz(czyname,czyxm,init_time,last_time) values"
                                  "('system','操作员设置','2026-12-05 09:02:11','2026-12-05 09:15:40'),"
                                  "('王芳','部门编码','2026-12-05 14:20:03','2026-12-05 14:31:57'),"
                                  "('王芳','操作员日志','2026-12-06 08:45:30','2026-12-06 08:47:02')"));
    cnMain.execute(QStringLiteral("insert into bmcode(bmcode,name,cg,bmsm,fzr,dh,point_h,zzbj,used_tag) values"
                                  "('1','营业部','3','营业部门','张伟','0571-88001001','1',false,false),"
                                  "('11','前台','3','营业部门','王芳','0571-88001002','2',false,false),"
                                  "('11001','会员接待组','3','营业部门','李娜','0571-88001003','3',true,false),"
                                  "('2','管理部','4','非营业部门','刘洋','0571-88002001','1',false,false),"
                                  "('21','财务室','4','非营业部门','陈静','0571-88002002','2',true,false)"));
}

// Shows a month in the window as a person would pick it: the month chooser's last month, or the
// month typed into the windows that generate and compute one.
void showMonth(QWidget *window)
{
    const QString month = QStringLiteral("202612");
    if (auto *combo = window->findChild<QComboBox *>(QStringLiteral("DataRC")); combo && combo->count() > 0) {
        const int last = combo->count() - 1;
        combo->setCurrentIndex(last);
        emit combo->activated(last);
    }
    if (auto *w = dynamic_cast<FrmGzsC *>(window))
        w->setMonth(month);
    else if (auto *w = dynamic_cast<FrmGZscYg *>(window))
        w->setMonth(month);
    else if (auto *w = dynamic_cast<FrmGZjs *>(window))
        w->setMonth(month);
    else if (auto *w = dynamic_cast<FrmGZPlxg *>(window))
        w->selectMonth(month);
}

void shootChildren(form_main &w)
{
    const QStringList commands{QStringLiteral("menu_rsSET_1"), QStringLiteral("menu_gZset_1"),
                               QStringLiteral("menu_gZset_2"), QStringLiteral("menu_gZset_3"),
                               QStringLiteral("menu_gZset_4"), QStringLiteral("menu_gZset_5"),
                               QStringLiteral("menu_gZset_6"), QStringLiteral("menu_gZset_8"),
                               QStringLiteral("menu_gZset_9"), QStringLiteral("menu_set_0"),
                               QStringLiteral("menu_sys_0"), QStringLiteral("menu_sys_1"),
                               QStringLiteral("menu_sys_2")};
    for (const QString &command : commands) {
        const int before = int(w.mdiArea()->subWindowList().size());
        w.runCommand(command);
        settle(600);
        const QList<QMdiSubWindow *> subs = w.mdiArea()->subWindowList();
        if (subs.size() <= before) {
            std::printf("%s opens no window yet\n", qPrintable(command));
            continue;
        }
        QMdiSubWindow *sub = w.mdiArea()->activeSubWindow() ? w.mdiArea()->activeSubWindow() : subs.last();
        const QString name = sub->widget() ? sub->widget()->objectName() : sub->objectName();
        if (sub->widget())
            showMonth(sub->widget());
        settle(300);
        saveScreen(name);
        // Windows with a second tab worth seeing: photographed on it too.
        if (auto *tabs = sub->widget() ? sub->widget()->findChild<QTabWidget *>(QStringLiteral("SSTab1")) : nullptr;
            tabs && name == QLatin1String("Frm_czyset")) {
            tabs->setCurrentIndex(1);
            settle(300);
            saveScreen(name + QStringLiteral("_tab1"));
        }
        // And maximised: the grids and main boxes take the room, the buttons keep to their edges.
        sub->showMaximized();
        settle(300);
        saveScreen(name + QStringLiteral("_max"));
        sub->close();
        settle(200);
    }
}

QPushButton *button(QWidget *window, const char *name) { return window->findChild<QPushButton *>(QLatin1String(name)); }

// The first month as the README walks through it, on the employees of the seed: the wage items with
// their formulas, the month generated, one amount corrected, the trial calculation, the calculation,
// the pay sheet and its export. One picture per step, named month_N_….
void walkThrough(form_main &w)
{
    const QString month = QStringLiteral("202701");
    const auto open = [&w](const char *command) {
        w.runCommand(QLatin1String(command));
        settle(500);
        QMdiSubWindow *sub = w.mdiArea()->activeSubWindow();
        return sub;
    };
    // 1. The employees.
    QMdiSubWindow *sub = open("menu_rsSET_1");
    if (auto *tabs = sub->widget()->findChild<QTabWidget *>(QStringLiteral("SSTab1")))
        tabs->setCurrentIndex(1);
    saveWindow(sub, QStringLiteral("month_1_personnel"));
    sub->close();
    // 2. The wage items with their formulas: maximised, every item is in sight.
    sub = open("menu_gZset_1");
    sub->showMaximized();
    if (auto *grid = sub->widget()->findChild<QTableView *>(QStringLiteral("DataGrid1")))
        grid->selectRow(grid->model()->rowCount() - 2);
    saveWindow(sub, QStringLiteral("month_2_items"));
    sub->close();
    // 3. The month generated from the personnel records.
    sub = open("menu_gZset_2");
    static_cast<FrmGzsC *>(sub->widget())->setMonth(month);
    saveWindow(sub, QStringLiteral("month_3_generate"));
    button(sub->widget(), "CmdgzDA")->click();
    sub->close();
    // 4. A bonus typed in for the first employee.
    sub = open("menu_gZset_3");
    if (auto *combo = sub->widget()->findChild<QComboBox *>(QStringLiteral("DataRC"))) {
        const int at = combo->findText(month);
        combo->setCurrentIndex(at);
        emit combo->activated(at);
    }
    auto *bar = sub->widget()->findChild<KeyedToolBar *>(QStringLiteral("Toolbar1"));
    bar->button(QStringLiteral("Edit"))->trigger();
    if (auto *bonus = sub->widget()->findChild<QLineEdit *>(QStringLiteral("txtspzd_4"))) {
        bonus->setText(QStringLiteral("800"));
        bonus->setFocus();
    }
    // The sales commission of the month, typed the same way for the others (here in one go).
    cnMain.execute(QStringLiteral("update rsgz set t3 = 150 + (id Mod 4) * 60 where f0 = '%1'").arg(month));
    saveWindow(sub, QStringLiteral("month_4_entry"));
    bar->button(QStringLiteral("save"))->trigger();
    sub->close();
    // 5. The trial calculation, then the calculation itself.
    sub = open("menu_gZset_5");
    static_cast<FrmGZjs *>(sub->widget())->setMonth(month);
    button(sub->widget(), "Command3")->click();
    settle(500);
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("FrmGZjsTrial") && top->isVisible()) {
            top->move(40, 60);
            saveWindow(top, QStringLiteral("month_5_trial"));
            button(top, "cmdConfirm")->click();
        }
    sub->close();
    // 6. The pay sheet of the month, and 7. its export.
    sub = open("menu_gZset_9");
    static_cast<PayGridWindow *>(sub->widget())->selectMonth(month);
    sub->showMaximized();
    saveWindow(sub, QStringLiteral("month_6_paysheet"));
    g_messages->shootNext = QStringLiteral("month_7_export");
    button(sub->widget(), "Command4")->click();
    sub->close();
    settle(300);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/rsgz-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", (scratch.path() + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    // The program's own names, icon, Chinese buttons and font.
    SetUpApplication(app);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(g_out);

    ScratchShell shell;
    shell.folder = scratch.path();
    Shell::install(&shell);
    PrintingMessages messages;
    MessageService::install(&messages);
    g_messages = &messages;

    form_main w;
    registerOperatorCommands(w);
    registerDictionaryCommands(w);
    registerPayrollCommands(w);
    registerPrintingCommands(w);
    registerDepartmentCommands(w);
    // The whole screen, as a maximised window takes it (xvfb has no window manager to maximise).
    w.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());

    // The login window comes up modally inside Main: photograph it over the main window, then
    // type the password (empty for "system") and press 登录.
    QTimer::singleShot(1200, [] {
        saveScreen(QStringLiteral("frmLogin"));
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("frmLogin") && top->isVisible()) {
                if (auto *ok = top->findChild<QAbstractButton *>(QStringLiteral("cmdOK")))
                    ok->click();
            }
        }
    });
    ModmainRSgz::Main();
    w.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    settle(800);
    if (strCzyName.isEmpty()) {
        std::printf("login did not complete\n");
        return 1;
    }
    seed();
    saveScreen(QStringLiteral("form_main"));
    shootChildren(w);
    walkThrough(w);

    // The personnel list as the preview lays it out from the print dictionary, first page.
    Recordset staff;
    staff.Open(QStringLiteral("select * from rsda order by f1"), cnMain);
    const QString page = g_out + QStringLiteral("/ReportMod.png");
    const QString failure = ModReport::RenderDictReport(cnMain, QStringLiteral("rsda"), staff, page);
    std::printf("%s %s\n", failure.isEmpty() ? "saved" : "report failed:", qPrintable(failure.isEmpty() ? page : failure));

    // The department list, first page, as its preview shows it.
    Recordset departments;
    departments.Open(QStringLiteral("select * from bmcode order by bmcode "), cnMain);
    ReportPreview preview(ModBmReport::BuildDepartmentReport(std::make_shared<RecordsetSource>(&departments)));
    preview.setAttribute(Qt::WA_DeleteOnClose, false);
    preview.resize(1000, 1300);
    preview.previewWidget()->fitInView();
    const QString bmbm = g_out + QStringLiteral("/Report_bmbm.png");
    std::printf("%s %s\n", preview.previewWidget()->grab().save(bmbm) ? "saved" : "not saved", qPrintable(bmbm));
    // The server settings window as the local kinds and as PostgreSQL (with its port) show it.
    const QString kindBefore = strDbType;
    for (const QString &kind : {QStringLiteral("SQLSERVER"), QStringLiteral("POSTGRESQL")}) {
        strDbType = kind;
        sysset settings;
        settings.show();
        settle(200);
        saveWindow(&settings, QStringLiteral("sysset_") + kind.toLower());
    }
    strDbType = kindBefore;
    cnMain.close();
    return 0;
}
