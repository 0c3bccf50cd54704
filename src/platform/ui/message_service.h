// MessageService: every message box and input box of the program goes through here.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Flags and answers keep the old numeric meaning.
namespace Msg {
constexpr int vbOKOnly = 0, vbOKCancel = 1, vbYesNoCancel = 3, vbYesNo = 4;
constexpr int vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64;
constexpr int vbDefaultButton2 = 256;  // the second button (No, Cancel) is the default
constexpr int vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7;
constexpr int vbExtraButton = 100;  // the answer of the first button of the caller's own; the next is 101, ...
} // namespace Msg

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows text with the buttons and icon of flags; the title defaults to the application title.
    virtual int msgBox(const QString &text, int flags = 0, const QString &title = {}) = 0;
    // The same with an OK button followed by buttons of the caller's own (captions such as 打开):
    // OK, or closing the box, answers vbOK; extra button i answers vbExtraButton + i.
    virtual int msgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title = {}) = 0;
    // Asks for a line of text; cancelling gives the empty text.
    virtual QString inputBox(const QString &prompt, const QString &title = {}, const QString &defaultText = {}) = 0;

    static MessageService &instance();
    static void install(MessageService *service);  // not owned; null restores the real one
};

// The real one: QMessageBox / QInputDialog with the Chinese standard buttons.
class QtMessageService : public MessageService {
public:
    int msgBox(const QString &text, int flags, const QString &title) override;
    int msgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
};

// The test one: records every message and answers from a queue.
class ScriptedMessageService : public MessageService {
public:
    struct Record {
        QString text;
        int flags = 0;
        QString title;
        QStringList extra;  // the buttons of the caller's own the box offered
    };
    QList<Record> records;
    QList<int> answers;         // taken in order; when empty: OK (1) or, for Yes/No(/Cancel) boxes, Yes (6)
    QList<QString> inputs;      // answers of input boxes; when empty: the empty text
    int msgBox(const QString &text, int flags, const QString &title) override;
    int msgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QStringList texts() const;
};

inline int MsgBox(const QString &text, int flags = 0, const QString &title = {})
{
    return MessageService::instance().msgBox(text, flags, title);
}
inline int MsgBoxWithButtons(const QString &text, int flags, const QStringList &extra, const QString &title = {})
{
    return MessageService::instance().msgBoxWithButtons(text, flags, extra, title);
}
inline QString InputBox(const QString &prompt, const QString &title = {}, const QString &defaultText = {})
{
    return MessageService::instance().inputBox(prompt, title, defaultText);
}
