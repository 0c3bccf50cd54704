// RunProgram: the whole run of rsgz, from the application object to the end of the program.
#include "program/program.h"

#include "app/app_info.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "departments/commands.h"
#include "dictionary/commands.h"
#include "operators/commands.h"
#include "payroll/commands.h"
#include "platform/shell/shell.h"
#include "printing/commands.h"

#include <QApplication>
#include <QIcon>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <sys/stat.h>

int AnswerCommandLine(int argc, char *argv[], std::FILE *out)
{
    const ClsAppname info;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        QString text;
        if (arg == "--version" || arg == "-v")
            text = QStringLiteral("rsgz（禾沐馆务人事工资）%1\n").arg(info.strAppVer());
        else if (arg == "--help" || arg == "-h")
            text = QStringLiteral(
                "用法：rsgz [--help] [--version]\n"
                "\n"
                "禾沐馆务人事工资：员工档案、工资项目、每月工资的生成、计算、查询与打印。\n"
                "启动后先登录（内置操作员 system，初始口令为空）。数据库是程序所在文件夹中的\n"
                "hydb.mdb，初次运行时自动建立，数据备份也放在那里。\n"
                "\n"
                "  --help      显示本说明后退出\n"
                "  --version   显示版本后退出\n"
                "\n"
                "其余参数交给 Qt（例如 -platform offscreen）。\n");
        else
            continue;
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
        std::fflush(out);
        return 0;
    }
    return -1;
}

void SetUpApplication(QApplication &app)
{
    // The settings store lives under this name (organisation and application alike).
    QApplication::setOrganizationName(kAppTitle);
    QApplication::setApplicationName(kAppTitle);
    // The program's own icon (built into the executable), on every window and in the task bar.
    QIcon icon;
    for (const char *size : {"48", "256"})
        icon.addFile(QStringLiteral(":/icons/rsgz-%1.png").arg(QLatin1String(size)));
    if (!icon.availableSizes().isEmpty())
        QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("rsgz"));

    // Standard buttons and dialogs in Chinese (确定/取消/是/否), as on a Chinese desktop.
    auto *qtbase = new QTranslator(&app);
    if (qtbase->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtbase);

    // A font with every Chinese glyph the windows and reports show.
    const QString chineseFont = QStringLiteral("WenQuanYi Zen Hei");
    if (QFontDatabase::families().contains(chineseFont)) {
        QFont font(chineseFont);
        font.setPointSize(QApplication::font().pointSize());
        QApplication::setFont(font);
    }
}

int RunProgram(int argc, char *argv[], const std::function<void(form_main &)> &started)
{
    if (const int answered = AnswerCommandLine(argc, argv, stdout); answered >= 0)
        return answered;

    // Every file the program writes (database, journals, backups, exported workbooks and PDFs,
    // settings) holds passwords or pay: readable by its owner only.
    ::umask(077);

    QApplication app(argc, argv);
    SetUpApplication(app);

    // Ending the program releases the database at once, before any window is torn down, so that
    // no window's close steps reach it.
    Shell::atEnd([] { cnMain.close(); });

    int code = 0;
    {
        form_main mainWindow;
        registerOperatorCommands(mainWindow);
        registerDictionaryCommands(mainWindow);
        registerPayrollCommands(mainWindow);
        registerPrintingCommands(mainWindow);
        registerDepartmentCommands(mainWindow);
        if (started)
            started(mainWindow);
        ModmainRSgz::Main();
        // The start-up sequence may already have ended the program (login cancelled, no database).
        code = Shell::instance().ending() ? Shell::instance().endCode() : QApplication::exec();
        cnMain.close();
    }
    Shell::atEnd({});
    return code;
}
