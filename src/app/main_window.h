// form_main: the MDI main window with the menu of every command and the status bar.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QLabel;

class form_main : public QMainWindow {
    Q_OBJECT
public:
    explicit form_main(QWidget *parent = nullptr);
    ~form_main() override;

    static form_main *instance();  // the one main window of the run (null before it exists)

    // Menu items by control name: "file1", "menu_set_0", "menu_gZset_3", "menu_sys_4", "hlep5", ...
    QAction *menuItem(const QString &name) const;
    // Binds a menu item to what it does; items without a command do nothing.
    void setCommand(const QString &itemName, std::function<void()> command);
    void runCommand(const QString &itemName);  // what a click on the item does

    // Status bar panels, 1-based as the old control numbered them (1 title, 2 operator, 3-7 live).
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

    // Shows the child window named objectName, creating it with factory when it is not open;
    // an open one is brought to the front instead. Children are deleted when closed.
    QWidget *showChild(const QString &objectName, const std::function<QWidget *()> &factory);
    QWidget *findChildWindow(const QString &objectName) const;
    QMdiArea *mdiArea() const { return m_mdi; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void updateLivePanels();
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption);

    QMdiArea *m_mdi = nullptr;
    QHash<QString, QAction *> m_items;
    QHash<QString, std::function<void()>> m_commands;
    QList<QLabel *> m_panels;
};
