// The open child windows as the main window looks after them: edits still pending when a window
// closes or the program ends, and windows an operator may no longer use.
#pragma once

#include <QString>
#include <functional>

class QMdiArea;
class QWidget;

// A window that can hold an edit not yet saved (the record editors). The main window asks through
// it before the program ends; the window asks through it before it closes.
class PendingEdit {
public:
    virtual ~PendingEdit() = default;
    // Something was changed since the last save or cancel.
    virtual bool hasPendingEdit() const = 0;
    // Saves through the window's normal save and its checks; false when the save was refused
    // (its message has been shown) and the edit is still pending.
    virtual bool savePendingEdit() = 0;
    // Drops the edit as the window's cancel does.
    virtual void discardPendingEdit() = 0;
};

namespace OpenWindows {

// The question asked about a pending edit: Yes saves, No discards, Cancel keeps the window.
inline const QString kUnsavedQuestion = QStringLiteral("数据尚未保存，是否保存？");

// Asks about the window's pending edit, if it has one. True when the window may close (nothing
// pending, saved, or discarded); false when the person cancelled or the save was refused.
bool ConfirmPendingEdit(PendingEdit &window);

// Asks, window by window, about every pending edit of the child windows of area (the window asked
// about is brought to the front). False as soon as one answer keeps its window.
bool ConfirmAllPendingEdits(QMdiArea *area);

// Closes, the normal way (their close steps run), the child windows of area for which `refused`
// answers true. The argument is the child window itself.
void CloseWhere(QMdiArea *area, const std::function<bool(QWidget *)> &refused);

} // namespace OpenWindows
