#include "customers/reportparts.h"

#include "report/textlayout.h"
#include "report/units.h"
#include "service/service.h"

#include <QFileInfo>

using namespace report;

namespace customers::print {

void setUpPage(Report& report, Orientation orientation) {
    report.setOrientation(orientation);
    report.setPaperSize(Service::Country == QLatin1String("US") ? PaperSize::Letter
                                                                : PaperSize::A4);
    report.setTopMargin(Service::TopMargin);
    report.setBottomMargin(Service::BottomMargin);
    report.setLeftMargin(Service::LeftMargin);
    report.setRightMargin(Service::RightMargin);
    report.setPrintIfEmpty(true);
}

double lineHeightOf(const TextElement* element) {
    return lineHeight(element->font());
}

Band* addTitleBand(Report& report, const QString& title, bool ruled) {
    const double mm = kUnitsPerMm;
    Band* band = report.addBand(BandKind::Title, QStringLiteral("BandTitle"), 30 * mm);
    const double width = band->width();
    auto* logo = new Picture(band, QStringLiteral("Logga"));
    logo->setGeometry(0, 0, 50 * mm, 25 * mm);
    const QString logoFile = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
    if (QFileInfo::exists(logoFile))
        logo->loadFromFile(logoFile);
    auto* heading = new Label(band, QStringLiteral("lbTitle"), title);
    heading->setFontSize(16);
    heading->setFontStyle(true, false);
    place(heading, 0, 8 * mm, width, Qt::AlignHCenter);
    auto* company = new Label(band, QStringLiteral("lbForetagsNamn"), Service::CompanyName);
    company->setFontStyle(true, false);
    place(company, width / 2, 0, width / 2, Qt::AlignRight);
    auto* date = new SysData(band, QStringLiteral("sysDate"), SysData::Date);
    place(date, width / 2, 6 * mm, width / 2, Qt::AlignRight);
    if (ruled)
        rule(band, QStringLiteral("shTitleRule"), band->height() - 0.3 * mm);
    return band;
}

Band* addPageFooter(Report& report) {
    const double mm = kUnitsPerMm;
    Band* band = report.addBand(BandKind::PageFooter, QStringLiteral("BandPageFooter"), 8 * mm);
    auto* page = new SysData(band, QStringLiteral("sysPageNumber"), SysData::PageNumber);
    page->setText(QStringLiteral("Page "));
    place(page, 0, 2 * mm, band->width(), Qt::AlignRight);
    return band;
}

DBText* captionAndValue(Band* band, const QString& stem, const QString& caption,
                        const QString& field, double left, double top, double captionWidth,
                        double valueWidth) {
    auto* label = new Label(band, QStringLiteral("lb") + stem + QLatin1Char('1'), caption);
    label->setFontStyle(true, false);
    place(label, left, top, captionWidth);
    auto* value = new DBText(band, QStringLiteral("db") + stem + QLatin1Char('2'), field);
    place(value, left + captionWidth, top, valueWidth);
    value->setOverflow(TextElement::Overflow::Shrink);
    return value;
}

void rule(Band* band, const QString& name, double top) {
    auto* line = new Shape(band, name);
    line->setPenWidth(0);
    line->setBackgroundColor(Qt::black);
    line->setGeometry(0, top, band->width(), 0.3 * kUnitsPerMm);
}

} // namespace customers::print
