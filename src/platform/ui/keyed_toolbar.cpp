// KeyedToolBar: buttons with key texts, dispatched on the key.
#include "platform/ui/keyed_toolbar.h"

#include <QAction>
#include <QStyle>
#include <QToolButton>

namespace {

QIcon iconFor(const QString &key, const QStyle *style)
{
    const QString k = key.toLower();
    QStyle::StandardPixmap p;
    if (k == QLatin1String("new") || k == QLatin1String("add"))
        p = QStyle::SP_FileIcon;
    else if (k == QLatin1String("edit") || k == QLatin1String("modefy"))
        p = QStyle::SP_FileDialogDetailedView;
    else if (k == QLatin1String("save"))
        p = QStyle::SP_DialogSaveButton;
    else if (k == QLatin1String("cancel") || k == QLatin1String("cancl"))
        p = QStyle::SP_DialogCancelButton;
    else if (k == QLatin1String("delete") || k == QLatin1String("dele"))
        p = QStyle::SP_TrashIcon;
    else if (k == QLatin1String("find"))
        p = QStyle::SP_FileDialogContentsView;
    else if (k == QLatin1String("printview") || k == QLatin1String("view"))
        p = QStyle::SP_FileDialogInfoView;
    else if (k == QLatin1String("print"))
        p = QStyle::SP_DriveFDIcon;
    else if (k == QLatin1String("dc"))
        p = QStyle::SP_DialogOpenButton;
    else if (k == QLatin1String("help"))
        p = QStyle::SP_DialogHelpButton;
    else if (k == QLatin1String("exit") || k == QLatin1String("quit"))
        p = QStyle::SP_DialogCloseButton;
    else
        return {};
    return style->standardIcon(p);
}

} // namespace

KeyedToolBar::KeyedToolBar(QWidget *parent) : QToolBar(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setMovable(false);
    setFloatable(false);
    setAccessibleName(QStringLiteral("工具栏"));
}

QAction *KeyedToolBar::addButton(const QString &key, const QString &caption, const QString &toolTip)
{
    QAction *action = addAction(iconFor(key, style()), caption);
    action->setObjectName(key);
    if (!toolTip.isEmpty())
        action->setToolTip(toolTip);
    if (QWidget *w = widgetForAction(action)) {
        w->setObjectName(key);
        w->setAccessibleName(caption);
    }
    connect(action, &QAction::triggered, this, [this, key] { emit buttonClicked(key); });
    m_buttons.append(action);
    return action;
}

QAction *KeyedToolBar::button(const QString &key) const
{
    for (QAction *a : m_buttons)
        if (a->objectName() == key)
            return a;
    for (QAction *a : m_buttons)
        if (a->objectName().compare(key, Qt::CaseInsensitive) == 0)
            return a;
    return nullptr;
}

QToolButton *KeyedToolBar::toolButton(const QString &key) const
{
    QAction *a = button(key);
    return a ? qobject_cast<QToolButton *>(widgetForAction(a)) : nullptr;
}

void KeyedToolBar::setButtonEnabled(const QString &key, bool enabled)
{
    if (QAction *a = button(key))
        a->setEnabled(enabled);
}

void KeyedToolBar::setButtonShortcut(const QString &key, const QKeySequence &keys, QWidget *scope)
{
    QAction *a = button(key);
    if (!a)
        return;
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    scope->addAction(a);
    a->setToolTip(QStringLiteral("%1 (%2)").arg(a->text(), keys.toString(QKeySequence::NativeText)));
}

bool KeyedToolBar::isButtonEnabled(const QString &key) const
{
    QAction *a = button(key);
    return a && a->isEnabled();
}

QStringList KeyedToolBar::keys() const
{
    QStringList out;
    for (QAction *a : m_buttons)
        out << a->objectName();
    return out;
}
