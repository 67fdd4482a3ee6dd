// Electronic invoices from the editor: the customer's format, the check before anything is
// written, the file the official rules accept, and the document stored and counted as printed
// with the total the file charges.
#include "editorfixture.h"

#include "einvoice/settlement.h"
#include "invoicing/einvoicedoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {

// The kit's verdict on the files: empty when every one is valid, else what it found.
QString findings(const QStringList& files, bool xrechnung) {
    const QString script = QStringLiteral(MEROVIA_EINVOICE_KIT) + QStringLiteral("/validate");
    if (!QFileInfo::exists(script))
        return QStringLiteral("the validation kit is missing: ") + script;
    QStringList args{script};
    if (xrechnung)
        args << QStringLiteral("--xrechnung");
    int code = -1;
    const QString out = run(QStringLiteral("bash"), args + files, &code);
    return code == 0 ? QString() : out;
}

QString firstValue(const QByteArray& xml, const QString& element) {
    const QRegularExpression re(QStringLiteral("<[a-z]+:%1[^>]*>([^<]*)<").arg(element));
    return re.match(QString::fromUtf8(xml)).captured(1);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A German company with everything an e-invoice needs, customer "17" of Berlin, and the VAT
// register's 19 %, 7 % and an exempt 0 %.
class EInvoiceTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Service::Country = QStringLiteral("DE");
        Service::CompanyName = QStringLiteral("Nordlicht Werkstatt GmbH");
        Service::CompanyAddress = QStringLiteral("Hafenstraße 12");
        Service::CompanyCity = QStringLiteral("Hamburg");
        Service::CompanyZip = QStringLiteral("20457");
        Service::CompanyCountry = QStringLiteral("DE");
        Service::CompanyEmail = QStringLiteral("rechnung@nordlicht.example");
        Service::CompanyPhone = QStringLiteral("+49 40 1234567");
        Service::VATnumber = QStringLiteral("DE123456789");
        Service::CompanyIBAN = QStringLiteral("DE89370400440532013000");
        Service::CompanyBIC = QStringLiteral("COBADEFFXXX");
        Service::CompanyLegalNo = QStringLiteral("HRB 12345");
        Service::CompanyCurrency.clear();
        Service::Disc = true;
        Service::DesignFile = dir.file(QStringLiteral("Classic.ini"));
        setting(QStringLiteral("Autonum"), QStringLiteral("2"));
        setting(QStringLiteral("LastTotalSeqNo"), QStringLiteral("1022"));
        auto vat = open(QStringLiteral("VAT"));
        for (vat.get()->First(); !vat->Eof();)
            vat->Delete();
        for (const auto& [rate, category, reason] :
             {std::tuple{"19", "", ""}, std::tuple{"7", "", ""},
              std::tuple{"0", "E", "Steuerfrei nach § 4 Nr. 14 UStG"}}) {
            vat->Append();
            vat->FieldByName(QStringLiteral("VAT %")).setAsString(QString::fromUtf8(rate));
            vat->FieldByName(QStringLiteral("Category")).setAsString(QString::fromUtf8(category));
            vat->FieldByName(QStringLiteral("Exemption reason"))
                .setAsString(QString::fromUtf8(reason));
            vat->Post();
        }
        addCustomer(QStringLiteral("17"), QStringLiteral("Stadtverwaltung Köln"), nullptr,
                    QStringLiteral("Köln"));
        customerFormat(QStringLiteral("XRechnung"));
    }
    void customerFormat(const QString& format,
                        const QString& reference = QStringLiteral("04011000-12345-34")) {
        auto c = customers();
        ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
        c->Edit();
        c->FieldByName(QStringLiteral("Country code")).setAsString(QStringLiteral("DE"));
        c->FieldByName(QStringLiteral("VAT No.")).setAsString(QStringLiteral("DE987654321"));
        c->FieldByName(QStringLiteral("E-mail"))
            .setAsString(QStringLiteral("e-rechnung@koeln.example"));
        c->FieldByName(QStringLiteral("Buyer reference")).setAsString(reference);
        c->FieldByName(QStringLiteral("E-invoice format")).setAsString(format);
        c->Post();
    }
    TfmInvoice& writeDocument(const QString& kind = QStringLiteral("Invoice")) {
        TfmInvoice& ed = editor();
        ed.btnNewInvoiceClick();
        ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(kind));
        ed.edCustNo->setText(QStringLiteral("17"));
        ed.edCustNoExit();
        ed.dbTRow->EmptyTable();
        addRow(QStringLiteral("P1"), QStringLiteral("Reparatur Heizung"), 3, "41.35", 19, 5,
               QStringLiteral("h"));
        addRow(QStringLiteral("P2"), QStringLiteral("Fachbuch"), 2, "19.90", 7, 0,
               QStringLiteral("pcs"));
        addRow(QStringLiteral("P3"), QStringLiteral("Schulung"), 1, "120", 0, 0,
               QStringLiteral("day"));
        addRow(QStringLiteral("Tax"), QStringLiteral("Anfahrt"), 4, nullptr, 19, 0,
               QStringLiteral("%"));
        addRow(QString(), QString(), 0, nullptr); // the row the grid leaves at the end
        ed.AllRows();
        ed.Totalsums();
        return ed;
    }
    QString file(const QString& name) { return out.path() + QLatin1Char('/') + name; }
    int storedDocuments() { return heads()->RecordCount(); }

    QTemporaryDir out;
};

} // namespace

TEST_F(EInvoiceTest, AnXRechnungCustomerGetsAnXmlTheRulesAcceptAndItCountsAsPrinted) {
    TfmInvoice& ed = writeDocument();
    FileDialogScript dialog;
    dialog.answer(file(QStringLiteral("Invoice1023.xml")));
    ed.btnEInvoiceClick();
    ASSERT_EQ(dialog.requests().size(), 1u) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(dialog.requests()[0].fileName, QStringLiteral("Invoice1023.xml"));
    const QByteArray xml = readFile(file(QStringLiteral("Invoice1023.xml")));
    ASSERT_FALSE(xml.isEmpty());
    EXPECT_TRUE(xml.contains("04011000-12345-34"));
    EXPECT_TRUE(xml.contains("Steuerfrei"));
    EXPECT_EQ(findings({file(QStringLiteral("Invoice1023.xml"))}, true).toStdString(), "");

    // Stored as printed with the amount the file charges; the number is used up.
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1);
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_EQ(einvoice::amountText(h->FieldByName(QStringLiteral("Total")).AsCurrency()),
              firstValue(xml, QStringLiteral("PayableAmount")));
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("1023"));
    EXPECT_TRUE(ed.headLocked());
}

TEST_F(EInvoiceTest, AFacturXCustomerGetsItFromThePdfButtonWithTheTotalOfThePage) {
    customerFormat(QStringLiteral("Factur-X"), QString());
    TfmInvoice& ed = writeDocument(QStringLiteral("Credit invoice"));
    ed.edYourReference->setText(QStringLiteral("Bestellung 4711"));
    const QString pdf = file(QStringLiteral("Credit1023.pdf"));
    FileDialogScript dialog;
    dialog.answer(pdf);
    messages.answer(ui::MsgButton::No); // "View document?"
    ed.btnPdfClick();
    ASSERT_TRUE(QFile::exists(pdf)) << messages.texts().join(u'|').toStdString();
    int code = -1;
    run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}, &code);
    EXPECT_EQ(code, 0);
    run(QStringLiteral("pdfdetach"),
        {QStringLiteral("-saveall"), QStringLiteral("-o"), out.path(), pdf}, &code);
    const QString attached = file(QStringLiteral("factur-x.xml"));
    ASSERT_TRUE(QFile::exists(attached));
    const QByteArray xml = readFile(attached);
    EXPECT_TRUE(xml.contains("<ram:TypeCode>381</ram:TypeCode>"));
    EXPECT_TRUE(xml.contains("Bestellung 4711")); // your reference as the buyer reference
    EXPECT_EQ(findings({attached}, false).toStdString(), "");

    // The page shows what the file charges.
    const QString payable = firstValue(xml, QStringLiteral("DuePayableAmount"));
    ASSERT_FALSE(payable.isEmpty());
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const Currency total = *Currency::parse(payable, QLocale::c());
    EXPECT_TRUE(text.contains(total.format(Service::Decimals)) ||
                text.contains((-total).format(Service::Decimals)))
        << payable.toStdString();
    EXPECT_EQ(storedDocuments(), 1);
}

TEST_F(EInvoiceTest, WhatWouldNotValidateIsRefusedBeforeAnythingIsWrittenOrCounted) {
    // A quotation is no e-invoice; a customer outside the register has no address to give.
    TfmInvoice& ed = writeDocument(QStringLiteral("Quotation"));
    FileDialogScript dialog;
    ed.btnEInvoiceClick();
    EXPECT_TRUE(messages.texts().last().contains(QStringLiteral("quotation")));
    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Invoice")));
    ed.edCustNo->setText(QStringLiteral("99"));
    ed.btnEInvoiceClick();
    EXPECT_TRUE(messages.texts().last().contains(QStringLiteral("not in the customer register")));

    // No seller VAT number, no buyer address, an exempt rate without its reason.
    ed.edCustNo->setText(QStringLiteral("17"));
    Service::VATnumber.clear();
    Service::CompanyLegalNo.clear();
    {
        auto c = customers();
        ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
        c->Edit();
        for (const char* f : {"Address line 1", "City", "Zip"})
            c->FieldByName(QString::fromUtf8(f)).Clear();
        c->Post();
        auto vat = open(QStringLiteral("VAT"));
        ASSERT_TRUE(vat->Locate(QStringLiteral("Category"), QStringLiteral("E")));
        vat->Edit();
        vat->FieldByName(QStringLiteral("Exemption reason")).Clear();
        vat->Post();
    }
    ed.btnEInvoiceClick();
    EXPECT_TRUE(dialog.requests().empty());
    const QString refusal = messages.texts().last();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("The e-invoice cannot be written")))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("VAT"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("address"), Qt::CaseInsensitive))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("reason"), Qt::CaseInsensitive))
        << refusal.toStdString();
    EXPECT_EQ(storedDocuments(), 0);
    EXPECT_FALSE(ed.DocPrinted);
    EXPECT_FALSE(ed.headLocked());
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("1022"));
}

TEST_F(EInvoiceTest, TheTotalsFollowTheRulesWhereTheRowSumsDifferFromThem) {
    // Four rows of 0.125 each at 25 %: the rows' own four-decimal sums give 0.50 + 4 x 0.0312
    // VAT = 0.6248 (0.62 on the page); the rules take each line in cents (0.13) and the VAT
    // once over the category: 0.52 + 0.13 = 0.65.
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.edCustNo->setText(QStringLiteral("17"));
    ed.edCustNoExit();
    ed.dbTRow->EmptyTable();
    for (int i = 0; i < 4; ++i)
        addRow(QStringLiteral("S"), QStringLiteral("Schraube"), 1, "0.125", 25);
    ed.AllRows();
    ed.Totalsums();
    EXPECT_EQ(ed.DocTotal, money("0.6248"));
    invoicing::EInvoiceHead head;
    head.kind = QStringLiteral("Invoice");
    head.number = QStringLiteral("1");
    head.date = QDate(2026, 12, 1);
    head.due = QDate(2026, 12, 31);
    const einvoice::Invoice inv =
        invoicing::buildEInvoice(head, {}, invoicing::eInvoiceRows(dir.path(), false),
                                 invoicing::eInvoiceVatRates(dir.path()));
    const einvoice::RuleTotals t = einvoice::totalsByRules(inv);
    EXPECT_EQ(t.net, money("0.52"));
    EXPECT_EQ(t.vat, money("0.13"));
    EXPECT_EQ(t.total, money("0.65"));

    FileDialogScript dialog;
    dialog.answer(file(QStringLiteral("small.xml")));
    ed.btnEInvoiceClick();
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(h->FieldByName(QStringLiteral("Total")).AsCurrency(), money("0.65"));
    EXPECT_EQ(
        firstValue(readFile(file(QStringLiteral("small.xml"))), QStringLiteral("PayableAmount")),
        QStringLiteral("0.65"));
}

TEST(EInvoiceDocument, FormatsAndCategoriesAsStored) {
    using invoicing::EInvoiceFormat;
    EXPECT_EQ(invoicing::eInvoiceFormatFromText(QStringLiteral("xrechnung")),
              EInvoiceFormat::XRechnung);
    EXPECT_EQ(invoicing::eInvoiceFormatFromText(QStringLiteral(" Factur-X ")),
              EInvoiceFormat::FacturX);
    EXPECT_EQ(invoicing::eInvoiceFormatFromText(QStringLiteral("PDF")), EInvoiceFormat::None);
    EXPECT_EQ(invoicing::eInvoiceFormatText(EInvoiceFormat::FacturX), QStringLiteral("Factur-X"));
    using einvoice::VatCategory;
    EXPECT_EQ(invoicing::vatCategoryFor(0, QString()), VatCategory::ZeroRated);
    EXPECT_EQ(invoicing::vatCategoryFor(19, QString()), VatCategory::Standard);
    EXPECT_EQ(invoicing::vatCategoryFor(0, QStringLiteral("ae")), VatCategory::ReverseCharge);
    EXPECT_EQ(invoicing::vatCategoryFor(0, QStringLiteral("X")), VatCategory::ZeroRated);
}
