// The open child windows as the main window looks after them: pending edits and permissions.
#include "app/open_windows.h"

#include "platform/ui/message_service.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace OpenWindows {

bool ConfirmPendingEdit(PendingEdit &window)
{
    if (!window.hasPendingEdit())
        return true;
    switch (MsgBox(kUnsavedQuestion, Msg::vbYesNoCancel | Msg::vbQuestion)) {
    case Msg::vbYes:
        return window.savePendingEdit();
    case Msg::vbNo:
        window.discardPendingEdit();
        return true;
    default:
        return false;
    }
}

bool ConfirmAllPendingEdits(QMdiArea *area)
{
    if (!area)
        return true;
    for (QMdiSubWindow *sub : area->subWindowList()) {
        auto *window = dynamic_cast<PendingEdit *>(sub->widget());
        if (sub->isHidden() || !window || !window->hasPendingEdit())
            continue;
        area->setActiveSubWindow(sub);
        if (!ConfirmPendingEdit(*window))
            return false;
    }
    return true;
}

void CloseWhere(QMdiArea *area, const std::function<bool(QWidget *)> &refused)
{
    if (!area)
        return;
    // Closing deletes the frames: the list is taken first and each frame guarded.
    QList<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow *sub : area->subWindowList())
        subs << sub;
    for (const QPointer<QMdiSubWindow> &sub : subs)
        if (sub && !sub->isHidden() && sub->widget() && refused(sub->widget()))
            sub->close();
}

} // namespace OpenWindows
