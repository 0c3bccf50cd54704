// FrmGZjz: the "月末结账" and "反结账" windows: choose a month and close or reopen it.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

class FrmGZjz : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Close, Reopen };
    explicit FrmGZjz(Mode mode, QWidget *parent = nullptr);

    // Closes (or reopens) the chosen month and says what happened.
    void run();
    // Fills the month list again, each closed month marked "已结账".
    void refresh();

private:
    Mode m_mode;
    QLabel *Label1;
    QComboBox *cmbMonth;
    QPushButton *cmdRun;
    QPushButton *cmdClose;
};
