// frmLogin: the login window (operator and password) and mCzyqx, the operator's menu permissions.
#pragma once

#include <QDialog>

class DataCombo;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    // Builds the window and runs its load steps. When the database cannot be read the failure is
    // reported, the end of the program is requested, and loaded() is false.
    explicit frmLogin(QWidget *parent = nullptr);
    ~frmLogin() override;

    bool loaded() const { return m_loaded; }

    // The start-up and re-login command: loads the window and shows it modally over the main window.
    static void showLogin();

    // Closing the window without logging in (Esc, the title bar) counts as 退出.
    void reject() override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    bool passwordMatches(const QString &name, const QString &password);
    void loadFailed(const QString &reason);

    Recordset *rsCzyzd = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *lblLabels[2] = {};
    DataCombo *combname = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *LabBt1 = nullptr;
    QLabel *Labbt2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image3 = nullptr;
    bool m_loaded = false;
    bool m_ending = false;
};

// Applies the permissions of operator strczyname to the main window: the six permission-controlled
// items of "系统设置(&E)" are disabled, then enabled one by one for the matching rows of czy.
void mCzyqx(const QString &strczyname);
