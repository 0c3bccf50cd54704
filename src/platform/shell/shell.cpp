// The real and the test shell, and the settings store.
#include "platform/shell/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {
Shell *g_installed = nullptr;
std::function<void()> g_atEnd;
bool g_endRequested = false;
int g_endCode = 0;
}

Shell &Shell::instance()
{
    static Shell real;
    return g_installed ? *g_installed : real;
}

void Shell::install(Shell *shell) { g_installed = shell; }

QString Shell::programFolder() const { return QDir::cleanPath(QCoreApplication::applicationDirPath()); }

bool Shell::openDocument(const QString &pathOrAddress)
{
    const QUrl url = QUrl::fromUserInput(pathOrAddress, programFolder());
    return QDesktopServices::openUrl(url);
}

bool Shell::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments, programFolder());
}

void Shell::endProgram(int code)
{
    // At once: no window's close steps run; SQLite has already committed every statement. The
    // program is not cut off with exit(): its globals (the connection among them) would then be
    // destroyed after the libraries they rely on, which crashes on the way out.
    if (!g_endRequested) {
        g_endRequested = true;
        g_endCode = code;
        if (g_atEnd)
            g_atEnd();
    }
    QCoreApplication::exit(g_endCode);
}

void Shell::atEnd(std::function<void()> step) { g_atEnd = std::move(step); }

bool Shell::ending() const { return g_endRequested; }

int Shell::endCode() const { return g_endCode; }

QString Shell::findProgram(const QString &name) const { return QStandardPaths::findExecutable(name); }

bool TestShell::openDocument(const QString &pathOrAddress)
{
    openedDocuments << pathOrAddress;
    return true;
}

bool TestShell::startProgram(const QString &program, const QStringList &arguments)
{
    startedPrograms << (QStringList{program} + arguments).join(QLatin1Char(' '));
    return true;
}

void TestShell::endProgram(int) { ++endRequests; }

QString TestShell::findProgram(const QString &name) const
{
    for (const QString &p : knownPrograms)
        if (QFileInfo(p).fileName() == name || p == name)
            return p;
    return {};
}

QString GetSetting(const QString &appName, const QString &section, const QString &key, const QString &defaultValue)
{
    QSettings s(appName, appName);
    return s.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    QSettings s(appName, appName);
    s.setValue(section + QLatin1Char('/') + key, value);
    s.sync();
}
