// UserMoves: the person's own moves of the focus, told apart from those of the window system.
#include "platform/ui/user_moves.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

UserMoves::UserMoves(QWidget *window) : QObject(window), m_window(window) { qApp->installEventFilter(this); }

UserMoves::~UserMoves()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool UserMoves::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || !m_window || (widget != m_window && !m_window->isAncestorOf(widget)))
            break;
        if (event->type() != QEvent::KeyPress) {
            m_active = true;
            break;
        }
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_active = true;
            break;
        default:
            break;
        }
        break;
    }
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        // Wherever it lands: a message box shown meanwhile may have taken the release.
        m_active = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
