#include "settings/documentdata.h"

#include "service/service.h"
#include "service/settingsfile.h"
#include "settings/design.h"
#include "settings/fritext.h"
#include "settings/programsetup.h"
#include "settings/radiogroup.h"
#include "settings/saving.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/numberbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TfmDocumentdata* fmDocumentdata = nullptr;

namespace {

QLabel* label(const QString& objectName, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

QLineEdit* edit(const QString& objectName, QWidget* parent, int widthInChars = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    if (widthInChars > 0)
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthInChars + 16);
    return e;
}

ui::NumberEdit* numberEdit(const QString& objectName, ProgramSetup::NumberBox box, QWidget* parent,
                           int widthInChars) {
    auto* e = new ui::NumberEdit(ProgramSetup::numberRule(box), parent);
    e->setObjectName(objectName);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthInChars + 16);
    return e;
}

QCheckBox* checkBox(const QString& objectName, const QString& text, QWidget* parent,
                    const QString& hint = QString()) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(objectName);
    c->setToolTip(hint);
    return c;
}

QGroupBox* panel(const QString& objectName, const QString& heading, QWidget* parent) {
    auto* p = new QGroupBox(heading, parent);
    p->setObjectName(objectName);
    return p;
}

// Numeric masks such as "99;0; ": up to `digits` digits, blanks allowed (an emptied terms box
// stores 0).
void allowDigits(ui::NumberEdit* e, int digits) {
    e->setMaxLength(digits);
    delete e->validator();
    e->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), e));
}

// A stored value longer than the mask widens the mask instead of being cut, so that closing
// the window unchanged never rewrites a counter (a cut customer counter would hand out
// numbers again).
void setMaskedText(ui::NumberEdit* e, int digits, const QString& text) {
    allowDigits(e, qMax(digits, int(text.size())));
    e->setAcceptedText(text);
}

constexpr int kTermsDigits = 2;
constexpr int kCustomerNumberDigits = 5;

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* h = new QHBoxLayout;
    for (QWidget* w : widgets)
        h->addWidget(w);
    h->addStretch(1);
    return h;
}

} // namespace

TfmDocumentdata::TfmDocumentdata(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmDocumentdata"), QStringLiteral("Program setup"),
               kHelpContext) {
    fmDocumentdata = this;
    addBackCommand(QStringLiteral("mnBack"), QStringLiteral("Back"));
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));
    buildControls();
    FormCreate();
}

TfmDocumentdata::~TfmDocumentdata() {
    if (fmDocumentdata == this)
        fmDocumentdata = nullptr;
}

void TfmDocumentdata::buildControls() {
    QWidget* b = body();

    // Invoices
    pnlInvoice = panel(QStringLiteral("pnlInvoice"), QStringLiteral("Invoices"), b);
    rgInvNo = new RadioGroup(QStringLiteral("rgInvNo"), QStringLiteral("Invoice numbers"),
                             {QStringLiteral("Manual"),
                              QStringLiteral("Automatic (date + serial number)"),
                              QStringLiteral("Automatic (only serial number)")},
                             pnlInvoice);
    lbNextInvNo =
        label(QStringLiteral("lbNextInvNo"), QStringLiteral("Next invoice number:"), pnlInvoice);
    using ProgramSetup::NumberBox;
    edNextInvNo = numberEdit(QStringLiteral("edNextInvNo"), NumberBox::NextInvNo, pnlInvoice, 10);
    edNextInvNo->setConfirm(
        [this](const ui::NumberReading& r) { return confirmNextInvoiceNumber(r.whole); });
    edNextInvNo->setFocusPolicy(Qt::ClickFocus);
    cbDisc = checkBox(QStringLiteral("cbDisc"), QStringLiteral("Discount"), pnlInvoice,
                      QStringLiteral("Suggest discount when invoicing"));
    cbVAT = checkBox(QStringLiteral("cbVAT"), QString(), pnlInvoice);
    cbPrices = checkBox(QStringLiteral("cbPrices"), QString(), pnlInvoice,
                        QStringLiteral("The price of an article incudes tax."));
    cbRound = checkBox(QStringLiteral("cbRound"), QStringLiteral("Rounding of total on invoice"),
                       pnlInvoice);
    cbPdf = checkBox(QStringLiteral("cbPdf"), QStringLiteral("pdf prints"), pnlInvoice,
                     QStringLiteral("Suggest pdf prints when printing invoices and reminders"));
    lbTerms = label(QStringLiteral("lbTerms"), QStringLiteral("Terms:"), pnlInvoice);
    edTerms = numberEdit(QStringLiteral("edTerms"), NumberBox::Terms, pnlInvoice, 3);
    lbBetdagar = label(QStringLiteral("lbBetdagar"), QStringLiteral("(days)"), pnlInvoice);
    Label21 = label(QStringLiteral("Label21"), QStringLiteral("Invoice copies:"), pnlInvoice);
    edCopies = numberEdit(QStringLiteral("edCopies"), NumberBox::Copies, pnlInvoice, 3);
    const QString copiesHint = QStringLiteral("If you want more than one copy of the invoice");
    Label21->setToolTip(copiesHint);
    edCopies->setToolTip(copiesHint);

    auto* invoiceLayout = new QGridLayout(pnlInvoice);
    invoiceLayout->addWidget(rgInvNo, 0, 0, 1, 3);
    invoiceLayout->addWidget(lbNextInvNo, 1, 0);
    invoiceLayout->addLayout(row({edNextInvNo}), 1, 1, 1, 2);
    invoiceLayout->addWidget(cbDisc, 2, 0, 1, 3);
    invoiceLayout->addWidget(cbVAT, 3, 0, 1, 3);
    invoiceLayout->addWidget(cbPrices, 4, 0, 1, 3);
    invoiceLayout->addWidget(cbRound, 5, 0, 1, 3);
    invoiceLayout->addWidget(cbPdf, 6, 0, 1, 3);
    invoiceLayout->addWidget(lbTerms, 7, 0);
    invoiceLayout->addLayout(row({edTerms, lbBetdagar}), 7, 1, 1, 2);
    invoiceLayout->addWidget(Label21, 8, 0);
    invoiceLayout->addLayout(row({edCopies}), 8, 1, 1, 2);
    invoiceLayout->setColumnStretch(2, 1);

    // Customers
    pnlCustomer = panel(QStringLiteral("pnlCustomer"), QStringLiteral("Customers"), b);
    cbAutoCustNo = checkBox(QStringLiteral("cbAutoCustNo"),
                            QStringLiteral("Automatic customer numbers"), pnlCustomer);
    lbNextCustNo =
        label(QStringLiteral("lbNextCustNo"), QStringLiteral("Next customer number:"), pnlCustomer);
    edNextCustNo =
        numberEdit(QStringLiteral("edNextCustNo"), NumberBox::NextCustNo, pnlCustomer, 6);
    auto* customerLayout = new QGridLayout(pnlCustomer);
    customerLayout->addWidget(cbAutoCustNo, 0, 0, 1, 2);
    customerLayout->addWidget(lbNextCustNo, 1, 0);
    customerLayout->addLayout(row({edNextCustNo}), 1, 1);
    customerLayout->setColumnStretch(1, 1);

    // Reminding
    pnlReminder = panel(QStringLiteral("pnlReminder"), QStringLiteral("Reminding"), b);
    auto* reminderLayout = new QGridLayout(pnlReminder);
    const std::array<QString, 3> reminderCaptions{QStringLiteral("First reminder after:"),
                                                  QStringLiteral("Second reminder after:"),
                                                  QStringLiteral("Third reminder after:")};
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        auto* caption =
            label(QStringLiteral("lbRemind%1Days").arg(n), reminderCaptions[i], pnlReminder);
        edRemindDays[i] = numberEdit(QStringLiteral("edRemind%1Days").arg(n),
                                     ProgramSetup::kNumberBoxes[4 + i], pnlReminder, 4);
        auto* unit = label(QStringLiteral("lbRemind%1DaysUnit").arg(n), QStringLiteral("(days)"),
                           pnlReminder);
        auto* textCaption =
            label(QStringLiteral("lbRemind%1Text").arg(n), QStringLiteral("Text:"), pnlReminder);
        textCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        mRemindText[i] = new QPlainTextEdit(pnlReminder);
        mRemindText[i]->setObjectName(QStringLiteral("mRemind%1Text").arg(n));
        mRemindText[i]->setTabChangesFocus(true);
        mRemindText[i]->setMinimumSize(mRemindText[i]->fontMetrics().averageCharWidth() * 60,
                                       mRemindText[i]->fontMetrics().lineSpacing() * 4 + 12);
        const int r = i * 2;
        reminderLayout->addWidget(caption, r, 0);
        reminderLayout->addLayout(row({edRemindDays[i], unit}), r, 1);
        reminderLayout->addWidget(textCaption, r + 1, 0);
        reminderLayout->addWidget(mRemindText[i], r + 1, 1);
    }
    reminderLayout->setColumnStretch(1, 1);

    // Finance charging
    pnlInterest = panel(QStringLiteral("pnlInterest"), QStringLiteral("Finance charging"), b);
    edInterestrate =
        numberEdit(QStringLiteral("edInterestrate"), NumberBox::InterestRate, pnlInterest, 10);
    edInvCharge =
        numberEdit(QStringLiteral("edInvCharge"), NumberBox::InvoiceCharge, pnlInterest, 10);
    edThreshold = numberEdit(QStringLiteral("edThreshold"), NumberBox::Threshold, pnlInterest, 10);
    auto* interestLayout = new QGridLayout(pnlInterest);
    interestLayout->addWidget(
        label(QStringLiteral("lbInterestrate"), QStringLiteral("Interest rate:"), pnlInterest), 0,
        0);
    interestLayout->addLayout(row({edInterestrate, label(QStringLiteral("lbInterestrateUnit"),
                                                         QStringLiteral("(%)"), pnlInterest)}),
                              0, 1);
    interestLayout->addWidget(
        label(QStringLiteral("lbInvCharge"), QStringLiteral("Invoice charge:"), pnlInterest), 1, 0);
    interestLayout->addLayout(row({edInvCharge}), 1, 1);
    interestLayout->addWidget(
        label(QStringLiteral("lbThreshold"), QStringLiteral("Lowest amount:"), pnlInterest), 2, 0);
    interestLayout->addLayout(
        row({edThreshold, label(QStringLiteral("lbThresholdNote"),
                                QStringLiteral("(no charges below this amount)"), pnlInterest)}),
        2, 1);
    interestLayout->setColumnStretch(1, 1);

    // Invoice design
    pnlDesign = panel(QStringLiteral("pnlDesign"), QStringLiteral("Invoice design"), b);
    edInvoiceDesign = edit(QStringLiteral("edInvoiceDesign"), pnlDesign);
    edInvoiceDesign->setReadOnly(true);
    btnInvoiceDesign = new QPushButton(QStringLiteral("Select design"), pnlDesign);
    btnInvoiceDesign->setObjectName(QStringLiteral("btnInvoiceDesign"));
    edFreeText = edit(QStringLiteral("edFreeText"), pnlDesign);
    edFreeText->setReadOnly(true);
    Button1 = new QPushButton(QStringLiteral("Create/select free text"), pnlDesign);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* designLayout = new QGridLayout(pnlDesign);
    designLayout->addWidget(
        label(QStringLiteral("lbInvoiceDesign"), QStringLiteral("Invoice design"), pnlDesign), 0,
        0);
    designLayout->addWidget(edInvoiceDesign, 0, 1);
    designLayout->addWidget(btnInvoiceDesign, 0, 2);
    designLayout->addWidget(
        label(QStringLiteral("lbFreeText"), QStringLiteral("Free text"), pnlDesign), 1, 0);
    designLayout->addWidget(edFreeText, 1, 1);
    designLayout->addWidget(Button1, 1, 2);
    designLayout->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(pnlInvoice);
    left->addWidget(pnlCustomer);
    left->addWidget(pnlInterest);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(pnlReminder, 1);
    right->addWidget(pnlDesign);
    auto* columns = new QHBoxLayout(b);
    columns->addLayout(left);
    columns->addLayout(right, 1);

    ui::EnterMovesFocus::install({edNextInvNo, edTerms, edCopies, edNextCustNo, edRemindDays[0],
                                  edRemindDays[1], edRemindDays[2], edInterestrate, edInvCharge,
                                  edThreshold});

    connect(cbPdf, &QCheckBox::toggled, this, &TfmDocumentdata::cbPdfClick);
    connect(cbDisc, &QCheckBox::toggled, this, &TfmDocumentdata::cbDiscClick);
    connect(cbVAT, &QCheckBox::toggled, this, &TfmDocumentdata::cbVATClick);
    connect(cbPrices, &QCheckBox::toggled, this, &TfmDocumentdata::cbPricesClick);
    connect(rgInvNo, &RadioGroup::itemIndexChanged, this, &TfmDocumentdata::rgInvNoClick);
    connect(cbAutoCustNo, &QCheckBox::toggled, this, &TfmDocumentdata::cbAutoCustNoClick);
    connect(btnInvoiceDesign, &QPushButton::clicked, this, &TfmDocumentdata::btnInvoiceDesignClick);
    connect(Button1, &QPushButton::clicked, this, &TfmDocumentdata::Button1Click);
}

void TfmDocumentdata::FormCreate() {
    setHelpContext(kHelpContext);
    const SettingsFile ini(
        Service::filePath(Service::DataDir, QLatin1String(Service::kInvoiceIni)));
    const ProgramSetup::Values v = ProgramSetup::read(ini);

    rgInvNo->setItemIndex(v.autonum);
    rgInvNoClick();
    edNextInvNo->setAcceptedText(v.nextInvNo);
    setMaskedText(edTerms, kTermsDigits, v.terms);
    edCopies->setAcceptedText(v.copies);

    Service::Pdf = v.pdf;
    cbPdf->setChecked(Service::Pdf);
    Service::Disc = v.disc;
    cbDisc->setChecked(Service::Disc);

    const ProgramSetup::TaxCaptions captions = ProgramSetup::taxCaptions(Service::Country);
    cbVAT->setText(captions.vat);
    cbVAT->setToolTip(captions.vatHint);
    cbPrices->setText(captions.vatInPrice);

    Service::VAT = v.vat;
    Service::VATinPrice = v.vatInPrice;
    if (ProgramSetup::countryWithoutVat(Service::Country)) {
        cbVAT->hide();
        Service::VAT = false;
    }
    // The box handlers would echo the values back into the globals; the globals are already
    // what the boxes are given.
    cbVAT->setChecked(Service::VAT);
    cbPrices->setVisible(Service::VAT);
    cbPrices->setChecked(Service::VATinPrice);

    cbRound->setChecked(v.rounding);
    cbAutoCustNo->setChecked(v.autoCust);
    cbAutoCustNoClick();
    setMaskedText(edNextCustNo, kCustomerNumberDigits, v.nextCustNo);

    for (int i = 0; i < 3; ++i) {
        edRemindDays[i]->setAcceptedText(v.reminderDays[i]);
        mRemindText[i]->setPlainText(v.reminderTexts[i]);
    }
    edInterestrate->setAcceptedText(v.interestRate);
    edInvCharge->setAcceptedText(v.invoiceCharge);
    edThreshold->setAcceptedText(v.threshold);

    FDesignName = v.designName;
    FDesignFile = v.designFile;
    showDesignAndFreeText();
}

ui::NumberEdit* TfmDocumentdata::numberBox(ProgramSetup::NumberBox box) const {
    using ProgramSetup::NumberBox;
    switch (box) {
    case NumberBox::NextInvNo:
        return edNextInvNo;
    case NumberBox::Terms:
        return edTerms;
    case NumberBox::Copies:
        return edCopies;
    case NumberBox::NextCustNo:
        return edNextCustNo;
    case NumberBox::Remind1Days:
        return edRemindDays[0];
    case NumberBox::Remind2Days:
        return edRemindDays[1];
    case NumberBox::Remind3Days:
        return edRemindDays[2];
    case NumberBox::InterestRate:
        return edInterestrate;
    case NumberBox::InvoiceCharge:
        return edInvCharge;
    case NumberBox::Threshold:
        break;
    }
    return edThreshold;
}

bool TfmDocumentdata::confirmNextInvoiceNumber(qint64 next) {
    // The documents do not change while this modal window is open: read them once.
    if (!m_highestInvoiceNumberRead) {
        m_highestInvoiceNumber = ProgramSetup::highestInvoiceNumber(Service::DataDir);
        m_highestInvoiceNumberRead = true;
    }
    const QString question = ProgramSetup::usedInvoiceNumberQuestion(next, m_highestInvoiceNumber);
    return question.isEmpty() || ui::AskYesNo(question, ui::MsgType::Warning);
}

bool TfmDocumentdata::FormCloseQuery() {
    for (ProgramSetup::NumberBox box : ProgramSetup::kNumberBoxes)
        if (!numberBox(box)->check())
            return false;
    return true;
}

void TfmDocumentdata::FormClose() {
    ProgramSetup::Values v;
    v.autonum = rgInvNo->itemIndex();
    v.pdf = cbPdf->isChecked();
    v.disc = cbDisc->isChecked();
    v.vat = cbVAT->isChecked();
    v.vatInPrice = cbPrices->isChecked();
    v.rounding = cbRound->isChecked();
    v.autoCust = cbAutoCustNo->isChecked();
    for (int i = 0; i < 3; ++i)
        v.reminderTexts[i] = mRemindText[i]->toPlainText();
    for (ProgramSetup::NumberBox box : ProgramSetup::kNumberBoxes)
        ProgramSetup::numberText(v, box) = numberBox(box)->text();
    v.designName = FDesignName;
    v.designFile = FDesignFile;
    v.freeText = Service::FriTextNamn;

    ProgramSetup::normalize(v);
    // The boxes show what is stored.
    for (ProgramSetup::NumberBox box : ProgramSetup::kNumberBoxes)
        numberBox(box)->setAcceptedText(ProgramSetup::numberText(v, box));

    SettingsFile ini(Service::filePath(Service::DataDir, QLatin1String(Service::kInvoiceIni)));
    ProgramSetup::write(ini, v);
    saveOrReport(ini, QStringLiteral("The program settings could not be saved."));
}

void TfmDocumentdata::cbPdfClick() {
    Service::Pdf = cbPdf->isChecked();
}

void TfmDocumentdata::cbDiscClick() {
    Service::Disc = cbDisc->isChecked();
}

void TfmDocumentdata::cbVATClick() {
    Service::VAT = cbVAT->isChecked();
    cbPrices->setVisible(Service::VAT);
}

void TfmDocumentdata::cbPricesClick() {
    Service::VATinPrice = cbPrices->isChecked();
}

void TfmDocumentdata::rgInvNoClick() {
    const bool serialOnly = rgInvNo->itemIndex() == ProgramSetup::SerialOnly;
    lbNextInvNo->setVisible(serialOnly);
    edNextInvNo->setVisible(serialOnly);
}

void TfmDocumentdata::cbAutoCustNoClick() {
    lbNextCustNo->setVisible(cbAutoCustNo->isChecked());
    edNextCustNo->setVisible(cbAutoCustNo->isChecked());
}

void TfmDocumentdata::edCopiesExit() {
    edCopies->check();
}

void TfmDocumentdata::btnInvoiceDesignClick() {
    // The design selection writes FDesignName and FDesignFile through fmDocumentdata.
    ui::execModal<TfmDesign>(this);
    showDesignAndFreeText();
}

void TfmDocumentdata::Button1Click() {
    // The free text editor changes Service::FriTextNamn.
    ui::execModal<TfmFriText>(this);
    showDesignAndFreeText();
}

void TfmDocumentdata::showDesignAndFreeText() {
    edInvoiceDesign->setText(FDesignName);
    edFreeText->setText(Service::FriTextNamn);
}
