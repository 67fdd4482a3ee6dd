#include "taxes/tfmqrtaxprint.h"

#include "report/dbdatasource.h"
#include "report/report.h"
#include "report/textlayout.h"
#include "report/units.h"
#include "service/service.h"

#include <QFileInfo>

using namespace report;

namespace {

// A one-line text in a box of its own, aligned inside it.
template <typename T>
T* placeText(T* element, double left, double top, double width, Qt::Alignment alignment) {
    element->setAutoSize(false);
    element->setAlignment(alignment);
    element->setGeometry(left, top, width, lineHeight(element->font()));
    return element;
}

} // namespace

TfmqrTaxPrint::TfmqrTaxPrint(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmqrTaxPrint"), QStringLiteral("Taxes")) {
    qrTaxPrint = new Report(this, QStringLiteral("qrTaxPrint"));
    qrTaxPrint->setTitle(QStringLiteral("Taxes"));
    qrTaxPrint->setOrientation(Orientation::Portrait);
    qrTaxPrint->setPaperSize(Service::Country == QLatin1String("US") ? PaperSize::Letter
                                                                     : PaperSize::A4);
    qrTaxPrint->setTopMargin(Service::TopMargin);
    qrTaxPrint->setBottomMargin(Service::BottomMargin);
    qrTaxPrint->setLeftMargin(Service::LeftMargin);
    qrTaxPrint->setRightMargin(Service::RightMargin);
    qrTaxPrint->setPrintIfEmpty(true);

    const double mm = kUnitsPerMm;
    Band* title = qrTaxPrint->addBand(BandKind::Title, QStringLiteral("BandTitle"), 30 * mm);
    const double width = title->width();

    auto* logo = new Picture(title, QStringLiteral("Logga"));
    logo->setGeometry(0, 0, 50 * mm, 25 * mm);
    const QString logoFile = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
    if (QFileInfo::exists(logoFile))
        logo->loadFromFile(logoFile);

    auto* heading = new Label(title, QStringLiteral("lbTitle"), QStringLiteral("Taxes"));
    heading->setFontSize(16);
    heading->setFontStyle(true, false);
    placeText(heading, 0, 4 * mm, width, Qt::AlignHCenter);
    auto* company = new Label(title, QStringLiteral("lbCompanyName"), Service::CompanyName);
    company->setFontStyle(true, false);
    placeText(company, width / 2, 0, width / 2, Qt::AlignRight);
    auto* date = new SysData(title, QStringLiteral("sysDate"), SysData::Date);
    placeText(date, width / 2, 6 * mm, width / 2, Qt::AlignRight);
    auto* used = new Label(title, QStringLiteral("lbUsed"), QStringLiteral("(used in invoicing)"));
    placeText(used, 0, 13 * mm, width, Qt::AlignHCenter);
    // The rule under the title.
    auto* rule = new Shape(title, QStringLiteral("shTitleRule"));
    rule->setPenWidth(0);
    rule->setBackgroundColor(Qt::black);
    rule->setGeometry(0, title->height() - 0.3 * mm, width, 0.3 * mm);

    const double percentLeft = 120 * mm;
    const double percentWidth = 25 * mm;
    Band* header =
        qrTaxPrint->addBand(BandKind::ColumnHeader, QStringLiteral("BandColumnHeader"), 9 * mm);
    auto* lbDescription =
        new Label(header, QStringLiteral("lbDescription"), QStringLiteral("Description"));
    lbDescription->setFontStyle(true, false);
    placeText(lbDescription, 0, 2 * mm, percentLeft - 5 * mm, Qt::AlignLeft);
    auto* lbPercent = new Label(header, QStringLiteral("lbPercent"), QStringLiteral("%"));
    lbPercent->setFontStyle(true, false);
    placeText(lbPercent, percentLeft, 2 * mm, percentWidth, Qt::AlignRight);

    Band* detail = qrTaxPrint->addBand(BandKind::Detail, QStringLiteral("BandDetail"), 6 * mm);
    auto* description = placeText(
        new DBText(detail, QStringLiteral("dbDescription"), QStringLiteral("Description")), 0, 0,
        percentLeft - 5 * mm, Qt::AlignLeft);
    // A description longer than its column goes on in more lines of its own line.
    description->setWordWrap(true);
    description->setAutoStretch(true);
    auto* percent =
        placeText(new DBText(detail, QStringLiteral("dbPercent"), QStringLiteral("Percent")),
                  percentLeft, 0, percentWidth, Qt::AlignRight);
    percent->setOverflow(TextElement::Overflow::Shrink);
}

TfmqrTaxPrint::~TfmqrTaxPrint() = default;

void TfmqrTaxPrint::setDataSet(db::DataSet* taxes) {
    m_source = std::make_unique<DbDataSource>(taxes);
    qrTaxPrint->setDataSource(m_source.get());
}

void TfmqrTaxPrint::setCompanyName(const QString& name) {
    if (auto* label = qrTaxPrint->element<Label>(QStringLiteral("lbCompanyName")))
        label->setCaption(name);
}
