// Texts and pictures stay inside their place: they are cut at a word or wrapped, never drawn
// over their neighbours or past the margins, and long words cost time in proportion to their
// length.
#include "report/datasource.h"
#include "report/painter.h"
#include "report/report.h"
#include "report/units.h"

#include "support/printers.h"

#include <QElapsedTimer>
#include <QPainter>

#include <gtest/gtest.h>

using namespace report;

namespace {

QString runsText(const PlacedElement* e) {
    QStringList parts;
    for (const TextRun& run : e->runs)
        parts << run.text;
    return parts.join(QLatin1Char('|'));
}

// Every run of the element lies within the rectangle (layout units, page coordinates).
::testing::AssertionResult runsWithin(const PlacedElement* e, const QRectF& rect) {
    for (const TextRun& run : e->runs) {
        const double left = run.origin.x(), right = run.origin.x() + run.width;
        if (left < rect.left() - 0.01 || right > rect.right() + 0.01)
            return ::testing::AssertionFailure()
                   << e->name.toStdString() << ": \"" << run.text.toStdString() << "\" from "
                   << left << " to " << right << " is outside " << rect.left() << ".."
                   << rect.right();
        if (run.origin.y() > rect.bottom() + 0.01)
            return ::testing::AssertionFailure()
                   << e->name.toStdString() << ": \"" << run.text.toStdString()
                   << "\" below the place's bottom " << rect.bottom();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ReportFitting, ASelfSizingTextStopsAtItsNeighbourAndAtTheMargin) {
    Report r;
    Band* title = r.addBand(BandKind::Title, "Title", 100);
    auto* name = new Label(title, "lbName", "Northwind Trading and Shipping Company of Bristol");
    name->setGeometry(0, 0, 0, 0);
    auto* phone = new Label(title, "lbPhone", "Phone 0117 496 0000");
    phone->setGeometry(150, 2, 0, 0);
    // Far to the right: only the margin stops it.
    auto* customer = new Label(title, "lbCust", "Acme Office Supplies and Stationery Wholesale");
    customer->setFontSize(12);
    customer->setGeometry(title->width() - 120, 40, 0, 0);
    // Below the others, a short text is left alone.
    auto* city = new Label(title, "lbCity", "Bristol");
    city->setGeometry(0, 70, 0, 0);

    const PreparedPage page = r.prepare().pages.at(0);
    const double left = title->left();
    const PlacedElement* n = page.find("lbName");
    EXPECT_EQ(runsText(n), "Northwind Trading");
    EXPECT_LE(n->rect.right(), left + 150 - 2);
    EXPECT_TRUE(runsWithin(n, n->rect));
    EXPECT_FALSE(n->clip);
    const PlacedElement* c = page.find("lbCust");
    EXPECT_LE(c->rect.right(), left + title->width() + 0.01);
    EXPECT_TRUE(runsWithin(c, QRectF(left, 0, title->width(), 1e6)));
    EXPECT_TRUE(QString("Acme Office Supplies and Stationery Wholesale").startsWith(c->text));
    EXPECT_TRUE(runsText(c).startsWith("Acme"));
    EXPECT_FALSE(runsText(c).contains("Wholesale"));
    EXPECT_EQ(runsText(page.find("lbCity")), "Bristol");
    EXPECT_EQ(runsText(page.find("lbPhone")), "Phone 0117 496 0000");
}

TEST(ReportFitting, RightAlignedAndCentredTextsKeepTheirAnchor) {
    Report r;
    Band* title = r.addBand(BandKind::Title, "Title", 100);
    auto* logo = new Picture(title, "Logga");
    logo->setGeometry(0, 0, 228, 114);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    logo->setImage(image);
    auto* company = new Label(title, "lbCompany",
                              "A company name so long that it would run over the logotype on "
                              "the left of the page and then some more");
    company->setAlignment(Qt::AlignRight);
    company->setLeft(title->width() - company->width());
    const PreparedPage page = r.prepare().pages.at(0);
    const PlacedElement* c = page.find("lbCompany");
    EXPECT_NEAR(c->rect.right(), title->left() + title->width(), 0.01);
    EXPECT_GE(c->rect.left(), title->left() + 228);
    EXPECT_TRUE(runsWithin(c, c->rect));
    EXPECT_TRUE(runsText(c).startsWith("A company name"));
}

TEST(ReportFitting, FixedPlacesEndAtTheMarginAndWrappedTextsAboveTheirNeighbourBelow) {
    Report r;
    Band* title = r.addBand(BandKind::Title, "Title", 120);
    auto* wide = new Label(title, "lbWide", "A fixed box that a design put past the margin");
    wide->setAutoSize(false);
    wide->setGeometry(title->width() - 60, 0, 300, 20);
    auto* name = new Label(title, "lbName",
                           "A company name that wraps onto a second and a third line when its "
                           "box is narrow");
    name->setAutoSize(false);
    name->setWordWrap(true);
    name->setAutoStretch(true);
    name->setGeometry(0, 30, 150, lineHeight(name->font()));
    auto* address = new Label(title, "lbAddress", "12 Harbour Street");
    address->setGeometry(0, 30 + 2 * lineHeight(name->font()) + 2, 0, 0);
    auto* bank = new Memo(title, "mBank");
    bank->setGeometry(300, 30, 200, 2 * lineHeight(bank->font()) + 1);
    bank->setText("Harbour Bank plc\nSort code 12-34-56\nAccount 12345678");

    const PreparedPage page = r.prepare().pages.at(0);
    const double left = title->left();
    const PlacedElement* w = page.find("lbWide");
    EXPECT_NEAR(w->rect.right(), left + title->width(), 0.01);
    EXPECT_TRUE(runsWithin(w, w->rect));
    const PlacedElement* n = page.find("lbName");
    EXPECT_EQ(n->runs.size(), 2u) << qPrintable(runsText(n));
    EXPECT_LE(n->rect.bottom(), page.find("lbAddress")->rect.top());
    const PlacedElement* b = page.find("mBank");
    EXPECT_EQ(runsText(b), "Harbour Bank plc|Sort code 12-34-56");
    // The title band did not grow for the name.
    EXPECT_DOUBLE_EQ(page.find("Title")->rect.height(), 120);
}

TEST(ReportFitting, NumbersShrinkRatherThanLoseDigits) {
    MemoryDataSource source({"Sum"});
    source.append({QStringLiteral("123,456,789.00")});
    Report r;
    r.setDataSource(&source);
    Band* detail = r.addBand(BandKind::Detail, "Detail", 25);
    auto* sum = new DBText(detail, "dbSum", "Sum");
    sum->setAlignment(Qt::AlignRight);
    sum->setGeometry(100, 0, 60, lineHeight(sum->font()));
    sum->setOverflow(TextElement::Overflow::Shrink);
    const PreparedPage page = r.prepare().pages.at(0);
    const PlacedElement* s = page.find("dbSum");
    EXPECT_EQ(runsText(s), "123,456,789.00");
    EXPECT_LT(s->font.size, 10);
    EXPECT_TRUE(runsWithin(s, s->rect));
}

TEST(ReportFitting, LongUnbreakableWordsLayOutInTimeProportionalToTheirLength) {
    // Breaking a 100 000-letter word used to start over for each line and took most of a
    // minute; now each letter is measured once.
    const FontSpec font;
    QElapsedTimer timer;
    timer.start();
    TextLayoutOptions options;
    options.width = 30;
    options.wrap = true;
    const TextBlock block = layoutText(QString(100000, QLatin1Char('m')), font, Qt::black, options);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_GT(block.lines, 10000);
    qsizetype letters = 0;
    for (const TextRun& run : block.runs) {
        letters += run.text.size();
        EXPECT_LE(run.width, 30.01);
    }
    EXPECT_EQ(letters, 100000);

    // A word longer than a line of its own starts a line and fills the ones it needs; the
    // words around it wrap as usual.
    options.width = 80;
    const TextBlock mixed = layoutText("Oak desk " + QString(40, QLatin1Char('x')) + " delivered",
                                       font, Qt::black, options);
    ASSERT_GE(mixed.runs.size(), 3u);
    EXPECT_EQ(mixed.runs.front().text, "Oak desk");
    EXPECT_EQ(mixed.runs.back().text, "delivered");
    for (const TextRun& run : mixed.runs)
        EXPECT_LE(run.width, 80.01) << run.text.toStdString();

    // Letters made of two code units are never split.
    const QString clefs = QString::fromUtf8("\xF0\x9D\x84\x9E").repeated(50);
    const TextBlock wide = layoutText(clefs, font, Qt::black, options);
    for (const TextRun& run : wide.runs)
        EXPECT_FALSE(run.text.front().isLowSurrogate() || run.text.back().isHighSurrogate());
}

TEST(ReportFitting, ARowTallerThanAPageIsCutAtThePageAndLaysOutQuickly) {
    MemoryDataSource source({"Item", "Description"});
    source.append({"1", QString(30000, QLatin1Char('x'))});
    source.append({"2", "Desk lamp"});
    Report r;
    r.setDataSource(&source);
    r.addBand(BandKind::Title, "Title", 100);
    Band* detail = r.addBand(BandKind::Detail, "Detail", 28);
    new DBText(detail, "dbItem", "Item");
    auto* description = new DBText(detail, "dbDescription", "Description");
    description->setGeometry(40, 0, 12, lineHeight(description->font()));
    description->setWordWrap(true);
    description->setAutoStretch(true);
    Band* footer = r.addBand(BandKind::PageFooter, "Footer", 40);
    new Label(footer, "lbFooter", "Footer");

    QElapsedTimer timer;
    timer.start();
    const PreparedDocument doc = r.prepare();
    // Some ten seconds before; the work is now a page's worth of lines.
    EXPECT_LT(timer.elapsed(), 3000);
    ASSERT_EQ(doc.pageCount(), 2);
    for (const PreparedPage& page : doc.pages) {
        const QRectF footerRect = page.find("Footer")->rect;
        for (const PlacedElement& e : page.elements) {
            if (e.band != "Detail")
                continue;
            EXPECT_LE(e.rect.bottom(), footerRect.top() + 0.01) << e.name.toStdString();
            for (const TextRun& run : e.runs)
                EXPECT_LT(run.origin.y(), footerRect.top());
        }
    }
    EXPECT_EQ(doc.pages[1].find("dbItem")->text, "2");
}

TEST(ReportFitting, PicturesKeepTheirProportionsAndLargeOnesAreScaledDown) {
    Report r;
    Band* title = r.addBand(BandKind::Title, "Title", 200);
    auto* logo = new Picture(title, "Logga");
    logo->setGeometry(0, 0, 228, 114);
    QImage big(6000, 1000, QImage::Format_RGB32);
    big.fill(Qt::blue);
    logo->setImage(big);
    auto* square = new Picture(title, "Square");
    square->setGeometry(300, 0, 200, 100);
    square->setAlignment(Qt::AlignCenter);
    QImage small(50, 50, QImage::Format_RGB32);
    small.fill(Qt::green);
    square->setImage(small);
    auto* stretched = new Picture(title, "Stretched");
    stretched->setGeometry(300, 110, 200, 50);
    stretched->setKeepAspectRatio(false);
    stretched->setImage(small);

    const PreparedPage page = r.prepare().pages.at(0);
    const double left = title->left();
    const PlacedElement* l = page.find("Logga");
    EXPECT_NEAR(l->rect.width(), 228, 0.01);
    EXPECT_NEAR(l->rect.height(), 38, 0.01);
    EXPECT_NEAR(l->rect.top(), page.find("Title")->rect.top(), 0.01);
    // 228 units are 2 inches: 600 dots at 300 per inch, where 6000 were given.
    EXPECT_LE(l->picture.width(), 600);
    EXPECT_NEAR(double(l->picture.width()) / l->picture.height(), 6.0, 0.05);
    const PlacedElement* s = page.find("Square");
    EXPECT_NEAR(s->rect.width(), 100, 0.01);
    EXPECT_NEAR(s->rect.left(), left + 350, 0.01);
    EXPECT_EQ(page.find("Stretched")->rect.size(), QSizeF(200, 50));
}
