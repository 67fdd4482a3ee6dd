#include "settings/company.h"

#include "service/service.h"
#include "service/settingsfile.h"
#include "settings/companydata.h"
#include "settings/saving.h"
#include "ui/keys.h"

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

    body()->setMinimumWidth(460);
    ui::EnterMovesFocus::install({edCompanyname, edCompanyShortName, edCompanyAddress,
                                  edCompanyCity, edCompanyZip, edCompanyState, edCompanyPhone,
                                  edCompanyFax, edCompanyEmail, edVATnumber});
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

    SettingsFile ini(Service::filePath(Service::DataDir, QLatin1String(Service::kCompanyIni)));
    CompanyData::write(ini, v);
    saveOrReport(ini, QStringLiteral("The company data could not be saved."));
    CompanyData::toGlobals(v);
}
