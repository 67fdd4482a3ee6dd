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
    double size = 0;     // font size in points
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
                                         run.origin.y() * kPointsPerUnit, run.font.size, run.font});
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

        Band* title = r.addBand(BandKind::Title, "BandTitle", 150);
        auto* heading = new Label(title, "lbTitle", "Customers - sales");
        heading->setFont({"Arial", 16, true, false, false, false});
        heading->setGeometry(0, 0, 0, 0);
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
        auto* clipped = new Label(title, "lbClipped", "Cut off");
        clipped->setAutoSize(false);
        clipped->setGeometry(0, 110, 300, 20);
        auto* frame = new Shape(title, "shRule");
        frame->setGeometry(0, 140, 900, 0);
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

    if (const QByteArray dirOut = qgetenv("MEROVIA_RENDER_DIR"); !dirOut.isEmpty()) {
        const QString target = QString::fromLocal8Bit(dirOut);
        renderPageImage(doc.pages.at(0), 96).save(target + "/invoice_preview.png");
        runTool("pdftoppm", {"-png", "-r", "96", "-f", "1", "-l", "1", "-singlefile", file,
                             target + "/invoice_pdf"});
    }
}
