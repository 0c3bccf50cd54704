// ReportPreview: the non-modal preview window of a report, and the view that draws its pages on demand.
#include "platform/print/report_preview.h"
#include "platform/print/print_files.h"
#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int kGap = 12;        // pixels between pages and around them
constexpr int kCachedPages = 8;  // pictures of pages kept
constexpr double kMinZoom = 0.005, kMaxZoom = 0.5;
} // namespace

// ---- ReportPageView

ReportPageView::ReportPageView(const ReportDocument &doc, const ReportPager &pager, QWidget *parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_pager(pager)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

int ReportPageView::pageCount() const { return m_pager.pageCount(); }

QSize ReportPageView::pagePixels() const
{
    return QSize(std::max(1, int(std::lround(m_doc.paperWidth() * m_zoom))),
                 std::max(1, int(std::lround(m_doc.paperHeight() * m_zoom))));
}

int ReportPageView::pitch() const { return pagePixels().height() + kGap; }

int ReportPageView::currentPage() const
{
    // The page at the top of the view (from a quarter of it on), or the last page once the view
    // can go no further down.
    const QScrollBar *bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() >= bar->maximum())
        return std::max(1, pageCount());
    return std::clamp((bar->value() + pitch() / 4) / pitch() + 1, 1, std::max(1, pageCount()));
}

void ReportPageView::setCurrentPage(int page)
{
    page = std::clamp(page, 1, std::max(1, pageCount()));
    verticalScrollBar()->setValue((page - 1) * pitch());
    notePage();
}

void ReportPageView::setZoom(double pixelsPerTwip)
{
    m_fit = FitNone;
    const int page = currentPage();
    m_zoom = std::clamp(pixelsPerTwip, kMinZoom, kMaxZoom);
    m_cache.clear();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
}

void ReportPageView::zoomIn() { setZoom(m_zoom * 1.25); }

void ReportPageView::zoomOut() { setZoom(m_zoom / 1.25); }

void ReportPageView::fitToWidth()
{
    m_fit = FitWidth;
    applyFit();
}

void ReportPageView::fitInView()
{
    m_fit = FitPage;
    applyFit();
}

void ReportPageView::applyFit()
{
    const Fit fit = m_fit;
    const int page = currentPage();
    const double byWidth = double(viewport()->width() - 2 * kGap) / m_doc.paperWidth();
    const double byHeight = double(viewport()->height() - 2 * kGap) / m_doc.paperHeight();
    const double z = std::clamp(fit == FitPage ? std::min(byWidth, byHeight) : byWidth, kMinZoom, kMaxZoom);
    if (z != m_zoom) {
        m_zoom = z;
        m_cache.clear();
    }
    updateScrollBars();
    verticalScrollBar()->setValue((page - 1) * pitch());
    m_fit = fit;
    viewport()->update();
}

void ReportPageView::updateScrollBars()
{
    const QSize page = pagePixels();
    const qint64 height = qint64(pageCount()) * pitch() + kGap;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, int(std::min<qint64>(INT_MAX, std::max<qint64>(0, height - viewport()->height()))));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, page.width() + 2 * kGap - viewport()->width()));
}

QImage ReportPageView::pageImage(int page)
{
    const int index = page - 1;
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it)
        if (it->first == index) {
            m_cache.splice(m_cache.begin(), m_cache, it);
            return m_cache.front().second;
        }
    QImage image(pagePixels(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        p.scale(m_zoom, m_zoom);
        m_pager.paint(p, m_pager.page(index));
    }
    ++m_drawn;
    m_cache.emplace_front(index, image);
    if (m_cache.size() > kCachedPages)
        m_cache.pop_back();
    return image;
}

void ReportPageView::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    const QSize page = pagePixels();
    const int x = std::max(kGap, (viewport()->width() - page.width()) / 2) - horizontalScrollBar()->value();
    const int top = verticalScrollBar()->value();
    const QRect dirty = event->rect();
    const int first = std::max(0, (top + dirty.top() - kGap) / pitch());
    const int last = std::min(pageCount() - 1, (top + dirty.bottom()) / pitch());
    for (int i = first; i <= last; ++i) {
        const int y = kGap + i * pitch() - top;
        p.fillRect(QRect(QPoint(x + 3, y + 3), page), QColor(0, 0, 0, 60));  // a shadow
        p.drawImage(QPoint(x, y), pageImage(i + 1));
    }
}

void ReportPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fit != FitNone)
        applyFit();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int dx, int dy)
{
    QAbstractScrollArea::scrollContentsBy(dx, dy);
    notePage();
}

void ReportPageView::notePage()
{
    const int page = currentPage();
    if (page != m_lastPage) {
        m_lastPage = page;
        emit currentPageChanged(page);
    }
}

// ---- ReportPreview

ReportPreview::ReportPreview(const ReportDocument &doc, QWidget *parent) : QWidget(parent, Qt::Window), m_doc(doc)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_doc.caption().isEmpty() ? QStringLiteral("报表打印") : m_doc.caption());
    m_doc.detachData();  // the caller's recordset may close or change while this window is open
    m_pager = std::make_unique<ReportPager>(m_doc);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbPreview"));
    m_toolBar->setAccessibleName(QStringLiteral("预览工具栏"));
    m_view = new ReportPageView(m_doc, *m_pager, this);
    m_view->setObjectName(QStringLiteral("PreviewPages"));
    m_view->setAccessibleName(QStringLiteral("报表预览"));
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
    add("actZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn, [this] { m_view->zoomIn(); });
    add("actZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut, [this] { m_view->zoomOut(); });
    add("actFitWidth", QStringLiteral("适合宽度"), QKeySequence(), [this] { m_view->fitToWidth(); });
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
    layout->addWidget(m_view, 1);

    connect(m_view, &ReportPageView::currentPageChanged, this, &ReportPreview::updatePageLabel);
    resize(900, 700);
    m_view->fitToWidth();
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

int ReportPreview::currentPage() const { return m_view->currentPage(); }

int ReportPreview::pageCount() const { return m_view->pageCount(); }

void ReportPreview::goToPage(int page)
{
    if (pageCount() < 1)
        return;
    m_view->setCurrentPage(std::clamp(page, 1, pageCount()));
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
