#include "customers/tfmqrcustout.h"

#include "customers/custrules.h"
#include "customers/reportparts.h"
#include "report/dbdatasource.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

using namespace report;
using customers::print::captionAndValue;
using customers::print::place;

namespace {

constexpr double mm = kUnitsPerMm;
constexpr double kLine = 5 * mm;
constexpr double kCaption = 35 * mm;
constexpr double kValue = 120 * mm;

// Lays out caption-value lines from the top of the band; returns the height used.
struct BlockWriter {
    Band* band;
    double top = 1 * mm;
    void line(const QString& stem, const QString& caption, const QString& field) {
        captionAndValue(band, stem, caption, field, 0, top, kCaption, kValue);
        top += kLine;
    }
};

// The address block of the address and all-data lists, with the country's rules: a hidden
// item is not printed at all.
void addressBlock(BlockWriter& w) {
    const customers::ListLayout l = customers::listLayout(Service::Country);
    w.line(QStringLiteral("CustNo"), QStringLiteral("Customer no."), QStringLiteral("Cust. no"));
    w.line(QStringLiteral("Company"), QStringLiteral("Company"), QStringLiteral("Company"));
    w.line(QStringLiteral("Reference"), QStringLiteral("Reference"), QStringLiteral("Reference"));
    w.line(QStringLiteral("Address1"), QStringLiteral("Address line 1"),
           QStringLiteral("Address line 1"));
    if (l.address2)
        w.line(QStringLiteral("Address2"), QStringLiteral("Address line 2"),
               QStringLiteral("Address line 2"));
    if (l.zip)
        w.line(QStringLiteral("Zip"), l.zipLabel, QStringLiteral("Zip"));
    if (l.state)
        w.line(QStringLiteral("State"), l.stateLabel, QStringLiteral("State"));
    w.line(QStringLiteral("City"), QStringLiteral("City"), QStringLiteral("City"));
    w.line(QStringLiteral("Phone"), QStringLiteral("Phone"), QStringLiteral("Phone"));
    w.line(QStringLiteral("Fax"), QStringLiteral("Fax"), QStringLiteral("Fax"));
    w.line(QStringLiteral("Mobile"), QStringLiteral("Mobile"), QStringLiteral("Mobile"));
    w.line(QStringLiteral("Email"), QStringLiteral("E-mail"), QStringLiteral("E-mail"));
}

void salesBlock(BlockWriter& w, bool withNames) {
    if (withNames) {
        w.line(QStringLiteral("CustNo"), QStringLiteral("Customer no."),
               QStringLiteral("Cust. no"));
        w.line(QStringLiteral("Company"), QStringLiteral("Company"), QStringLiteral("Company"));
        w.line(QStringLiteral("Reference"), QStringLiteral("Reference"),
               QStringLiteral("Reference"));
    }
    w.line(QStringLiteral("TotalSales"), QStringLiteral("Total sales"),
           QStringLiteral("Total sales"));
    w.line(QStringLiteral("PeriodSales"), QStringLiteral("Periods sales"),
           QStringLiteral("Periods sales"));
    w.line(QStringLiteral("Registered"), QStringLiteral("Registered"),
           QStringLiteral("Registered"));
    w.line(QStringLiteral("LastInvoice"), QStringLiteral("Last invoice"),
           QStringLiteral("Last invoice"));
}

// A block band; its height follows what it holds, with a gap and a thin rule below.
Band* blockBand(Report& report) {
    return report.addBand(BandKind::Detail, QStringLiteral("BandDetail"), 10 * mm);
}
void finishBlock(BlockWriter& w) {
    w.band->setHeight(w.top + 3 * mm);
}

} // namespace

TfmqrCustOutBase::TfmqrCustOutBase(QWidget* owner, const QString& formName,
                                   const QString& reportName, const QString& title, bool landscape,
                                   bool titleRuled)
    : ui::Form(owner, formName, title) {
    m_report = new Report(this, reportName);
    m_report->setTitle(title);
    customers::print::setUpPage(*m_report,
                                landscape ? Orientation::Landscape : Orientation::Portrait);
    customers::print::addTitleBand(*m_report, title, titleRuled);
    customers::print::addPageFooter(*m_report);
}

TfmqrCustOutBase::~TfmqrCustOutBase() = default;

void TfmqrCustOutBase::setDataSet(db::DataSet* customers) {
    m_source = std::make_unique<DbDataSource>(customers);
    m_report->setDataSource(m_source.get());
}

void TfmqrCustOutBase::setCompanyName(const QString& name) {
    if (auto* label = m_report->element<Label>(QStringLiteral("lbForetagsNamn")))
        label->setCaption(name);
}

TfmqrCustOutPhone::TfmqrCustOutPhone(QWidget* owner)
    : TfmqrCustOutBase(owner, QStringLiteral("TfmqrCustOutPhone"), QStringLiteral("qrCustOutPhone"),
                       QStringLiteral("Customers - phone list"), true, false) {
    qrCustOutPhone = m_report;
    Band* header =
        m_report->addBand(BandKind::ColumnHeader, QStringLiteral("BandColumnHeader"), 8 * mm);
    Band* detail = m_report->addBand(BandKind::Detail, QStringLiteral("BandDetail"), 5.5 * mm);
    struct Column {
        const char* stem;
        const char* title;
        const char* field;
        double width;
    };
    const Column columns[] = {{"CustNo", "Customer no.", "Cust. no", 25},
                              {"Company", "Company", "Company", 55},
                              {"Reference", "Reference", "Reference", 40},
                              {"Phone", "Phone", "Phone", 30},
                              {"Mobile", "Mobile", "Mobile", 30},
                              {"Fax", "Fax", "Fax", 30},
                              {"Email", "E-mail", "E-mail", 55}};
    double left = 0;
    for (const Column& c : columns) {
        auto* title = new Label(header, QStringLiteral("lb") + QLatin1String(c.stem),
                                QString::fromUtf8(c.title));
        title->setFontStyle(true, false);
        place(title, left, 1.5 * mm, (c.width - 1) * mm);
        auto* value = place(new DBText(detail, QStringLiteral("db") + QLatin1String(c.stem),
                                       QString::fromUtf8(c.field)),
                            left, 0, (c.width - 1) * mm);
        value->setOverflow(TextElement::Overflow::Shrink);
        left += c.width * mm;
    }
    customers::print::rule(header, QStringLiteral("shHeaderTop"), 0);
    customers::print::rule(header, QStringLiteral("shHeaderBottom"), header->height() - 0.3 * mm);
}

TfmqrCustOutAddress::TfmqrCustOutAddress(QWidget* owner)
    : TfmqrCustOutBase(owner, QStringLiteral("TfmqrCustOutAddress"),
                       QStringLiteral("qrCustOutAddress"), QStringLiteral("Customers - addresses"),
                       false, true) {
    qrCustOutAddress = m_report;
    BlockWriter w{blockBand(*m_report)};
    addressBlock(w);
    finishBlock(w);
}

TfmqrCustOutSales::TfmqrCustOutSales(QWidget* owner)
    : TfmqrCustOutBase(owner, QStringLiteral("TfmqrCustOutSales"), QStringLiteral("qrCustOutSales"),
                       QStringLiteral("Customers - sales"), false, true) {
    qrCustOutSales = m_report;
    BlockWriter w{blockBand(*m_report)};
    salesBlock(w, true);
    finishBlock(w);
}

TfmqrCustOutAll::TfmqrCustOutAll(QWidget* owner)
    : TfmqrCustOutBase(owner, QStringLiteral("TfmqrCustOutAll"), QStringLiteral("qrCustOutAll"),
                       QStringLiteral("Customers - all data"), false, true) {
    qrCustOutAll = m_report;
    BlockWriter w{blockBand(*m_report)};
    addressBlock(w);
    salesBlock(w, false);
    w.line(QStringLiteral("Note"), QStringLiteral("Note"), QStringLiteral("Note"));
    w.line(QStringLiteral("EInvoice"), QStringLiteral("E-mail invoices"),
           QStringLiteral("E-invoice"));
    // Decided for each customer as its block prints.
    if (auto* email = m_report->element<DBText>(QStringLiteral("dbEInvoice2")))
        email->setFormatter([](const QVariant& shown) {
            return shown.toString().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
                       ? QStringLiteral("YES")
                       : QStringLiteral("NO");
        });
    finishBlock(w);
}
