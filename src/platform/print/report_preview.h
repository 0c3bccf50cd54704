// ReportPreview: the non-modal preview window of a report, with print, PDF, zoom and page commands.
#pragma once

#include "platform/print/report_document.h"

#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QToolBar;

class ReportPreview : public QWidget {
    Q_OBJECT
public:
    // Keeps its own copy of the report and of its rows; the window deletes itself when closed.
    explicit ReportPreview(const ReportDocument &doc, QWidget *parent = nullptr);
    ~ReportPreview() override;

    const ReportDocument &document() const { return m_doc; }
    QPrintPreviewWidget *previewWidget() const { return m_preview; }
    // Toolbar actions by object name: actPrint, actSavePdf, actZoomIn, actZoomOut, actFitWidth,
    // actFirstPage, actPreviousPage, actNextPage, actLastPage, actClose.
    QAction *action(const QString &objectName) const;
    int currentPage() const;  // 1-based
    int pageCount() const;

    // The print dialog through DialogService, then printing; false when cancelled or failed.
    bool printReport();
    // Asks for a file name (a file dialog through DialogService, proposing a new name beside the
    // program) and writes the PDF there. Returns the path written, empty when cancelled or failed.
    QString savePdf();
    void goToPage(int page);

private:
    void updatePageLabel();

    ReportDocument m_doc;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_preview = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_pageLabel = nullptr;
};
