#include "report/preview.h"

#include "pdf/pdfengine.h"
#include "report/painter.h"
#include "report/pdfexport.h"
#include "report/report.h"
#include "report/units.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
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

// The desktop theme's icon for a command, where it has one.
const char* themeIcon(const char* command) {
    static const std::pair<const char*, const char*> icons[] = {
        {"btnFirst", "go-first"},       {"btnPrior", "go-previous"},
        {"btnNext", "go-next"},         {"btnLast", "go-last"},
        {"btnPrint", "document-print"}, {"btnSavePdf", "document-save-as"},
        {"btnClose", "window-close"}};
    for (const auto& [name, icon] : icons)
        if (qstrcmp(name, command) == 0)
            return icon;
    return "";
}

// The zoom choices of the preview; 0 stands for "Whole page", -1 for "Page width".
const double kZoomChoices[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0, 0, -1};

} // namespace

std::vector<int> printOrder(int pages, int copies, bool collate, bool twoSided) {
    std::vector<int> order;
    if (!collate) {
        for (int p = 0; p < pages; ++p)
            for (int c = 0; c < copies; ++c)
                order.push_back(p);
        return order;
    }
    for (int c = 0; c < copies; ++c) {
        // On two-sided paper the next copy starts on a sheet of its own.
        if (c > 0 && twoSided && pages % 2 == 1)
            order.push_back(-1);
        for (int p = 0; p < pages; ++p)
            order.push_back(p);
    }
    return order;
}

bool printPages(const PreparedDocument& document, QPrinter& printer) {
    if (document.pages.empty())
        return true;
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutOf(document));
    const int copies = std::max(1, printer.copyCount());
    const bool collate = printer.collateCopies();
    const bool twoSided = printer.duplex() != QPrinter::DuplexNone;
    // The copies are made here: a driver may take a copy count and still print one copy (a
    // PostScript printer whose program ignores it), but never leaves out a page it was sent.
    printer.setCopyCount(1);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double scale = paper.width() / document.pages.front().size.width();
    bool first = true;
    for (int index : printOrder(document.pageCount(), copies, collate, twoSided)) {
        if (!first && !printer.newPage()) {
            painter.end();
            return false;
        }
        first = false;
        if (index < 0)
            continue;
        QtPagePainter pagePainter(painter, scale);
        pagePainter.setPaintBackground(false);
        renderPage(document.pages[size_t(index)], pagePainter);
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
        const QString where = printer.outputFileName().isEmpty()
                                  ? printer.printerName()
                                  : QDir::toNativeSeparators(printer.outputFileName());
        ui::ShowError(QStringLiteral("The document could not be printed on \"%1\".").arg(where));
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

void PageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0)
            emit zoomWheel(steps);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

// ---- PreviewWindow -----------------------------------------------------------------------

PreviewWindow::PreviewWindow(QWidget* owner, Report& report, PreparedDocument document,
                             PreviewOptions options)
    : ui::Form(owner, QStringLiteral("ReportPreview"), QStringLiteral("Print preview"))
    , m_report(report)
    , m_document(std::move(document))
    , m_options(std::move(options)) {
    if (!m_document.title.isEmpty())
        setWindowTitle(QStringLiteral("Print preview - %1").arg(m_document.title));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(body());
    bar->setObjectName(QStringLiteral("tbPreview"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto add = [&](const char* name, const QString& caption, QStyle::StandardPixmap icon,
                   const QKeySequence& key, const QString& tip, auto slot) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (icon != QStyle::SP_CustomBase)
            a->setIcon(
                QIcon::fromTheme(QLatin1String(themeIcon(name)), style()->standardIcon(icon)));
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setToolTip(key.isEmpty() ? tip
                                    : QStringLiteral("%1 (%2)").arg(
                                          tip, key.toString(QKeySequence::NativeText)));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    // Navigation and zoom show their icons only, so that the bar fits a small screen.
    auto iconOnly = [&](QAction* a) {
        if (auto* button = bar->widgetForAction(a))
            if (auto* tool = qobject_cast<QToolButton*>(button))
                tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
    };
    iconOnly(add("btnFirst", QStringLiteral("First"), QStyle::SP_MediaSkipBackward, QKeySequence(),
                 QStringLiteral("First page"), &PreviewWindow::btnFirstClick));
    iconOnly(add("btnPrior", QStringLiteral("Previous"), QStyle::SP_MediaSeekBackward,
                 QKeySequence(), QStringLiteral("Previous page (Page Up)"),
                 &PreviewWindow::btnPriorClick));
    auto* pageText = new QLabel(QStringLiteral(" Page "), bar);
    bar->addWidget(pageText);
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("sePage"));
    m_pageBox->setAccelerated(true);
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setToolTip(QStringLiteral("Page shown"));
    bar->addWidget(m_pageBox);
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(QStringLiteral("lbPageOf"));
    m_pageLabel->setContentsMargins(4, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    iconOnly(add("btnNext", QStringLiteral("Next"), QStyle::SP_MediaSeekForward, QKeySequence(),
                 QStringLiteral("Next page (Page Down)"), &PreviewWindow::btnNextClick));
    iconOnly(add("btnLast", QStringLiteral("Last"), QStyle::SP_MediaSkipForward, QKeySequence(),
                 QStringLiteral("Last page"), &PreviewWindow::btnLastClick));
    bar->addSeparator();
    QAction* zoomOut =
        add("btnZoomOut", QStringLiteral("Zoom out"), QStyle::SP_CustomBase, QKeySequence::ZoomOut,
            QStringLiteral("Zoom out"), &PreviewWindow::btnZoomOutClick);
    zoomOut->setIconText(QString(QChar(0x2212)));
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("cbZoom"));
    m_zoomBox->setToolTip(QStringLiteral("Zoom"));
    for (double z : kZoomChoices) {
        if (z > 0)
            m_zoomBox->addItem(QStringLiteral("%1 %").arg(qRound(z * 100)), z);
        else
            m_zoomBox->addItem(z == 0 ? QStringLiteral("Whole page") : QStringLiteral("Page width"),
                               z);
    }
    m_zoomBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(m_zoomBox);
    QAction* zoomIn =
        add("btnZoomIn", QStringLiteral("Zoom in"), QStyle::SP_CustomBase, QKeySequence::ZoomIn,
            QStringLiteral("Zoom in"), &PreviewWindow::btnZoomInClick);
    zoomIn->setIconText(QStringLiteral("+"));
    add("btnWholePage", QStringLiteral("Whole page"), QStyle::SP_CustomBase, QKeySequence(),
        QStringLiteral("Show the whole page"), &PreviewWindow::btnWholePageClick);
    add("btnPageWidth", QStringLiteral("Page width"), QStyle::SP_CustomBase, QKeySequence(),
        QStringLiteral("Fit the page's width to the window"), &PreviewWindow::btnPageWidthClick);
    bar->addSeparator();
    add("btnPrint", QStringLiteral("Print"), QStyle::SP_DialogOkButton, QKeySequence::Print,
        QStringLiteral("Print on a printer"), &PreviewWindow::btnPrintClick);
    add("btnSavePdf", QStringLiteral("Save as PDF"), QStyle::SP_DialogSaveButton,
        QKeySequence::Save, QStringLiteral("Save the document as a PDF file"),
        &PreviewWindow::btnSavePdfClick);
    bar->addSeparator();
    QAction* close =
        add("btnClose", QStringLiteral("Close"), QStyle::SP_DialogCloseButton, QKeySequence(),
            QStringLiteral("Close the preview (Esc)"), &QWidget::close);
    Q_UNUSED(close);
    layout->addWidget(bar);

    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != m_page)
            showPage(page);
    });
    connect(m_zoomBox, &QComboBox::activated, this, &PreviewWindow::zoomChosen);

    m_scroll = new QScrollArea(body());
    m_scroll->setObjectName(QStringLiteral("saPages"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView;
    m_scroll->setWidget(m_view);
    connect(m_view, &PageView::zoomWheel, this,
            [this](int steps) { setZoom(m_zoom * std::pow(1.25, steps)); });
    layout->addWidget(m_scroll, 1);

    // Maximised on the screen its owner is on (the screen of the pointer without an owner).
    QScreen* screen = owner && owner->screen() ? owner->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen) {
        setScreen(screen);
        setGeometry(screen->availableGeometry());
    } else {
        resize(900, 1000);
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    showPage(m_document.pageCount() > 0 ? 1 : 0);
}

void PreviewWindow::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    if (m_fitted || m_document.pages.empty())
        return;
    m_fitted = true;
    // The page's width fills the window, unless that would make the page larger than life.
    const double width = (m_scroll->viewport()->width() - 24) / pageOnScreen().width();
    setZoom(std::clamp(width, 0.25, 1.0));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        btnNextClick();
        return;
    case Qt::Key_PageUp:
        btnPriorClick();
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier || !m_scroll->hasFocus()) {
            btnFirstClick();
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier || !m_scroll->hasFocus()) {
            btnLastClick();
            return;
        }
        break;
    default:
        break;
    }
    ui::Form::keyPressEvent(event);
}

void PreviewWindow::showPage(int number) {
    const int count = m_document.pageCount();
    const int before = m_page;
    if (count == 0)
        m_page = 0;
    else
        m_page = std::clamp(number, 1, count);
    m_view->setPage(m_page > 0 ? &m_document.pages[static_cast<size_t>(m_page - 1)] : nullptr,
                    m_zoom);
    // A new page is shown from its top.
    if (m_page != before)
        m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

QSizeF PreviewWindow::pageOnScreen() const {
    if (m_document.pages.empty())
        return QSizeF(1, 1);
    return m_document.pages.front().size * (logicalDpiX() / kUnitsPerInch);
}

void PreviewWindow::setZoom(double zoom) {
    m_zoom = std::clamp(zoom, 0.1, 8.0);
    showPage(m_page);
}

void PreviewWindow::btnZoomInClick() {
    setZoom(m_zoom * 1.25);
}

void PreviewWindow::btnZoomOutClick() {
    setZoom(m_zoom / 1.25);
}

void PreviewWindow::zoomChosen(int index) {
    const double z = m_zoomBox->itemData(index).toDouble();
    if (z > 0)
        setZoom(z);
    else if (z == 0)
        btnWholePageClick();
    else
        btnPageWidthClick();
}

void PreviewWindow::btnWholePageClick() {
    if (m_document.pages.empty())
        return;
    const QSizeF page = pageOnScreen();
    const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
    setZoom(std::min(room.width() / page.width(), room.height() / page.height()));
}

void PreviewWindow::btnPageWidthClick() {
    if (m_document.pages.empty())
        return;
    setZoom((m_scroll->viewport()->width() - 24) / pageOnScreen().width());
}

void PreviewWindow::btnPrintClick() {
    if (printPrepared(m_report, m_document, this))
        m_printed = true;
}

void PreviewWindow::btnSavePdfClick() {
    if (m_document.pages.empty())
        return;
    QString proposed = m_options.pdfFileName;
    if (proposed.isEmpty())
        proposed = (m_document.title.isEmpty() ? QStringLiteral("Report") : m_document.title) +
                   QStringLiteral(".pdf");
    const QFileInfo info(proposed);
    const QString directory = info.isAbsolute() ? info.absolutePath() : QString();
    const QString file =
        ui::getSaveFileName(this, QStringLiteral("Save as PDF"), directory, info.fileName(),
                            QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));
    if (file.isEmpty())
        return;
    TgtPDFEngine engine;
    if (m_options.setupPdfEngine)
        m_options.setupPdfEngine(engine);
    engine.Preferences.OpenAfterCreate = false;
    QString error;
    if (!writePdf(m_document, engine, file, &error)) {
        ui::ShowError(error);
        return;
    }
    const QString written = pdfFileNameFor(file);
    m_savedPdf << written;
    if (m_options.pdfSaved)
        m_options.pdfSaved(written);
}

void PreviewWindow::updateControls() {
    const int count = m_document.pageCount();
    m_pageLabel->setText(QStringLiteral("of %1").arg(count));
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setRange(count > 0 ? 1 : 0, count);
        m_pageBox->setValue(m_page);
        m_pageBox->setEnabled(count > 1);
    }
    {
        // The zoom as it is now, also when it was reached by a fit or by steps: a zoom that
        // is none of the choices stands in an entry of its own at the top.
        const QSignalBlocker block(m_zoomBox);
        const int percent = qRound(m_zoom * 100);
        int index = -1;
        for (int i = m_freeZoomItem ? 1 : 0; i < m_zoomBox->count(); ++i) {
            const double z = m_zoomBox->itemData(i).toDouble();
            if (z > 0 && qRound(z * 100) == percent)
                index = i;
        }
        if (index < 0) {
            if (!m_freeZoomItem)
                m_zoomBox->insertItem(0, QString());
            m_freeZoomItem = true;
            m_zoomBox->setItemText(0, QStringLiteral("%1 %").arg(percent));
            m_zoomBox->setItemData(0, m_zoom);
            index = 0;
        } else if (m_freeZoomItem) {
            m_zoomBox->removeItem(0);
            m_freeZoomItem = false;
            --index;
        }
        m_zoomBox->setCurrentIndex(index);
    }
    auto enable = [&](const char* name, bool on) {
        if (auto* a = findChild<QAction*>(QLatin1String(name)))
            a->setEnabled(on);
    };
    enable("btnFirst", m_page > 1);
    enable("btnPrior", m_page > 1);
    enable("btnNext", m_page < count);
    enable("btnLast", m_page < count);
    enable("btnPrint", count > 0);
    enable("btnSavePdf", count > 0);
}

void previewReport(Report& report, QWidget* owner, PreviewOptions options) {
    PreparedDocument document = report.prepare();
    ui::showModal(
        std::make_unique<PreviewWindow>(owner, report, std::move(document), std::move(options)));
}

} // namespace report
