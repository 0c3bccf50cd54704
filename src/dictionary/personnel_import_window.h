// FrmRsdr: the "导入人事资料" window: a spreadsheet's employees previewed with the result of every
// check, imported all together when none fails, and an empty template to fill.
#pragma once

#include "dictionary/personnel_import.h"

#include <QWidget>

class FlexGrid;
class QLabel;
class QPushButton;

class FrmRsdr : public QWidget {
    Q_OBJECT
public:
    explicit FrmRsdr(const QString &tableCode, QWidget *parent = nullptr);

    // Asks for a file (.xlsx or .csv) and previews it.
    void chooseFile();
    // Reads and checks the file and shows the result; 导入 is enabled only when nothing fails.
    void loadFile(const QString &path);
    // Writes the previewed rows into the personnel table in one transaction.
    void importRows();
    // Asks where to put an empty workbook with the dictionary's captions, and writes it.
    void exportTemplate();

    const ModRsdr::ImportPlan &plan() const { return m_plan; }

signals:
    void imported(int rows);

private:
    QString m_tableCode;
    ModRsdr::ImportPlan m_plan;
    QLabel *LabFile;
    QLabel *LabResult;
    FlexGrid *FlRows;
    QPushButton *cmdFile;
    QPushButton *cmdImport;
    QPushButton *cmdTemplate;
    QPushButton *cmdClose;
};
