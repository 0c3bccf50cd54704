// Drives a record editor window (FrmRSdagl, FrmGZlr) the way a person does: by control names.
#pragma once

#include "platform/print/report_preview.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/keyed_toolbar.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// Latin text goes in key by key; other text as an input method commits it.
inline void typeInto(QWidget *w, const QString &text)
{
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 128;
    if (latin) {
        QTest::keyClicks(w, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

template <class Window>
struct EditorDriver {
    Window w;
    EditorDriver()
    {
        w.show();
        w.activateWindow();
        QTest::qWaitForWindowActive(&w);
    }
    template <class T>
    T *find(const QString &name) const { return w.template findChild<T *>(name); }
    QLineEdit *box(int i) const { return find<QLineEdit>(QString("txtspzd_%1").arg(i)); }
    QLabel *caption(int i) const { return find<QLabel>(QString("Labspzd_%1").arg(i)); }
    int boxCount() const
    {
        int n = 0;
        while (box(n))
            ++n;
        return n;
    }
    QPushButton *move(int i) const { return find<QPushButton>(QString("Cmdmove_%1").arg(i)); }
    KeyedToolBar *bar() const { return find<KeyedToolBar>("Toolbar1"); }
    // Chooses text (or the current entry) in a list, as a click on the entry does.
    void pick(const QString &combo, const QString &text = {}) const
    {
        auto *c = find<DataCombo>(combo);
        if (!text.isEmpty())
            c->setText(text);
        emit c->activated(c->currentIndex());
    }
    void click(const QString &key) const { QTest::mouseClick(bar()->toolButton(key), Qt::LeftButton); }
    bool enabled(const QString &key) const { return bar()->isButtonEnabled(key); }
    void type(int i, const QString &text) const
    {
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClick(box(i), Qt::Key_Delete);
        typeInto(box(i), text);
    }
    // Browsing: boxes locked, navigation on, only save and cancel off; editing the reverse.
    bool browsing() const
    {
        return enabled("new") && enabled("Edit") && enabled("delete") && enabled("find") && enabled("printview") &&
               enabled("exit") && !enabled("save") && !enabled("cancel") && box(0)->isReadOnly() && move(0)->isEnabled();
    }
    bool editing() const
    {
        return !enabled("new") && !enabled("Edit") && !enabled("delete") && !enabled("exit") && enabled("save") &&
               enabled("cancel") && !box(0)->isReadOnly() && !move(3)->isEnabled();
    }
    // The preview window a "printview" opened, taken over by the caller.
    static ReportPreview *takePreview()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *p = qobject_cast<ReportPreview *>(top))
                return p;
        return nullptr;
    }
};
