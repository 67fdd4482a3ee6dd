#include "report/preview.h"

#include "report/painter.h"
#include "report/report.h"
#include "report/units.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace report {

namespace {

QPageLayout pageLayoutOf(const PreparedDocument& document) {
    const QPageSize size(document.paperSize == PaperSize::A4 ? QPageSize::A4 : QPageSize::Letter);
    return QPageLayout(size,
                       document.orientation == Orientation::Portrait ? QPageLayout::Portrait
                                                                     : QPageLayout::Landscape,
                       QMarginsF(0, 0, 0, 0));
}

} // namespace

bool printPages(const PreparedDocument& document, QPrinter& printer) {
    if (document.pages.empty())
        return true;
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutOf(document));
    const int copies = std::max(1, printer.copyCount());
    // Where the printer makes the copies itself, each page is sent once.
    const int rounds = printer.supportsMultipleCopies() ? 1 : copies;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double scale = paper.width() / document.pages.front().size.width();
    bool first = true;
    for (int round = 0; round < rounds; ++round) {
        for (const PreparedPage& page : document.pages) {
            if (!first && !printer.newPage()) {
                painter.end();
                return false;
            }
            first = false;
            QtPagePainter pagePainter(painter, scale);
            pagePainter.setPaintBackground(false);
            renderPage(page, pagePainter);
        }
    }
    return painter.end();
}

bool printPrepared(Report& report, const PreparedDocument& document, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(pageLayoutOf(document));
    printer.setCopyCount(document.copies);
    printer.setDocName(document.title);
    if (!ui::choosePrinter(printer, parent))
        return false;
    if (!printPages(document, printer)) {
        ui::ShowError(QStringLiteral("The document could not be printed."));
        return false;
    }
    report.notifyPrinted();
    return true;
}

bool printReport(Report& report, QWidget* parent) {
    const PreparedDocument document = report.prepare();
    return printPrepared(report, document, parent);
}

// ---- PageView ----------------------------------------------------------------------------

PageView::PageView(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("PageView"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

double PageView::scale() const {
    // 100 % shows the paper at its real size on this screen.
    return m_zoom * logicalDpiX() / kUnitsPerInch;
}

void PageView::setPage(const PreparedPage* page, double zoom) {
    m_page = page;
    m_zoom = zoom;
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize PageView::sizeHint() const {
    if (!m_page)
        return QSize(200, 200);
    return QSize(qCeil(m_page->size.width() * scale()) + 20,
                 qCeil(m_page->size.height() * scale()) + 20);
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_page)
        return;
    const QPointF corner(10, 10);
    painter.fillRect(QRectF(corner + QPointF(3, 3), m_page->size * scale()), Qt::darkGray);
    QtPagePainter pagePainter(painter, scale(), corner);
    renderPage(*m_page, pagePainter);
}

// ---- PreviewWindow -----------------------------------------------------------------------

PreviewWindow::PreviewWindow(QWidget* owner, Report& report, PreparedDocument document)
    : ui::Form(owner, QStringLiteral("ReportPreview"), QStringLiteral("Print preview"))
    , m_report(report)
    , m_document(std::move(document)) {
    if (!m_document.title.isEmpty())
        setWindowTitle(QStringLiteral("Print preview - %1").arg(m_document.title));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(body());
    bar->setObjectName(QStringLiteral("tbPreview"));
    auto add = [&](const char* name, const QString& caption, auto slot) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("btnFirst", QStringLiteral("First"), &PreviewWindow::btnFirstClick);
    add("btnPrior", QStringLiteral("Previous"), &PreviewWindow::btnPriorClick);
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("lbPageOf"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    add("btnNext", QStringLiteral("Next"), &PreviewWindow::btnNextClick);
    add("btnLast", QStringLiteral("Last"), &PreviewWindow::btnLastClick);
    bar->addSeparator();
    add("btnZoomOut", QStringLiteral("Zoom out"), &PreviewWindow::btnZoomOutClick);
    add("btnZoomIn", QStringLiteral("Zoom in"), &PreviewWindow::btnZoomInClick);
    add("btnWholePage", QStringLiteral("Whole page"), &PreviewWindow::btnWholePageClick);
    add("btnPageWidth", QStringLiteral("Page width"), &PreviewWindow::btnPageWidthClick);
    bar->addSeparator();
    add("btnPrint", QStringLiteral("Print"), &PreviewWindow::btnPrintClick);
    QAction* close = bar->addAction(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("btnClose"));
    connect(close, &QAction::triggered, this, &QWidget::close);
    layout->addWidget(bar);

    m_scroll = new QScrollArea(body());
    m_scroll->setObjectName(QStringLiteral("saPages"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView;
    m_scroll->setWidget(m_view);
    layout->addWidget(m_scroll, 1);

    resize(900, 1000);
    if (report.previewMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);
    showPage(m_document.pageCount() > 0 ? 1 : 0);
}

void PreviewWindow::showPage(int number) {
    const int count = m_document.pageCount();
    if (count == 0)
        m_page = 0;
    else
        m_page = std::clamp(number, 1, count);
    m_view->setPage(m_page > 0 ? &m_document.pages[static_cast<size_t>(m_page - 1)] : nullptr,
                    m_zoom);
    updateControls();
}

void PreviewWindow::setZoom(double zoom) {
    m_zoom = std::clamp(zoom, 0.1, 8.0);
    showPage(m_page);
}

void PreviewWindow::btnWholePageClick() {
    if (m_document.pages.empty())
        return;
    const QSizeF page = m_document.pages.front().size * (logicalDpiX() / kUnitsPerInch);
    const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
    setZoom(std::min(room.width() / page.width(), room.height() / page.height()));
}

void PreviewWindow::btnPageWidthClick() {
    if (m_document.pages.empty())
        return;
    const double width = m_document.pages.front().size.width() * (logicalDpiX() / kUnitsPerInch);
    setZoom((m_scroll->viewport()->width() - 24) / width);
}

void PreviewWindow::btnPrintClick() {
    if (printPrepared(m_report, m_document, this))
        m_printed = true;
}

void PreviewWindow::updateControls() {
    const int count = m_document.pageCount();
    m_pageLabel->setText(
        QStringLiteral("Page %1 of %2  %3 %").arg(m_page).arg(count).arg(qRound(m_zoom * 100)));
    auto enable = [&](const char* name, bool on) {
        if (auto* a = findChild<QAction*>(QLatin1String(name)))
            a->setEnabled(on);
    };
    enable("btnFirst", m_page > 1);
    enable("btnPrior", m_page > 1);
    enable("btnNext", m_page < count);
    enable("btnLast", m_page < count);
    enable("btnPrint", count > 0);
}

void previewReport(Report& report, QWidget* owner) {
    PreparedDocument document = report.prepare();
    ui::showModal(std::make_unique<PreviewWindow>(owner, report, std::move(document)));
}

} // namespace report
