// frmAbout: the About box with the application information and the system-information button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Starts this platform's system-information program; without one shows "此时系统信息无效".
    void StartSysInfo();
    // The first system-information program found on this machine, empty when there is none.
    static QString FindSysInfoProgram();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *LabeCo = nullptr;
    QLabel *LabeEmail = nullptr;
    QLabel *Labetel = nullptr;
    QLabel *LabeDZ = nullptr;
    QLabel *Labehome = nullptr;
    QLabel *Image3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};
