// The real and the scripted message services.
#include "platform/ui/message_service.h"

#include <QPushButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
MessageService *g_installed = nullptr;

QString defaultTitle(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}
} // namespace

MessageService &MessageService::instance()
{
    static QtMessageService real;
    return g_installed ? *g_installed : real;
}

void MessageService::install(MessageService *service) { g_installed = service; }

int QtMessageService::msgBox(const QString &text, int flags, const QString &title)
{
    return msgBoxWithButtons(text, flags, {}, title);
}

int QtMessageService::msgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(defaultTitle(title));
    box.setText(text);
    switch (flags & 0x70) {
    case Msg::vbCritical: box.setIcon(QMessageBox::Critical); break;
    case Msg::vbQuestion: box.setIcon(QMessageBox::Question); break;
    case Msg::vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case Msg::vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (flags & 0x7) {
    case Msg::vbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case Msg::vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((flags & Msg::vbDefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        break;
    case Msg::vbYesNoCancel:
        // Closing the box (Esc, the title bar) counts as Cancel.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton((flags & Msg::vbDefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    QList<QPushButton *> own;
    for (const QString &caption : extra)
        own << box.addButton(caption, QMessageBox::ActionRole);
    const int shown = box.exec();
    if (const int i = int(own.indexOf(qobject_cast<QPushButton *>(box.clickedButton()))); i >= 0)
        return Msg::vbExtraButton + i;
    switch (shown) {
    case QMessageBox::Cancel: return Msg::vbCancel;
    case QMessageBox::Yes: return Msg::vbYes;
    case QMessageBox::No: return Msg::vbNo;
    default: return (flags & 0x7) == Msg::vbOKCancel && box.clickedButton() == nullptr ? Msg::vbCancel : Msg::vbOK;
    }
}

QString QtMessageService::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), defaultTitle(title), prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

int ScriptedMessageService::msgBoxWithButtons(const QString &text, int flags, const QStringList &extra,
                                              const QString &title)
{
    records.append({text, flags, title, extra});
    return answers.isEmpty() ? Msg::vbOK : answers.takeFirst();
}

int ScriptedMessageService::msgBox(const QString &text, int flags, const QString &title)
{
    records.append({text, flags, title, {}});
    if (!answers.isEmpty())
        return answers.takeFirst();
    const int buttons = flags & 0x7;
    return buttons == Msg::vbYesNo || buttons == Msg::vbYesNoCancel ? Msg::vbYes : Msg::vbOK;
}

QString ScriptedMessageService::inputBox(const QString &prompt, const QString &title, const QString &)
{
    records.append({prompt, -1, title, {}});
    return inputs.isEmpty() ? QString() : inputs.takeFirst();
}

QStringList ScriptedMessageService::texts() const
{
    QStringList out;
    for (const Record &r : records)
        out << r.text;
    return out;
}
