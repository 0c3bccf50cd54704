// Tests of the password change window: the old-password check, its count, and what is stored.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "operators/commands.h"
#include "platform/db/connection.h"

#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kWrongOld = QStringLiteral("输入原口令不正确,请重新输入!");

// The main window; the password window opened from its menu, driven by keyboard and mouse.
struct Driver {
    form_main main;
    Connection &cn;
    explicit Driver(Connection &c) : cn(c)
    {
        registerOperatorCommands(main);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        for (const auto &[name, pass] : {std::pair{"Ann", QVariant(QStringLiteral("abc"))}, {"Nul", QVariant()}, {"O'Neil", QVariant(QString())}})
            cn.execute(QStringLiteral("insert into czyzd (czy_name, czy_pass, zwlx) values (?, ?, '')"), {QString::fromLatin1(name), pass});
    }
    QWidget *open(const QString &who)
    {
        strCzyName = who;
        main.runCommand(QStringLiteral("menu_sys_2"));
        return window();
    }
    QWidget *window() const { return main.findChildWindow(QStringLiteral("frm_czy_password")); }
    bool closed() const
    {
        QTest::qWait(1);  // a closed window is deleted once events run
        return !window();
    }
    QLineEdit *box(int i) const { return window()->findChild<QLineEdit *>(QStringLiteral("Txt_password_%1").arg(i)); }
    QPushButton *confirmButton() const { return window()->findChild<QPushButton *>(QStringLiteral("com_password_0")); }
    void type(int i, const QString &text) const
    {
        QTest::mouseClick(box(i), Qt::LeftButton);
        box(i)->clear();
        QTest::keyClicks(box(i), text);
    }
    void enter(int i, const QString &text) const
    {
        type(i, text);
        QTest::keyClick(box(i), Qt::Key_Return);
    }
    void confirm() const { QTest::mouseClick(confirmButton(), Qt::LeftButton); }
    QVariant stored(const QString &name) const
    {
        return cn.query(QStringLiteral("select czy_pass from czyzd where czy_name=?"), {name}).rows.value(0).value(0);
    }
};

} // namespace

class TestPassword : public QObject {
    Q_OBJECT
private slots:
    void wrongOldPasswordsAreCountedPerOpening()
    {
        TestEnv env;
        Driver d(env.openNewDatabase());
        QVERIFY(d.open(QStringLiteral("Ann")));
        QVERIFY(!d.confirmButton()->isEnabled());
        auto *frame = qobject_cast<QMdiSubWindow *>(d.window()->parentWidget());
        QVERIFY(frame);
        // A wrong old password typed: maximising, restoring and double-clicking the title bar move
        // the focus about, but only the person's own move into the new-password box is a try.
        d.type(0, QStringLiteral("wrong"));
        frame->showMaximized();
        frame->showNormal();
        for (int k = 0; k < 2; ++k)
            QTest::mouseDClick(frame, Qt::LeftButton, {}, QPoint(frame->width() / 2, 8));
        QVERIFY2(env.messages.records.isEmpty(), qPrintable(env.messages.texts().join('|')));
        QCOMPARE(d.box(3)->text(), QStringLiteral("0"));
        QTest::mouseClick(d.box(0), Qt::LeftButton);
        QTest::keyClick(d.box(0), Qt::Key_Tab);  // Tab into the box is one
        QCOMPARE(d.box(3)->text(), QStringLiteral("1"));

        // Two wrong tries keep the window, the focus back in the old-password box; blanks around do not count.
        d.enter(0, QStringLiteral("ABC"));
        QCOMPARE(QApplication::focusWidget(), d.box(0));
        d.enter(0, QStringLiteral("  abc "));
        QCOMPARE(QApplication::focusWidget(), d.box(1));
        QCOMPARE(env.messages.texts(), QStringList(2, kWrongOld));
        QCOMPARE(env.messages.records.last().flags, 16);
        QCOMPARE(env.messages.records.last().title, QStringLiteral("口令变更"));

        // A new opening starts a new count; its third wrong try closes the window.
        d.window()->close();
        QVERIFY(d.closed());
        d.open(QStringLiteral("Ann"));
        for (const char *wrong : {"x", "y"}) {
            d.enter(0, QString::fromLatin1(wrong));
            QVERIFY(!d.closed());
        }
        d.enter(0, QStringLiteral("z"));
        QVERIFY(d.closed());
        QCOMPARE(env.messages.texts().last(), QStringLiteral("对不起,您无权变更操作员'Ann'的口令!"));
        QCOMPARE(env.messages.records.size(), 5);
        QCOMPARE(d.stored(QStringLiteral("Ann")), QVariant(QStringLiteral("abc")));
    }

    void newPasswordIsStoredAsTypedOnceTheOldOneIsAccepted()
    {
        TestEnv env;
        Driver d(env.openNewDatabase());
        d.open(QStringLiteral("Ann"));

        // Straight to confirm with a wrong old password: checked and counted there, nothing stored.
        d.type(0, QStringLiteral("zzz"));
        d.confirm();
        // An accepted old password changed afterwards is checked again.
        d.enter(0, QStringLiteral("abc"));
        d.enter(1, QStringLiteral("new  "));
        d.type(0, QStringLiteral("abc9"));
        d.confirm();
        QCOMPARE(env.messages.texts(), QStringList(2, kWrongOld));

        // Enter walks the boxes to the confirm button; the two new boxes must agree.
        d.enter(0, QStringLiteral("abc"));
        d.enter(1, QStringLiteral("new  "));
        d.enter(2, QStringLiteral("newX"));
        QCOMPARE(QApplication::focusWidget(), d.confirmButton());
        d.confirm();
        QCOMPARE(env.messages.texts().last(), QStringLiteral("新口令两次不一致,请重新输入!"));
        QVERIFY(!d.confirmButton()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), d.box(1));
        QCOMPARE(d.stored(QStringLiteral("Ann")), QVariant(QStringLiteral("abc")));

        // Trailing blanks are kept.
        d.enter(2, QStringLiteral("new  "));
        d.confirm();
        QCOMPARE(d.stored(QStringLiteral("Ann")), QVariant(QStringLiteral("new  ")));
        QCOMPARE(env.messages.texts().last(), QStringLiteral("变更口令成功，按任意键返回！"));
        QCOMPARE(env.messages.records.last().flags, 64);
        QCOMPARE(env.messages.records.size(), 4);
        QVERIFY(d.closed());
    }

    void nullOrEmptyPasswordsAndAMissingOperator()
    {
        TestEnv env;
        Driver d(env.openNewDatabase());

        // A Null and an empty stored password both pass with an empty box; the name is matched trimmed.
        // Empty new passwords store the empty text.
        for (const auto &[who, next] : {std::pair{QStringLiteral(" Nul "), QStringLiteral("p")}, {QStringLiteral("O'Neil"), QString()}}) {
            QVERIFY(d.open(who));
            d.enter(0, QString());
            d.type(1, next);
            d.enter(2, next);  // Enter enables confirm even when nothing was typed
            d.confirm();
            QVERIFY(d.closed());
            QCOMPARE(d.stored(who.trimmed()), QVariant(next.isNull() ? QStringLiteral("") : next));
        }
        QCOMPARE(env.messages.records.size(), 2);

        // The operator's row deleted during the run: reported, no window, nothing written.
        d.cn.execute(QStringLiteral("delete from czyzd where czy_name='Nul'"));
        QVERIFY(!d.open(QStringLiteral("Nul")));
        QCOMPARE(env.messages.texts().last(), QStringLiteral("当前操作员不存在"));
        QCOMPARE(env.messages.records.last().flags, 48);
        QCOMPARE(d.cn.query(QStringLiteral("select count(*) from czyzd")).rows.first().first().toInt(), 3);
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
