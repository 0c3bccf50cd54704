// rsgz: the personnel-and-payroll program of 禾沐馆务.
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "departments/commands.h"
#include "dictionary/commands.h"
#include "operators/commands.h"
#include "payroll/commands.h"
#include "printing/commands.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The settings store lives under this name (organisation and application alike).
    QApplication::setOrganizationName(kAppTitle);
    QApplication::setApplicationName(kAppTitle);

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

    form_main mainWindow;
    registerOperatorCommands(mainWindow);
    registerDictionaryCommands(mainWindow);
    registerPayrollCommands(mainWindow);
    registerPrintingCommands(mainWindow);
    registerDepartmentCommands(mainWindow);
    ModmainRSgz::Main();
    return app.exec();
}
