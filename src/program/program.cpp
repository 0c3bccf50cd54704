// RunProgram: the whole run of rsgz, from the application object to the end of the program.
#include "program/program.h"

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

int RunProgram(int argc, char *argv[], const std::function<void(form_main &)> &started)
{
    // Every file the program writes (database, journals, backups, exported workbooks and PDFs,
    // settings) holds passwords or pay: readable by its owner only.
    ::umask(077);

    QApplication app(argc, argv);
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
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    // A font with every Chinese glyph the windows and reports show.
    const QString chineseFont = QStringLiteral("WenQuanYi Zen Hei");
    if (QFontDatabase::families().contains(chineseFont)) {
        QFont font(chineseFont);
        font.setPointSize(QApplication::font().pointSize());
        QApplication::setFont(font);
    }

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
