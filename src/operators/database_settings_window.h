// sysset: the window that asks for the server connection values and stores them in the settings.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class sysset : public QDialog {
    Q_OBJECT
public:
    explicit sysset(QWidget *parent = nullptr);

private:
    void Command1_Click();  // 确定: checks, stores the values and ends the program
    void Command2_Click();  // 取消: closes without storing

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;  // the port, asked only for a PostgreSQL server
    QLineEdit *server = nullptr;
    QLineEdit *database = nullptr;
    QLineEdit *username = nullptr;
    QLineEdit *password = nullptr;
    QLineEdit *port = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};
