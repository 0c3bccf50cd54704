// UserMoves: tells a window's focus handlers whether the focus moves because the person moved it.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Watches the program's input for one window. A key press of Tab, Backtab, Enter or Return, or a
// mouse press, aimed at the window or a widget inside it, makes active() true until the matching
// release. Focus that changes meanwhile was moved by the person; focus that changes at any other
// time was moved by the window system (maximising, restoring, a double-click on the title bar,
// coming back from another window) or by the program, and runs no check of a box.
class UserMoves : public QObject {
    Q_OBJECT
public:
    explicit UserMoves(QWidget *window);
    ~UserMoves() override;

    bool active() const { return m_active; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_active = false;
};
