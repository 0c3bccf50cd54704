// Shell: settings store, program folder, opening documents, starting programs, ending the program.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Shell {
public:
    virtual ~Shell() = default;
    virtual QString programFolder() const;  // folder of the program's executable, no trailing separator
    virtual bool openDocument(const QString &pathOrAddress);
    virtual bool startProgram(const QString &program, const QStringList &arguments = {});
    // Ends the program at once: no close steps of open windows run. The steps given to atEnd run
    // first (the program closes its database there), then every event loop is left, so the program
    // returns from main and tears down in order. Callers return right after.
    virtual void endProgram(int code = 0);
    // Looks a program up on PATH; empty when not found.
    virtual QString findProgram(const QString &name) const;

    static Shell &instance();
    static void install(Shell *shell);  // not owned; null restores the real one

    // Whether endProgram was called, and with which code: the start-up sequence stops there, and a
    // program that asks before its event loop runs does not start it.
    virtual bool ending() const;
    virtual int endCode() const;

    // What the real endProgram runs before it leaves the event loops (one step; the last set wins).
    static void atEnd(std::function<void()> step);
};

// The test one: a chosen program folder, and ends, documents and programs recorded instead of done.
class TestShell : public Shell {
public:
    QString folder;
    int endRequests = 0;
    QStringList openedDocuments;
    QStringList startedPrograms;
    QStringList knownPrograms;  // what findProgram finds
    QString programFolder() const override { return folder; }
    bool openDocument(const QString &pathOrAddress) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    void endProgram(int code) override;
    bool ending() const override { return endRequests > 0; }
    QString findProgram(const QString &name) const override;
};

// The per-user settings store under an application name, section and key (QSettings underneath,
// organisation and application both the application name).
QString GetSetting(const QString &appName, const QString &section, const QString &key, const QString &defaultValue = {});
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);
