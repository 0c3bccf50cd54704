// form_main: the MDI frame, its commands, the child-window lookup and the status bar.
#include "app/main_window.h"

#include "app/about_window.h"
#include "app/open_windows.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "app/window_placement.h"
#include "platform/print/program_printer.h"
#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScopedValueRollback>
#include <QPrintDialog>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QWindow>

namespace {
form_main *g_instance = nullptr;
const char *const kChildName = "rsgzChildName";  // property of a sub-window: the name it was opened under
const char *const kOpenedBy = "rsgzOpenedBy";    // property of a sub-window: the menu item that opened it
} // namespace

form_main::form_main(QWidget *parent) : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("form_main"));
    setWindowTitle(QStringLiteral("数据系统管理"));
    resize(1024, 720);
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();
    buildStatusBar();
    bindBuiltInCommands();
    // Key-state panels follow the lock and insert keys pressed anywhere in the program.
    qApp->installEventFilter(this);
}

form_main::~form_main()
{
    qApp->removeEventFilter(this);
    if (g_instance == this)
        g_instance = nullptr;
}

form_main *form_main::instance() { return g_instance; }

QAction *form_main::menuItem(const QString &name) const { return m_items.value(name); }

void form_main::setCommand(const QString &itemName, std::function<void()> command)
{
    if (!m_items.contains(itemName))
        qWarning("form_main: no menu item named %s", qPrintable(itemName));
    m_commands.insert(itemName, std::move(command));
}

void form_main::runCommand(const QString &itemName)
{
    QAction *item = m_items.value(itemName);
    if (!item || !item->isEnabled() || !item->isVisible())
        return;
    if (auto *menu = qobject_cast<QMenu *>(item->parent()))
        if (!menu->menuAction()->isVisible() || !menu->menuAction()->isEnabled())
            return;
    const std::function<void()> command = m_commands.value(itemName);
    if (!command)
        return;
    // Nothing may escape into the event loop: a database error ends the command with its report.
    const QScopedValueRollback<QString> running(m_runningItem, itemName);  // the item a window opens under
    try {
        command();
    } catch (const DbError &e) {
        MsgBox(e.numbered(), Msg::vbCritical);
    } catch (const std::exception &e) {
        MsgBox(QString::fromLocal8Bit(e.what()), Msg::vbCritical);
    }
}

void form_main::bindBuiltInCommands()
{
    setCommand(QStringLiteral("file1"), [this] { printerSetup(); });
    setCommand(QStringLiteral("file3"), [] {
        if (ModmainRSgz::startupHooks().showLogin)
            ModmainRSgz::startupHooks().showLogin();
    });
    // Ends at once: open windows run no close steps, so their log entries stay open. Only an edit
    // still pending is asked about first.
    setCommand(QStringLiteral("file5"), [this] {
        if (confirmPendingEdits())
            Shell::instance().endProgram(0);
    });
    setCommand(QStringLiteral("hlep1"), [this] { sendHelpKey(); });
    setCommand(QStringLiteral("help2"), [this] { sendHelpKey(); });
    setCommand(QStringLiteral("hlep5"), [this] {
        static QPointer<frmAbout> about;
        if (!about) {
            about = new frmAbout(this);
            about->setAttribute(Qt::WA_DeleteOnClose);
        }
        about->show();
        about->raise();
    });
}

void form_main::printerSetup()
{
    // The platform's printer dialog over the program's one printer: what is chosen there is what
    // every later print starts from. A cancel is no action and changes nothing.
    QPrintDialog dialog(&ProgramPrinter(), this);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    ShowModal(&dialog);
}

void form_main::sendHelpKey()
{
    QWidget *target = this;
    if (QMdiSubWindow *sub = m_mdi->activeSubWindow(); sub && sub->widget()) {
        target = sub->widget();
        if (QWidget *focus = target->focusWidget())
            target = focus;
    }
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier));
}

QString form_main::mainCaption()
{
    // In server mode there is no database file to name.
    if (strDbType.toUpper() == QLatin1String("SQLSERVER") || strDbType.toUpper() == QLatin1String("POSTGRESQL")
        || (strDataPath.isEmpty() && strDataFile.isEmpty()))
        return strGsName + kAppTitle;
    return strGsName + kAppTitle + QLatin1Char(' ') + strDataPath + QLatin1Char('/') + strDataFile;
}

void form_main::formLoad()
{
    setWindowTitle(kAppTitle);
    m_items.value(QStringLiteral("hlep5"))->setText(QStringLiteral("关于") + kAppTitle);
    setWindowTitle(mainCaption());
}

void form_main::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        formLoad();
        fitScreen();
    }
    QMainWindow::showEvent(event);
}

// The first showing: a screen too small for the designed size (a small screen, a large font) gets
// the window maximised, so that no part of it lies off the screen.
void form_main::fitScreen()
{
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where || isMaximized() || isFullScreen())
        return;
    const QRect available = where->availableGeometry();
    const QSize frameAllowance(16, 40);  // the window manager's frame, before it is known
    if (available.width() < width() + frameAllowance.width() || available.height() < height() + frameAllowance.height())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void form_main::closeEvent(QCloseEvent *event)
{
    // Pending edits are asked about first: a window kept open keeps the program, with nothing closed.
    // Then the child windows close and run their close steps; one that refuses keeps the program.
    if (!closeAllChildWindows()) {
        event->ignore();
        return;
    }
    event->accept();
    cnMain.close();
    Shell::instance().endProgram(0);
}

// ---- child windows

QWidget *form_main::findChildWindow(const QString &objectName) const
{
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->property(kChildName).toString() == objectName && sub->widget() &&
            !sub->isHidden())
            return sub->widget();
    }
    return nullptr;
}

QWidget *form_main::showChild(const QString &objectName, const std::function<QWidget *()> &factory)
{
    if (QWidget *open = findChildWindow(objectName)) {
        auto *sub = qobject_cast<QMdiSubWindow *>(open->parentWidget());
        if (sub) {
            if (sub->isMinimized())
                sub->showNormal();
            m_mdi->setActiveSubWindow(sub);
        }
        return open;
    }
    QWidget *child = factory ? factory() : nullptr;
    if (!child)
        return nullptr;
    if (child->objectName().isEmpty())
        child->setObjectName(objectName);
    child->setAttribute(Qt::WA_DeleteOnClose);
    // The window's own size (set while it loaded), or what its layout asks for.
    const QSize designed = child->testAttribute(Qt::WA_Resized) ? child->size() : child->sizeHint();
    QMdiSubWindow *sub = m_mdi->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setProperty(kChildName, objectName);
    sub->setProperty(kOpenedBy, m_runningItem);
    if (designed.isValid()) {
        const QMargins frame = sub->contentsMargins();
        sub->resize(designed.grownBy(frame));
    }
    // A child that closes itself takes its frame with it, once control is back in the event loop:
    // a frame being destroyed itself (it destroys the child) is then gone, and is not touched
    // half-way through its own destruction.
    connect(child, &QObject::destroyed, sub, &QWidget::close, Qt::QueuedConnection);
    placeChild(sub);
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    return child;
}

// Inside the visible area: where the window was last time when that still fits, otherwise cascaded
// from the top-left corner. Before the main window shows there is no area to fit into.
void form_main::placeChild(QMdiSubWindow *sub)
{
    if (!m_mdi->isVisible() || !sub->widget())
        return;
    const QSize area = m_mdi->viewport()->size();
    const QSize minimum = sub->widget()->minimumSize().grownBy(sub->contentsMargins()).expandedTo(sub->minimumSizeHint());
    const QRect remembered = WindowPlacement::Remembered(sub->property(kChildName).toString());
    int open = 0;
    for (QMdiSubWindow *other : m_mdi->subWindowList())
        open += other != sub && !other->isHidden() ? 1 : 0;
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    sub->setGeometry(WindowPlacement::StillFits(area, remembered, minimum)
                         ? remembered
                         : WindowPlacement::Cascade(area, sub->size(), minimum, open, step));
}

void form_main::rememberChild(QMdiSubWindow *sub)
{
    if (sub->isVisible() && !(sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        WindowPlacement::Remember(sub->property(kChildName).toString(), sub->geometry());
}

QString form_main::openedBy(const QWidget *child) const
{
    const auto *sub = child ? qobject_cast<const QMdiSubWindow *>(child->parentWidget()) : nullptr;
    return sub ? sub->property(kOpenedBy).toString() : QString();
}

bool form_main::confirmPendingEdits() { return OpenWindows::ConfirmAllPendingEdits(m_mdi); }

bool form_main::closeAllChildWindows()
{
    if (!confirmPendingEdits())
        return false;
    m_mdi->closeAllSubWindows();
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (!sub->isHidden())
            return false;
    return true;
}

void form_main::closeWindowsNotPermitted()
{
    OpenWindows::CloseWhere(m_mdi, [this](QWidget *child) {
        const QAction *item = m_items.value(openedBy(child));
        return item && !item->isEnabled();
    });
}

void form_main::fillWindowList()
{
    for (QAction *a : std::as_const(m_windowList)) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_windowList.clear();
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList();
    int number = 0;
    for (QMdiSubWindow *sub : subs) {
        if (sub->isHidden())
            continue;
        if (number == 0)
            m_windowList << m_fileMenu->addSeparator();
        ++number;
        QAction *a = m_fileMenu->addAction(QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->activeSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
        m_windowList << a;
    }
}

// ---- status bar

void form_main::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const QStringList texts = {QStringLiteral("管理系统"), QStringLiteral("管理人:"), QStringLiteral("CAPS"),
                               QStringLiteral("NUM"), QStringLiteral("Ins"), QString(), QString()};
    m_panelNames = {QStringLiteral("标题"), QStringLiteral("操作员"), QStringLiteral("大写锁定"),
                    QStringLiteral("数字锁定"), QStringLiteral("插入状态"), QStringLiteral("时间"),
                    QStringLiteral("日期")};
    for (int i = 0; i < texts.size(); ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1_%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMargin(2);
        if (i < 2)
            bar->addWidget(panel, i == 0 ? 2 : 3);
        else
            bar->addPermanentWidget(panel);
        m_panels << panel;
        writePanel(i, texts.at(i));
    }
    // The live panels are as wide as the widest text they can show, whatever the day or the font.
    const QString widest[] = {QStringLiteral("CAPS"), QStringLiteral("NUM"), QStringLiteral("Ins"),
                              QStringLiteral("88:88"), QStringLiteral("8888-88-88")};
    for (int i = 2; i < m_panels.size(); ++i) {
        QLabel *panel = m_panels.at(i);
        const QString shown = panel->text();
        panel->setText(widest[i - 2]);
        panel->setMinimumWidth(panel->sizeHint().width());
        panel->setText(shown);
    }
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &form_main::updateLivePanels);
    m_clock->start();
    updateLivePanels();
}

void form_main::updateLivePanels()
{
    m_panels.at(2)->setEnabled(m_capsLock);
    m_panels.at(3)->setEnabled(m_numLock);
    m_panels.at(4)->setEnabled(m_insert);
    writePanel(5, QTime::currentTime().toString(QStringLiteral("H:mm")));
    writePanel(6, QDate::currentDate().toString(QStringLiteral("yyyy-M-d")));
}

// A panel's text, and the same text in its accessible name after what the panel shows
// ("操作员：操做员:system", "时间：9:05"), so that screen readers read the text and not a label alone.
void form_main::writePanel(int index, const QString &text)
{
    QLabel *panel = m_panels.at(index);
    if (panel->text() == text && !panel->accessibleName().isEmpty())
        return;
    panel->setText(text);
    const QString &name = m_panelNames.at(index);
    panel->setAccessibleName(text.isEmpty() ? name : name + QStringLiteral("：") + text);
}

QString form_main::panelText(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels.at(panel - 1)->text() : QString();
}

void form_main::setPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= m_panels.size())
        writePanel(panel - 1, text);
}

bool form_main::panelActive(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() && m_panels.at(panel - 1)->isEnabled();
}

bool form_main::eventFilter(QObject *watched, QEvent *event)
{
    // A child window's place and size are kept for its next opening: when it closes, and a moment
    // after it was moved or resized (not at every step of a drag).
    if (auto *sub = qobject_cast<QMdiSubWindow *>(watched); sub && sub->property(kChildName).isValid()) {
        if (event->type() == QEvent::Close) {
            rememberChild(sub);
        } else if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            QPointer<QMdiSubWindow> moved(sub);
            if (!m_placing.contains(sub)) {
                m_placing.insert(sub);
                QTimer::singleShot(500, this, [this, moved, key = static_cast<QObject *>(sub)] {
                    m_placing.remove(key);
                    if (moved)
                        rememberChild(moved);
                });
            }
        }
    }

    // Each key reaches exactly one window of the platform before it is handed to widgets, so
    // watching windows sees every press once. The lock states start as off: the platform offers
    // no portable way to read them.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            bool changed = true;
            switch (key->key()) {
            case Qt::Key_CapsLock: m_capsLock = !m_capsLock; break;
            case Qt::Key_NumLock: m_numLock = !m_numLock; break;
            case Qt::Key_Insert: m_insert = !m_insert; break;
            default: changed = false;
            }
            if (changed)
                updateLivePanels();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
