// FrmreportSetGZXM: the wage item configuration window over the rs_codedict rows of one table code.
#pragma once

#include "app/open_windows.h"

#include <QWidget>

class DataGrid;
class FlexGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class Recordset;
struct DbError;

class FrmreportSetGZXM : public QWidget, public PendingEdit {
    Q_OBJECT
public:
    explicit FrmreportSetGZXM(QWidget *parent = nullptr);
    ~FrmreportSetGZXM() override;

    // The columns of DataGrid1: bound column and header, in order.
    static const QStringList &gridFields();
    static const QStringList &gridCaptions();
    static constexpr int kTypeColumn = 5;

    enum class State { Browsing, Adding, Modifying };
    State state() const { return m_state; }
    Recordset *items() const { return rsItems; }

    // An item added or modified and not yet saved; saving goes through "保存".
    bool hasPendingEdit() const override;
    bool savePendingEdit() override;
    void discardPendingEdit() override;

    // The first activation: prepares the database when needed and shows the dictionary rows.
    // Later activations do nothing.
    void Form_Activate();

    void cmdzj_Click();
    void cmdxg_Click();
    void cmdbc_Click();
    void cmdqx_Click();
    void cmdsc_Click();
    void cmdjc_Click();
    void Cmdmove_Click(int which);  // 1 first, 2 previous, 3 next, 4 last
    void DataGrid1_ButtonClick(int column);
    void FlDict_Choose(int row);    // row of the list as TextMatrix counts it (1 … 4)

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setState(State state);
    void startRowEdit();
    void reportError(const DbError &e);
    QString tableCaption() const;

    Recordset *rsItems;
    DataGrid *DataGrid1;
    FlexGrid *FlDict;
    QLineEdit *Txttablename;
    QPushButton *cmdzj;
    QPushButton *cmdxg;
    QPushButton *cmdsc;
    QPushButton *cmdbc;
    QPushButton *cmdqx;
    QPushButton *cmdjc;
    QPushButton *Cmdtc;
    QToolButton *Cmdmove1;
    QToolButton *Cmdmove2;
    QToolButton *Cmdmove3;
    QToolButton *Cmdmove4;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;

    bool m_activated = false;
    State m_state = State::Browsing;
    QString m_caption;  // table_name of the rows of this table code
};
