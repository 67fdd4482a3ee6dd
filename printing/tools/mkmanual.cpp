// Writes the user's manual as a PDF file with the program's own report engine and PDF writer.
//
//   mkmanual SOURCE.txt OUTPUT.pdf
#include "report/datasource.h"
#include "report/elements.h"
#include "report/pdfexport.h"
#include "report/report.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

using namespace report;

namespace {

// The manual's lines as records with a kind ("H" heading, "P" paragraph) and a text; the
// title and subtitle go to the title band.
struct Manual {
    QString title;
    QString subtitle;
    MemoryDataSource body{{QStringLiteral("kind"), QStringLiteral("text")}};
};

bool readManual(const QString& path, Manual& manual) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString kind = line.left(1);
        const QString text = line.mid(2).trimmed();
        if (kind == QLatin1String("T"))
            manual.title = text;
        else if (kind == QLatin1String("S"))
            manual.subtitle = text;
        else
            manual.body.append({kind, text});
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkmanual SOURCE.txt OUTPUT.pdf\n");
        return 2;
    }
    Manual manual;
    if (!readManual(QString::fromLocal8Bit(argv[1]), manual)) {
        std::fprintf(stderr, "mkmanual: cannot read %s\n", argv[1]);
        return 1;
    }

    Report report(nullptr, QStringLiteral("qrManual"));
    report.setTitle(manual.title);
    report.setPaperSize(PaperSize::A4);
    report.setOrientation(Orientation::Portrait);
    report.setLeftMargin(25);
    report.setRightMargin(25);
    report.setTopMargin(20);
    report.setBottomMargin(15);
    report.setPageFooterOnLastPage(true);
    report.setDataSource(&manual.body);
    const double width = report.bandWidth();

    Band* title = report.addBand(BandKind::Title, QStringLiteral("BandTitle"), 120);
    auto* rule = new Shape(title, QStringLiteral("shRule"));
    rule->setGeometry(0, 0, width, 6);
    rule->setPenWidth(3);
    rule->setPenColor(QColor(0x1f, 0x4e, 0x79));
    auto* heading = new Label(title, QStringLiteral("lbTitle"), manual.title);
    heading->setFontSize(26);
    heading->setFontStyle(true, false);
    heading->setColor(QColor(0x1f, 0x4e, 0x79));
    heading->setTop(22);
    auto* subtitle = new Label(title, QStringLiteral("lbSubtitle"), manual.subtitle);
    subtitle->setFontSize(12);
    subtitle->setTop(72);

    Band* detail = report.addBand(BandKind::Detail, QStringLiteral("BandText"), 30);
    auto* text = new DBText(detail, QStringLiteral("dbText"), QStringLiteral("text"));
    text->setWordWrap(true);
    text->setAutoStretch(true);
    text->setGeometry(0, 6, width, 20);
    // Headings stand out and keep a little air above them; paragraphs are plain.
    detail->onBeforePrint = [&](Band& band, bool&) {
        const bool isHeading = manual.body.value(QStringLiteral("kind")) == QLatin1String("H");
        text->setFontSize(isHeading ? 13 : 10.5);
        text->setFontStyle(isHeading, false);
        text->setTop(isHeading ? 14 : 4);
        band.setHeight(isHeading ? 36 : 24);
    };

    Band* footer = report.addBand(BandKind::PageFooter, QStringLiteral("BandFooter"), 30);
    auto* page = new SysData(footer, QStringLiteral("sysPageNo"), SysData::PageNumber);
    page->setFontSize(8);
    page->setAlignment(Qt::AlignRight);
    page->setLeft(width - 40);
    page->setWidth(40);
    page->setTop(10);

    TQRPDFDocumentFilter filter(QString::fromLocal8Bit(argv[2]));
    filter.engine().Title = manual.title;
    filter.engine().Subject = manual.subtitle;
    filter.engine().Creator = QStringLiteral("Merovia");
    if (!report.exportToFilter(filter)) {
        std::fprintf(stderr, "mkmanual: %s\n", qPrintable(filter.errorString()));
        return 1;
    }
    return 0;
}
