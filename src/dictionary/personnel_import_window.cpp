// FrmRsdr: choosing the file, the preview grid (one row per file row, its check result last), and
// the two writes: the import and the template.
#include "dictionary/personnel_import_window.h"

#include "app/program_state.h"
#include "platform/db/db_error.h"
#include "platform/print/sheet_reader.h"
#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/cell_table.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {
void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

QPushButton *button(QWidget *parent, const char *name, const char *caption, int left)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    place(b, left, 6300, 1500, 450);
    return b;
}
} // namespace

FrmRsdr::FrmRsdr(const QString &tableCode, QWidget *parent) : QWidget(parent, Qt::Window), m_tableCode(tableCode)
{
    setObjectName(QStringLiteral("FrmRsdr"));
    setWindowTitle(QStringLiteral("导入人事资料"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Twips::toPx(10200), Twips::toPx(7020));

    LabFile = new QLabel(QStringLiteral("请选择要导入的 xlsx 或 csv 文件，第一行为字段名称（字段中文名或英文名）。"), this);
    LabFile->setObjectName(QStringLiteral("LabFile"));
    place(LabFile, 240, 120, 9720, 300);
    LabResult = new QLabel(this);
    LabResult->setObjectName(QStringLiteral("LabResult"));
    LabResult->setWordWrap(true);
    place(LabResult, 240, 480, 9720, 600);
    FlRows = new FlexGrid(this);
    FlRows->setObjectName(QStringLiteral("FlRows"));
    FlRows->setAccessibleName(QStringLiteral("导入预览"));
    place(FlRows, 240, 1140, 9720, 5000);

    cmdFile = button(this, "cmdFile", "选择文件(&F)...", 240);
    cmdImport = button(this, "cmdImport", "导入(&I)", 1860);
    cmdTemplate = button(this, "cmdTemplate", "导出模板(&T)", 3480);
    cmdClose = button(this, "cmdClose", "关闭(&C)", 8460);
    cmdImport->setEnabled(false);
    connect(cmdFile, &QPushButton::clicked, this, &FrmRsdr::chooseFile);
    connect(cmdImport, &QPushButton::clicked, this, &FrmRsdr::importRows);
    connect(cmdTemplate, &QPushButton::clicked, this, &FrmRsdr::exportTemplate);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void FrmRsdr::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("选择要导入的文件"), Shell::instance().programFolder(),
                       QStringLiteral("工作簿或 CSV 文件 (*.xlsx *.csv)"));
    dialog.setObjectName(QStringLiteral("ImportFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    if (ShowModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    loadFile(dialog.selectedFiles().first());
}

void FrmRsdr::loadFile(const QString &path)
{
    LabFile->setText(QStringLiteral("文件：") + QDir::toNativeSeparators(path));
    try {
        m_plan = ModRsdr::PlanImport(cnMain, ReadSheetFile(path), m_tableCode);
    } catch (const DbError &e) {
        m_plan = {};
        m_plan.error = e.numbered();
    }
    QStringList header{QStringLiteral("行号")};
    for (const ModRsdr::ImportColumn &c : m_plan.columns)
        header << c.field.colmName;
    header << QStringLiteral("检查结果");
    // Every cell as the file wrote it, as text: an employee number "001" is no number.
    auto cells = std::make_shared<TextCells>(false);
    cells->resize(int(m_plan.rows.size()) + 1, int(header.size()));
    for (int c = 0; c < header.size(); ++c)
        cells->setText(0, c, header.at(c));
    for (int r = 0; r < m_plan.rows.size(); ++r) {
        const ModRsdr::ImportRow &row = m_plan.rows.at(r);
        const QStringList line = QStringList{QString::number(row.line)} + row.values
                                 << (row.problems.isEmpty() ? QStringLiteral("正确") : row.problems.join(QStringLiteral("；")));
        for (int c = 0; c < line.size(); ++c)
            cells->setText(r + 1, c, line.at(c));
    }
    FlRows->setTable(cells);
    for (int c = 0; c + 1 < header.size(); ++c)
        FlRows->setColWidth(c, c == 0 ? 700 : 1500);
    FlRows->setColWidth(int(header.size()) - 1, 4800);

    QString summary;
    if (!m_plan.error.isEmpty()) {
        summary = QStringLiteral("不能导入：") + m_plan.error;
    } else {
        summary = QStringLiteral("共 %1 行，其中 %2 行有问题。").arg(m_plan.rows.size()).arg(m_plan.problemRows());
        if (!m_plan.missing.isEmpty())
            summary += QStringLiteral("文件中缺少必须填写的列：%1。").arg(m_plan.missing.join(QStringLiteral("、")));
        if (!m_plan.unmatched.isEmpty())
            summary += QStringLiteral("以下列不是人事资料的字段，不导入：%1。").arg(m_plan.unmatched.join(QStringLiteral("、")));
        if (m_plan.ok())
            summary += QStringLiteral("全部正确，可以导入。");
    }
    LabResult->setText(summary);
    cmdImport->setEnabled(m_plan.ok());
}

void FrmRsdr::importRows()
{
    if (!m_plan.ok())
        return;
    int rows = 0;
    try {
        rows = ModRsdr::RunImport(cnMain, m_plan);
    } catch (const DbError &e) {
        MsgBox(QStringLiteral("导入失败，没有导入任何员工。\n") + e.numbered(), Msg::vbCritical);
        return;
    }
    cmdImport->setEnabled(false);
    MsgBox(QStringLiteral("导入完成，共导入 %1 名员工。").arg(rows), Msg::vbInformation);
    emit imported(rows);
}

void FrmRsdr::exportTemplate()
{
    QFileDialog dialog(this, QStringLiteral("导出模板"),
                       Shell::instance().programFolder() + QStringLiteral("/人事资料导入模板.xlsx"),
                       QStringLiteral("工作簿 (*.xlsx)"));
    dialog.setObjectName(QStringLiteral("TemplateFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (ShowModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    if (QFileInfo::exists(path)
        && MsgBox(QStringLiteral("文件“%1”已存在，要替换它吗？").arg(path), Msg::vbYesNo | Msg::vbExclamation) != Msg::vbYes)
        return;
    QString error;
    try {
        error = ModRsdr::WriteTemplate(cnMain, path, m_tableCode);
    } catch (const DbError &e) {
        error = e.numbered();
    }
    if (error.isEmpty())
        MsgBox(QStringLiteral("模板已保存为") + QDir::toNativeSeparators(path), Msg::vbInformation);
    else
        MsgBox(QStringLiteral("导出模板失败：") + error, Msg::vbCritical);
}
