// The real program, run in a child process, ends with status 0 over every way it ends itself.
#include "support/test_env.h"

#include "app/first_run.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "platform/print/program_printer.h"
#include "platform/print/sheet_writer.h"
#include "platform/db/connection.h"
#include "program/program.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <sys/stat.h>

namespace {

const char *const kChildFlag = "--end-path";

// The child: the whole program as main runs it, with a driver that acts as a person would. It
// answers every message box with its first button, logs in as "system" (or cancels the login),
// then ends the program the way the scenario names.
int runChild(int argc, char *argv[])
{
    const QString scenario = QString::fromLatin1(argv[2]);
    // The settings of the parent's case (the test support gave this process a folder of its own).
    qputenv("XDG_CONFIG_HOME", qgetenv("RSGZ_PARENT_CONFIG"));
    int logins = 0;
    bool acted = false;
    int programArgc = 1;
    return RunProgram(programArgc, argv, [&](form_main &w) {
        auto *driver = new QTimer(&w);
        QObject::connect(driver, &QTimer::timeout, &w, [&, driver] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                std::printf("message: %s\n", qPrintable(box->text()));
                std::fflush(stdout);
                box->buttons().first()->click();
                return;
            }
            if (auto *login = qobject_cast<QDialog *>(modal); login && login->objectName() == "frmLogin") {
                const bool cancel = scenario == "login-cancel" || (scenario == "relogin-cancel" && logins == 1);
                ++logins;
                if (cancel) {
                    login->findChild<QPushButton *>("cmdCancel")->click();
                } else {
                    login->findChild<QLineEdit *>("txtPassword")->clear();
                    login->findChild<QPushButton *>("cmdOK")->click();
                }
                return;
            }
            if (modal || acted || strCzyName.isEmpty())
                return;
            acted = true;
            driver->stop();
            // An exported workbook and PDF, made the way the export and print commands make them.
            SheetWriter sheet;
            sheet.setRow(0, {"工资", "3500"});
            const QString out = qEnvironmentVariable("RSGZ_EXPORT_DIR");
            sheet.writeXlsx(out + "/book1.xlsx");
            sheet.exportPdf(out + "/book1.pdf");
            ProgramPrinter().setCopyCount(2);  // as 打印设置 leaves it
            // A logged window stays open over the end: its close steps must not run on "退出".
            w.runCommand("menu_sys_1");
            if (scenario == "menu-exit") {
                w.menuItem("file5")->trigger();
            } else if (scenario == "ctrl-q") {
                w.activateWindow();
                QTest::qWaitForWindowActive(&w);
                QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
            } else if (scenario == "close-main") {
                w.close();
            } else if (scenario == "relogin-cancel") {
                driver->start();
                w.runCommand("file3");
            }
        });
        driver->start(20);
    });
}

// Runs one scenario in a child process: how it ended ("ended 0" for a normal exit with status 0,
// "crashed" or "timed out"), a line break, and what it printed.
QString runScenario(const QString &scenario, const QString &exportDir)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("RSGZ_PARENT_CONFIG", qEnvironmentVariable("XDG_CONFIG_HOME"));
    env.insert("RSGZ_EXPORT_DIR", exportDir);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {kChildFlag, scenario});
    QString how = "timed out";
    if (child.waitForFinished(60000)) {
        how = child.exitStatus() == QProcess::NormalExit ? "ended " + QString::number(child.exitCode()) : "crashed";
    } else {
        child.kill();
        child.waitForFinished();
    }
    return how + '\n' + QString::fromLocal8Bit(child.readAll());
}

void storeDatabase(const QString &folder, const QString &file)
{
    SaveSetting(kAppTitle, "main_path", "path", folder);
    SaveSetting(kAppTitle, "main_path", "data", file);
}

// Rows of the operator log for the log window, and how many of them are still open.
QPair<int, int> logRows(const QString &db)
{
    Connection cn;
    cn.openFile(db);
    const ResultSet rs = cn.query("select count(*), sum(iif(last_time is null, 1, 0)) from czyrz where czyxm='操作员日志'");
    return {rs.rows[0][0].toInt(), rs.rows[0][1].toInt()};
}

} // namespace

class TestProgramEnd : public QObject {
    Q_OBJECT
private slots:
    void everyEndPathExitsWithStatusZero()
    {
        TestEnv env;
        CreateDefaultDatabase(env.dbPath());
        storeDatabase(env.folder(), "hydb.mdb");
        // scenario, rows of the log window afterwards, of which still open
        const struct {
            const char *scenario;
            int rows;
            int open;
        } cases[] = {
            {"login-cancel", 0, 0},
            {"menu-exit", 1, 1},       // "退出" ends at once: the window's close steps do not run
            {"ctrl-q", 2, 2},
            {"relogin-cancel", 3, 3},
            {"close-main", 4, 0},      // closing the main window closes every window properly
        };
        for (const auto &c : cases) {
            const QString run = runScenario(c.scenario, env.folder());
            QVERIFY2(run.startsWith("ended 0\n"), qPrintable(c.scenario + QString(": ") + run));
            QCOMPARE(logRows(env.dbPath()), qMakePair(c.rows, c.open));
        }
        // What the program writes holds pay: readable by its owner only.
        for (const char *file : {"book1.xlsx", "book1.pdf"}) {
            struct stat st {};
            QVERIFY2(::stat(QFile::encodeName(env.path(file)).constData(), &st) == 0, file);
            QCOMPARE(st.st_mode & 0777, 0600u);
        }

        // The start-up failure: a stored folder without its file is reported, then the program ends.
        storeDatabase(env.path("gone"), "hydb.mdb");
        const QString run = runScenario("no-database", env.folder());
        QVERIFY2(run.startsWith("ended 0\n") && run.contains("message: 无法打开数据库文件"), qPrintable(run));
    }

    // --version and --help print and end at once, also where there is no display at all (over ssh):
    // no platform is chosen and none could be reached. No database is made for them.
    void versionAndHelpNeedNoDisplay()
    {
        QTemporaryDir folder;
        const QString program = folder.filePath("rsgz");
        QVERIFY(QFile::copy(RSGZ_EXECUTABLE, program));
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        // argument, how the output starts, what else it says
        for (const auto &[argument, starts, says] : {std::tuple{"--version", "rsgz", "V1.5"}, {"--help", "用法：rsgz", "--version"}}) {
            QProcess child;
            child.setProcessEnvironment(env);
            child.start(program, {argument});
            QVERIFY(child.waitForFinished(20000));
            const QString out = QString::fromUtf8(child.readAllStandardOutput());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && out.startsWith(starts) && out.contains(says),
                     qPrintable(QString("%1: %2 %3").arg(argument, out, QString::fromLocal8Bit(child.readAllStandardError()))));
        }
        QVERIFY(!QFile::exists(folder.filePath("hydb.mdb")));
    }
};

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], kChildFlag) == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestProgramEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program_end.moc"
