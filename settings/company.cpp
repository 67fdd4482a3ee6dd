#include "settings/company.h"

#include "einvoice/codes.h"
#include "einvoice/iban.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "settings/companydata.h"
#include "settings/saving.h"
#include "ui/keys.h"
#include "ui/numberbox.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TfmCompany::TfmCompany(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmCompany"), QStringLiteral("Company data"), kHelpContext) {
    addBackCommand(QStringLiteral("mnBack"), QStringLiteral("Back"));
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));

    auto* layout = new QVBoxLayout(body());
    auto* heading =
        new QLabel(QStringLiteral("This is company data to be printed on the invoices"), body());
    heading->setObjectName(QStringLiteral("lbHeading"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    layout->addSpacing(6);

    m_fields = new QFormLayout;
    m_fields->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addLayout(m_fields);
    layout->addStretch(1);

    edCompanyname = addField(QStringLiteral("edCompanyname"), QStringLiteral("lbCompanyname"),
                             QStringLiteral("Name:"));
    edCompanyShortName =
        addField(QStringLiteral("edCompanyShortName"), QStringLiteral("lbCompanyShortName"),
                 QStringLiteral("Shortname:"));
    edCompanyAddress = addField(QStringLiteral("edCompanyAddress"),
                                QStringLiteral("lbCompanyAddress"), QStringLiteral("Address:"));
    edCompanyCity = addField(QStringLiteral("edCompanyCity"), QStringLiteral("lbCompanyCity"),
                             QStringLiteral("City:"));
    edCompanyZip = addField(QStringLiteral("edCompanyZip"), QStringLiteral("lbCompanyZip"),
                            QStringLiteral("Zip:"));
    edCompanyState = addField(QStringLiteral("edCompanyState"), QStringLiteral("lbCompanyState"),
                              QStringLiteral("State:"));
    edCompanyPhone = addField(QStringLiteral("edCompanyPhone"), QStringLiteral("lbCompanyPhone"),
                              QStringLiteral("Phone:"));
    edCompanyFax = addField(QStringLiteral("edCompanyFax"), QStringLiteral("lbCompanyFax"),
                            QStringLiteral("Fax:"));
    edCompanyEmail = addField(QStringLiteral("edCompanyEmail"), QStringLiteral("lbCompanyEmail"),
                              QStringLiteral("E-mail:"));

    mCompanyBank = new QPlainTextEdit(body());
    mCompanyBank->setObjectName(QStringLiteral("mCompanyBank"));
    mCompanyBank->setTabChangesFocus(true);
    mCompanyBank->setFixedHeight(mCompanyBank->fontMetrics().lineSpacing() * 4 + 12);
    auto* bankLabel = new QLabel(QStringLiteral("Bank:"), body());
    bankLabel->setObjectName(QStringLiteral("lbCompanyBank"));
    bankLabel->setBuddy(mCompanyBank);
    m_fields->addRow(bankLabel, mCompanyBank);
    if (auto* item = m_fields->itemAt(m_fields->rowCount() - 1, QFormLayout::LabelRole))
        item->setAlignment(Qt::AlignRight | Qt::AlignTop);

    edVATnumber = addField(QStringLiteral("edVATnumber"), QStringLiteral("lbVATnumber"),
                           QStringLiteral("VAT number:"));

    auto* einvoices = new QLabel(QStringLiteral("For electronic invoices"), body());
    einvoices->setObjectName(QStringLiteral("lbEInvoices"));
    einvoices->setFont(headingFont);
    m_fields->addRow(einvoices);
    edCompanyIBAN = addField(QStringLiteral("edCompanyIBAN"), QStringLiteral("lbCompanyIBAN"),
                             QStringLiteral("IBAN:"));
    edCompanyBIC = addField(QStringLiteral("edCompanyBIC"), QStringLiteral("lbCompanyBIC"),
                            QStringLiteral("BIC:"));
    edCompanyCountry =
        addField(QStringLiteral("edCompanyCountry"), QStringLiteral("lbCompanyCountry"),
                 QStringLiteral("Country code:"));
    edCompanyCountry->setMaxLength(2);
    edCompanyLegalNo =
        addField(QStringLiteral("edCompanyLegalNo"), QStringLiteral("lbCompanyLegalNo"),
                 QStringLiteral("Registration number:"));
    edCompanyLegalNo->setToolTip(QStringLiteral("The company's number in the trade register"));
    edCompanyCurrency = addField(QStringLiteral("edCompanyCurrency"),
                                 QStringLiteral("lbCompanyCurrency"), QStringLiteral("Currency:"));
    edCompanyCurrency->setMaxLength(3);
    for (QLineEdit* box : {edCompanyIBAN, edCompanyBIC, edCompanyCountry, edCompanyCurrency})
        box->installEventFilter(this);

    body()->setMinimumWidth(460);
    ui::EnterMovesFocus::install(
        {edCompanyname, edCompanyShortName, edCompanyAddress, edCompanyCity, edCompanyZip,
         edCompanyState, edCompanyPhone, edCompanyFax, edCompanyEmail, edVATnumber, edCompanyIBAN,
         edCompanyBIC, edCompanyCountry, edCompanyLegalNo, edCompanyCurrency});
    FormCreate();
}

QLineEdit* TfmCompany::addField(const QString& objectName, const QString& labelName,
                                const QString& caption) {
    auto* field = new QLineEdit(body());
    field->setObjectName(objectName);
    auto* l = new QLabel(caption, body());
    l->setObjectName(labelName);
    l->setBuddy(field);
    m_fields->addRow(l, field);
    return field;
}

void TfmCompany::FormCreate() {
    const CompanyData::FieldLayout arrangement = CompanyData::fieldLayout(Service::Country);
    auto captionOf = [this](QWidget* field) {
        return qobject_cast<QLabel*>(m_fields->labelForField(field));
    };
    captionOf(edCompanyZip)->setText(arrangement.zipCaption);
    captionOf(edCompanyState)->setText(arrangement.stateCaption);
    captionOf(edVATnumber)->setText(arrangement.vatNumberCaption);
    // A hidden row takes its label along and leaves no gap.
    m_fields->setRowVisible(edCompanyZip, arrangement.zipVisible);
    m_fields->setRowVisible(edCompanyState, arrangement.stateVisible);
    m_fields->setRowVisible(edVATnumber, arrangement.vatNumberVisible);
    edCompanyname->setEnabled(true);
    setHelpContext(kHelpContext);

    const CompanyData::Values v = CompanyData::fromGlobals();
    edCompanyname->setText(v.name);
    edCompanyShortName->setText(v.shortName);
    edCompanyAddress->setText(v.address);
    edCompanyCity->setText(v.city);
    edCompanyZip->setText(v.zip);
    edCompanyState->setText(v.state);
    edCompanyPhone->setText(v.phone);
    edCompanyFax->setText(v.fax);
    edCompanyEmail->setText(v.email);
    mCompanyBank->setPlainText(v.bank);
    edVATnumber->setText(v.vatNumber);
    edCompanyIBAN->setText(einvoice::formatIban(v.iban));
    edCompanyBIC->setText(v.bic);
    edCompanyCountry->setText(v.countryCode.isEmpty() ? Service::Country : v.countryCode);
    edCompanyLegalNo->setText(v.legalRegNo);
    edCompanyCurrency->setText(v.currency);
    edCompanyCurrency->setPlaceholderText(einvoice::defaultCurrency(edCompanyCountry->text()));
}

QString TfmCompany::problemOf(const QLineEdit* box) const {
    if (box == edCompanyIBAN)
        return CompanyData::ibanProblem(box->text());
    if (box == edCompanyBIC)
        return CompanyData::bicProblem(box->text());
    if (box == edCompanyCountry)
        return CompanyData::countryCodeProblem(box->text());
    if (box == edCompanyCurrency)
        return CompanyData::currencyProblem(box->text());
    return QString();
}

bool TfmCompany::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_checking) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const QString problem = problemOf(box);
            if (!problem.isEmpty()) {
                m_checking = true;
                ui::refuseInBox(box, problem);
                m_checking = false;
            } else if (box == edCompanyCountry) {
                edCompanyCurrency->setPlaceholderText(
                    einvoice::defaultCurrency(edCompanyCountry->text().trimmed().toUpper()));
            }
        }
    }
    return ui::Form::eventFilter(watched, event);
}

bool TfmCompany::FormCloseQuery() {
    // Nothing is stored while a box holds what it cannot; the user stays to mend it.
    for (QLineEdit* box : {edCompanyIBAN, edCompanyBIC, edCompanyCountry, edCompanyCurrency}) {
        const QString problem = problemOf(box);
        if (!problem.isEmpty()) {
            m_checking = true;
            ui::refuseInBox(box, problem);
            m_checking = false;
            return false;
        }
    }
    return true;
}

void TfmCompany::FormClose() {
    CompanyData::Values v;
    v.name = edCompanyname->text();
    v.shortName = edCompanyShortName->text();
    v.address = edCompanyAddress->text();
    v.city = edCompanyCity->text();
    v.zip = edCompanyZip->text();
    v.state = edCompanyState->text();
    v.phone = edCompanyPhone->text();
    v.fax = edCompanyFax->text();
    v.email = edCompanyEmail->text();
    v.bank = mCompanyBank->toPlainText();
    v.vatNumber = edVATnumber->text();
    // The IBAN is kept in its electronic form, without blanks.
    v.iban = einvoice::checkIban(edCompanyIBAN->text()).iban;
    if (v.iban.isEmpty())
        v.iban = edCompanyIBAN->text().simplified().remove(QLatin1Char(' ')).toUpper();
    v.bic = edCompanyBIC->text().trimmed().toUpper();
    v.countryCode = edCompanyCountry->text().trimmed().toUpper();
    v.legalRegNo = edCompanyLegalNo->text().trimmed();
    v.currency = edCompanyCurrency->text().trimmed().toUpper();

    SettingsFile ini(Service::filePath(Service::DataDir, QLatin1String(Service::kCompanyIni)));
    CompanyData::write(ini, v);
    saveOrReport(ini, QStringLiteral("The company data could not be saved."));
    CompanyData::toGlobals(v);
}
