// form_main: the MDI main window with the menu of every command and the status bar.
#pragma once

#include <QHash>
#include <QSet>
#include <QMainWindow>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QLabel;
class QMenu;
class QTimer;

class form_main : public QMainWindow {
    Q_OBJECT
public:
    explicit form_main(QWidget *parent = nullptr);
    ~form_main() override;

    static form_main *instance();  // the one main window of the run (null before it exists)

    // Menu items by control name: "file1", "menu_set_0", "menu_gZset_3", "menu_sys_4", "hlep5", ...
    // The menus themselves are found the same way by their names ("file", "menufind", "sys_set", ...).
    QAction *menuItem(const QString &name) const;
    // Binds a menu item to what it does; items without a command do nothing.
    void setCommand(const QString &itemName, std::function<void()> command);
    // What a click on the item does: nothing when the item is disabled or hidden (or in a hidden
    // menu), as a person cannot click it then. Database errors of the command are reported here.
    void runCommand(const QString &itemName);

    // Status bar panels, 1-based as the old control numbered them (1 title, 2 operator, 3-7 live).
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // The key-state panels (3 CAPS, 4 NUM, 5 Ins) are shown active while the state is on.
    bool panelActive(int panel) const;

    // Shows the child window named objectName, creating it with factory when it is not open;
    // an open one is brought to the front instead. Children are deleted when closed.
    QWidget *showChild(const QString &objectName, const std::function<QWidget *()> &factory);
    QWidget *findChildWindow(const QString &objectName) const;
    QMdiArea *mdiArea() const { return m_mdi; }
    // The menu item whose command opened the child window (empty when none did).
    QString openedBy(const QWidget *child) const;

    // Asks about every edit still pending in the child windows before the program ends; false when
    // the person keeps a window (the end is called off).
    bool confirmPendingEdits();
    // After a login: closes, with their normal close steps, the child windows whose menu item the
    // operator now logged in may not use.
    void closeWindowsNotPermitted();
    // Closes every child window the normal way, pending edits asked about first; false when one
    // of them stays open (the person kept an edit, or the window refused).
    bool closeAllChildWindows();

    // Window caption of the load step: company name, title, and the local database file.
    static QString mainCaption();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void updateLivePanels();
    void formLoad();
    void bindBuiltInCommands();
    void printerSetup();
    void sendHelpKey();
    void fillWindowList();
    void placeChild(QMdiSubWindow *sub);
    void fitScreen();
    void rememberChild(QMdiSubWindow *sub);
    QMenu *addMenu(const QString &name, const QString &caption);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption);
    QAction *addSeparator(QMenu *menu, const QString &name);

    QMdiArea *m_mdi = nullptr;
    QHash<QString, QAction *> m_items;
    QHash<QString, std::function<void()>> m_commands;
    void writePanel(int index, const QString &text);

    QList<QLabel *> m_panels;
    QStringList m_panelNames;  // what each panel shows, as screen readers announce it
    QTimer *m_clock = nullptr;
    QMenu *m_fileMenu = nullptr;
    QList<QAction *> m_windowList;  // the open child windows listed at the end of "文件(&F)"
    QString m_runningItem;          // the menu item whose command is running
    QSet<QObject *> m_placing;      // child windows moved or resized whose geometry is yet to be kept
    bool m_loaded = false;
    bool m_capsLock = false;
    bool m_numLock = false;
    bool m_insert = false;
};
