// Frm_czyset: the "操作员设置" window: add and delete operators, assign each one its permissions.
#pragma once

#include <QWidget>

class DataCombo;
class DataGrid;
class KeyedToolBar;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class Recordset;

class Frm_czyset : public QWidget {
    Q_OBJECT
public:
    explicit Frm_czyset(QWidget *parent = nullptr);  // loads: log row, job types, operators, permission list
    ~Frm_czyset() override;

    // Shows the permissions of the operator named in combczy as check marks in ListView1.
    void CzyqxStar();

    // The toolbar's dispatch on the button key; keys without an action do nothing.
    void Toolbar1_ButtonClick(const QString &key);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void SSTab1_Click(int tab);
    void Check1_Click(bool checked);
    void showAsReport(bool report);
    void addNew();
    void save();
    void saveNewOperator();
    void savePermissions();
    void deleteOperator();
    void finishUse();

    Recordset *rsOperators;
    Recordset *rsZwlx;
    bool blnAdding = false;
    bool m_finished = false;

    KeyedToolBar *Toolbar1 = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    DataCombo *datazwlx = nullptr;
    DataGrid *DataGrid1 = nullptr;
    DataCombo *combczy = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
};
