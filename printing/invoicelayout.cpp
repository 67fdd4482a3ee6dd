#include "printing/invoicelayout.h"

#include "report/report.h"
#include "report/units.h"
#include "service/service.h"

#include <cmath>
#include <initializer_list>
#include <utility>

using namespace report;

namespace printing {

namespace {

Label* label(Band* band, const char* name, const QString& caption = QString()) {
    return new Label(band, QLatin1String(name), caption);
}

// A value or caption that keeps the width it is given.
Label* fixedLabel(Band* band, const char* name, double width, const QString& caption = QString(),
                  Qt::Alignment alignment = Qt::AlignLeft) {
    Label* l = label(band, name, caption);
    l->setAutoSize(false);
    l->setWidth(width);
    l->setAlignment(alignment);
    return l;
}

DBText* field(Band* band, const char* name, const char* fieldName, Qt::Alignment alignment) {
    auto* t = new DBText(band, QLatin1String(name), QLatin1String(fieldName));
    t->setAlignment(alignment);
    return t;
}

} // namespace

void buildInvoiceLayout(Report& r) {
    r.setPageHeaderOnFirstPage(false);
    r.setPageFooterOnLastPage(true);
    r.setPrintIfEmpty(true);

    // ---- Heading -------------------------------------------------------------------------
    Band* heading = r.addBand(BandKind::Title, QStringLiteral("BandHeading"), 275);
    auto* logo = new Picture(heading, QStringLiteral("Logga"));
    logo->setGeometry(0, 0, 228, 114);
    logo->setStretch(true);
    label(heading, "lbShortName");
    fixedLabel(heading, "lbDocument", 200, QStringLiteral("Invoice"), Qt::AlignHCenter);
    fixedLabel(heading, "lbInvoiceNo", 200, QString(), Qt::AlignHCenter);
    label(heading, "lbCustNo1", QStringLiteral("Customer no:"));
    label(heading, "lbCustNo2");
    label(heading, "lbCustomer", QStringLiteral("Customer:"));
    label(heading, "lbCust");
    label(heading, "lbAddressRow1");
    label(heading, "lbAddressRow2");
    label(heading, "lbAddressRow3");
    label(heading, "lbCustVAT1", QStringLiteral("VAT No."));
    label(heading, "lbCustVAT2");
    label(heading, "lbDate1", QStringLiteral("Invoice date:"));
    label(heading, "lbDate2");
    label(heading, "lbDueDate1Head", QStringLiteral("Due date:"));
    label(heading, "lbDueDate2Head");
    label(heading, "lbYourRef1", QStringLiteral("Your reference:"));
    label(heading, "lbYourRef2");
    label(heading, "lbOurRef1", QStringLiteral("Our reference:"));
    label(heading, "lbOurRef2");
    // The moved footer: the company data in the heading, for designs without a page footer.
    Label* nameHead = fixedLabel(heading, "lbCompanyNameHead", 228);
    nameHead->setWordWrap(true);
    nameHead->setAutoStretch(true);
    label(heading, "lbCompanyAddressHead");
    label(heading, "lbCompanyCityHead");
    label(heading, "lbCompanyEmailHead");
    fixedLabel(heading, "lbCompanyVATno1Head", 60, QStringLiteral("VAT no.:"));
    label(heading, "lbCompanyVATno2Head");
    label(heading, "lbPhone1Head", QStringLiteral("Phone"));
    label(heading, "lbCompanyPhoneHead");
    label(heading, "lbFax1Head", QStringLiteral("Fax."));
    label(heading, "lbCompanyFaxHead");
    label(heading, "lbBank1Head", QStringLiteral("Bank"));
    auto* bankHead = new Memo(heading, QStringLiteral("mCompanyBankHead"));
    bankHead->setWidth(200);
    bankHead->setHeight(57);

    // ---- Extra pages ---------------------------------------------------------------------
    Band* newPage = r.addBand(BandKind::PageHeader, QStringLiteral("BandNewPage"), 48);
    label(newPage, "lbInvNoP1", QStringLiteral("Invoice"));
    label(newPage, "lbInvNoP2");
    label(newPage, "lbPage", QStringLiteral("Page:"));
    new SysData(newPage, QStringLiteral("sysPageNo"), SysData::PageNumber);

    // ---- Column titles and rows ----------------------------------------------------------
    Band* titles = r.addBand(BandKind::ColumnHeader, QStringLiteral("BandTitles"), 30);
    titles->setColor(QColor(0xC0, 0xC0, 0xC0));
    struct Column {
        const char* title;
        const char* caption;
        double width;
        const char* row;
        const char* field; // empty: a label filled row by row
    };
    static const Column columns[] = {
        {"lbItem", "Item", 35, "dbItem", "Item"},
        {"lbCode", "Code", 100, "lbCode2", ""},
        {"lbDescription", "Description", 235, "dbDescription", "Description"},
        {"lbQty", "Qty", 65, "dbQty", "Qty"},
        {"lbUnit", "Unit", 50, "dbUnit", "Unit"},
        {"lbPrice", "Price", 110, "dbPrice", "Price"},
        {"lbDisc", "-%", 25, "dbDisc", "Discount"},
        {"lbVAT", "VAT %", 40, "dbVAT", "VAT %"},
        {"lbSum", "Sum", 110, "dbSum", "Sum"},
    };
    Band* items = r.addBand(BandKind::Detail, QStringLiteral("BandItems"), 28);
    bool numberColumn = false;
    for (const Column& c : columns) {
        numberColumn = numberColumn || QByteArray(c.title) == "lbQty";
        const Qt::Alignment titleAlign = numberColumn ? Qt::AlignHCenter : Qt::AlignLeft;
        const Qt::Alignment rowAlign = numberColumn ? Qt::AlignRight : Qt::AlignLeft;
        Label* title = fixedLabel(titles, c.title, c.width, QLatin1String(c.caption), titleAlign);
        title->setFontStyle(true, false);
        title->setFontSize(8);
        TextElement* row = nullptr;
        if (*c.field)
            row = field(items, c.row, c.field, rowAlign);
        else
            row = fixedLabel(items, c.row, c.width, QString(), rowAlign);
        row->setWidth(c.width);
    }
    // Amounts too long for their place are drawn smaller rather than lose digits.
    for (const char* name : {"dbQty", "dbPrice", "dbDisc", "dbVAT", "dbSum"})
        r.element<TextElement>(QLatin1String(name))->setOverflow(TextElement::Overflow::Shrink);
    // Codes and descriptions break into more lines rather than run into the next column.
    for (const char* name : {"lbCode2", "dbDescription"}) {
        auto* t = r.element<TextElement>(QLatin1String(name));
        t->setWordWrap(true);
        t->setAutoStretch(true);
    }

    Band* longDesc = r.addBand(BandKind::SubDetail, QStringLiteral("BandLongDesc"), 21);
    longDesc->setEnabled(false);
    DBText* ldesc = field(longDesc, "QRDBText1", "LDesc", Qt::AlignLeft);
    ldesc->setGeometry(5, 0, r.bandWidth() - 10, lineHeight(ldesc->font()));
    ldesc->setWordWrap(true);
    ldesc->setAutoStretch(true);

    // ---- Totals --------------------------------------------------------------------------
    Band* totals = r.addBand(BandKind::Summary, QStringLiteral("BandTotals"), 116);
    label(totals, "lbTerms1", QStringLiteral("Terms:"));
    fixedLabel(totals, "lbTerms2", 20);
    label(totals, "lbTerms3", QStringLiteral("days net."));
    label(totals, "lbDueDate1", QStringLiteral("Due date:"));
    label(totals, "lbDueDate2");
    label(totals, "lbSum1", QStringLiteral("Sum:"));
    label(totals, "lbSum2");
    fixedLabel(totals, "lbVAT1", 53, QStringLiteral("VAT:"));
    label(totals, "lbVAT2");
    label(totals, "lbTotal1", QStringLiteral("Total:"));
    label(totals, "lbTotal2");
    for (const char* name : {"lbTerms2", "lbSum2", "lbVAT2", "lbTotal2"})
        r.element<TextElement>(QLatin1String(name))->setOverflow(TextElement::Overflow::Shrink);
    auto* freeText = new RichText(totals, QStringLiteral("dataFreeText"));
    freeText->setGeometry(5, 55, 600, 56);
    // The "scan to pay" code of the amount due; empty (and so not printed) unless given.
    auto* payCode = new Matrix(totals, QStringLiteral("EPCQRCode"));
    payCode->setGeometry(726, 5, 90, 90);

    // ---- Page footer ---------------------------------------------------------------------
    Band* footer = r.addBand(BandKind::PageFooter, QStringLiteral("BandFooter"), 70);
    label(footer, "lbCompanyName");
    label(footer, "lbCompanyAddress");
    label(footer, "lbCompanyCity");
    label(footer, "lbPhone1", QStringLiteral("Phone"));
    label(footer, "lbCompanyPhone");
    label(footer, "lbFax1", QStringLiteral("Fax."));
    label(footer, "lbCompanyFax");
    label(footer, "lbCompanyEmail");
    fixedLabel(footer, "lbCompanyVATno1", 60, QStringLiteral("VAT no.:"));
    label(footer, "lbCompanyVATno2");
    label(footer, "lbBank1", QStringLiteral("Bank"));
    auto* bank = new Memo(footer, QStringLiteral("mCompanyBank"));
    bank->setWidth(200);
    bank->setHeight(56);

    // ---- The frame around the rows, placed page by page ------------------------------------
    auto* frame = new Shape(r.overlay(), QStringLiteral("shItemFrame"));
    frame->setPenWidth(2);

    // Every text element in the report's font unless the design says otherwise.
    for (Band* b : r.bands())
        for (Element* e : b->elements())
            if (auto* t = qobject_cast<TextElement*>(e); t && t->font().family.isEmpty())
                t->setFontName(QStringLiteral("Arial"));
}

void fillCompanyFooter(Report& r) {
    auto set = [&](const char* name, const QString& text) {
        if (auto* l = r.element<Label>(QLatin1String(name)))
            l->setCaption(text);
    };
    set("lbCompanyName", Service::CompanyName);
    set("lbCompanyAddress", Service::CompanyAddress);
    if (!Service::CompanyState.isEmpty())
        set("lbCompanyCity", Service::CompanyCity + QStringLiteral(", ") + Service::CompanyState +
                                 QStringLiteral(", ") + Service::CompanyZip);
    else
        set("lbCompanyCity", Service::CompanyCity + QStringLiteral(", ") + Service::CompanyZip);
    set("lbCompanyPhone", Service::CompanyPhone);
    set("lbCompanyFax", Service::CompanyFax);
    set("lbCompanyEmail", Service::CompanyEmail);
    set("lbCompanyVATno2", Service::VATnumber);
    if (auto* bank = r.element<Memo>(QStringLiteral("mCompanyBank")))
        bank->setText(Service::CompanyBank);
}

void setFooterHeight(Report& r, bool vat) {
    if (Band* footer = r.bandNamed(QStringLiteral("BandFooter")))
        footer->setHeight(vat ? 70 : 33);
}

double pageScale(const Report& r) {
    return r.pageHeightUnits() / r.pageLength();
}

void placeItemFrame(Report& r, double bandHeight, double scale) {
    auto* frame = r.element<Shape>(QStringLiteral("shItemFrame"));
    Band* items = r.bandNamed(QStringLiteral("BandItems"));
    Band* totals = r.bandNamed(QStringLiteral("BandTotals"));
    Band* footer = r.bandNamed(QStringLiteral("BandFooter"));
    if (!frame || !items)
        return;
    // The page's own margins (the design's), so the frame starts where the band really ends
    // even when the service's margins differ from the design's.
    const double t = r.topMargin();
    const double b = r.bottomMargin();
    const double top = std::trunc(t * scale + bandHeight);
    double height = r.pageHeightUnits() - (totals ? totals->height() : 0) - (t + b) * scale -
                    bandHeight - (footer && footer->isEnabled() ? footer->height() : 0);
    frame->setGeometry(items->left(), top, items->width(), std::trunc(height));
}

QString dateCaptionForKind(const QString& kind) {
    if (kind == QLatin1String("Receipt") || kind == QLatin1String("Quotation") ||
        kind == QLatin1String("Packing slip") || kind == QLatin1String("Delivery note"))
        return QStringLiteral("Date");
    if (kind == QLatin1String("Credit invoice"))
        return QStringLiteral("Invoice date");
    return QString();
}

namespace {

void copyCaptions(Report& r, std::initializer_list<std::pair<const char*, const char*>> copies) {
    for (const auto& [toName, fromName] : copies) {
        auto* to = r.element<Label>(QLatin1String(toName));
        auto* from = r.element<Label>(QLatin1String(fromName));
        if (to && from)
            to->setCaption(from->caption());
    }
}

} // namespace

void copyHeadingData(Report& r) {
    copyCaptions(r, {{"lbCompanyNameHead", "lbCompanyName"},
                     {"lbCompanyAddressHead", "lbCompanyAddress"},
                     {"lbCompanyCityHead", "lbCompanyCity"},
                     {"lbCompanyPhoneHead", "lbCompanyPhone"},
                     {"lbCompanyFaxHead", "lbCompanyFax"},
                     {"lbCompanyVATno1Head", "lbCompanyVATno1"},
                     {"lbCompanyVATno2Head", "lbCompanyVATno2"},
                     {"lbCompanyEmailHead", "lbCompanyEmail"},
                     {"lbDueDate2Head", "lbDueDate2"}});
    auto* bankHead = r.element<Memo>(QStringLiteral("mCompanyBankHead"));
    auto* bank = r.element<Memo>(QStringLiteral("mCompanyBank"));
    if (bankHead && bank)
        bankHead->setLines(bank->lines());
}

void copyHeadingValues(Report& r) {
    copyHeadingData(r);
    copyCaptions(r, {{"lbPhone1Head", "lbPhone1"},
                     {"lbFax1Head", "lbFax1"},
                     {"lbBank1Head", "lbBank1"},
                     {"lbDueDate1Head", "lbDueDate1"},
                     {"lbInvNoP1", "lbDocument"},
                     {"lbInvNoP2", "lbInvoiceNo"}});
}

QStringList movedFooterElements() {
    return {QStringLiteral("lbCompanyNameHead"),   QStringLiteral("lbCompanyAddressHead"),
            QStringLiteral("lbCompanyCityHead"),   QStringLiteral("lbCompanyVATno1Head"),
            QStringLiteral("lbCompanyVATno2Head"), QStringLiteral("lbPhone1Head"),
            QStringLiteral("lbCompanyPhoneHead"),  QStringLiteral("lbFax1Head"),
            QStringLiteral("lbCompanyFaxHead"),    QStringLiteral("lbCompanyEmailHead"),
            QStringLiteral("lbBank1Head"),         QStringLiteral("mCompanyBankHead")};
}

} // namespace printing
