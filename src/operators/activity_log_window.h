// Frm_czyrz: the operator log window — closed log rows, filtered by operator and start date, exported and cleared.
#pragma once

#include <QWidget>

class DataGrid;
class KeyedToolBar;
class QDateEdit;
class QLabel;
class QLineEdit;
class Recordset;
struct DbError;

class Frm_czyrz : public QWidget {
    Q_OBJECT
public:
    explicit Frm_czyrz(QWidget *parent = nullptr);  // runs the loading steps
    ~Frm_czyrz() override;

    static constexpr int kWidth = 9300, kHeight = 6300;  // twips

    // The listing of the loading step: closed rows with both times rendered as text.
    static QString LoadSql();
    // The query of "查询" for an operator name (empty: any) and a start date (null: any).
    static QString FindSql(const QString &name, const QDate &from);

    // Dispatches a toolbar key ("find", "dc", "delete", "exit"); other keys do nothing.
    void Toolbar1_ButtonClick(const QString &key);

    Recordset *records() const { return rsLog; }
    void setStartDate(const QDate &date);  // null: no start date
    QDate startDate() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void finishUse();
    void openLog(const QString &sql);
    void msgrid_set();
    void print_lx(const QString &strlx);
    void cmdFind();
    void cmdDelete();
    void reportError(const DbError &e);

    Recordset *rsLog = nullptr;
    bool m_placed = false;
    bool m_finished = false;

    KeyedToolBar *Toolbar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Image1 = nullptr;
    QLineEdit *txtname = nullptr;
    QDateEdit *txtkssj = nullptr;
    DataGrid *MSGrid = nullptr;
};
