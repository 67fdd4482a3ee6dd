#include "report/datasource.h"
#include "report/exportfilter.h"
#include "report/painter.h"
#include "report/report.h"
#include "report/units.h"

#include "support/printers.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;

namespace {

// A report with every kind of band and a source of n records.
struct BandedReport {
    explicit BandedReport(int records)
        : source({QStringLiteral("No"), QStringLiteral("Name")}) {
        for (int i = 1; i <= records; ++i)
            source.append({i, QStringLiteral("Name %1").arg(i)});
        r.setDataSource(&source);
        title = r.addBand(BandKind::Title, QStringLiteral("Title"), 100);
        header = r.addBand(BandKind::PageHeader, QStringLiteral("Header"), 30);
        columns = r.addBand(BandKind::ColumnHeader, QStringLiteral("Columns"), 20);
        detail = r.addBand(BandKind::Detail, QStringLiteral("Detail"), 25);
        sub = r.addBand(BandKind::SubDetail, QStringLiteral("Sub"), 10);
        summary = r.addBand(BandKind::Summary, QStringLiteral("Summary"), 50);
        footer = r.addBand(BandKind::PageFooter, QStringLiteral("Footer"), 40);
        new DBText(detail, QStringLiteral("dbName"), QStringLiteral("Name"));
        new SysData(footer, QStringLiteral("sysPage"), SysData::PageNumber);
        r.setPageHeaderOnFirstPage(false);
    }
    MemoryDataSource source;
    Report r;
    Band* title;
    Band* header;
    Band* columns;
    Band* detail;
    Band* sub;
    Band* summary;
    Band* footer;
};

QStringList bandsOn(const PreparedPage& page) {
    QStringList out;
    for (const PlacedElement& e : page.elements)
        if (e.kind == PlacedKind::Band)
            out << e.name;
    return out;
}

std::vector<const PlacedElement*> all(const PreparedPage& page, const QString& name) {
    std::vector<const PlacedElement*> out;
    for (const PlacedElement& e : page.elements)
        if (e.name == name)
            out.push_back(&e);
    return out;
}

} // namespace

TEST(ReportEngine, PageGeometryFollowsPaperOrientationAndMargins) {
    Report r;
    EXPECT_NEAR(r.bandWidth(), 816.4, 0.1); // A4 portrait, 20 and 10 mm
    EXPECT_NEAR(r.pageHeightUnits(), 1347.0, 0.1);
    EXPECT_DOUBLE_EQ(r.pageLength(), 297.0);
    r.setPaperSize(PaperSize::Letter);
    r.setOrientation(Orientation::Landscape);
    EXPECT_DOUBLE_EQ(r.pageLength(), 215.9);
    EXPECT_NEAR(r.pageSizeUnits().width(), mmToUnits(279.4), 1e-9);
    EXPECT_NEAR(kUnitsPerMm, 4.535, 0.001);
}

TEST(ReportEngine, BandsPrintInOrderOnOnePage) {
    BandedReport b(2);
    const PreparedDocument doc = b.r.prepare();
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(bandsOn(doc.pages[0]), (QStringList{"Title", "Columns", "Detail", "Sub", "Detail",
                                                  "Sub", "Summary", "Footer"}));
    // Bands follow each other from the top margin down; the footer sits on the bottom margin.
    const PreparedPage& page = doc.pages[0];
    EXPECT_NEAR(page.find("Title")->rect.top(), mmToUnits(20), 1e-9);
    EXPECT_NEAR(page.find("Columns")->rect.top(), mmToUnits(20) + 100, 1e-9);
    EXPECT_NEAR(page.find("Footer")->rect.bottom(), mmToUnits(297 - 15), 1e-9);
    EXPECT_NEAR(page.find("Title")->rect.left(), mmToUnits(20), 1e-9);
    const auto names = all(page, "dbName");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0]->text, "Name 1");
    EXPECT_EQ(names[1]->text, "Name 2");
}

TEST(ReportEngine, PageBreaksKeepHeadersAndFootersOnEveryPage) {
    BandedReport b(120);
    const PreparedDocument doc = b.r.prepare();
    ASSERT_GE(doc.pageCount(), 3);
    int details = 0;
    for (const PreparedPage& page : doc.pages) {
        const QStringList bands = bandsOn(page);
        EXPECT_EQ(bands.count("Title"), page.number == 1 ? 1 : 0) << page.number;
        EXPECT_EQ(bands.count("Header"), page.number == 1 ? 0 : 1) << page.number;
        EXPECT_EQ(bands.count("Columns"), 1) << page.number;
        EXPECT_EQ(bands.count("Footer"), 1) << page.number;
        EXPECT_EQ(page.find("sysPage")->text, QString::number(page.number));
        const double footerTop = page.find("Footer")->rect.top();
        for (const PlacedElement& e : page.elements) {
            if (e.kind == PlacedKind::Band && e.name != "Footer") {
                EXPECT_LE(e.rect.bottom(), footerTop + 1e-6) << e.name.toStdString();
            }
        }
        details += bands.count("Detail");
    }
    EXPECT_EQ(details, 120);
    EXPECT_EQ(bandsOn(doc.pages.back()).count("Summary"), 1);
}

TEST(ReportEngine, LastPageFooterAndFirstPageHeaderAreOptions) {
    BandedReport b(120);
    b.r.setPageFooterOnLastPage(false);
    b.r.setPageHeaderOnFirstPage(true);
    const PreparedDocument doc = b.r.prepare();
    ASSERT_GE(doc.pageCount(), 2);
    EXPECT_EQ(bandsOn(doc.pages.front()).first(), "Header");
    EXPECT_FALSE(bandsOn(doc.pages.back()).contains("Footer"));
    EXPECT_TRUE(bandsOn(doc.pages.front()).contains("Footer"));
}

TEST(ReportEngine, EmptySourcePrintsOnlyWhenAskedTo) {
    BandedReport b(0);
    PreparedDocument doc = b.r.prepare();
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(bandsOn(doc.pages[0]), (QStringList{"Title", "Columns", "Summary", "Footer"}));
    b.r.setPrintIfEmpty(false);
    EXPECT_EQ(b.r.prepare().pageCount(), 0);
    // A report without any source counts as empty.
    b.r.setDataSource(nullptr);
    EXPECT_EQ(b.r.prepare().pageCount(), 0);
}

TEST(ReportEngine, BandsCanBeSkippedForOneRecord) {
    BandedReport b(4);
    // Record 2 skips its detail through the print flag, record 3 by switching the band off
    // and on again after, the way the invoice's item band does.
    b.detail->onBeforePrint = [&](Band& band, bool& print) {
        const int no = b.source.value("No").toInt();
        if (no == 2)
            print = false;
        if (no == 3)
            band.setEnabled(false);
    };
    int afterCalls = 0, printedCalls = 0;
    b.detail->onAfterPrint = [&](Band& band, bool printed) {
        ++afterCalls;
        printedCalls += printed ? 1 : 0;
        band.setEnabled(true);
    };
    const PreparedDocument doc = b.r.prepare();
    const auto names = all(doc.pages[0], "dbName");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0]->text, "Name 1");
    EXPECT_EQ(names[1]->text, "Name 4");
    EXPECT_EQ(afterCalls, 4);
    EXPECT_EQ(printedCalls, 2);
    EXPECT_EQ(bandsOn(doc.pages[0]).count("Sub"), 4);
}

TEST(ReportEngine, ReportBeforePrintCanCancelAndAfterPrintWaitsForAPrinter) {
    BandedReport b(3);
    int before = 0, after = 0;
    b.r.onBeforePrint = [&](Report&, bool& print) {
        ++before;
        print = before > 1;
    };
    b.r.onAfterPrint = [&](Report&) { ++after; };
    EXPECT_EQ(b.r.prepare().pageCount(), 0);
    EXPECT_EQ(b.r.prepare().pageCount(), 1);
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 0);
    b.r.notifyPrinted();
    EXPECT_EQ(after, 1);
}

TEST(ReportEngine, NewColumnStartsANewPageButNeverABlankOne) {
    BandedReport b(5);
    std::vector<double> positions;
    b.detail->onBeforePrint = [&](Band&, bool&) {
        positions.push_back(b.r.currentY());
        const int no = b.source.value("No").toInt();
        if (no == 1 || no == 4)
            b.r.newColumn(); // record 1 is first on its page: no break
    };
    const PreparedDocument doc = b.r.prepare();
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(all(doc.pages[0], "dbName").size(), 3u);
    EXPECT_EQ(all(doc.pages[1], "dbName").front()->text, "Name 4");
    // Print position in millimetres from the top of the paper: top margin + title + columns.
    EXPECT_NEAR(positions[0], 20 + unitsToMm(120), 1e-9);
    EXPECT_NEAR(positions[1] - positions[0], unitsToMm(35), 1e-9);
}

TEST(ReportEngine, GrowingFooterStaysOnThePage) {
    BandedReport b(1);
    b.footer->onBeforePrint = [](Band& band, bool&) { band.setHeight(band.height() + 5000); };
    const PreparedDocument doc = b.r.prepare();
    ASSERT_EQ(doc.pageCount(), 1);
    const QRectF footer = doc.pages[0].find("Footer")->rect;
    EXPECT_GE(footer.top(), mmToUnits(20) - 1e-6);
    EXPECT_NEAR(footer.bottom(), mmToUnits(282), 1e-6);
}

TEST(ReportEngine, TooTallBandDoesNotLoopForever) {
    BandedReport b(3);
    b.detail->setHeight(5000);
    b.sub->setEnabled(false);
    // Each record gets a page of its own, cut at the bottom; the summary follows on a fourth.
    const PreparedDocument doc = b.r.prepare();
    EXPECT_EQ(doc.pageCount(), 4);
}

TEST(ReportEngine, StretchingTextGrowsItsBand) {
    BandedReport b(2);
    auto* text = b.detail->findChild<DBText*>("dbName");
    text->setGeometry(0, 2, 60, lineHeight(text->font()));
    text->setWordWrap(true);
    text->setAutoStretch(true);
    b.source.first();
    b.source.setValue("Name", "A long name that needs several lines in a narrow column");
    const PreparedDocument doc = b.r.prepare();
    const auto details = std::count_if(doc.pages[0].elements.begin(), doc.pages[0].elements.end(),
                                       [](const PlacedElement& e) { return e.name == "Detail"; });
    ASSERT_EQ(details, 2);
    const auto names = all(doc.pages[0], "dbName");
    EXPECT_GT(names[0]->rect.height(), 3 * lineHeight(text->font()) - 0.01);
    EXPECT_GT(names[0]->runs.size(), 2u);
    for (const TextRun& run : names[0]->runs)
        EXPECT_LE(run.width, 60.01) << run.text.toStdString();
    // The second record's band starts below the grown first one.
    std::vector<QRectF> bands;
    for (const PlacedElement& e : doc.pages[0].elements)
        if (e.name == "Detail")
            bands.push_back(e.rect);
    EXPECT_GT(bands[0].height(), 25);
    EXPECT_NEAR(bands[1].top(), bands[0].bottom() + 10, 1e-9); // after the sub-detail
    EXPECT_NEAR(names[1]->rect.height(), lineHeight(text->font()), 1e-9);
}

TEST(ReportEngine, OverlayElementsAreOnEveryPageWhereTheyStoodAtItsEnd) {
    BandedReport b(120);
    auto* frame = new Shape(b.r.overlay(), QStringLiteral("shFrame"));
    frame->setPenWidth(2);
    b.title->onBeforePrint = [&](Band&, bool&) { frame->setGeometry(10, 100, 500, 800); };
    b.header->onBeforePrint = [&](Band&, bool&) { frame->setGeometry(10, 50, 500, 900); };
    const PreparedDocument doc = b.r.prepare();
    ASSERT_GE(doc.pageCount(), 2);
    EXPECT_EQ(doc.pages[0].find("shFrame")->rect, QRectF(10, 100, 500, 800));
    EXPECT_EQ(doc.pages[1].find("shFrame")->rect, QRectF(10, 50, 500, 900));
    EXPECT_EQ(doc.pages[1].find("shFrame")->penWidth, 2);
}

TEST(ReportEngine, RenderedPageShowsTextAndBackgroundsWhereTheyArePlaced) {
    BandedReport b(1);
    b.columns->setColor(QColor(0xC0, 0xC0, 0xC0));
    auto* label = new Label(b.title, QStringLiteral("lbBig"), QStringLiteral("INVOICE"));
    label->setFontSize(24);
    label->setFontStyle(true, false);
    label->setLeft(300);
    const PreparedDocument doc = b.r.prepare();
    const PreparedPage& page = doc.pages[0];
    const double dpi = 96;
    const QImage image = renderPageImage(page, dpi);
    const double s = dpi / kUnitsPerInch;
    EXPECT_EQ(image.width(), qRound(page.size.width() * s));
    auto darkPixels = [&](const QRectF& units) {
        const QRect px = QRectF(units.topLeft() * s, units.size() * s).toAlignedRect();
        int dark = 0;
        for (int y = px.top(); y <= px.bottom(); ++y)
            for (int x = px.left(); x <= px.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100)
                    ++dark;
        return dark;
    };
    const QRectF labelRect = page.find("lbBig")->rect;
    EXPECT_GT(darkPixels(labelRect), 50);
    // Just left of the label there is nothing.
    EXPECT_EQ(darkPixels(labelRect.translated(-labelRect.width() - 20, 0)), 0);
    const QRectF columns = page.find("Columns")->rect;
    const QPoint inside = (columns.center() * s).toPoint();
    EXPECT_EQ(QColor(image.pixel(inside)), QColor(0xC0, 0xC0, 0xC0));
    if (const QByteArray dir = qgetenv("MEROVIA_RENDER_DIR"); !dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/engine_page.png");
}

TEST(ReportEngine, RenderedGlyphsAdvanceAsTheLayoutMeasured) {
    // The last word drawn at the end of a long line and drawn alone at the place the layout
    // gives it must cover the same pixels; font sizes that are no whole number of units at the
    // device (16 points is 25.6 units) must not make the line longer.
    const FontSpec font{QStringLiteral("Arial"), 16, true, false, false, false};
    const QString line = QStringLiteral("Customers - sales and more words at sixteen points");
    const QString last = QStringLiteral("points");
    PreparedPage page;
    page.size = QSizeF(1200, 300);
    PlacedElement e;
    e.name = QStringLiteral("lbLine");
    const qsizetype at = line.lastIndexOf(last);
    const double start =
        textWidth(line.left(at) + u'|', font) - textWidth(QStringLiteral("|"), font);
    e.runs.push_back({QPointF(50, 100), line, font, Qt::black, textWidth(line, font)});
    e.runs.push_back({QPointF(50 + start, 200), last, font, Qt::black, textWidth(last, font)});
    page.elements.push_back(e);
    const double dpi = 288, s = dpi / kUnitsPerInch;
    const QImage image = renderPageImage(page, dpi);
    auto inkColumns = [&](double baseline) {
        std::pair<int, int> span{image.width(), -1};
        for (int y = int((baseline - 25) * s); y < int((baseline + 5) * s); ++y)
            for (int x = int((50 + start - 3) * s); x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    span.first = std::min(span.first, x);
                    span.second = std::max(span.second, x);
                }
        return span;
    };
    const auto inLine = inkColumns(100);
    const auto alone = inkColumns(200);
    ASSERT_GE(alone.second, alone.first);
    EXPECT_NEAR(inLine.first, alone.first, 1.5);
    EXPECT_NEAR(inLine.second, alone.second, 1.5);
}

TEST(ReportEngine, DumpListsEveryPlacedElement) {
    BandedReport b(1);
    b.r.element<DBText>("dbName")->setEnabled(false);
    const QString dump = dumpPrepared(b.r.prepare());
    EXPECT_TRUE(dump.startsWith("pages 1 paper A4 portrait 210.0x297.0mm copies 1\n"));
    EXPECT_TRUE(dump.contains(" dbName dbtext Detail [")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("] off {Arial 10} \"Name 1\"")) << dump.toStdString();
    EXPECT_FALSE(dumpPrepared(b.r.prepared(), false).contains("dbName"));
}

TEST(ReportEngine, AnExportWithoutKeptPagesHandsOverEachPageAsItIsDone) {
    struct Recorder : ExportFilter {
        bool start() override { return true; }
        void exportPage(const PreparedDocument& document, const PreparedPage& page) override {
            // The document has nothing kept while pages are handed over.
            kept = std::max(kept, document.pageCount());
            PreparedDocument one;
            one.pages.push_back(page);
            dumps << dumpPrepared(one).section(QLatin1Char('\n'), 1);
        }
        bool finish(const PreparedDocument&) override { return true; }
        QString errorString() const override { return QString(); }
        QStringList dumps;
        int kept = 0;
    };
    BandedReport b(300);
    const PreparedDocument whole = b.r.prepare();
    ASSERT_GT(whole.pageCount(), 3);
    Recorder recorder;
    ASSERT_TRUE(b.r.exportToFilter(recorder, false));
    EXPECT_EQ(recorder.kept, 0);
    EXPECT_EQ(b.r.prepared().pageCount(), 0);
    ASSERT_EQ(recorder.dumps.size(), whole.pageCount());
    for (int i = 0; i < whole.pageCount(); ++i) {
        PreparedDocument one;
        one.pages.push_back(whole.pages[size_t(i)]);
        EXPECT_EQ(recorder.dumps[i], dumpPrepared(one).section(QLatin1Char('\n'), 1)) << i;
    }
}
