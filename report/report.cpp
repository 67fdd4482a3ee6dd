#include "report/report.h"

#include "report/datasource.h"
#include "report/exportfilter.h"
#include "report/logging.h"
#include "report/units.h"

#include <QTextDocumentFragment>

#include <algorithm>

Q_LOGGING_CATEGORY(lcReport, "merovia.report", QtCriticalMsg)

namespace report {

// One element of a band as the layouter sees it while placing the band for one record: its
// text, whether it prints anything, the room it may take (band coordinates) and, once laid
// out, its text block.
struct ElementPass {
    Element* element = nullptr;
    QString text;
    bool present = false;
    double leftLimit = 0;
    double rightLimit = 0;
    double bottomLimit = 0;
    double bandRight = 0;
    bool laid = false;
    TextBlock block;
    QRectF rect;
    FontSpec font;
};
using BandPass = std::vector<ElementPass>;

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
    // Where finished pages go instead of into the document, when set.
    std::function<void(const PreparedPage&)> sink;

    // The most a body band may take on a page of its own.
    double bodyRoom(const Band* band) const;

private:
    void startPage();
    void finishPage(bool last);
    bool printBand(Band* band, bool body);
    void place(Band* band, double top, double height, BandPass& pass);
    double marginTop() const { return mmToUnits(r.topMargin()); }
    double marginBottom() const { return mmToUnits(r.bottomMargin()); }
    double bodyTop = 0; // where the body of the page begins, below its headers
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
    case ElementKind::Matrix:
        return PlacedKind::Matrix;
    }
    return PlacedKind::Label;
}

constexpr double kNoLimit = 1e12;
// Space kept between a text and the element it would otherwise run into.
constexpr double kGap = 3;

double alignedX(double lineWidth, double boxWidth, Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight)
        return boxWidth - lineWidth;
    if (alignment & Qt::AlignHCenter)
        return (boxWidth - lineWidth) / 2;
    return 0;
}

void translate(std::vector<TextRun>& runs, const QPointF& by) {
    for (TextRun& run : runs)
        run.origin += by;
}

bool growingBand(const Band* band) {
    switch (band->kind()) {
    case BandKind::Detail:
    case BandKind::SubDetail:
    case BandKind::Summary:
        return true;
    default:
        return false;
    }
}

double overlap(double a1, double a2, double b1, double b2) {
    return std::min(a2, b2) - std::max(a1, b1);
}

// The elements of a band with their texts for the current record and the room each may take:
// to the band's right edge (the right margin) and, for a text that sizes itself, to the next
// element that prints beside it; down to the next element below it and, in a band that does
// not grow, to the band's bottom.
BandPass passOf(const Band* band, double width) {
    BandPass pass;
    const QList<Element*> elements = band->elements();
    pass.reserve(size_t(elements.size()));
    for (Element* e : elements) {
        ElementPass ep;
        ep.element = e;
        if (auto* t = qobject_cast<TextElement*>(e)) {
            ep.text = t->displayText();
            ep.present = e->isEnabled() && !ep.text.trimmed().isEmpty();
        } else if (auto* rt = qobject_cast<RichText*>(e)) {
            ep.present = e->isEnabled() && !rt->isEmpty();
        } else if (auto* pic = qobject_cast<Picture*>(e)) {
            ep.present = e->isEnabled() && !pic->image().isNull();
        }
        pass.push_back(std::move(ep));
    }
    const double bottom =
        growingBand(band) || band->kind() == BandKind::Overlay ? kNoLimit : band->height();
    for (ElementPass& ep : pass) {
        const QRectF a = ep.element->rect();
        ep.leftLimit = 0;
        ep.rightLimit = width;
        ep.bandRight = width;
        ep.bottomLimit = bottom;
        if (band->kind() == BandKind::Overlay || !ep.element->isEnabled())
            continue;
        for (const ElementPass& other : pass) {
            if (&other == &ep || !other.present)
                continue;
            const QRectF b = other.element->rect();
            // Lines set closer than their font's height (the descent of one reaching the
            // ascent of the next) still stand one below the other.
            if (overlap(a.top(), a.bottom(), b.top(), b.bottom()) <=
                std::max(1.0, 0.3 * std::min(a.height(), b.height())))
                continue;
            if (b.left() > a.left() + 0.5)
                ep.rightLimit = std::min(ep.rightLimit, b.left() - kGap);
            if (b.right() < a.right() - 0.5 && b.left() < a.left() - 0.5)
                ep.leftLimit = std::max(ep.leftLimit, b.right() + kGap);
        }
        for (const ElementPass& other : pass) {
            if (&other == &ep || !other.present)
                continue;
            const QRectF b = other.element->rect();
            if (b.top() > a.top() + 0.5 &&
                overlap(a.left(), std::max(a.right(), ep.rightLimit), b.left(), b.right()) > 1)
                ep.bottomLimit = std::min(ep.bottomLimit, b.top() - 1);
        }
    }
    return pass;
}

// A single line that is too wide for its place is drawn smaller, down to half its size.
FontSpec shrunkFont(const QString& text, const FontSpec& font, double room) {
    const double natural = textWidth(text, font);
    if (natural <= room || natural <= 0 || text.contains(QLatin1Char('\n')))
        return font;
    FontSpec smaller = font;
    const double factor = std::max(0.5, room / natural);
    // Down to the next eighth of a point, the step sizes are measured in.
    smaller.size = std::max(1.0, std::floor(font.size * factor * 8) / 8);
    return smaller;
}

// Lays out the text of an element within its room; `bandBottom` is where the band ends (band
// coordinates). Fills the pass entry's block, rectangle (band coordinates) and font.
void layOut(ElementPass& ep, double bandBottom) {
    auto* t = qobject_cast<TextElement*>(ep.element);
    if (!t)
        return;
    ep.laid = true;
    ep.font = t->font();
    ep.rect = t->rect();
    const bool keepInside = t->overflow() != TextElement::Overflow::Clip;
    const Qt::Alignment align = t->alignment();
    TextLayoutOptions options;
    options.alignment = align;
    QRectF& rect = ep.rect;
    if (t->autoSize() && !t->wordWrap()) {
        double room = ep.rightLimit - rect.left();
        if (align & Qt::AlignRight) {
            room = rect.right() - ep.leftLimit;
        } else if (align & Qt::AlignHCenter) {
            const double c = rect.center().x();
            room = 2 * std::min(c - ep.leftLimit, ep.rightLimit - c);
        }
        room = std::max(0.0, room);
        ep.block = layoutText(ep.text, ep.font, t->color(), options);
        if (keepInside && ep.block.width > room + 0.5) {
            if (t->overflow() == TextElement::Overflow::Shrink)
                ep.font = shrunkFont(ep.text, ep.font, room);
            options.width = room;
            options.cut = true;
            ep.block = layoutText(ep.text, ep.font, t->color(), options);
        }
        // Texts that change while printing (fields, page numbers) are fitted here.
        const double w = keepInside ? std::min(ep.block.width, room) : ep.block.width;
        if (align & Qt::AlignRight)
            rect.setLeft(rect.right() - w);
        else if (align & Qt::AlignHCenter)
            rect.setLeft(rect.center().x() - w / 2);
        rect.setWidth(w);
        for (TextRun& run : ep.block.runs)
            run.origin.setX(alignedX(run.width, w, align));
        if (t->autoStretch())
            rect.setHeight(std::max(rect.height(), ep.block.height));
        return;
    }
    // A place of its own never reaches past the band's right edge (the right margin).
    if (keepInside)
        rect.setRight(std::max(rect.left(), std::min(rect.right(), ep.bandRight)));
    options.width = rect.width();
    const double lineH = lineHeight(ep.font);
    double room = rect.height();
    if (t->autoStretch())
        room = std::max(rect.height(), std::min(ep.bottomLimit, bandBottom) - rect.top());
    if (t->wordWrap()) {
        options.wrap = true;
        if (keepInside && room < kNoLimit / 2)
            options.maxLines = std::max(1, int(std::floor((room + 0.5) / lineH)));
    } else if (keepInside) {
        if (t->overflow() == TextElement::Overflow::Shrink)
            ep.font = shrunkFont(ep.text, ep.font, options.width);
        options.cut = true;
    }
    ep.block = layoutText(ep.text, ep.font, t->color(), options);
    if (t->autoStretch())
        rect.setHeight(std::max(rect.height(),
                                keepInside ? std::min(ep.block.height, room) : ep.block.height));
}

// How much taller than its own height a growing element needs to be within the band.
double growth(ElementPass& ep, double bandBottom) {
    Element* element = ep.element;
    if (!element->isEnabled())
        return 0;
    if (auto* t = qobject_cast<TextElement*>(element)) {
        if (!t->autoStretch())
            return 0;
        layOut(ep, bandBottom);
        return std::max(0.0, ep.rect.height() - t->height());
    }
    if (auto* rt = qobject_cast<RichText*>(element)) {
        if (!rt->autoStretch() || rt->isEmpty())
            return 0;
        const TextBlock block = layoutRichText(rt->html(), rt->font(), rt->width());
        const double room = std::min(ep.bottomLimit, bandBottom) - rt->top();
        return std::max(0.0, std::min(block.height, std::max(room, rt->height())) - rt->height());
    }
    return 0;
}

// The band's height for the current record, at most `most` (band coordinates) unless its own
// height is more.
double heightOf(const Band* band, BandPass& pass, double most) {
    // Titles, headers and footers keep their height: what stretches in them stays inside.
    if (!growingBand(band))
        return band->height();
    double extra = 0;
    for (ElementPass& ep : pass)
        extra = std::max(extra, growth(ep, most));
    return std::min(band->height() + extra, std::max(most, band->height()));
}

// The rectangle a picture is drawn into: the whole place, or, keeping its proportions, the
// largest part of it placed by the picture's alignment.
QRectF pictureRect(const Picture& pic, const QRectF& box) {
    const QImage& image = pic.image();
    if (!pic.keepAspectRatio() || image.isNull() || box.isEmpty())
        return box;
    QSizeF size = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    QRectF r(box.topLeft(), size);
    const Qt::Alignment a = pic.alignment();
    if (a & Qt::AlignRight)
        r.moveRight(box.right());
    else if (a & Qt::AlignHCenter)
        r.moveLeft(box.center().x() - size.width() / 2);
    if (a & Qt::AlignBottom)
        r.moveBottom(box.bottom());
    else if (a & Qt::AlignVCenter)
        r.moveTop(box.center().y() - size.height() / 2);
    return r;
}

PlacedElement placeElement(ElementPass& ep, const QPointF& origin, const QString& band,
                           double bandBottom) {
    Element* e = ep.element;
    PlacedElement p;
    p.name = e->objectName();
    p.kind = placedKind(e->kind());
    p.band = band;
    p.rect = e->rect();
    p.visible = e->isEnabled();
    p.background = e->backgroundColor();
    if (auto* t = qobject_cast<TextElement*>(e)) {
        // What the band's height was measured with holds as long as it fits in the band.
        if (!ep.laid || ep.rect.bottom() > bandBottom + 1e-6)
            layOut(ep, bandBottom);
        p.text = ep.text;
        p.font = ep.font;
        p.color = t->color();
        p.alignment = t->alignment();
        p.rect = ep.rect;
        TextBlock& block = ep.block;
        p.clip = block.width > p.rect.width() + 0.5 || block.height > p.rect.height() + 0.5;
        p.rect.translate(origin);
        translate(block.runs, p.rect.topLeft());
        p.runs = std::move(block.runs);
        ep.laid = false;
    } else if (auto* rt = qobject_cast<RichText*>(e)) {
        p.font = rt->font();
        p.richText = rt->html();
        p.rect.setRight(std::min(p.rect.right(), std::max(p.rect.left(), ep.bandRight)));
        if (!rt->isEmpty()) {
            p.text = QTextDocumentFragment::fromHtml(rt->html()).toPlainText();
            TextBlock block = layoutRichText(rt->html(), rt->font(), p.rect.width());
            if (rt->autoStretch()) {
                const double room =
                    std::max(p.rect.height(), std::min(ep.bottomLimit, bandBottom) - p.rect.top());
                p.rect.setHeight(std::max(p.rect.height(), std::min(block.height, room)));
            }
            p.clip = block.height > p.rect.height() + 0.5 || block.width > p.rect.width() + 0.5;
            p.rect.translate(origin);
            translate(block.runs, p.rect.topLeft());
            p.runs = std::move(block.runs);
        } else {
            p.rect.translate(origin);
        }
    } else if (auto* pic = qobject_cast<Picture*>(e)) {
        // A picture never reaches past the band's right edge either.
        p.rect.setRight(std::min(p.rect.right(), std::max(p.rect.left(), ep.bandRight)));
        if (!pic->image().isNull()) {
            if (pic->stretch()) {
                p.rect = pictureRect(*pic, p.rect);
                p.picture = pic->imageFor(p.rect.size());
            } else {
                // At its own size (a pixel to the unit), cut at the element's edges.
                const QSize room(static_cast<int>(p.rect.width()),
                                 static_cast<int>(p.rect.height()));
                p.picture = pic->image().copy(QRect(QPoint(0, 0), room));
                p.rect.setSize(p.picture.size());
            }
        }
        p.rect.translate(origin);
    } else if (auto* s = qobject_cast<Shape*>(e)) {
        p.penWidth = s->penWidth();
        p.penColor = s->penColor();
        p.rect.translate(origin);
    } else if (auto* m = qobject_cast<Matrix*>(e)) {
        p.rect.translate(origin);
        if (!m->isEmpty()) {
            // The largest square that fits, its modules of one size, rows joined into runs.
            const double side = std::min(p.rect.width(), p.rect.height());
            const int span = m->size() + 2 * m->quietZone();
            const double unit = side / span;
            p.rect.setSize(QSizeF(side, side));
            p.background = Qt::white;
            const QPointF corner =
                p.rect.topLeft() + QPointF(m->quietZone() * unit, m->quietZone() * unit);
            for (int row = 0; row < m->size(); ++row) {
                for (int col = 0; col < m->size();) {
                    if (!m->dark(row, col)) {
                        ++col;
                        continue;
                    }
                    int end = col;
                    while (end < m->size() && m->dark(row, end))
                        ++end;
                    p.cells.emplace_back(corner.x() + col * unit, corner.y() + row * unit,
                                         (end - col) * unit, unit);
                    col = end;
                }
            }
        }
    } else {
        p.rect.translate(origin);
    }
    return p;
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
    bodyTop = y;
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
            BandPass pass = passOf(footer, footer->width());
            const double h = std::min(heightOf(footer, pass, kNoLimit), std::max(0.0, room));
            place(footer, page.size.height() - marginBottom() - h, h, pass);
            printed = true;
        }
        if (footer->onAfterPrint)
            footer->onAfterPrint(*footer, printed);
    }
    if (Band* overlay = r.m_overlay) {
        BandPass pass = passOf(overlay, page.size.width());
        for (ElementPass& ep : pass)
            page.elements.push_back(
                placeElement(ep, QPointF(0, 0), overlay->objectName(), page.size.height()));
    }
    if (sink)
        sink(page);
    else
        doc.pages.push_back(std::move(page));
    page = PreparedPage();
}

double Layouter::bodyRoom(const Band* band) const {
    const double limit =
        band->printLimit() > 0 ? std::min(band->printLimit(), bottomLimit) : bottomLimit;
    return limit - bodyTop;
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
        BandPass pass = passOf(band, band->width());
        // A body band taller than a page of its own is cut at that page's end.
        const double most = body ? std::max(0.0, bodyRoom(band)) : kNoLimit;
        double h = heightOf(band, pass, most);
        const double limit =
            band->printLimit() > 0 ? std::min(band->printLimit(), bottomLimit) : bottomLimit;
        if (body && pageHasBody && y + h > limit + 1e-6) {
            finishPage(false);
            startPage();
        }
        place(band, y, h, pass);
        y += h;
        if (body)
            pageHasBody = true;
        printed = true;
    }
    if (band->onAfterPrint)
        band->onAfterPrint(*band, printed);
    return printed;
}

void Layouter::place(Band* band, double top, double height, BandPass& pass) {
    PlacedElement b;
    b.name = band->objectName();
    b.kind = PlacedKind::Band;
    b.band = band->objectName();
    b.rect = QRectF(band->left(), top, band->width(), height);
    b.background = band->color();
    page.elements.push_back(b);
    const QPointF origin(band->left(), top);
    for (ElementPass& ep : pass)
        page.elements.push_back(placeElement(ep, origin, band->objectName(), height));
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

bool Report::exportToFilter(ExportFilter& filter, bool keepPages) {
    if (m_layouter) {
        qCWarning(lcReport) << "exportToFilter() called from inside a preparation of"
                            << objectName();
        return false;
    }
    if (!filter.start())
        return false;
    if (keepPages) {
        const PreparedDocument document = prepare();
        for (const PreparedPage& page : document.pages)
            filter.exportPage(document, page);
        return filter.finish(document);
    }
    // Each page goes to the filter as soon as it is finished and is then let go.
    Layouter layouter(*this);
    layouter.sink = [&](const PreparedPage& page) { filter.exportPage(layouter.doc, page); };
    m_layouter = &layouter;
    struct Reset {
        Report* r;
        ~Reset() { r->m_layouter = nullptr; }
    } reset{this};
    m_prepared = layouter.run();
    return filter.finish(m_prepared);
}

int Report::pageNumber() const {
    return m_layouter ? m_layouter->pageNumber : 0;
}

double Report::currentY() const {
    return m_layouter ? unitsToMm(m_layouter->y) : unitsToMm(mmToUnits(m_topMargin));
}

double Report::bandHeight(Band* band) const {
    if (!band)
        return 0;
    BandPass pass = passOf(band, band->width());
    const double most =
        m_layouter && growingBand(band) ? std::max(0.0, m_layouter->bodyRoom(band)) : kNoLimit;
    return heightOf(band, pass, most);
}

void Report::newColumn() {
    if (m_layouter)
        m_layouter->newColumnRequested = true;
}

} // namespace report
