// DialogService: modal windows are shown through here so that tests can drive them.
#pragma once

#include <QList>
#include <QString>
#include <functional>

class QDialog;

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows the dialog modally and returns its result (QDialog::Accepted / Rejected).
    virtual int execModal(QDialog *dialog) = 0;

    static DialogService &instance();
    static void install(DialogService *service);  // not owned; null restores the real one
};

class QtDialogService : public DialogService {
public:
    int execModal(QDialog *dialog) override;
};

// The test one: records each dialog shown and runs the next scripted step on it (a test types
// and clicks there, as a person would); the dialog's result is returned. No step: rejected.
class ScriptedDialogService : public DialogService {
public:
    QStringList shown;  // objectName of every dialog shown, in order
    QList<std::function<void(QDialog *)>> steps;
    int execModal(QDialog *dialog) override;
};

inline int ShowModal(QDialog *dialog) { return DialogService::instance().execModal(dialog); }
