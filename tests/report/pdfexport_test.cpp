#include "pdf/pdffonts.h"
#include "printing/pdfoutput.h"
#include "report/datasource.h"
#include "report/painter.h"
#include "report/pdfexport.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

#include "../pdf/pdftestsupport.h"
#include "../printing/sample.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

using namespace report;

namespace {

// ---- Reading a PDF back ------------------------------------------------------------------

struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
struct PdfPage {
    double width = 0, height = 0; // points
    std::vector<PdfWord> words;
};

QString unescapeXml(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

// Every word poppler finds, with its box in points from the top left of its page.
std::vector<PdfPage> readWords(const QString& pdfPath) {
    std::vector<PdfPage> pages;
    const ToolRun run = runTool("pdftotext", {"-bbox", pdfPath, "-"});
    static const QRegularExpression pageRe(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    static const QRegularExpression wordRe(
        R"re(<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">(.*)</word>)re");
    for (const QString& line : run.output.split('\n')) {
        if (const auto m = pageRe.match(line); m.hasMatch()) {
            pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
        } else if (const auto w = wordRe.match(line); w.hasMatch() && !pages.empty()) {
            pages.back().words.push_back({unescapeXml(w.captured(5)), w.captured(1).toDouble(),
                                          w.captured(2).toDouble(), w.captured(3).toDouble(),
                                          w.captured(4).toDouble()});
        }
    }
    return pages;
}

// ---- What the prepared pages say ---------------------------------------------------------

struct ExpectedWord {
    QString text;
    QString element;
    double x = 0;        // points, start of the word on its baseline
    double baseline = 0; // points from the top of the page
    double size = 0;     // font size in points, as measured
    FontSpec font;
};

// The words of every text run of the page, placed as the layout placed them. A run that
// continues the previous one on its baseline (a change of format inside a word) continues its
// last word, as a reader sees it.
std::vector<ExpectedWord> expectedWords(const PreparedPage& page) {
    std::vector<ExpectedWord> words;
    const QString mark = QStringLiteral("|");
    for (const PlacedElement& e : page.elements) {
        if (!e.visible)
            continue;
        const TextRun* previous = nullptr;
        for (const TextRun& run : e.runs) {
            const bool continues =
                previous && std::abs(previous->origin.y() - run.origin.y()) < 0.01 &&
                std::abs(previous->origin.x() + previous->width - run.origin.x()) < 0.05 &&
                !previous->text.back().isSpace() && !run.text.front().isSpace();
            previous = &run;
            const double markWidth = textWidth(mark, run.font);
            qsizetype i = 0;
            while (i < run.text.size()) {
                while (i < run.text.size() && run.text.at(i).isSpace())
                    ++i;
                qsizetype end = i;
                while (end < run.text.size() && !run.text.at(end).isSpace())
                    ++end;
                if (end > i) {
                    if (i == 0 && continues && !words.empty()) {
                        words.back().text += run.text.left(end);
                    } else {
                        // No kerning in the layout: the width of what stands before the word,
                        // blanks included, is where the word starts.
                        const double before =
                            textWidth(run.text.left(i) + mark, run.font) - markWidth;
                        words.push_back({run.text.mid(i, end - i), e.name,
                                         (run.origin.x() + before) * kPointsPerUnit,
                                         run.origin.y() * kPointsPerUnit,
                                         measuredFontSize(run.font), run.font});
                    }
                }
                i = end;
            }
        }
    }
    return words;
}

// Ascent of the font the PDF names for the text, in thousandths of the size: poppler puts the
// top of a word's box that far above the baseline.
double pdfAscent(const FontSpec& font) {
    const QRawFont raw = pdf::resolveRawFont(resolveFamily(font.family), font.bold, font.italic);
    return pdf::readFontMetrics(raw, pdf::readFontTables(raw)).ascent;
}

// Compares every word of the prepared pages with the words in the file: same number of words
// on each page, and each word of the layout found in the file with its start and baseline
// within the tolerance (points). Returns the problems found.
QStringList comparePositions(const PreparedDocument& doc, const std::vector<PdfPage>& pdf,
                             double tolerance, double* worst = nullptr) {
    QStringList problems;
    if (pdf.size() != doc.pages.size()) {
        problems
            << QString("pages: prepared %1, in the file %2").arg(doc.pages.size()).arg(pdf.size());
        return problems;
    }
    QHash<QString, double> ascents;
    double worstSeen = 0;
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        const PreparedPage& page = doc.pages[p];
        const double width = page.size.width() * kPointsPerUnit;
        const double height = page.size.height() * kPointsPerUnit;
        if (std::abs(pdf[p].width - width) > 0.01 || std::abs(pdf[p].height - height) > 0.01)
            problems << QString("page %1 is %2 x %3 pt, the report's %4 x %5")
                            .arg(p + 1)
                            .arg(pdf[p].width)
                            .arg(pdf[p].height)
                            .arg(width)
                            .arg(height);
        std::vector<PdfWord> found = pdf[p].words;
        const std::vector<ExpectedWord> expected = expectedWords(page);
        if (found.size() != expected.size())
            problems << QString("page %1: %2 words laid out, %3 in the file")
                            .arg(p + 1)
                            .arg(expected.size())
                            .arg(found.size());
        for (const ExpectedWord& w : expected) {
            const QString key = w.font.describe();
            if (!ascents.contains(key))
                ascents.insert(key, pdfAscent(w.font));
            const double top = w.baseline - ascents.value(key) * w.size / 1000.0;
            auto best = found.end();
            double bestDistance = 1e9;
            for (auto it = found.begin(); it != found.end(); ++it) {
                if (it->text != w.text)
                    continue;
                const double d = std::hypot(it->xMin - w.x, it->yMin - top);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = it;
                }
            }
            if (best == found.end()) {
                problems
                    << QString("page %1: \"%2\" of %3 not found").arg(p + 1).arg(w.text, w.element);
                continue;
            }
            const double dx = std::abs(best->xMin - w.x);
            const double dy = std::abs(best->yMin - top);
            worstSeen = std::max({worstSeen, dx, dy});
            if (dx > tolerance || dy > tolerance)
                problems << QString(
                                "page %1: \"%2\" of %3 at %4, %5 in the file, laid out at %6, %7")
                                .arg(p + 1)
                                .arg(w.text, w.element)
                                .arg(best->xMin, 0, 'f', 3)
                                .arg(best->yMin, 0, 'f', 3)
                                .arg(w.x, 0, 'f', 3)
                                .arg(top, 0, 'f', 3);
            found.erase(best);
        }
        for (const PdfWord& extra : found)
            problems << QString("page %1: \"%2\" in the file but not laid out")
                            .arg(p + 1)
                            .arg(extra.text);
    }
    if (worst)
        *worst = worstSeen;
    return problems;
}

// The first page drawn by a PDF reader (poppler) at the resolution.
QImage readerImage(const QString& pdfPath, int dpi) {
    const QString prefix = pdfPath + QStringLiteral(".page");
    runTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", "1", "-l", "1", "-singlefile",
                         pdfPath, prefix});
    return QImage(prefix + ".png");
}

// The largest difference in mean lightness (0 to 1) over blocks of 8 by 8 pixels: the two
// rasterisers draw the edges of letters a little differently, but anything missing, moved or
// of another colour stands out.
double largestBlockDifference(const QImage& a, const QImage& b) {
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
    const int w = std::min(ga.width(), gb.width()), h = std::min(ga.height(), gb.height());
    double worst = 0;
    for (int by = 0; by + 8 <= h; by += 8)
        for (int bx = 0; bx + 8 <= w; bx += 8) {
            int sum = 0;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x)
                    sum += int(ga.constScanLine(y)[x]) - int(gb.constScanLine(y)[x]);
            worst = std::max(worst, std::abs(sum) / (64.0 * 255.0));
        }
    return worst;
}

int renderDpi() {
    const int dpi = qEnvironmentVariableIntValue("MEROVIA_RENDER_DPI");
    return dpi > 0 ? dpi : 96;
}

// With MEROVIA_RENDER_DIR set, the file (<name>.pdf) and its first page as the preview draws it
// (<name>_preview.png) and as a PDF reader draws it (<name>_pdf.png), both at 96 dots per inch
// or MEROVIA_RENDER_DPI, to be looked at.
void saveRenderings(const PreparedDocument& doc, const QString& pdfPath, const QString& name) {
    const QByteArray dirOut = qgetenv("MEROVIA_RENDER_DIR");
    if (dirOut.isEmpty() || doc.pages.empty())
        return;
    const QString target = QString::fromLocal8Bit(dirOut) + '/' + name;
    QFile::remove(target + ".pdf");
    QFile::copy(pdfPath, target + ".pdf");
    renderPageImage(doc.pages.front(), renderDpi()).save(target + "_preview.png");
    runTool("pdftoppm", {"-png", "-r", QString::number(renderDpi()), "-f", "1", "-l", "1",
                         "-singlefile", pdfPath, target + "_pdf"});
}

QString checkWithQpdf(const QString& path) {
    const ToolRun run = runTool("qpdf", {"--check", path});
    if (run.exitCode == 0 && run.output.contains("No syntax or stream encoding errors"))
        return {};
    return run.output.isEmpty() ? QStringLiteral("qpdf did not run") : run.output;
}

// ---- Reports -----------------------------------------------------------------------------

// A report of several pages with every kind of element the engine prints.
struct ListReport {
    explicit ListReport(int rowCount = 90, const QString& name = QStringLiteral("qrList"))
        : source({"No", "Company", "City", "Sales"})
        , r(nullptr, name) {
        static const char* const companies[] = {"Acme Office Supplies", "Baltic Timber AB",
                                                "Café Rouge & Fils", "Zakład Stolarski Łódź",
                                                "Widget (UK) Ltd"};
        static const char* const cities[] = {"Bath", "Gdańsk", "Lyon", "Łódź", "York"};
        for (int i = 0; i < rowCount; ++i)
            source.append({QString::number(1000 + i), QString::fromUtf8(companies[i % 5]),
                           QString::fromUtf8(cities[i % 5]),
                           QString::number(125.5 * (i + 1), 'f', 2)});
        r.setDataSource(&source);
        r.setPaperSize(PaperSize::Letter);
        r.setOrientation(Orientation::Landscape);

        Band* title = r.addBand(BandKind::Title, "BandTitle", 170);
        auto* heading = new Label(title, "lbTitle", "Customers - sales");
        heading->setFont({"Arial", 16, true, false, false, false});
        auto* logo = new Picture(title, "Logga");
        logo->setGeometry(600, 0, 120, 60);
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 200));
        logo->setImage(image);
        auto* note = new RichText(title, "rtNote");
        note->setGeometry(0, 40, 500, 60);
        note->setAutoStretch(true);
        note->setContent("<p>Payment within <b>30 days</b> to <i>Harbour Bank</i>, "
                         "<span style=\"font-size:12pt\">thank you</span> for your order.</p>"
                         "<p><u>Underlined</u> text and a second paragraph.</p>");
        // A size the font engine cannot take in whole pixels at the measuring resolution.
        auto* odd = new Label(title, "lbOddSize",
                              "Sizes between the eighths of a point are drawn as they were "
                              "measured, from the first word to the very last one");
        odd->setFont({"Arial", 8.3, false, false, false, false});
        odd->setTop(135);
        auto* clipped = new Label(title, "lbClipped", "Cut off");
        clipped->setAutoSize(false);
        clipped->setGeometry(0, 110, 300, 20);
        auto* frame = new Shape(title, "shRule");
        frame->setGeometry(0, 160, 900, 0);
        frame->setPenWidth(1);

        Band* columns = r.addBand(BandKind::ColumnHeader, "BandColumns", 24);
        columns->setColor(QColor(0xC0, 0xC0, 0xC0));
        auto* c1 = new Label(columns, "lbNo", "Customer no.");
        c1->setFont({"Arial", 9, true, false, false, false});
        auto* c2 = new Label(columns, "lbCompany", "Company");
        c2->setLeft(120);
        c2->setFont({"Times New Roman", 11, false, true, false, false});
        auto* c3 = new Label(columns, "lbSales", "Total sales");
        c3->setAutoSize(false);
        c3->setGeometry(700, 0, 150, 20);
        c3->setAlignment(Qt::AlignRight);

        Band* detail = r.addBand(BandKind::Detail, "BandDetail", 20);
        auto* d1 = new DBText(detail, "dbNo", "No");
        d1->setGeometry(0, 0, 100, 20);
        auto* d2 = new DBText(detail, "dbCompany", "Company");
        d2->setGeometry(120, 0, 300, 20);
        auto* d3 = new DBText(detail, "dbCity", "City");
        d3->setGeometry(440, 0, 150, 20);
        d3->setAlignment(Qt::AlignHCenter);
        d3->setFont({"Courier New", 10, false, false, false, false});
        auto* d4 = new DBText(detail, "dbSales", "Sales");
        d4->setGeometry(700, 0, 150, 20);
        d4->setAlignment(Qt::AlignRight);
        d4->setFont({"Arial", 10, false, false, false, true});

        Band* footer = r.addBand(BandKind::PageFooter, "BandFooter", 30);
        auto* page = new SysData(footer, "sysPageNo", SysData::PageNumber);
        page->setText("Page ");
        page->setLeft(400);
        auto* box = new Shape(footer, "shBox");
        box->setGeometry(0, 2, 900, 26);
        box->setPenWidth(2);
        box->setPenColor(QColor(200, 0, 0));
    }
    MemoryDataSource source;
    Report r;
};

// Writes the report through an engine set up as the invoice editor sets it up.
struct PdfOut {
    explicit PdfOut(const QString& path) {
        printing::setupInvoicePdfEngine(engine);
        engine.Preferences.ShowSetupDialog = false;
        engine.Preferences.OpenAfterCreate = false;
        engine.setFileName(path);
        bridge.Engine = &engine;
        bridge.ShowProgress = false;
    }
    TgtPDFEngine engine;
    TgtQRExportInterface bridge;
};

class ReportPdf : public PdfFiles {
protected:
    void SetUp() override {
        if (!haveTool("pdftotext") || !haveTool("qpdf"))
            GTEST_SKIP() << "poppler-utils and qpdf are needed";
    }
};

} // namespace

TEST_F(ReportPdf, InvoiceTextStandsWhereThePreviewPutsIt) {
    TempDataDir dir;
    setSampleCompany();
    Service::DesignFile = Service::filePath(Service::shippedDataDir(), "Classic.ini");
    SampleInvoice s("Invoice", 6);
    s.fm->setFreeText("<p>Thank you for your order. Payment to <b>Harbour Bank</b>.</p>");
    s.r().element<Label>("lbCust")->setCaption(
        QString::fromUtf8("Zakład Stolarski Łódź Sp. z o.o."));
    int laidOut = 0;
    auto before = s.r().onBeforePrint;
    s.r().onBeforePrint = [&](Report& r, bool& print) {
        ++laidOut;
        before(r, print);
    };

    const QString file = path("Invoice2026-0042.pdf");
    PdfOut out(file);
    ASSERT_TRUE(out.bridge.Render(s.r())) << qPrintable(out.bridge.errorString());
    EXPECT_EQ(laidOut, 1);
    EXPECT_TRUE(out.bridge.warnings().isEmpty()) << qPrintable(out.bridge.warnings().join('\n'));

    const PreparedDocument& doc = s.r().prepared();
    ASSERT_GE(doc.pageCount(), 1);
    double worst = 0;
    const QStringList problems = comparePositions(doc, readWords(file), 0.1, &worst);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
    RecordProperty("worst_deviation_pt", QString::number(worst, 'f', 4).toStdString());
    std::printf("invoice: largest deviation %.4f pt\n", worst);

    // Searchable as a reader searches: the Polish name and the free text come back whole.
    const QString text = textOf(file);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Zakład Stolarski Łódź Sp. z o.o.")))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("Payment to Harbour Bank.")) << qPrintable(text);

    // The same page in pixels: the preview's own drawing and a PDF reader's.
    const QImage preview = renderPageImage(doc.pages.front(), 96);
    const QImage reader = readerImage(file, 96);
    ASSERT_FALSE(reader.isNull());
    EXPECT_EQ(reader.size(), preview.size());
    const double difference = largestBlockDifference(preview, reader);
    std::printf("invoice: largest block difference %.3f\n", difference);
    EXPECT_LT(difference, 0.2);
    saveRenderings(doc, file, "invoice");
}

TEST_F(ReportPdf, EveryPageOfAReportWithEveryElementMatchesItsLayout) {
    ListReport list;
    auto* longCaption = new Label(list.r.bandNamed("BandTitle"), "lbLong",
                                  "A caption far longer than the box it must stay inside");
    longCaption->setAutoSize(false);
    longCaption->setGeometry(600, 100, 120, 20);
    // Drawn whole and cut off at the box's edges, which the PDF does with a clipping path.
    longCaption->setOverflow(TextElement::Overflow::Clip);
    const QString file = path("list.pdf");
    PdfOut out(file);
    ASSERT_TRUE(out.bridge.Render(list.r)) << qPrintable(out.bridge.errorString());
    const PreparedDocument& doc = list.r.prepared();
    ASSERT_GE(doc.pageCount(), 3);
    ASSERT_TRUE(doc.pages[0].find("lbLong")->clip);

    // Letter landscape from the report, although the engine was set up for A4 portrait; the
    // caller's page setting is given back afterwards.
    const std::vector<PdfPage> pages = readWords(file);
    ASSERT_EQ(pages.size(), size_t(doc.pageCount()));
    EXPECT_NEAR(pages[0].width, 792, 0.01);
    EXPECT_NEAR(pages[0].height, 612, 0.01);
    EXPECT_DOUBLE_EQ(out.engine.Page.Width, 8.2677);
    EXPECT_DOUBLE_EQ(out.engine.Page.Height, 11.6929);

    double worst = 0;
    const QStringList problems = comparePositions(doc, pages, 0.1, &worst);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
    std::printf("list of %d pages: largest deviation %.4f pt\n", doc.pageCount(), worst);
    const double difference =
        largestBlockDifference(renderPageImage(doc.pages.front(), 96), readerImage(file, 96));
    std::printf("list: largest block difference %.3f\n", difference);
    EXPECT_LT(difference, 0.2);
    saveRenderings(doc, file, "list");

    // Rich text stays text; the clipped caption is cut at its box.
    const QString text = textOf(file);
    EXPECT_TRUE(text.contains("thank you for your order.")) << qPrintable(text);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Zakład Stolarski Łódź")));
    const QByteArray bytes = readBytes(file);
    EXPECT_EQ(bytes.count("/Subtype/Image"), 1) << "the logo is stored once for all pages";
}

TEST_F(ReportPdf, AFileThatCannotBeCreatedStopsBeforeTheReportIsLaidOut) {
    ListReport list(5);
    int beforePrint = 0;
    list.r.onBeforePrint = [&](Report& r, bool&) {
        ++beforePrint;
        r.element<Label>("lbTitle")->setCaption("Changed while printing");
    };
    // A folder that is a file: no user, root included, can create anything below it.
    QFile blocker(m_dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString target = m_dir.filePath("blocker/Invoice1023.pdf");

    PdfOut out(target);
    EXPECT_FALSE(out.bridge.Render(list.r));
    EXPECT_TRUE(out.bridge.errorString().contains("cannot be created"))
        << qPrintable(out.bridge.errorString());
    EXPECT_TRUE(out.bridge.errorString().contains(QDir::toNativeSeparators(target)));
    EXPECT_EQ(beforePrint, 0);
    EXPECT_EQ(list.r.element<Label>("lbTitle")->caption(), "Customers - sales");
    EXPECT_EQ(list.r.prepared().pageCount(), 0);
    EXPECT_FALSE(out.engine.isDocumentOpen());

    TQRPDFDocumentFilter filter(target);
    EXPECT_FALSE(list.r.exportToFilter(filter));
    EXPECT_TRUE(filter.errorString().contains("cannot be created"));
    EXPECT_EQ(beforePrint, 0);

    // Adding to a document that is not open, or rendering without an engine, is refused too.
    out.bridge.DoBeginDoc = false;
    EXPECT_FALSE(out.bridge.Render(list.r));
    EXPECT_FALSE(out.bridge.errorString().isEmpty());
    TgtQRExportInterface unconnected;
    EXPECT_FALSE(unconnected.Render(list.r));
    EXPECT_FALSE(unconnected.errorString().isEmpty());
    EXPECT_EQ(beforePrint, 0);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"blocker"});
}

TEST_F(ReportPdf, TwoReportsGoIntoOneFileWhenTheFirstLeavesItOpen) {
    ListReport first(50, "qrFirst");
    ListReport second(8, "qrSecond");
    second.r.setPaperSize(PaperSize::A4);
    second.r.setOrientation(Orientation::Portrait);
    const QString file = path("both.pdf");
    TgtPDFEngine engine;
    printing::setupInvoicePdfEngine(engine);
    engine.Preferences.ShowSetupDialog = false;
    engine.Preferences.OpenAfterCreate = false;
    engine.setFileName(file);

    TgtQRExportInterface opening(&engine);
    opening.DoEndDoc = false;
    ASSERT_TRUE(opening.Render(first.r)) << qPrintable(opening.errorString());
    EXPECT_TRUE(engine.isDocumentOpen());
    EXPECT_FALSE(QFileInfo::exists(file)) << "the file appears only when it is complete";

    TgtQRExportInterface closing(&engine);
    closing.DoBeginDoc = false;
    ASSERT_TRUE(closing.Render(second.r)) << qPrintable(closing.errorString());
    EXPECT_FALSE(engine.isDocumentOpen());
    ASSERT_TRUE(QFileInfo::exists(file));

    PreparedDocument both = first.r.prepared();
    for (const PreparedPage& page : second.r.prepared().pages)
        both.pages.push_back(page);
    const std::vector<PdfPage> pages = readWords(file);
    ASSERT_EQ(pages.size(), both.pages.size());
    EXPECT_NEAR(pages.front().width, 792, 0.01); // Letter landscape, then A4 portrait
    EXPECT_NEAR(pages.back().width, 595.2756, 0.01);
    const QStringList problems = comparePositions(both, pages, 0.1);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
}

TEST_F(ReportPdf, ProgressIsReportedOnlyWhenSwitchedOn) {
    ListReport list(60);
    PdfOut out(path("progress.pdf"));
    QList<std::pair<int, int>> seen;
    out.bridge.setProgressHandler([&](int page, int count) { seen.append({page, count}); });
    ASSERT_TRUE(out.bridge.Render(list.r));
    EXPECT_TRUE(seen.isEmpty());
    out.bridge.ShowProgress = true;
    ASSERT_TRUE(out.bridge.Render(list.r));
    const int pages = list.r.prepared().pageCount();
    ASSERT_EQ(seen.size(), pages);
    EXPECT_EQ(seen.front(), std::make_pair(1, pages));
    EXPECT_EQ(seen.back(), std::make_pair(pages, pages));
}

TEST_F(ReportPdf, TheFileIsOpenedOnlyWhenAskedAndAMissingReaderIsSaid) {
    TempDataDir dir;
    QStringList started;
    int answer = 2; // nothing starts
    Service::setExecuteFileHook([&](const QString& program, const QString& parameters,
                                    const QString& directory, int showMode) {
        started << QString("%1 %2 %3 %4").arg(program, parameters, directory).arg(showMode);
        EXPECT_TRUE(QFileInfo::exists(QDir(directory).filePath(parameters)))
            << "the file is complete before it is opened";
        return answer;
    });
    MessageRecorder messages;
    ListReport list(3);
    const QString file = path("Invoice1023.pdf");
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());

    PdfOut out(file);
    ASSERT_TRUE(out.bridge.Render(list.r));
    EXPECT_TRUE(started.isEmpty());

    out.engine.Preferences.OpenAfterCreate = true;
    answer = 42;
    ASSERT_TRUE(out.bridge.Render(list.r));
    EXPECT_EQ(started, QStringList{"Acrord32 Invoice1023.pdf " + folder + " 1"});
    EXPECT_TRUE(messages.empty());

    started.clear();
    answer = 2;
    ASSERT_TRUE(out.bridge.Render(list.r));
    EXPECT_EQ(started, (QStringList{"Acrord32 Invoice1023.pdf " + folder + " 1",
                                    "Acrobat Invoice1023.pdf " + folder + " 1"}));
    ASSERT_EQ(messages.texts(), QStringList{"There is no Acrobat program on this computer.\r\n"
                                            "The document can not be read."});
    EXPECT_EQ(messages.messages().front().type, ui::MsgType::Error);
    EXPECT_TRUE(QFileInfo::exists(file)) << "the file stays";
    Service::setExecuteFileHook(nullptr);
}

TEST_F(ReportPdf, DocumentFilterWritesExactlyTheNamedFile) {
    ListReport list(30);
    for (const QString& name : {QStringLiteral("Customers phone list 24.12.2026.pdf"),
                                QStringLiteral("Customers phone list 24.12.2026")}) {
        const QString file = m_dir.filePath(name);
        auto filter = std::make_unique<TQRPDFDocumentFilter>(file);
        ASSERT_TRUE(list.r.exportToFilter(*filter)) << qPrintable(filter->errorString());
        filter.reset();
        ASSERT_TRUE(QFileInfo::exists(file)) << qPrintable(name);
        EXPECT_EQ(checkWithQpdf(file), QString());
        const QStringList problems = comparePositions(list.r.prepared(), readWords(file), 0.1);
        EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join('\n'));
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2);
}
