// KeyedToolBar: a toolbar whose buttons carry a key text; a click reports the key, windows enable buttons by key.
#pragma once

#include <QKeySequence>
#include <QToolBar>

class QToolButton;

class KeyedToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit KeyedToolBar(QWidget *parent = nullptr);

    // Adds a button; its objectName is the key, its accessible name and text the caption.
    // A key of the usual commands ("new", "save", "exit", …) gets the matching standard icon.
    QAction *addButton(const QString &key, const QString &caption, const QString &toolTip = {});
    // The button's action; keys are matched exactly, then without regard to case. Null when none.
    QAction *button(const QString &key) const;
    QToolButton *toolButton(const QString &key) const;
    void setButtonEnabled(const QString &key, bool enabled);
    // A keyboard shortcut for the button, working while the focus is anywhere in scope (the window)
    // and the button is enabled, and shown in its tool tip ("新增 (Ctrl+N)").
    void setButtonShortcut(const QString &key, const QKeySequence &keys, QWidget *scope);
    bool isButtonEnabled(const QString &key) const;
    QStringList keys() const;

signals:
    void buttonClicked(const QString &key);

private:
    QList<QAction *> m_buttons;
};
