// The frame both record editors are built in: keyed toolbar, move buttons, entry and browse tabs,
// and the loading of their catalogue.
#pragma once

#include <QString>
#include <functional>

class DataCombo;
class DataGrid;
class KeyedToolBar;
class QPushButton;
class QTabWidget;
class QWidget;
class Recordset;

struct EditorFrame {
    KeyedToolBar *Toolbar1 = nullptr;
    QPushButton *Cmdmove[4] = {};
    QTabWidget *SSTab1 = nullptr;
    DataGrid *Gridspzd = nullptr;
};

// Builds on window the toolbar "Toolbar1" with the editors' ten commands (captions only), the move
// buttons "Cmdmove_0" … "Cmdmove_3" (first, previous, next, last) on its strip, and "SSTab1" with
// entryTab as "录入" and the browse grid "Gridspzd" (accessible name gridName) as "浏览".
// A toolbar click reaches onKey with the button's key, a move button onMove with its index.
EditorFrame BuildEditorFrame(QWidget *window, QWidget *entryTab, const QString &gridName,
                             const std::function<void(const QString &)> &onKey, const std::function<void(int)> &onMove);

// Places the frame for the window's size: the toolbar across the top, the move buttons to the
// right of its buttons, the tabs filling the window below.
void LayoutEditorFrame(const QWidget *window, const EditorFrame &frame);

// Opens the catalogue of `category` ("人事", "工资") into rs and lists it in combo; when it has a row,
// the first one is put into combo and showFirst runs. A new database without the catalogue gets
// the personnel tables made now (shown at the next opening). False when loading must stop; the
// failure has then been reported.
bool OpenEditorCatalogue(Recordset &rs, DataCombo &combo, const QString &category, const std::function<void()> &showFirst);
