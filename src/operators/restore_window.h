// frmRestore: the list of backups the data restore offers, newest first.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

class frmRestore : public QDialog {
    Q_OBJECT
public:
    // rows: one line per backup, its columns (file, time written, size) separated by tabs.
    explicit frmRestore(const QStringList &rows, QWidget *parent = nullptr);
    int chosen() const;  // the row chosen, -1 when none

private:
    QLabel *Label1 = nullptr;
    QTreeWidget *LstBackups = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdCancel = nullptr;
};
