#include "printing/languages.h"

#include "report/report.h"
#include "service/service.h"

#include <QFileInfo>

#include <algorithm>

namespace printing {

namespace {

const QString kMain = QStringLiteral("Main");
const QString kLangList = QStringLiteral("LangList");
const QString kCurrent = QStringLiteral("Current language");
const QString kNumber = QStringLiteral("Number of languages");
const QString kEnglish = QStringLiteral("English");
// Far more than anyone keeps; guards against a damaged count.
constexpr int kMaxLanguages = 1000;

} // namespace

const std::array<LanguageText, kLanguageTextCount>& languageTexts() {
    static const std::array<LanguageText, kLanguageTextCount> texts = {{
        {"Invoice", "Invoice", "edInvoice", "Invoice:", "Invoice", "qrlbInvoice2"},
        {"Tax invoice", "Tax invoice", "edTaxInvoice", "Tax invoice:", "Tax invoice",
         "qrlbTaxInvoice2"},
        {"CreditInvoice", "Credit invoice", "edCreditInvoice", "Credit invoice:", "Credit Invoice",
         "qrlbCreditInvoice2"},
        {"Receipt", "Receipt", "edReceipt", "Receipt:", "Receipt", "qrlbReceipt2"},
        {"Quotation", "Quotation", "edQuotation", "Quotation:", "Quotation", "qrlbQuotation2"},
        {"PackingSlip", "Packing slip", "edPackingSlip", "Packing slip:", "Packing slip",
         "qrlbPackingSlip2"},
        {"DeliveryNote", "Delivery note", "edDeliveryNote", "Delivery note:", "Delivery note",
         "qrlbDeliveryNote2"},
        {"Customer", "Customer", "edCustomer", "Customer:", "Customer", "qrlbCustomer2"},
        {"CustomerNo", "Customer no", "edCustomerNo", "Customer no:", "Cutomer no",
         "qrlbCustomerno2"},
        {"InvoiceDate", "Invoice date", "edInvoiceDate", "Invoice date:", "Invoice date",
         "qrlbInvoiceDate2"},
        {"DueDate", "Due date", "edDueDate", "Due date:", "Due date", "qrlbDueDate2"},
        {"YourReference", "Your reference", "edYourReference", "Your reference:", "Your reference",
         "qrlbYourReference2"},
        {"OurReference", "Our reference", "edOurReference", "Our reference:", "Our reference",
         "qrlbOurReference2"},
        {"Item", "Item", "edItem", "Item:", "Item", "qrlbItem2"},
        {"Code", "Code", "edCode", "Code:", "Code", "qrlbCode2"},
        {"Description", "Description", "edDescription", "Description:", "Description",
         "qrlbDescription2"},
        {"Qty", "Qty", "edQty", "Qty:", "Qty", "qrlbQty2"},
        {"Unit", "Unit", "edUnit", "Unit:", "Unit", "qrlbUnit2"},
        {"Price", "Price", "edPrice", "Price:", "Price", "qrlbPrice2"},
        {"Sum", "Sum", "edSum", "Sum:", "Sum", "qrlbSum2"},
        {"Terms", "Terms", "edTerms", "Terms:", "Terms", "qrlbTerms2"},
        {"DaysNet", "days net", "edDaysNet", "days net:", "days net", "qrlbDaysNet2"},
        {"VAT", "VAT", "edVAT", "VAT:", "VAT", "qrlbVAT2"},
        {"Total", "Total", "edTotal", "Total:", "Total", "qrlbTotal2"},
        {"Phone", "Phone", "edPhone", "Phone:", "Phone", "qrlbPhone2"},
        {"Fax", "Fax", "edFax", "Fax:", "Fax", "qrlbFax2"},
        {"Bank", "Bank", "edBank", "Bank:", "Bank", "qrlbBank2"},
        {"Page", "Page", "edPage", "Page:", "Page", "qrlbPage2"},
        {"Reminder", "Reminder", "edReminder", "Reminder:", "Reminder", "qrlbReminder2"},
        {"Date", "Date", "edDate", "Date:", "Date", "qrlbDate2"},
        {"Balance", "Balance", "edBalance", "Balance:", "Balance", "qrlbBalance2"},
        {"Due", "Due", "edDue", "Due:", "Due", "qrlbDue2"},
        {"Statement", "Statement", "edStatement", "Statement:", "Statement", "qrlbStatement2"},
        {"Document", "Document", "edDocument", "Document:", "Document", "qrlbDocument2"},
        {"InvoiceNo", "Invoice no.", "edInvoiceNo", "Invoice no:", "Invoice no", "qrlbInvoiceNo2"},
        {"Printed", "Printed", "edPrinted", "Printed:", "Printed", "qrlbPrintedDate2"},
        {"Paid", "Paid", "edPaid", "Paid:", "Paid", "qrlbPaid2"},
        {"Pending", "Pending", "edPending", "Pending:", "Pending", "qrlbPending2"},
    }};
    return texts;
}

int languageTextIndex(const QString& key) {
    const auto& texts = languageTexts();
    for (int i = 0; i < kLanguageTextCount; ++i)
        if (key == QLatin1String(texts[static_cast<size_t>(i)].key))
            return i;
    return -1;
}

LanguageFile::LanguageFile(const QString& dataDir)
    : m_file(path(dataDir)) {}

QString LanguageFile::path(const QString& dataDir) {
    return Service::filePath(dataDir, QStringLiteral("MRVLang.ini"));
}

bool LanguageFile::exists() const {
    return QFileInfo::exists(m_file.fileName());
}

QString LanguageFile::currentLanguage() const {
    return m_file.readString(kMain, kCurrent, kEnglish);
}

int LanguageFile::numberOfLanguages() const {
    return std::clamp(m_file.readInteger(kMain, kNumber, 0), 0, kMaxLanguages);
}

QStringList LanguageFile::languages() const {
    const int n = numberOfLanguages();
    if (n == 0)
        return {currentLanguage()};
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << m_file.readString(kLangList, QString::number(i));
    return out;
}

QString LanguageFile::text(const QString& language, const char* key) const {
    const int i = languageTextIndex(QLatin1String(key));
    const QString def =
        i >= 0 ? QLatin1String(languageTexts()[static_cast<size_t>(i)].defaultText) : QString();
    return m_file.readString(language, QLatin1String(key), def);
}

QStringList LanguageFile::texts(const QString& language) const {
    QStringList out;
    for (const LanguageText& t : languageTexts())
        out << m_file.readString(language, QLatin1String(t.key), QLatin1String(t.defaultText));
    return out;
}

bool LanguageFile::save(const QString& current, const QStringList& languages,
                        const QStringList& texts, QString* error) {
    m_file.writeString(kMain, kCurrent, current);
    m_file.writeInteger(kMain, kNumber, static_cast<int>(languages.size()));
    for (int i = 0; i < languages.size(); ++i)
        m_file.writeString(kLangList, QString::number(i), languages[i]);
    const auto& table = languageTexts();
    for (int i = 0; i < kLanguageTextCount; ++i)
        m_file.writeString(current, QLatin1String(table[static_cast<size_t>(i)].key),
                           i < texts.size() ? texts[i] : QString());
    return m_file.updateFile(error);
}

bool LanguageFile::saveCurrentLanguage(const QString& language, QString* error) {
    m_file.writeString(kMain, kCurrent, language);
    return m_file.updateFile(error);
}

void applyInvoiceLanguageTexts(report::Report& r, const QString& documentKind,
                               const QString& dataDir) {
    const LanguageFile file(dataDir);
    if (!file.exists())
        return;
    const QString language = file.currentLanguage();
    auto set = [&](const char* name, const QString& text) {
        if (auto* l = r.element<report::Label>(QLatin1String(name)))
            l->setCaption(text);
    };
    auto tr = [&](const char* key) { return file.text(language, key); };

    static const char* const titles[][2] = {{"INVOICE", "Invoice"},
                                            {"TAX INVOICE", "Tax invoice"},
                                            {"CREDIT INVOICE", "CreditInvoice"},
                                            {"RECEIPT", "Receipt"},
                                            {"QUOTATION", "Quotation"},
                                            {"PACKING SLIP", "PackingSlip"},
                                            {"DELIVERY NOTE", "DeliveryNote"}};
    const QString kind = documentKind.toUpper();
    for (const auto& t : titles)
        if (kind == QLatin1String(t[0]))
            set("lbDocument", tr(t[1]));

    set("lbCustomer", tr("Customer"));
    set("lbCustNo1", tr("CustomerNo"));
    if (auto* date = r.element<report::Label>(QStringLiteral("lbDate1")))
        date->setCaption(date->caption() == QLatin1String("Date") ? tr("Date") : tr("InvoiceDate"));
    set("lbDueDate1", tr("DueDate"));
    set("lbYourRef1", tr("YourReference"));
    set("lbOurRef1", tr("OurReference"));
    set("lbItem", tr("Item"));
    set("lbCode", tr("Code"));
    set("lbDescription", tr("Description"));
    set("lbQty", tr("Qty"));
    set("lbUnit", tr("Unit"));
    set("lbPrice", tr("Price"));
    set("lbSum", tr("Sum"));
    set("lbTerms1", tr("Terms"));
    set("lbTerms3", tr("DaysNet"));
    set("lbSum1", tr("Sum"));
    set("lbTotal1", tr("Total"));
    set("lbVAT1", tr("VAT"));
    if (auto* vat1 = r.element<report::Label>(QStringLiteral("lbVAT1")))
        set("lbVAT", vat1->caption() + QStringLiteral(" %"));
    set("lbPhone1", tr("Phone"));
    set("lbFax1", tr("Fax"));
    set("lbBank1", tr("Bank"));
    set("lbPage", tr("Page"));
}

} // namespace printing
