// The real and the scripted dialog services.
#include "platform/ui/dialog_service.h"

#include <QDialog>

namespace {
DialogService *g_installed = nullptr;
}

DialogService &DialogService::instance()
{
    static QtDialogService real;
    return g_installed ? *g_installed : real;
}

void DialogService::install(DialogService *service) { g_installed = service; }

int QtDialogService::execModal(QDialog *dialog) { return dialog->exec(); }

int ScriptedDialogService::execModal(QDialog *dialog)
{
    shown << dialog->objectName();
    dialog->setResult(QDialog::Rejected);
    if (steps.isEmpty())
        return QDialog::Rejected;
    auto step = steps.takeFirst();
    dialog->show();
    step(dialog);
    const int result = dialog->result();
    dialog->hide();
    return result;
}
