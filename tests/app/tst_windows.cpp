// Tests of the windows as a new user meets them: a new database at 144 dpi on a 1280×1024 screen.
// Every window opens without a message, fits the main area and has every control within reach;
// maximised or made as small as it allows, no two controls meet; windows open cascaded or where
// they were; every input has an accessible name; the keyboard reaches the editors' commands.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_placement.h"
#include "departments/commands.h"
#include "dictionary/commands.h"
#include "dictionary/personnel_editor_window.h"
#include "operators/commands.h"
#include "payroll/commands.h"
#include "printing/commands.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QTextEdit>
#include <QtTest>

namespace {

const char *const kWindowCommands[] = {"menu_rsSET_1", "menu_gZset_1", "menu_gZset_2", "menu_gZset_3", "menu_gZset_4",
                                       "menu_gZset_5", "menu_gZset_6", "menu_gZset_8", "menu_gZset_9", "menu_gZset_11",
                                       "menu_gZset_12", "menu_set_0",   "menu_sys_0",   "menu_sys_1",   "menu_sys_2"};

// The program on a new database, logged in as "system", its main window as large as a 1280×1024
// screen is at this run's scale.
struct Program {
    TestEnv env;
    form_main w;
    Program()
    {
        env.openNewDatabase();
        strCzyName = QStringLiteral("system");
        registerOperatorCommands(w);
        registerDictionaryCommands(w);
        registerPayrollCommands(w);
        registerPrintingCommands(w);
        registerDepartmentCommands(w);
        for (const char *item : {"menu_sys_0", "menu_sys_1", "menu_sys_4", "menu_sys_5"})
            w.menuItem(QString::fromLatin1(item))->setEnabled(true);
        w.show();  // too large for the screen: maximised
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QApplication::processEvents();
    }
    QMdiSubWindow *open(const char *command)
    {
        w.runCommand(QString::fromLatin1(command));
        QApplication::processEvents();
        return w.mdiArea()->activeSubWindow();
    }
};

bool underViewport(const QWidget *w, const QWidget *top)
{
    for (const QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (auto *area = qobject_cast<const QAbstractScrollArea *>(p->parentWidget()); area && area->viewport() == p)
            return true;
    return false;
}

QList<QWidget *> shownWidgets(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisible() && !w->isWindow())
            out << w;
    return out;
}

// Pairs of visible sibling controls that overlap, as "a+b@parent".
QSet<QString> meeting(QWidget *window)
{
    QSet<QString> out;
    const QList<QWidget *> shown = shownWidgets(window);
    for (QWidget *a : shown)
        for (QWidget *b : shown)
            if (a < b && a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()))
                out.insert(a->objectName() + '+' + b->objectName() + '@' + a->parentWidget()->objectName());
    return out;
}

// Visible controls (what takes the focus or a click, and captions) lying (partly) outside the
// window; what scrolls inside a scroll area is reached by scrolling and not counted.
QStringList outOfReach(QWidget *window)
{
    QStringList out;
    for (QWidget *w : shownWidgets(window)) {
        const bool control = w->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton *>(w) ||
                             (qobject_cast<QLabel *>(w) && !qobject_cast<QLabel *>(w)->text().isEmpty());
        if (!control || underViewport(w, window))
            continue;
        const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!window->rect().adjusted(-1, -1, 1, 1).contains(r))
            out << window->objectName() + '/' + w->objectName() + QString(" %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    return out;
}

// Visible inputs (boxes, lists, grids) whose accessible name is empty: a screen reader, and the
// acceptance tests that drive the program through it, could not tell them apart.
QStringList unnamedInputs(QWidget *window)
{
    QStringList out;
    for (QWidget *w : shownWidgets(window)) {
        const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
                           qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) ||
                           (qobject_cast<QAbstractItemView *>(w) && !qobject_cast<QHeaderView *>(w));
        // a combo box's or spin box's own line edit and a grid's cell editor are named by their owner
        const bool part = qobject_cast<QComboBox *>(w->parentWidget()) || qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
                          underViewport(w, window);
        if (!input || part)
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            out << window->objectName() + QLatin1Char('/') + w->objectName() + QLatin1Char('(') + w->metaObject()->className() + QLatin1Char(')');
    }
    return out;
}

// How far a control stands from each edge of its parent.
QMargins edges(const QWidget *w)
{
    const QRect r = w->geometry(), p = w->parentWidget()->rect();
    return {r.left(), r.top(), p.right() - r.right(), p.bottom() - r.bottom()};
}

int tableCount(Connection &cn, const char *table)
{
    return cn.query(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).rows.value(0).value(0).toInt();
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void everyWindowOnANewDatabase()
    {
        Program p;
        Connection &cn = cnMain;
        const int schema = cn.query(QStringLiteral("pragma schema_version")).rows.value(0).value(0).toInt();
        const char *const tables[] = {"mytable", "dh_codedict", "pr_codedict", "rs_codedict", "rsda", "rsgz", "gzjz"};
        QList<int> counts;
        for (const char *t : tables)
            counts << tableCount(cn, t);

        // The status bar lies on the screen, each live panel wide enough for its widest text.
        for (int panel = 3; panel <= 7; ++panel) {
            auto *label = p.w.statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1_%1").arg(panel));
            const QRect r(label->mapTo(&p.w, QPoint(0, 0)), label->size());
            QVERIFY2(p.w.rect().contains(r), qPrintable(label->objectName()));
        }
        p.w.setPanelText(7, QStringLiteral("2026-12-30"));
        QApplication::processEvents();
        auto *date = p.w.statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1_7"));
        QVERIFY(date->width() >= date->fontMetrics().horizontalAdvance(date->text()) + 2 * date->frameWidth());

        const QRect area(QPoint(0, 0), p.w.mdiArea()->viewport()->size());
        for (const char *command : kWindowCommands) {
            QMdiSubWindow *sub = p.open(command);
            QVERIFY2(sub && sub->widget(), command);
            QWidget *window = sub->widget();
            const QString name = window->objectName();
            QVERIFY2(p.env.messages.records.isEmpty(), qPrintable(name + QLatin1Char(' ') + p.env.messages.texts().join('|')));
            QVERIFY2(area.contains(sub->geometry()), qPrintable(name));
            QVERIFY2(outOfReach(window).isEmpty(), qPrintable(outOfReach(window).join(' ')));
            QVERIFY2(unnamedInputs(window).isEmpty(), qPrintable(unnamedInputs(window).join(' ')));
            if (name == QLatin1String("FrmRSdagl"))  // the personnel fields at the first opening
                QCOMPARE(qobject_cast<FrmRSdagl *>(window)->fieldBoxes().size(), 15);

            const QSet<QString> designed = meeting(window);
            const auto newMeetings = [&] { return name + ' ' + QStringList((meeting(window) - designed).values()).join(' '); };
            const QSize design = window->size();
            QHash<QWidget *, QMargins> buttons;
            QHash<QWidget *, QSize> lists;
            for (QWidget *w : shownWidgets(window)) {
                if (qobject_cast<QAbstractButton *>(w) && !underViewport(w, window) && w->parentWidget() == window)
                    buttons.insert(w, edges(w));
                if (qobject_cast<QAbstractItemView *>(w) && !qobject_cast<QHeaderView *>(w) && !underViewport(w, window))
                    lists.insert(w, w->size());
            }

            // Maximised: nothing new meets, all stays in reach, the lists grow and the window's buttons
            // keep their distance to one edge each way.
            sub->showMaximized();
            QApplication::processEvents();
            QVERIFY2(window->width() > design.width(), qPrintable(name));
            QVERIFY2((meeting(window) - designed).isEmpty(), qPrintable(newMeetings()));
            QVERIFY2(outOfReach(window).isEmpty(), qPrintable(outOfReach(window).join(' ')));
            for (auto it = lists.cbegin(); it != lists.cend(); ++it)
                if (it.key()->isVisible())
                    QVERIFY2(it.key()->width() > it.value().width(), qPrintable(name + '/' + it.key()->objectName()));
            for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
                const QMargins now = edges(it.key()), then = it.value();
                QVERIFY2((now.left() == then.left() || now.right() == then.right()) &&
                             (now.top() == then.top() || now.bottom() == then.bottom()),
                         qPrintable(name + '/' + it.key()->objectName()));
            }
            // As small as it lets itself be made: still nothing new meets, all in reach. (The pay
            // windows and the log lay out their lists themselves and may be made smaller by hand.)
            sub->showNormal();
            if (window->minimumSize().isEmpty()) {
                sub->close();
                QApplication::processEvents();
                continue;
            }
            sub->resize(window->minimumSize().grownBy(sub->contentsMargins()).expandedTo(sub->minimumSizeHint()));
            QApplication::processEvents();
            QVERIFY2((meeting(window) - designed).isEmpty(), qPrintable(newMeetings()));
            QVERIFY2(outOfReach(window).isEmpty(), qPrintable(outOfReach(window).join(' ')));
            sub->close();
            QApplication::processEvents();
        }
        // Nothing was created or filled by the windows: the first run made it all.
        QCOMPARE(cn.query(QStringLiteral("pragma schema_version")).rows.value(0).value(0).toInt(), schema);
        for (int i = 0; i < counts.size(); ++i)
            QCOMPARE(tableCount(cn, tables[i]), counts.at(i));
        QVERIFY(p.env.messages.records.isEmpty());
    }

    void placementCascadesAndRemembers()
    {
        using WindowPlacement::Cascade;
        // Cascaded from the corner; never past the right or bottom edge; cut to the area, not below
        // the window's minimum.
        QCOMPARE(Cascade({800, 600}, {300, 200}, {}, 2, 24), QRect(48, 48, 300, 200));
        QCOMPARE(Cascade({800, 600}, {300, 200}, {}, 30, 24), QRect(500, 400, 300, 200));
        QCOMPARE(Cascade({800, 600}, {900, 700}, {700, 650}, 1, 24), QRect(0, 0, 800, 650));

        Program p;
        QMdiSubWindow *first = p.open("menu_gZset_2");
        QMdiSubWindow *second = p.open("menu_gZset_5");
        QCOMPARE(first->pos(), QPoint(0, 0));
        const QPoint step = second->pos();
        QVERIFY(step.x() > 0 && step.x() == step.y());
        // Moved and resized, closed, opened again: where it was.
        const QRect moved(200, 150, first->width() + 60, first->height() + 30);
        first->setGeometry(moved);
        first->close();
        QApplication::processEvents();
        QCOMPARE(p.open("menu_gZset_2")->geometry(), moved);
        // A place that is no longer on the screen (a smaller area now) is not used.
        WindowPlacement::Remember(QStringLiteral("FrmGZjz"), QRect(p.w.mdiArea()->viewport()->width() - 50, 10, 400, 200));
        QMdiSubWindow *third = p.open("menu_gZset_11");
        QVERIFY(QRect(QPoint(0, 0), p.w.mdiArea()->viewport()->size()).contains(third->geometry()));
        QCOMPARE(third->pos(), 2 * step);
    }

    void keyboardReachesTheEditors()
    {
        Program p;
        // Every visible menu of the menu bar has a mnemonic of its own.
        QSet<QChar> letters;
        for (QAction *menu : p.w.menuBar()->actions()) {
            if (!menu->isVisible())
                continue;
            const int amp = int(menu->text().indexOf(QLatin1Char('&')));
            QVERIFY2(amp >= 0, qPrintable(menu->text()));
            letters.insert(menu->text().at(amp + 1).toUpper());
        }
        QCOMPARE(letters.size(), 6);

        QMdiSubWindow *sub = p.open("menu_rsSET_1");
        auto *editor = qobject_cast<FrmRSdagl *>(sub->widget());
        QApplication::setActiveWindow(&p.w);
        editor->findChild<QWidget *>(QStringLiteral("Txtfind"))->setFocus();

        // Ctrl+N: a new record, the cursor in its first box.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(editor->isEditing());
        const QList<QLineEdit *> boxes = editor->fieldBoxes();
        QCOMPARE(QApplication::focusWidget(), boxes.first());
        // Enter from box to box: the page scrolls so that the box typed into is in sight.
        auto *scroll = editor->findChild<QScrollArea *>(QStringLiteral("ScrEntry"));
        for (int i = 0; i + 1 < boxes.size(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), boxes.last());
        const QRect seen(boxes.last()->mapTo(scroll->viewport(), QPoint(0, 0)), boxes.last()->size());
        QVERIFY2(scroll->viewport()->rect().contains(seen), qPrintable(QStringLiteral("%1,%2").arg(seen.y()).arg(scroll->viewport()->height())));
        QTest::keyClicks(boxes.last(), QStringLiteral("note"));
        // Esc cancels; nothing was written.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!editor->isEditing());
        QCOMPARE(tableCount(cnMain, "rsda"), 0);
        // Shortcuts of a disabled button do nothing: Ctrl+S while browsing saves nothing.
        QTest::keyClick(boxes.first(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!editor->isEditing() && p.env.messages.records.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    // A screen of 1280×1024 with a large font (144 dpi): the program sees two thirds of it.
    QTemporaryDir folder;
    QFile screens(folder.filePath(QStringLiteral("screens.json")));
    if (screens.open(QIODevice::WriteOnly))
        screens.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 1024}]})");
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    qputenv("QT_FONT_DPI", "144");
    QApplication app(argc, argv);
    TestWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows.moc"
