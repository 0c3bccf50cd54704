// ReportPreview: the non-modal preview window of a report.
#include "platform/print/report_preview.h"
#include "platform/print/print_files.h"
#include "platform/print/program_printer.h"
#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

ReportPreview::ReportPreview(const ReportDocument &doc, QWidget *parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_doc.caption().isEmpty() ? QStringLiteral("报表打印") : m_doc.caption());
    m_doc.detachData();  // the caller's recordset may close or change while this window is open

    StartFromProgramPrinter(*m_printer);
    m_printer->setFullPage(true);
    m_printer->setPageLayout(m_doc.pageLayout());

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbPreview"));
    m_toolBar->setAccessibleName(QStringLiteral("预览工具栏"));
    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("PreviewPages"));
    m_preview->setAccessibleName(QStringLiteral("报表预览"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("labPage"));

    auto add = [this](const char *name, const QString &text, const QKeySequence &key, auto slot) {
        QAction *a = m_toolBar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("actPrint", QStringLiteral("打印"), QKeySequence::Print, [this] { printReport(); });
    add("actSavePdf", QStringLiteral("另存为PDF"), QKeySequence::Save, [this] { savePdf(); });
    m_toolBar->addSeparator();
    add("actZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn, [this] { m_preview->zoomIn(); });
    add("actZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut, [this] { m_preview->zoomOut(); });
    add("actFitWidth", QStringLiteral("适合宽度"), QKeySequence(), [this] { m_preview->fitToWidth(); });
    m_toolBar->addSeparator();
    add("actFirstPage", QStringLiteral("首页"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { goToPage(1); });
    add("actPreviousPage", QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp),
        [this] { goToPage(currentPage() - 1); });
    add("actNextPage", QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown),
        [this] { goToPage(currentPage() + 1); });
    add("actLastPage", QStringLiteral("末页"), QKeySequence(Qt::CTRL | Qt::Key_End), [this] { goToPage(pageCount()); });
    m_toolBar->addWidget(m_pageLabel);
    m_toolBar->addSeparator();
    add("actClose", QStringLiteral("关闭"), QKeySequence(Qt::Key_Escape), [this] { close(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_preview, 1);

    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) { m_doc.print(printer); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::updatePageLabel);
    resize(900, 700);
    m_preview->updatePreview();
    m_preview->fitToWidth();
    updatePageLabel();
}

ReportPreview::~ReportPreview() = default;

QAction *ReportPreview::action(const QString &objectName) const
{
    const QList<QAction *> actions = m_toolBar->actions();
    for (QAction *a : actions)
        if (a->objectName() == objectName)
            return a;
    return nullptr;
}

int ReportPreview::currentPage() const
{
    return m_preview->currentPage();
}

int ReportPreview::pageCount() const
{
    return m_preview->pageCount();
}

void ReportPreview::goToPage(int page)
{
    if (pageCount() < 1)
        return;
    m_preview->setCurrentPage(std::clamp(page, 1, pageCount()));
    updatePageLabel();
}

void ReportPreview::updatePageLabel()
{
    m_pageLabel->setText(QStringLiteral(" 第 %1 页 / 共 %2 页 ").arg(currentPage()).arg(pageCount()));
}

bool ReportPreview::printReport()
{
    return m_doc.printWithDialog(this);
}

QString ReportPreview::savePdf()
{
    const QString proposed =
        uniqueFileName(Shell::instance().programFolder(), QStringLiteral("report"), QStringLiteral(".pdf"));
    QFileDialog dialog(this, QStringLiteral("另存为PDF"), proposed, QStringLiteral("PDF 文件 (*.pdf)"));
    dialog.setObjectName(QStringLiteral("SavePdfDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // Our own question replaces the dialog's overwrite box, so that it goes through MessageService.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (ShowModal(&dialog) != QDialog::Accepted)
        return QString();
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return QString();
    if (QFileInfo::exists(path)
        && MsgBox(QStringLiteral("文件“%1”已存在，要替换它吗？").arg(path), Msg::vbYesNo | Msg::vbExclamation) != Msg::vbYes)
        return QString();
    const QString error = m_doc.exportPdf(path);
    if (!error.isEmpty()) {
        MsgBox(error, Msg::vbExclamation);
        return QString();
    }
    return path;
}

ReportPreview *ReportDocument::showPreview(QWidget *parent) const
{
    auto *preview = new ReportPreview(*this, parent);
    preview->show();
    preview->raise();
    preview->activateWindow();
    return preview;
}
