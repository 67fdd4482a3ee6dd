#include "report/report.h"

#include "report/datasource.h"
#include "report/exportfilter.h"
#include "report/logging.h"
#include "report/units.h"

#include <QTextDocumentFragment>

#include <algorithm>

Q_LOGGING_CATEGORY(lcReport, "merovia.report", QtCriticalMsg)

namespace report {

// Fills pages band by band. One object per preparation; the report reaches it while its
// events run (page number, print position, new column).
class Layouter {
public:
    explicit Layouter(Report& report)
        : r(report) {}

    PreparedDocument run();

    Report& r;
    PreparedDocument doc;
    PreparedPage page;
    int pageNumber = 0;
    double y = 0;           // print position, units from the top of the paper
    double bottomLimit = 0; // where the body of the page ends (above the footer's place)
    bool pageHasBody = false;
    bool newColumnRequested = false;

private:
    void startPage();
    void finishPage(bool last);
    bool printBand(Band* band, bool body);
    double bandHeight(Band* band) const;
    void place(Band* band, double top, double height);
    PlacedElement placeElement(Element* element, const QPointF& origin, const QString& band);
    double marginTop() const { return mmToUnits(r.topMargin()); }
    double marginBottom() const { return mmToUnits(r.bottomMargin()); }
};

namespace {

PlacedKind placedKind(ElementKind kind) {
    switch (kind) {
    case ElementKind::Label:
        return PlacedKind::Label;
    case ElementKind::DBText:
        return PlacedKind::DBText;
    case ElementKind::Memo:
        return PlacedKind::Memo;
    case ElementKind::RichText:
        return PlacedKind::RichText;
    case ElementKind::Picture:
        return PlacedKind::Picture;
    case ElementKind::Shape:
        return PlacedKind::Shape;
    case ElementKind::SysData:
        return PlacedKind::SysData;
    }
    return PlacedKind::Label;
}

// How much taller than its own height a growing element needs to be.
double growth(Element* element) {
    if (!element->isEnabled())
        return 0;
    if (auto* t = qobject_cast<TextElement*>(element)) {
        if (!t->autoStretch())
            return 0;
        const TextBlock block = layoutPlainText(t->displayText(), t->font(), t->color(), t->width(),
                                                t->alignment(), t->wordWrap());
        return std::max(0.0, block.height - t->height());
    }
    if (auto* rt = qobject_cast<RichText*>(element)) {
        if (!rt->autoStretch() || rt->isEmpty())
            return 0;
        const TextBlock block = layoutRichText(rt->html(), rt->font(), rt->width());
        return std::max(0.0, block.height - rt->height());
    }
    return 0;
}

void translate(std::vector<TextRun>& runs, const QPointF& by) {
    for (TextRun& run : runs)
        run.origin += by;
}

} // namespace

PreparedDocument Layouter::run() {
    doc.title = r.title().isEmpty() ? r.objectName() : r.title();
    doc.orientation = r.orientation();
    doc.paperSize = r.paperSize();
    doc.pageSizeMm = r.pageSizeMm();
    doc.copies = r.copies();

    bool print = true;
    if (r.onBeforePrint)
        r.onBeforePrint(r, print);
    if (!print)
        return doc;

    DataSource* source = r.dataSource();
    bool hasRecords = false;
    if (source) {
        source->first();
        hasRecords = !source->eof();
    }
    if (!hasRecords && !r.printIfEmpty())
        return doc;

    startPage();
    if (hasRecords) {
        Band* detail = r.band(BandKind::Detail);
        QList<Band*> subDetails;
        for (Band* b : r.bands())
            if (b->kind() == BandKind::SubDetail)
                subDetails << b;
        // The events may have moved the source while looking at the records.
        source->first();
        while (!source->eof()) {
            printBand(detail, true);
            for (Band* sub : subDetails)
                printBand(sub, true);
            source->next();
        }
    }
    printBand(r.band(BandKind::Summary), true);
    finishPage(true);
    return doc;
}

void Layouter::startPage() {
    ++pageNumber;
    page = PreparedPage();
    page.number = pageNumber;
    page.size = r.pageSizeUnits();
    y = marginTop();
    pageHasBody = false;
    Band* footer = r.band(BandKind::PageFooter);
    const double reserve = footer && footer->isEnabled() ? footer->height() : 0;
    bottomLimit = page.size.height() - marginBottom() - reserve;
    if (pageNumber > 1 || r.pageHeaderOnFirstPage())
        printBand(r.band(BandKind::PageHeader), false);
    if (pageNumber == 1)
        printBand(r.band(BandKind::Title), false);
    printBand(r.band(BandKind::ColumnHeader), false);
}

void Layouter::finishPage(bool last) {
    Band* footer = r.band(BandKind::PageFooter);
    if (footer && footer->isEnabled() && (!last || r.pageFooterOnLastPage())) {
        bool print = true;
        if (footer->onBeforePrint)
            footer->onBeforePrint(*footer, print);
        bool printed = false;
        if (print && footer->isEnabled()) {
            // A footer never reaches above the top margin, however tall it has grown.
            const double room = page.size.height() - marginTop() - marginBottom();
            const double h = std::min(bandHeight(footer), std::max(0.0, room));
            place(footer, page.size.height() - marginBottom() - h, h);
            printed = true;
        }
        if (footer->onAfterPrint)
            footer->onAfterPrint(*footer, printed);
    }
    if (Band* overlay = r.m_overlay)
        for (Element* e : overlay->elements())
            page.elements.push_back(placeElement(e, QPointF(0, 0), overlay->objectName()));
    doc.pages.push_back(std::move(page));
    page = PreparedPage();
}

bool Layouter::printBand(Band* band, bool body) {
    if (!band || !band->isEnabled())
        return false;
    bool print = true;
    newColumnRequested = false;
    if (band->onBeforePrint)
        band->onBeforePrint(*band, print);
    if (newColumnRequested) {
        newColumnRequested = false;
        // A page that holds no record yet is already a fresh column.
        if (body && pageHasBody) {
            finishPage(false);
            startPage();
        }
    }
    bool printed = false;
    if (print && band->isEnabled()) {
        const double h = bandHeight(band);
        if (body && pageHasBody && y + h > bottomLimit + 1e-6) {
            finishPage(false);
            startPage();
        }
        place(band, y, h);
        y += h;
        if (body)
            pageHasBody = true;
        printed = true;
    }
    if (band->onAfterPrint)
        band->onAfterPrint(*band, printed);
    return printed;
}

double Layouter::bandHeight(Band* band) const {
    double extra = 0;
    for (Element* e : band->elements())
        extra = std::max(extra, growth(e));
    return band->height() + extra;
}

void Layouter::place(Band* band, double top, double height) {
    PlacedElement b;
    b.name = band->objectName();
    b.kind = PlacedKind::Band;
    b.band = band->objectName();
    b.rect = QRectF(band->left(), top, band->width(), height);
    b.background = band->color();
    page.elements.push_back(b);
    const QPointF origin(band->left(), top);
    for (Element* e : band->elements())
        page.elements.push_back(placeElement(e, origin, band->objectName()));
}

PlacedElement Layouter::placeElement(Element* e, const QPointF& origin, const QString& band) {
    PlacedElement p;
    p.name = e->objectName();
    p.kind = placedKind(e->kind());
    p.band = band;
    p.rect = e->rect().translated(origin);
    p.visible = e->isEnabled();
    p.background = e->backgroundColor();
    if (auto* t = qobject_cast<TextElement*>(e)) {
        p.text = t->displayText();
        p.font = t->font();
        p.color = t->color();
        p.alignment = t->alignment();
        const bool fit = t->autoSize() && !t->wordWrap();
        TextBlock block = layoutPlainText(p.text, p.font, p.color, fit ? 0 : p.rect.width(),
                                          p.alignment, t->wordWrap());
        if (fit) {
            // Texts that change while printing (fields, page numbers) are fitted here.
            const double w = block.width;
            if (p.alignment & Qt::AlignRight)
                p.rect.setLeft(p.rect.right() - w);
            else if (p.alignment & Qt::AlignHCenter)
                p.rect.setLeft(p.rect.center().x() - w / 2);
            p.rect.setWidth(w);
        }
        if (t->autoStretch())
            p.rect.setHeight(std::max(p.rect.height(), block.height));
        p.clip = block.width > p.rect.width() + 0.5 || block.height > p.rect.height() + 0.5;
        translate(block.runs, p.rect.topLeft());
        p.runs = std::move(block.runs);
    } else if (auto* rt = qobject_cast<RichText*>(e)) {
        p.font = rt->font();
        p.richText = rt->html();
        if (!rt->isEmpty()) {
            p.text = QTextDocumentFragment::fromHtml(rt->html()).toPlainText();
            TextBlock block = layoutRichText(rt->html(), rt->font(), p.rect.width());
            if (rt->autoStretch())
                p.rect.setHeight(std::max(p.rect.height(), block.height));
            p.clip = block.height > p.rect.height() + 0.5;
            translate(block.runs, p.rect.topLeft());
            p.runs = std::move(block.runs);
        }
    } else if (auto* pic = qobject_cast<Picture*>(e)) {
        if (!pic->image().isNull()) {
            if (pic->stretch()) {
                p.picture = pic->image();
            } else {
                // At its own size (a pixel to the unit), cut at the element's edges.
                const QSize room(static_cast<int>(p.rect.width()),
                                 static_cast<int>(p.rect.height()));
                p.picture = pic->image().copy(QRect(QPoint(0, 0), room));
                p.rect.setSize(p.picture.size());
            }
        }
    } else if (auto* s = qobject_cast<Shape*>(e)) {
        p.penWidth = s->penWidth();
        p.penColor = s->penColor();
    }
    return p;
}

// ---- Report ----------------------------------------------------------------------------------

Report::Report(QObject* parent, const QString& name)
    : QObject(parent) {
    setObjectName(name);
}

Report::~Report() = default;

QSizeF Report::pageSizeMm() const {
    const QSizeF portrait =
        m_paperSize == PaperSize::A4 ? QSizeF(210.0, 297.0) : QSizeF(215.9, 279.4);
    return m_orientation == Orientation::Portrait ? portrait : portrait.transposed();
}

QSizeF Report::pageSizeUnits() const {
    const QSizeF mm = pageSizeMm();
    return QSizeF(mmToUnits(mm.width()), mmToUnits(mm.height()));
}

double Report::bandWidth() const {
    return std::max(0.0, pageSizeUnits().width() - mmToUnits(m_leftMargin + m_rightMargin));
}

Band* Report::addBand(BandKind kind, const QString& name, double height) {
    auto* b = new Band(this, kind, name);
    b->setHeight(height);
    return b;
}

Band* Report::band(BandKind kind) const {
    for (Band* b : bands())
        if (b->kind() == kind)
            return b;
    return nullptr;
}

QList<Band*> Report::bands() const {
    QList<Band*> out;
    for (QObject* child : children())
        if (auto* b = qobject_cast<Band*>(child))
            out << b;
    return out;
}

Band* Report::overlay() {
    if (!m_overlay)
        m_overlay = addBand(BandKind::Overlay, QStringLiteral("PageOverlay"));
    return m_overlay;
}

Element* Report::element(const QString& name) const {
    for (Band* b : bands())
        for (Element* e : b->elements())
            if (e->objectName() == name)
                return e;
    return nullptr;
}

Band* Report::bandNamed(const QString& name) const {
    for (Band* b : bands())
        if (b->objectName() == name)
            return b;
    return nullptr;
}

void Report::notifyPrinted() {
    if (onAfterPrint)
        onAfterPrint(*this);
}

PreparedDocument Report::prepare() {
    if (m_layouter) {
        qCWarning(lcReport) << "prepare() called from inside a preparation of" << objectName();
        return m_prepared;
    }
    Layouter layouter(*this);
    m_layouter = &layouter;
    struct Reset {
        Report* r;
        ~Reset() { r->m_layouter = nullptr; }
    } reset{this};
    m_prepared = layouter.run();
    return m_prepared;
}

bool Report::exportToFilter(ExportFilter& filter) {
    if (m_layouter) {
        qCWarning(lcReport) << "exportToFilter() called from inside a preparation of"
                            << objectName();
        return false;
    }
    if (!filter.start())
        return false;
    const PreparedDocument document = prepare();
    for (const PreparedPage& page : document.pages)
        filter.exportPage(document, page);
    return filter.finish(document);
}

int Report::pageNumber() const {
    return m_layouter ? m_layouter->pageNumber : 0;
}

double Report::currentY() const {
    return m_layouter ? unitsToMm(m_layouter->y) : unitsToMm(mmToUnits(m_topMargin));
}

void Report::newColumn() {
    if (m_layouter)
        m_layouter->newColumnRequested = true;
}

} // namespace report
