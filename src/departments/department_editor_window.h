// Form_bmbmdy: the department code editor ("部门编码") over bmcode, with its two grids and report.
#pragma once

#include "app/open_windows.h"

#include <QString>
#include <QWidget>

class BoundLineEdit;
class DataGrid;
class KeyedToolBar;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTabWidget;
class Recordset;
class UserMoves;
struct DbError;

class Form_bmbmdy : public QWidget, public PendingEdit {
    Q_OBJECT
public:
    explicit Form_bmbmdy(QWidget *parent = nullptr);  // runs the loading steps
    ~Form_bmbmdy() override;

    static inline const QString kCaption = QStringLiteral("部门编码");
    static inline const QString kSql = QStringLiteral("select * from bmcode order by bmcode ");
    // Calculators looked for by "Calc", in this order.
    static const QStringList &calculators();

    // Toolbar dispatch on the button key; keys without an action do nothing.
    void Toolbar_ButtonClick(const QString &key);
    void Cmdmove_Click(int index);

    // The window's procedures, as the toolbar, the boxes and the closing steps use them.
    void sp_add();
    bool sp_save();  // true when the new department was written
    void qy_upda();
    void sp_dele();
    bool sphao_chec(const QString &code);  // true when the code passed
    void find_set(const QString &codebl);
    void print_set(int lx);

    // A department being entered or changed and not yet saved; saving checks the code first.
    bool hasPendingEdit() const override;
    bool savePendingEdit() override;
    void discardPendingEdit() override;

    Recordset *browseRecords() const { return rsBrowse; }
    Recordset *entryRecords() const { return rsEntry; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void buildToolbar();
    void Form_Load();
    void cmd_yd(bool move_qian, bool move_hou);
    void kongjian_enabled(bool jzbl);
    void bmbm_set();
    void bmbmadd_set();
    void bindBoxes(Recordset *rs);
    void bindGrids(Recordset *rs);
    void use_check();
    void rememberOwnCode();
    void startCalculator();
    bool runShortcut(QKeyEvent *event);  // true when the key was one of the toolbar's shortcuts
    void boxEnter(int index, bool leaving);  // Enter in a box; leaving box 0 or 1 checks without moving the focus
    void reportError(const DbError &e);
    void finishUse();

    Recordset *rsBrowse = nullptr;
    Recordset *rsEntry = nullptr;
    Recordset *m_bound = nullptr;  // the set the entry boxes show
    QString m_ownCode;             // stored code of the row the boxes show, for the recoding check
    bool m_inEnter = false;
    UserMoves *m_moves = nullptr;  // whether the focus moves because the person moved it
    bool m_finished = false;

    KeyedToolBar *Toolbar = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QLabel *Label1[5] = {};
    BoundLineEdit *Text1[15] = {};  // 0-4, 13 and 14 exist
    QLabel *LabbmBmcd = nullptr;
    DataGrid *daGridDy = nullptr;
    DataGrid *DaGridLy = nullptr;
    QPushButton *Cmdmove[4] = {};
};
