// frm_czy_password: the "操作员口令变更" window: the operator logged in changes their own password.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;

class UserMoves;

class frm_czy_password : public QWidget {
    Q_OBJECT
public:
    // Builds the window and reads the operator's row; loaded() is false when the row is missing
    // (the fact has been reported).
    explicit frm_czy_password(QWidget *parent = nullptr);
    ~frm_czy_password() override;

    // The menu command's factory: the window, or null (reported) when the operator has no row.
    static QWidget *create();

    bool loaded() const { return m_loaded; }

    // Checks the old password (box 0) against the stored one, counting and reporting wrong tries;
    // the third wrong try closes the window. True when the old password is accepted.
    bool init_password();
    // Confirm: stores the new password when the old one has been accepted and both new boxes agree.
    void last_password();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void centre();

    Recordset *rsPassword;
    bool m_loaded = false;
    bool m_centred = false;
    bool m_oldAccepted = false;  // box 0 as it stands passed init_password
    bool m_checking = false;     // init_password is showing its message
    UserMoves *m_moves = nullptr;  // whether the focus moves because the person moved it

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Txt_password[5] = {};
    QPushButton *com_password[2] = {};
};
