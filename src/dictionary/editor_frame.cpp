// The frame both record editors are built in, and the loading of their catalogue.
#include "dictionary/editor_frame.h"

#include "app/program_state.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

EditorFrame BuildEditorFrame(QWidget *window, QWidget *entryTab, const QString &gridName,
                             const std::function<void(const QString &)> &onKey, const std::function<void(int)> &onMove)
{
    EditorFrame f;
    f.Toolbar1 = new KeyedToolBar(window);
    f.Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    // Captions only: with pictures under them the buttons would not fit the 540-twip strip.
    f.Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const char *const buttons[][2] = {{"new", "新增"},    {"Edit", "修改"},   {"save", "保存"},      {"cancel", "取消"},
                                      {"delete", "删除"}, {"find", "查询"},   {"printview", "预览"}, {"print", "打印"},
                                      {"help", "帮助"},   {"exit", "退出"}};
    for (const auto &b : buttons)
        f.Toolbar1->addButton(QString::fromLatin1(b[0]), QString::fromUtf8(b[1]));
    QObject::connect(f.Toolbar1, &KeyedToolBar::buttonClicked, window, onKey);
    // The record commands from the keyboard, anywhere in the window.
    const char *const shortcuts[][2] = {{"new", "Ctrl+N"},    {"Edit", "Ctrl+E"}, {"save", "Ctrl+S"}, {"cancel", "Esc"},
                                        {"delete", "Ctrl+D"}, {"find", "Ctrl+F"}, {"printview", "Ctrl+P"}};
    for (const auto &s : shortcuts)
        f.Toolbar1->setButtonShortcut(QString::fromLatin1(s[0]), QKeySequence(QString::fromLatin1(s[1])), window);

    const char *const moveText[4] = {"|◀", "◀", "▶", "▶|"};
    const char *const moveName[4] = {"第一条", "上一条", "下一条", "最后一条"};
    for (int i = 0; i < 4; ++i) {
        QPushButton *b = f.Cmdmove[i] = new QPushButton(QString::fromUtf8(moveText[i]), window);
        b->setObjectName(QStringLiteral("Cmdmove_%1").arg(i));
        b->setAccessibleName(QString::fromUtf8(moveName[i]));
        b->setToolTip(QString::fromUtf8(moveName[i]));
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QPushButton::clicked, window, [onMove, i] { onMove(i); });
    }

    // Never so small that the move buttons on the strip leave the window.
    window->setMinimumSize(Twips::toPx(8505 + 120), Twips::toPx(3600));

    f.SSTab1 = new QTabWidget(window);
    f.SSTab1->setObjectName(QStringLiteral("SSTab1"));
    f.SSTab1->addTab(entryTab, QStringLiteral("录入"));
    f.Gridspzd = new DataGrid;
    f.Gridspzd->setObjectName(QStringLiteral("Gridspzd"));
    f.Gridspzd->setAccessibleName(gridName);
    auto *browse = new QWidget;
    auto *browseLayout = new QVBoxLayout(browse);
    browseLayout->setContentsMargins(4, 4, 4, 4);
    browseLayout->addWidget(f.Gridspzd);
    f.SSTab1->addTab(browse, QStringLiteral("浏览"));
    return f;
}

void LayoutEditorFrame(const QWidget *window, const EditorFrame &f)
{
    f.Toolbar1->setGeometry(0, 0, window->width(), Twips::toPx(540));
    const int moveLeft[4] = {6600, 7185, 7620, 8055}, moveWidth[4] = {570, 420, 420, 450};
    for (int i = 0; i < 4; ++i) {
        f.Cmdmove[i]->setGeometry(Twips::rect(moveLeft[i], 0, moveWidth[i], 480));
        f.Cmdmove[i]->raise();
    }
    f.SSTab1->setGeometry(Twips::toPx(60), Twips::toPx(540), window->width() - Twips::toPx(120),
                          window->height() - Twips::toPx(600));
}

bool OpenEditorCatalogue(Recordset &rs, DataCombo &combo, const QString &category, const std::function<void()> &showFirst)
{
    try {
        rs.Open(ModDict::CatalogueSql(category), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        combo.setRowSource(&rs, QStringLiteral("table_name_explan"), QStringLiteral("table_name"));
        if (rs.RecordCount() > 0) {
            const int c = rs.fieldIndex(QStringLiteral("table_name_explan"));
            const QVariant first = c < 0 ? QVariant() : rs.valueAt(0, c);
            combo.setText(first.isNull() ? QString() : first.toString().trimmed());
            showFirst();
        }
        return true;
    } catch (const DbError &e) {
        if (e.number == DbError::ObjectNotFound) {
            // A new database: the personnel tables are made now and shown at the next opening.
            try {
                ModJgupdate::CreatePersonnelTables();
            } catch (const DbError &e2) {
                MsgBox(e2.numbered());
            }
        } else {
            MsgBox(e.numbered());
        }
        return false;
    }
}
