// ReportPreview: the non-modal preview window of a report, with print, PDF, zoom and page commands;
// ReportPageView, its pages drawn only when they come into view.
#pragma once

#include "platform/print/report_document.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QWidget>

#include <list>
#include <memory>

class QAction;
class QLabel;
class QToolBar;

// The pages of a report one below the other, each drawn when it first comes into view and kept
// for a while: a report of thousands of pages shows its first page at once.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    ReportPageView(const ReportDocument &doc, const ReportPager &pager, QWidget *parent = nullptr);

    int pageCount() const;
    int currentPage() const;  // 1-based: the page at the top of the view
    void setCurrentPage(int page);
    double zoom() const { return m_zoom; }  // pixels per twip
    void setZoom(double pixelsPerTwip);
    void zoomIn();
    void zoomOut();
    void fitToWidth();  // kept on resizing until the zoom is set otherwise
    void fitInView();   // a whole page in the view
    // Pages drawn since the view was made (a page drawn again after a zoom counts again).
    int pagesDrawn() const { return m_drawn; }
    // The picture of a page (1-based) at the current zoom.
    QImage pageImage(int page);

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum Fit { FitNone, FitWidth, FitPage };
    QSize pagePixels() const;
    int pitch() const;  // page height plus the gap between pages, in pixels
    void applyFit();
    void updateScrollBars();
    void notePage();

    const ReportDocument &m_doc;
    const ReportPager &m_pager;
    double m_zoom = 0.05;
    Fit m_fit = FitWidth;
    int m_lastPage = 0;
    int m_drawn = 0;
    std::list<std::pair<int, QImage>> m_cache;  // most recently used first
};

class ReportPreview : public QWidget {
    Q_OBJECT
public:
    // Keeps its own copy of the report, and of its rows when they could change; the window
    // deletes itself when closed.
    explicit ReportPreview(const ReportDocument &doc, QWidget *parent = nullptr);
    ~ReportPreview() override;

    const ReportDocument &document() const { return m_doc; }
    ReportPageView *previewWidget() const { return m_view; }
    // Toolbar actions by object name: actPrint, actSavePdf, actZoomIn, actZoomOut, actFitWidth,
    // actFirstPage, actPreviousPage, actNextPage, actLastPage, actClose.
    QAction *action(const QString &objectName) const;
    int currentPage() const;  // 1-based
    int pageCount() const;

    // The print dialog through DialogService, then printing every page; false when cancelled or failed.
    bool printReport();
    // Asks for a file name (a file dialog through DialogService, proposing a new name beside the
    // program) and writes the PDF there. Returns the path written, empty when cancelled or failed.
    QString savePdf();
    void goToPage(int page);

private:
    void updatePageLabel();

    ReportDocument m_doc;
    std::unique_ptr<ReportPager> m_pager;
    ReportPageView *m_view = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_pageLabel = nullptr;
};
