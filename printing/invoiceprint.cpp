#include "printing/invoiceprint.h"

#include "einvoice/codes.h"

#include "printing/designfile.h"
#include "printing/invoicelayout.h"
#include "report/dbdatasource.h"
#include "report/report.h"
#include "report/units.h"
#include "service/service.h"
#include "service/textroutines.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

using namespace report;

namespace printing {

namespace {

// Captions whose printing the data decide as well as the design.
const char* const kDataCaptions[] = {"lbYourRef1",      "lbOurRef1",          "lbPhone1",
                                     "lbFax1",          "lbCompanyVATno1",    "lbBank1",
                                     "lbPhone1Head",    "lbFax1Head",         "lbCompanyVATno1Head",
                                     "lbBank1Head",     "lbCustVAT1",         "lbCustVAT2",
                                     "lbCompanyVATno2", "lbCompanyVATno2Head"};

void show(Report& r, const char* name, bool on) {
    if (Element* e = r.element(QLatin1String(name)))
        e->setEnabled(on);
}

void hide(Report& r, std::initializer_list<const char*> names) {
    for (const char* name : names)
        show(r, name, false);
}

QString caption(const Report& r, const char* name) {
    auto* l = r.element<Label>(QLatin1String(name));
    return l ? l->caption() : QString();
}

void setCaption(Report& r, const char* name, const QString& text) {
    if (auto* l = r.element<Label>(QLatin1String(name)))
        l->setCaption(text);
}

bool hasLine(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            return true;
    return false;
}

double parseNumber(const QString& text) {
    bool ok = false;
    double v = text.toDouble(&ok);
    if (!ok)
        v = QLocale().toDouble(text, &ok);
    return ok ? v : 0;
}

} // namespace

DesignStates DesignStates::capture(const Report& r) {
    DesignStates states;
    for (const char* name : kDataCaptions)
        if (const Element* e = r.element(QLatin1String(name)))
            states.m_enabled.insert(QLatin1String(name), e->isEnabled());
    return states;
}

QString rowText(DataSource* rows, const QString& field) {
    if (!rows || rows->eof())
        return QString();
    return rows->value(field).toString();
}

double rowNumber(DataSource* rows, const QString& field) {
    if (!rows || rows->eof())
        return 0;
    if (auto* db = dynamic_cast<DbDataSource*>(rows)) {
        const QVariant v = db->storedValue(field);
        return v.isNull() ? 0 : v.toDouble();
    }
    const QVariant v = rows->value(field);
    if (v.typeId() == QMetaType::QString)
        return parseNumber(v.toString());
    return v.toDouble();
}

bool rowFlag(DataSource* rows, const QString& field) {
    if (!rows || rows->eof())
        return false;
    QVariant v;
    if (auto* db = dynamic_cast<DbDataSource*>(rows))
        v = db->storedValue(field);
    else
        v = rows->value(field);
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        return t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t.toInt() != 0;
    }
    return v.toBool();
}

void hideVatElements(Report& r) {
    hide(r, {"lbVAT", "dbVAT", "lbSum1", "lbSum2", "lbVAT1", "lbVAT2", "lbCompanyVATno1",
             "lbCompanyVATno2", "lbCompanyVATno1Head", "lbCompanyVATno2Head"});
}

QString companyNumberCaption(const QString& country) {
    if (country == QLatin1String("AU"))
        return QStringLiteral("ABN:");
    if (country == QLatin1String("CA"))
        return QStringLiteral("Business no.:");
    if (country == QLatin1String("NZ"))
        return QStringLiteral("GST no.:");
    return QStringLiteral("VAT no.:");
}

void adaptToDocument(Report& r, const QString& kind, DataSource* rows, const DesignStates& d) {
    // 1. References.
    show(r, "lbYourRef1", d.enabled("lbYourRef1") && !caption(r, "lbYourRef2").isEmpty());
    show(r, "lbOurRef1", d.enabled("lbOurRef1") && !caption(r, "lbOurRef2").isEmpty());

    // 2. and 3. Company captions print only with something to print beside them.
    const bool phone = !Service::CompanyPhone.isEmpty();
    const bool fax = !Service::CompanyFax.isEmpty();
    const bool vatNo = !Service::VATnumber.isEmpty();
    const bool bank = hasLine(Service::CompanyBank);
    show(r, "lbPhone1", d.enabled("lbPhone1") && phone);
    show(r, "lbFax1", d.enabled("lbFax1") && fax);
    show(r, "lbCompanyVATno1", d.enabled("lbCompanyVATno1") && vatNo);
    show(r, "lbBank1", d.enabled("lbBank1") && bank);
    const Band* footer = r.bandNamed(QStringLiteral("BandFooter"));
    if (footer && !footer->isEnabled()) {
        show(r, "lbPhone1Head", d.enabled("lbPhone1Head") && phone);
        show(r, "lbFax1Head", d.enabled("lbFax1Head") && fax);
        show(r, "lbCompanyVATno1Head", d.enabled("lbCompanyVATno1Head") && vatNo);
        show(r, "lbBank1Head", d.enabled("lbBank1Head") && bank);
    }

    // 4. Without VAT nothing of it prints.
    if (!Service::VAT)
        hideVatElements(r);

    // 5. The customer's VAT number belongs on a South African tax invoice only.
    const bool customerVat = Service::VAT && Service::Country == QLatin1String("ZA") &&
                             kind.toUpper() == QLatin1String("TAX INVOICE");
    show(r, "lbCustVAT1", d.enabled("lbCustVAT1") && customerVat);
    show(r, "lbCustVAT2", d.enabled("lbCustVAT2") && customerVat);

    // 6. The Canadian tax title is longer.
    if (Service::Country == QLatin1String("CA"))
        if (auto* vat = r.element<TextElement>(QStringLiteral("lbVAT")))
            vat->setFontSize(7);

    // 7. The discount column, when discounts are used and a row has one.
    show(r, "lbDisc", false);
    if (Service::Disc && rows) {
        for (rows->first(); !rows->eof(); rows->next()) {
            if (rowNumber(rows, QStringLiteral("Discount")) > 0) {
                show(r, "lbDisc", true);
                show(r, "dbDisc", true);
                break;
            }
        }
        rows->first();
    }

    // 8. The company number's caption by country.
    setCaption(r, "lbCompanyVATno1", companyNumberCaption(Service::Country));

    // 9. The logo replaces the short name.
    if (auto* logo = r.element<Picture>(QStringLiteral("Logga"))) {
        const QString file = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
        if (QFileInfo::exists(file) && logo->loadFromFile(file)) {
            // A design that switches the logo off keeps the short name it gave.
            if (logo->isEnabled())
                show(r, "lbShortName", false);
        } else {
            logo->clear();
        }
    }

    // 10. The titles' background.
    if (Band* titles = r.bandNamed(QStringLiteral("BandTitles")))
        titles->setColor(QColor(0xC0, 0xC0, 0xC0));

    // 11. Copies into the heading and the extra-pages band.
    copyHeadingValues(r);

    // 12. What the document kind hides.
    if (kind == QLatin1String("Packing slip") || kind == QLatin1String("Delivery note"))
        hide(r, {"lbPrice", "dbPrice", "lbDisc", "dbDisc", "lbVAT", "dbVAT", "lbSum", "dbSum",
                 "lbSum1", "lbSum2", "lbTotal1", "lbTotal2", "lbVAT1", "lbVAT2"});
    const QString date = dateCaptionForKind(kind);
    if (!date.isEmpty()) {
        setCaption(r, "lbDate1", date);
        hide(r, {"lbDueDate1Head", "lbDueDate2Head", "lbDueDate1", "lbDueDate2", "lbTerms1",
                 "lbTerms2", "lbTerms3"});
    }
}

void keepValuesBesideCaptions(Report& r) {
    static const struct {
        const char* value;
        const char* caption;
        double gap;
    } pairs[] = {{"lbDate2", "lbDate1", 5},
                 {"lbDueDate2Head", "lbDueDate1Head", 10},
                 {"lbCompanyPhoneHead", "lbPhone1Head", 5},
                 {"lbCompanyFaxHead", "lbFax1Head", 5},
                 {"lbCompanyVATno2Head", "lbCompanyVATno1Head", 5},
                 {"mCompanyBankHead", "lbBank1Head", 5},
                 {"lbInvNoP2", "lbInvNoP1", 10}};
    for (const auto& p : pairs) {
        Element* value = r.element(QLatin1String(p.value));
        const Element* caption = r.element(QLatin1String(p.caption));
        if (value && caption)
            value->setLeft(caption->left() + caption->width() + p.gap);
    }
}

double longDescriptionReserve(const QString& text) {
    const int lines = CountSign(text, QStringLiteral("\n")) + Longrows(text, 90);
    return lines >= 2 ? 21.0 * lines : 0.0;
}

bool rowStartsNewPage(double currentYmm, const QRectF& frame, double reserve, double scale) {
    if (scale <= 0)
        return false;
    const double limit = (frame.top() + frame.height() - reserve - 30) / scale;
    return currentYmm > limit;
}

QString printedCode(const QString& code, Orientation orientation) {
    if (orientation != Orientation::Portrait || code.size() <= 10)
        return code;
    return code.left(10) + QLatin1Char(' ') + code.mid(10);
}

QString documentPdfName(const QString& kind, const QString& number) {
    QString name = kind + number;
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    // A name of dots alone would be the folder itself or its parent; a leading dot would hide
    // the file.
    for (QChar& c : name) {
        if (c != QLatin1Char('.'))
            break;
        c = QLatin1Char('_');
    }
    if (name.isEmpty())
        name = QStringLiteral("Document");
    return name + QStringLiteral(".pdf");
}

std::optional<einvoice::EpcPayment> documentPayment(const QString& documentKind, Currency amountDue,
                                                    const QString& number) {
    if (documentKind != QLatin1String("Invoice") && documentKind != QLatin1String("Tax invoice"))
        return std::nullopt;
    if (amountDue <= Currency() || Service::CompanyIBAN.trimmed().isEmpty())
        return std::nullopt;
    const QString currency =
        Service::CompanyCurrency.isEmpty()
            ? einvoice::defaultCurrency(Service::CompanyCountry.isEmpty() ? Service::Country
                                                                          : Service::CompanyCountry)
            : Service::CompanyCurrency;
    if (currency != QLatin1String("EUR"))
        return std::nullopt;
    einvoice::EpcPayment p;
    p.bic = Service::CompanyBIC;
    p.name = Service::CompanyName;
    p.iban = Service::CompanyIBAN;
    p.amount = amountDue;
    p.remittance = number;
    return p;
}

} // namespace printing
