// FrmGZPlxg: the "工资批量修改" window: a condition from up to eight rows, one item set in every matching row.
#pragma once

#include "payroll/batch_modify.h"

#include <QList>
#include <QWidget>
#include <optional>

class DataCombo;
class KeyedToolBar;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class Recordset;
struct DbError;

class FrmGZPlxg : public QWidget {
    Q_OBJECT
public:
    explicit FrmGZPlxg(QWidget *parent = nullptr);  // reads the item dictionary
    ~FrmGZPlxg() override;

    // Builds the condition from the rows, rewrites the values in their boxes and shows it in Text4.
    // Nothing when a value failed its check (the message has been shown). Database errors propagate.
    std::optional<QString> strtjset();
    // The class of row h's item ("STR", "DATETIME", "NUME"); empty when the caption names no item.
    QString GetDAtaType(int h);
    // A value box got the focus: remember it and show the date picker beside it for a date item.
    void getHelp(int Index);
    void txtsjclear();

    // CmdFind and the toolbar key "edit": the update statement over the matching rows.
    void CmdFind_Click();
    // Cmdview and CmdPrint: build and show the condition.
    void Cmdview_Click();

    // Puts a month into the value box of the first row standing on the month item (f0).
    void selectMonth(const QString &month);

    QString condition() const { return m_condition; }  // the last condition built
    QList<ModPlxg::WageItem> items() const;            // the dictionary rows of the choosers

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void loadDictionary();
    void reportError(const DbError &e);
    void toolbarClicked(const QString &key);

    Recordset *rsDict;
    QString m_condition;

    KeyedToolBar *Toolbar1;
    QTabWidget *SSTab1;
    QLabel *Label1;
    QList<DataCombo *> DataCombo1;
    QList<QComboBox *> Combo1;
    QList<QLineEdit *> txtsj;
    QList<QComboBox *> Combljtj;
    QList<QLineEdit *> Txttj;
    QDateEdit *DTPheLp;
    QLineEdit *Txths;
    QPlainTextEdit *Text4;
    DataCombo *Datazd;
    QComboBox *Combzd;
    QLineEdit *txtZd;
    QPushButton *CmdFind;
    QPushButton *Cmdview;
    QPushButton *CmdPrint;
    QPushButton *cmdQuit;
};
