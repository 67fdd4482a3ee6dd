#include "customers/tfmqrcustinv.h"

#include "customers/reportparts.h"
#include "report/dbdatasource.h"
#include "report/report.h"
#include "report/units.h"

using namespace report;
using customers::print::place;

TfmqrCustInv::TfmqrCustInv(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmqrCustInv"), QStringLiteral("Customer - sales")) {
    qrCustInv = new Report(this, QStringLiteral("qrCustInv"));
    qrCustInv->setTitle(QStringLiteral("Customer - sales"));
    customers::print::setUpPage(*qrCustInv, Orientation::Portrait);
    customers::print::addTitleBand(*qrCustInv, QStringLiteral("Customer - sales"), true);

    const double mm = kUnitsPerMm;
    Band* header =
        qrCustInv->addBand(BandKind::ColumnHeader, QStringLiteral("BandColumnHeader"), 20 * mm);
    const double width = header->width();
    auto bold = [](Label* l) {
        l->setFontStyle(true, false);
        return l;
    };
    place(bold(new Label(header, QStringLiteral("lbCustNo1"), QStringLiteral("Customer no."))), 0,
          1 * mm, 30 * mm);
    place(new Label(header, QStringLiteral("lbCustNo2"), QString()), 30 * mm, 1 * mm, 60 * mm);
    place(bold(new Label(header, QStringLiteral("lbCompany1"), QStringLiteral("Company"))), 0,
          6 * mm, 30 * mm);
    place(new Label(header, QStringLiteral("lbCompany2"), QString()), 30 * mm, 6 * mm,
          width - 30 * mm);

    // Columns: invoice no, date, total, due, paid, delay.
    struct Column {
        const char* stem;
        const char* title;
        const char* field;
        double left, width;
        Qt::Alignment alignment;
    };
    const Column columns[] = {
        {"InvoiceNo", "Invoice no", "Invoice no", 0, 30, Qt::AlignLeft},
        {"InvoiceDate", "Invoice date", "Invoice date", 32, 28, Qt::AlignLeft},
        {"Total", "Total", "Total", 62, 34, Qt::AlignRight},
        {"Due", "Due", "Due", 100, 28, Qt::AlignLeft},
        {"Paid", "Paid", "Paid", 130, 28, Qt::AlignLeft},
        {"Delay", "Delay", "Delay", 160, 18, Qt::AlignRight}};
    Band* detail = qrCustInv->addBand(BandKind::Detail, QStringLiteral("BandDetail"), 6 * mm);
    for (const Column& c : columns) {
        place(bold(new Label(header, QStringLiteral("lb") + QLatin1String(c.stem),
                             QString::fromUtf8(c.title))),
              c.left * mm, 13 * mm, c.width * mm, c.alignment);
        auto* value = place(new DBText(detail, QStringLiteral("db") + QLatin1String(c.stem),
                                       QString::fromUtf8(c.field)),
                            c.left * mm, 0, c.width * mm, c.alignment);
        value->setOverflow(TextElement::Overflow::Shrink);
    }
    customers::print::rule(header, QStringLiteral("shHeaderRule"), header->height() - 0.3 * mm);

    Band* summary = qrCustInv->addBand(BandKind::Summary, QStringLiteral("BandSummary"), 14 * mm);
    place(bold(new Label(summary, QStringLiteral("lbPaid1"), QStringLiteral("Paid:"))), 0, 4 * mm,
          25 * mm);
    place(new Label(summary, QStringLiteral("lbPaid2"), QString()), 25 * mm, 4 * mm, 45 * mm,
          Qt::AlignRight);
    place(bold(new Label(summary, QStringLiteral("lbUnpaid1"), QStringLiteral("Unpaid:"))), 80 * mm,
          4 * mm, 25 * mm);
    place(new Label(summary, QStringLiteral("lbUnpaid2"), QString()), 105 * mm, 4 * mm, 45 * mm,
          Qt::AlignRight);
    customers::print::addPageFooter(*qrCustInv);
}

TfmqrCustInv::~TfmqrCustInv() = default;

void TfmqrCustInv::setDataSet(db::DataSet* documents) {
    m_source = std::make_unique<DbDataSource>(documents);
    qrCustInv->setDataSource(m_source.get());
}

void TfmqrCustInv::setTexts(const QString& custNo, const QString& company, const QString& paid,
                            const QString& unpaid) {
    const std::pair<const char*, QString> texts[] = {
        {"lbCustNo2", custNo}, {"lbCompany2", company}, {"lbPaid2", paid}, {"lbUnpaid2", unpaid}};
    for (const auto& [name, text] : texts)
        if (auto* label = qrCustInv->element<Label>(QString::fromUtf8(name)))
            label->setCaption(text);
}
