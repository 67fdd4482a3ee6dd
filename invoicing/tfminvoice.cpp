#include "invoicing/tfminvoice.h"

#include "customers/custrules.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "invoicing/logging.h"
#include "invoicing/rowsgrid.h"
#include "report/rtf.h"
#include "service/dates.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "settings/company.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/keys.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

TfmInvoice* fmInvoice = nullptr;

namespace {

constexpr const char* kIHeadPassword = "GRAND";
constexpr const char* kIRowPassword = "KQW52TZ";
constexpr const char* kCustomersPassword = "PLOV81";
const QString& productsPassword() {
    static const QString p = QString::fromUtf16(u"PX\u00C452K");
    return p;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, int maxLength = 0) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromUtf8(name));
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromUtf8(name));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

QDateEdit* dateEdit(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QString::fromUtf8(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(Dates::shortFormat());
    d->setDate(QDate::currentDate());
    return d;
}

} // namespace

TfmInvoice::TfmInvoice(QWidget* owner, EditorOwner ownerKind)
    : ui::Form(owner, QStringLiteral("TfmInvoice"), QStringLiteral("Invoicing"), 830)
    , m_ownerKind(ownerKind) {
    fmInvoice = this;
    buildWindow();
    FormCreate();
}

TfmInvoice::~TfmInvoice() {
    if (fmInvoice == this)
        fmInvoice = nullptr;
    sCustomer.RemovePassword(QString::fromUtf8(kCustomersPassword));
    sIHead.RemovePassword(QString::fromUtf8(kIHeadPassword));
    sIRow.RemovePassword(QString::fromUtf8(kIRowPassword));
    sProducts.RemovePassword(productsPassword());
}

QString TfmInvoice::settingsPath() const {
    return Service::filePath(Service::DataDir, QString::fromUtf8(Service::kInvoiceIni));
}

// ---- Window --------------------------------------------------------------------------------

void TfmInvoice::buildWindow() {
    auto* back = addBackCommand();
    connect(back, &QAction::triggered, this, &QWidget::close);
    auto* language = addMenuCommand(QStringLiteral("mnLanguage"), QStringLiteral("Language"));
    connect(language, &QAction::triggered, this, &TfmInvoice::mnLanguageClick);
    auto* freeText = addMenuCommand(QStringLiteral("mnFreeText"), QStringLiteral("Free text"));
    connect(freeText, &QAction::triggered, this, &TfmInvoice::mnFreeTextClick);
    addHelpCommand();

    // Tables first: the grids are built over them.
    dbTRow = new db::Table(this);
    dbTRow->setObjectName(QStringLiteral("dbTRow"));
    dbIHead = new db::Table(this);
    dbIHead->setObjectName(QStringLiteral("dbIHead"));
    dbIRow = new db::Table(this);
    dbIRow->setObjectName(QStringLiteral("dbIRow"));
    dbFreeText = new db::Table(this);
    dbFreeText->setObjectName(QStringLiteral("dbFreeText"));
    dbCustomers = new db::Table(this);
    dbCustomers->setObjectName(QStringLiteral("dbCustomers"));
    dbProducts = new db::Table(this);
    dbProducts->setObjectName(QStringLiteral("dbProducts"));

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(buildHead());

    gdInvoiceRows = new invoicing::InvoiceRowsGrid(dbTRow, body());
    gdInvoiceRows->setObjectName(QStringLiteral("gdInvoiceRows"));
    layout->addWidget(gdInvoiceRows, 1);
    layout->addWidget(buildTotals());
    layout->addWidget(buildCompanyFooter());

    buildNewCustomerPanel();
    buildDescriptionPanel();

    gdInvoicenumbers = new ui::DBGrid(dbIHead, this);
    gdInvoicenumbers->setObjectName(QStringLiteral("gdInvoicenumbers"));
    gdInvoicenumbers->setWindowFlag(Qt::Tool);
    gdInvoicenumbers->setWindowTitle(QStringLiteral("Invoice numbers"));
    gdInvoicenumbers->setReadOnly(true);
    gdInvoicenumbers->hide();
    gdCustNo = new ui::DBGrid(dbCustomers, this);
    gdCustNo->setObjectName(QStringLiteral("gdCustNo"));
    gdCustNo->setWindowFlag(Qt::Tool);
    gdCustNo->setWindowTitle(QStringLiteral("Customer numbers"));
    gdCustNo->setReadOnly(true);
    gdCustNo->hide();

    // Leaving a box ("Exit") is what the head reacts to.
    for (QWidget* box : std::initializer_list<QWidget*>{edInvNo, edCustNo, edCust, edInvDate,
                                                        edDueDate, edOurReference, edNewCustNo})
        box->installEventFilter(this);
    for (QWidget* box : std::initializer_list<QWidget*>{edCustNo, edCust})
        box->setContextMenuPolicy(Qt::NoContextMenu);
    ui::EnterMovesFocus::install({cbDocument, edInvNo, edCustNo, edCust, edCustAddressLine1,
                                  edCustAddressLine2, edCustAddressLine3, edVATNumber, edInvDate,
                                  edDueDate, edYourReference});
    ui::EnterMovesFocus::install(
        {edNewCustNo, edNewCompany, edNewReference, edNewAddress1, edNewAddress2, edNewState,
         edNewZip, edNewCity, edNewEmail, edNewVATNo, edNewPhone, edNewFax, edNewMobile,
         edNewCreditLimit, edNewNote, edNewCountryCode, edNewBuyerReference, cbNewEInvoiceFormat});
    edOurReference->installEventFilter(this);

    gdInvoiceRows->onColEnter = [this](int column) { gdInvoiceRowsColEnter(column); };
    gdInvoiceRows->onColExit = [this](int column) { gdInvoiceRowsColExit(column); };
    gdInvoiceRows->onKeyDown = [this](QKeyEvent* e, int column) {
        return gdInvoiceRowsKeyDown(e, column);
    };
    gdInvoiceRows->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* deleteRow = new QAction(QStringLiteral("Delete row"), gdInvoiceRows);
    deleteRow->setObjectName(QStringLiteral("mnDeleteRow"));
    deleteRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    deleteRow->setShortcutContext(Qt::WidgetShortcut);
    connect(deleteRow, &QAction::triggered, this, &TfmInvoice::deleteCurrentRow);
    gdInvoiceRows->addAction(deleteRow);

    connect(btnNewInvoice, &QPushButton::clicked, this, &TfmInvoice::btnNewInvoiceClick);
    connect(btnOpen, &QPushButton::clicked, this, &TfmInvoice::btnOpenClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfmInvoice::btnPrintClick);
    connect(btnPdf, &QPushButton::clicked, this, &TfmInvoice::btnPdfClick);
    connect(btnEInvoice, &QPushButton::clicked, this, &TfmInvoice::btnEInvoiceClick);
    connect(btnAbort, &QPushButton::clicked, this, &TfmInvoice::btnAbortClick);
    connect(cbDocument, &QComboBox::currentIndexChanged, this, &TfmInvoice::cbDocumentChange);
    connect(btnSave1, &QPushButton::clicked, this, &TfmInvoice::btnSave1Click);
    connect(btnAbort1, &QPushButton::clicked, this, &TfmInvoice::btnAbort1Click);
    connect(btnClose, &QPushButton::clicked, this, &TfmInvoice::btnCloseClick);

    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        resize(std::min(1100, area.width() - 40), std::min(760, area.height() - 40));
    }
}

QWidget* TfmInvoice::buildHead() {
    auto* head = new QWidget(body());
    head->setObjectName(QStringLiteral("pnlHead"));
    auto* grid = new QGridLayout(head);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);

    cbDocument = new QComboBox(head);
    cbDocument->setObjectName(QStringLiteral("cbDocument"));
    edInvNo = lineEdit(head, "edInvNo", 15);
    edCustNo = lineEdit(head, "edCustNo", 25);
    edCustNo->setToolTip(QStringLiteral("Get customer with F10, SPACE or right mouse button"));
    edCust = lineEdit(head, "edCust", 50);
    edCust->setToolTip(edCustNo->toolTip());
    edCustAddressLine1 = lineEdit(head, "edCustAddressLine1", 50);
    edCustAddressLine2 = lineEdit(head, "edCustAddressLine2", 50);
    edCustAddressLine3 = lineEdit(head, "edCustAddressLine3", 50);
    edVATNumber = lineEdit(head, "edVATNumber", 30);
    edInvDate = dateEdit(head, "edInvDate");
    edDueDate = dateEdit(head, "edDueDate");
    edYourReference = lineEdit(head, "edYourReference", 25);
    edOurReference = lineEdit(head, "edOurReference", 25);

    auto* left = new QFormLayout;
    left->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    left->setHorizontalSpacing(8);
    left->addRow(label(head, "lbDocument", QStringLiteral("Document:")), cbDocument);
    left->addRow(label(head, "lbInvNo", QStringLiteral("No.:")), edInvNo);
    left->addRow(label(head, "lbCustNo", QStringLiteral("Customer no:")), edCustNo);
    left->addRow(label(head, "lbCust", QStringLiteral("Customer:")), edCust);
    left->addRow(label(head, "lbAddress", QStringLiteral("Address:")), edCustAddressLine1);
    left->addRow(QString(), edCustAddressLine2);
    left->addRow(QString(), edCustAddressLine3);
    lbVATNumber = label(head, "lbVATNumber", QStringLiteral("VAT No.:"));
    left->addRow(lbVATNumber, edVATNumber);

    auto* right = new QFormLayout;
    right->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    right->setHorizontalSpacing(8);
    lbInvDate = label(head, "lbInvDate", QStringLiteral("Invoice date"));
    right->addRow(lbInvDate, edInvDate);
    lbDueDate = label(head, "lbDueDate", QStringLiteral("Due date"));
    right->addRow(lbDueDate, edDueDate);
    auto* terms = new QHBoxLayout;
    terms->setSpacing(4);
    lbTerms = label(head, "lbTerms", QStringLiteral("Terms:"));
    lbDays = label(head, "lbDays", QStringLiteral("0"));
    lbDaysNet = label(head, "lbDaysNet", QStringLiteral("days net"));
    terms->addWidget(lbTerms);
    terms->addWidget(lbDays);
    terms->addWidget(lbDaysNet);
    terms->addStretch();
    right->addRow(QString(), terms);
    right->addRow(label(head, "lbYourReference", QStringLiteral("Your reference:")),
                  edYourReference);
    right->addRow(label(head, "lbOurReference", QStringLiteral("Our reference:")), edOurReference);

    Logo = new QLabel(head);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setFixedSize(228, 114);
    Logo->setAlignment(Qt::AlignCenter);

    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addWidget(Logo, 0, 2, Qt::AlignTop | Qt::AlignRight);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return head;
}

QWidget* TfmInvoice::buildTotals() {
    auto* panel = new QWidget(body());
    panel->setObjectName(QStringLiteral("pnlTotals"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);

    // The help buttons of the editor's tools.
    auto* tools = new QVBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        int context;
    } helpButtons[] = {{"btnHelpTaxes", "Taxes", 540},
                       {"btnHelpCustomers", "Customers", 560},
                       {"btnHelpProducts", "Products", 570},
                       {"btnHelpAddRow", "Add row", 510},
                       {"btnHelpDeleteRow", "Delete row", 520}};
    auto* toolRow = new QHBoxLayout;
    for (const auto& b : helpButtons) {
        auto* tb = new QToolButton(panel);
        tb->setObjectName(QString::fromUtf8(b.name));
        tb->setText(QString::fromUtf8(b.caption));
        tb->setToolTip(QStringLiteral("F1 for description"));
        tb->setFocusPolicy(Qt::NoFocus);
        const int context = b.context;
        connect(tb, &QToolButton::clicked, this, [context] { ui::showHelp(context); });
        toolRow->addWidget(tb);
    }
    toolRow->addStretch();
    tools->addLayout(toolRow);

    auto* buttons = new QHBoxLayout;
    btnNewInvoice = button(panel, "btnNewInvoice", QStringLiteral("&New"));
    btnOpen = button(panel, "btnOpen", QStringLiteral("&Open saved"));
    btnPrint = button(panel, "btnPrint", QStringLiteral("&Print"));
    btnPdf = button(panel, "btnPdf", QStringLiteral("pdf"));
    btnEInvoice = button(panel, "btnEInvoice", QStringLiteral("e-invoice"));
    btnAbort = button(panel, "btnAbort", QStringLiteral("&Abort"));
    for (QPushButton* b : {btnNewInvoice, btnOpen, btnPrint, btnPdf, btnEInvoice, btnAbort})
        buttons->addWidget(b);
    buttons->addStretch();
    tools->addLayout(buttons);

    mTotal = new QTextEdit(panel);
    mTotal->setObjectName(QStringLiteral("mTotal"));
    mTotal->setReadOnly(true);
    mTotal->setFocusPolicy(Qt::NoFocus);
    mTotal->setFrameShape(QFrame::NoFrame);
    mTotal->setMaximumHeight(90);
    tools->addWidget(mTotal);
    row->addLayout(tools, 1);

    auto* sums = new QFormLayout;
    edSum = lineEdit(panel, "edSum");
    edVAT = lineEdit(panel, "edVAT");
    edTotal = lineEdit(panel, "edTotal");
    for (QLineEdit* box : {edSum, edVAT, edTotal}) {
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setFocusPolicy(Qt::NoFocus);
        box->setMinimumWidth(140);
    }
    QFont bold = edTotal->font();
    bold.setBold(true);
    edTotal->setFont(bold);
    lbSum = label(panel, "lbSum", QStringLiteral("Sum:"));
    lbVAT = label(panel, "lbVAT", QStringLiteral("VAT:"));
    lbTotal = label(panel, "lbTotal", QStringLiteral("Total:"));
    sums->addRow(lbSum, edSum);
    sums->addRow(lbVAT, edVAT);
    sums->addRow(lbTotal, edTotal);
    row->addLayout(sums);
    return panel;
}

QWidget* TfmInvoice::buildCompanyFooter() {
    lbCompany = new QLabel(body());
    lbCompany->setObjectName(QStringLiteral("lbCompany"));
    lbCompany->setWordWrap(true);
    lbCompany->setAlignment(Qt::AlignCenter);
    lbCompany->setTextFormat(Qt::PlainText);
    QStringList parts;
    auto add = [&parts](const QString& caption, const QString& value) {
        if (!value.isEmpty())
            parts << (caption.isEmpty() ? value : caption + QLatin1Char(' ') + value);
    };
    QString place = Service::CompanyCity;
    if (!Service::CompanyZip.isEmpty())
        place += (place.isEmpty() ? QString() : QStringLiteral(", ")) + Service::CompanyZip;
    add(QString(), Service::CompanyName);
    add(QString(), Service::CompanyAddress);
    add(QString(), place);
    add(QStringLiteral("Phone"), Service::CompanyPhone);
    add(QStringLiteral("Fax"), Service::CompanyFax);
    add(QString(), Service::CompanyEmail);
    add(QStringLiteral("Bank"),
        QString(Service::CompanyBank).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
    lbCompany->setText(parts.join(QStringLiteral("   ")));
    return lbCompany;
}

void TfmInvoice::buildNewCustomerPanel() {
    pnlCustreg = new QFrame(this);
    pnlCustreg->setObjectName(QStringLiteral("pnlCustreg"));
    pnlCustreg->setFrameShape(QFrame::StyledPanel);
    pnlCustreg->setAutoFillBackground(true);
    auto* form = new QFormLayout(pnlCustreg);
    auto* title = label(pnlCustreg, "lbNewCustomer", QStringLiteral("New customer"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    form->addRow(title);
    edNewCustNo = lineEdit(pnlCustreg, "edNewCustNo", 25);
    edNewCompany = lineEdit(pnlCustreg, "edNewCompany", 50);
    edNewReference = lineEdit(pnlCustreg, "edNewReference", 50);
    edNewAddress1 = lineEdit(pnlCustreg, "edNewAddress1", 50);
    edNewAddress2 = lineEdit(pnlCustreg, "edNewAddress2", 50);
    edNewState = lineEdit(pnlCustreg, "edNewState", 30);
    edNewZip = lineEdit(pnlCustreg, "edNewZip", 15);
    edNewCity = lineEdit(pnlCustreg, "edNewCity", 40);
    edNewEmail = lineEdit(pnlCustreg, "edNewEmail", 60);
    edNewVATNo = lineEdit(pnlCustreg, "edNewVATNo", 30);
    edNewPhone = lineEdit(pnlCustreg, "edNewPhone", 25);
    edNewFax = lineEdit(pnlCustreg, "edNewFax", 25);
    edNewMobile = lineEdit(pnlCustreg, "edNewMobile", 25);
    edNewCreditLimit = lineEdit(pnlCustreg, "edNewCreditLimit", 20);
    edNewNote = lineEdit(pnlCustreg, "edNewNote", 100);
    lbNewAddress2 = label(pnlCustreg, "lbNewAddress2", QStringLiteral("Address line 2:"));
    lbNewState = label(pnlCustreg, "lbNewState", QStringLiteral("State:"));
    lbNewZip = label(pnlCustreg, "lbNewZip", QStringLiteral("Postcode:"));
    lbNewVATNo = label(pnlCustreg, "lbNewVATNo", QStringLiteral("VAT No.:"));
    form->addRow(label(pnlCustreg, "lbNewCustNo", QStringLiteral("Customer no:")), edNewCustNo);
    form->addRow(label(pnlCustreg, "lbNewCompany", QStringLiteral("Company:")), edNewCompany);
    form->addRow(label(pnlCustreg, "lbNewReference", QStringLiteral("Reference:")), edNewReference);
    form->addRow(label(pnlCustreg, "lbNewAddress1", QStringLiteral("Address line 1:")),
                 edNewAddress1);
    form->addRow(lbNewAddress2, edNewAddress2);
    form->addRow(lbNewState, edNewState);
    form->addRow(lbNewZip, edNewZip);
    form->addRow(label(pnlCustreg, "lbNewCity", QStringLiteral("City:")), edNewCity);
    form->addRow(label(pnlCustreg, "lbNewEmail", QStringLiteral("E-mail:")), edNewEmail);
    form->addRow(lbNewVATNo, edNewVATNo);
    form->addRow(label(pnlCustreg, "lbNewPhone", QStringLiteral("Phone:")), edNewPhone);
    form->addRow(label(pnlCustreg, "lbNewFax", QStringLiteral("Fax:")), edNewFax);
    form->addRow(label(pnlCustreg, "lbNewMobile", QStringLiteral("Mobile:")), edNewMobile);
    form->addRow(label(pnlCustreg, "lbNewCreditLimit", QStringLiteral("Credit limit:")),
                 edNewCreditLimit);
    form->addRow(label(pnlCustreg, "lbNewNote", QStringLiteral("Note:")), edNewNote);
    edNewCountryCode = lineEdit(pnlCustreg, "edNewCountryCode", 2);
    edNewBuyerReference = lineEdit(pnlCustreg, "edNewBuyerReference", 60);
    cbNewEInvoiceFormat = new QComboBox(pnlCustreg);
    cbNewEInvoiceFormat->setObjectName(QStringLiteral("cbNewEInvoiceFormat"));
    for (const auto& [caption, value] : customers::eInvoiceFormats())
        cbNewEInvoiceFormat->addItem(caption, value);
    form->addRow(label(pnlCustreg, "lbNewCountryCode", QStringLiteral("Country code:")),
                 edNewCountryCode);
    form->addRow(label(pnlCustreg, "lbNewBuyerReference", QStringLiteral("Buyer reference:")),
                 edNewBuyerReference);
    form->addRow(label(pnlCustreg, "lbNewEInvoiceFormat", QStringLiteral("E-invoice format:")),
                 cbNewEInvoiceFormat);
    auto* buttons = new QHBoxLayout;
    btnSave1 = button(pnlCustreg, "btnSave1", QStringLiteral("Save"));
    btnAbort1 = button(pnlCustreg, "btnAbort1", QStringLiteral("Abort"));
    buttons->addStretch();
    buttons->addWidget(btnSave1);
    buttons->addWidget(btnAbort1);
    form->addRow(buttons);
    pnlCustreg->hide();
}

void TfmInvoice::buildDescriptionPanel() {
    pnlDesc = new QFrame(this);
    pnlDesc->setObjectName(QStringLiteral("pnlDesc"));
    pnlDesc->setFrameShape(QFrame::StyledPanel);
    pnlDesc->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(pnlDesc);
    layout->addWidget(label(pnlDesc, "lbDesc", QStringLiteral("Long description:")));
    mDesc = new ui::DBMemo(dbTRow, QStringLiteral("LDesc"), pnlDesc);
    mDesc->setObjectName(QStringLiteral("mDesc"));
    layout->addWidget(mDesc, 1);
    btnClose = button(pnlDesc, "btnClose", QStringLiteral("&Close"));
    layout->addWidget(btnClose, 0, Qt::AlignRight);
    pnlDesc->hide();
}

// ---- Creation ------------------------------------------------------------------------------

void TfmInvoice::FormCreate() {
    // 1. Nothing to save or print yet.
    DocSaved = DocPrinted = true;
    DocOpened = DocIsTemplate = DocLocked = false;

    // 2. Boxes by the switches.
    const bool za = Service::Country == QLatin1String("ZA");
    edVATNumber->setVisible(Service::VAT && za);
    lbVATNumber->setVisible(Service::VAT && za);
    lbVAT->setText(Service::VATcap + QLatin1Char(':'));
    lbVAT->setVisible(Service::VAT);
    edVAT->setVisible(Service::VAT);
    lbSum->setVisible(Service::VAT && !Service::VATinPrice);
    edSum->setVisible(Service::VAT && !Service::VATinPrice);
    btnPdf->setVisible(Service::Pdf);

    // 3. Tables.
    openTables();
    gdInvoiceRows->setColumns(
        {QStringLiteral("Item"), QStringLiteral("Code"), QStringLiteral("Description"),
         QStringLiteral("Qty"), QStringLiteral("Unit"), QStringLiteral("Price"),
         QStringLiteral("Discount"), QStringLiteral("VAT %"), QStringLiteral("Sum")},
        {QStringLiteral("Item"), QStringLiteral("Code"), QStringLiteral("Description"),
         QStringLiteral("Qty"), QStringLiteral("Unit"), QStringLiteral("Price"),
         QStringLiteral("-%"), Service::VATcap + QLatin1Char('%'), QStringLiteral("Sum")});
    gdInvoiceRows->setColumnHidden(invoicing::ColDiscount, !Service::Disc);
    gdInvoiceRows->setColumnHidden(invoicing::ColVAT, !Service::VAT);
    QHeaderView* header = gdInvoiceRows->horizontalHeader();
    const int widths[] = {50, 110, 0, 70, 50, 100, 50, 60, 110};
    for (int c = 0; c < invoicing::RowColumnCount; ++c)
        if (widths[c] > 0)
            header->resizeSection(c, widths[c]);
    header->setSectionResizeMode(invoicing::ColDescription, QHeaderView::Stretch);
    gdInvoiceRows->setVatChoices(vatChoices);
    gdInvoicenumbers->setColumns({QStringLiteral("Invoice no")});
    gdCustNo->setColumns({QStringLiteral("Cust. no")});

    // 4. Today, and a locked head: the user starts with New or Open saved.
    edInvDate->setDate(QDate::currentDate());
    LockHead();

    // 5. No third address line in the US.
    edCustAddressLine3->setVisible(Service::Country != QLatin1String("US"));

    // 6. Settings.
    readSettings();

    // 7., 8. Logo and free text.
    loadLogo();
    showFreeText();

    // 9. Kinds.
    fillKinds();

    // 10. The new-customer panel for the country.
    layoutNewCustomerPanel();
    Totalsums();
}

void TfmInvoice::openTables() {
    const QString dir = Service::DataDir;
    auto open = [&](db::Table* t, const QString& name, const QString& index, db::Session* s,
                    const QString& password) {
        t->setDatabaseName(dir);
        t->setTableName(name);
        t->setIndexName(index);
        if (s) {
            if (!password.isEmpty())
                s->AddPassword(password);
            t->setSession(s);
        }
        try {
            t->Open();
        } catch (const db::EngineError& e) {
            qCWarning(lcInvoicing) << "cannot open" << name << e.message();
            ui::ShowError(e.message());
        }
    };
    open(dbTRow, QStringLiteral("TRow"), QString(), nullptr, QString());
    open(dbIHead, QStringLiteral("IHead"), QStringLiteral("Invoice no"), &sIHead,
         QString::fromUtf8(kIHeadPassword));
    open(dbIRow, QStringLiteral("IRow"), QStringLiteral("ID"), &sIRow,
         QString::fromUtf8(kIRowPassword));
    if (dbIRow->Active() && dbIHead->Active())
        dbIRow->setMasterSource(dbIHead, QStringLiteral("ID"), QStringLiteral("ID"));
    open(dbFreeText, QStringLiteral("FreeText"), QString(), nullptr, QString());
    open(dbCustomers, QStringLiteral("Customers"), QStringLiteral("Cust. no"), &sCustomer,
         QString::fromUtf8(kCustomersPassword));
    open(dbProducts, QStringLiteral("Products"), QStringLiteral("Code"), &sProducts,
         productsPassword());

    vatChoices.clear();
    if (Service::VAT) {
        db::Table vat;
        vat.setDatabaseName(dir);
        vat.setTableName(QStringLiteral("VAT"));
        try {
            vat.Open();
            if (vat.IsEmpty()) {
                vat.Append();
                vat.FieldByName(QStringLiteral("VAT %")).setAsString(QStringLiteral("0"));
                vat.Post();
            }
            for (vat.First(); !vat.Eof(); vat.Next())
                vatChoices << vat.FieldByName(QStringLiteral("VAT %")).AsString();
            vat.Close();
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
    }
}

void TfmInvoice::readSettings() {
    const SettingsFile ini(settingsPath());
    const QString s = QStringLiteral("Invoice");
    TermsDays = ini.readInteger(s, QStringLiteral("Terms"), 0);
    Copies = ini.readInteger(s, QStringLiteral("Copies"), 1);
    Rounding = ini.readBool(s, QStringLiteral("Rounding"), false);
    LastDate = ini.readDate(s, QStringLiteral("LastDate"), QDate());
    LastDaySeqNo = ini.readInteger(s, QStringLiteral("LastDaySeqNo"), 0);
    LastTotalSeqNo = ini.readInteger(s, QStringLiteral("LastTotalSeqNo"), 0);
    Autonum = ini.readInteger(s, QStringLiteral("Autonum"), 0);
    AutoCust = ini.readBool(s, QStringLiteral("AutoCust"), false);
    DaySeq = LastDaySeqNo;
    TotalSeq = LastTotalSeqNo;
}

void TfmInvoice::loadLogo() {
    QString file = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
    if (!QFile::exists(file))
        file = Service::filePath(Service::DataDir, QStringLiteral("Standard.bmp"));
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull()) {
        Logo->clear();
        return;
    }
    // The picture keeps its proportions inside the box.
    Logo->setPixmap(QPixmap::fromImage(image).scaled(Logo->size(), Qt::KeepAspectRatio,
                                                     Qt::SmoothTransformation));
}

void TfmInvoice::showFreeText() {
    if (!dbFreeText->Active())
        return;
    try {
        if (!dbFreeText->Locate(QStringLiteral("Name"), Service::FriTextNamn,
                                db::LocateCaseInsensitive))
            return;
        const QString text = dbFreeText->FieldByName(QStringLiteral("Text")).AsString();
        if (report::isRtf(text))
            mTotal->setHtml(report::rtfToHtml(text.toUtf8()));
        else if (Qt::mightBeRichText(text))
            mTotal->setHtml(text);
        else
            mTotal->setPlainText(text);
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "free text" << e.message();
    }
}

void TfmInvoice::fillKinds() {
    const QSignalBlocker block(cbDocument);
    cbDocument->clear();
    const QString c = Service::Country;
    if (Service::VAT &&
        (c == QLatin1String("AU") || c == QLatin1String("ZA") || c == QLatin1String("SG")))
        cbDocument->addItem(QStringLiteral("Tax invoice"));
    cbDocument->addItems({QStringLiteral("Invoice"), QStringLiteral("Credit invoice"),
                          QStringLiteral("Receipt"), QStringLiteral("Quotation"),
                          QStringLiteral("Delivery note"), QStringLiteral("Packing slip")});
    cbDocument->setCurrentIndex(0);
    cbDocumentChange();
}

void TfmInvoice::layoutNewCustomerPanel() {
    const QString c = Service::Country;
    const bool us = c == QLatin1String("US");
    lbNewAddress2->setVisible(!us);
    edNewAddress2->setVisible(!us);
    const bool state = us || c == QLatin1String("AU") || c == QLatin1String("GB");
    lbNewState->setVisible(state);
    edNewState->setVisible(state);
    lbNewState->setText(c == QLatin1String("GB") ? QStringLiteral("County:")
                                                 : QStringLiteral("State:"));
    edNewState->setMaximumWidth(us || c == QLatin1String("AU") ? 60 : QWIDGETSIZE_MAX);
    const bool zip = c != QLatin1String("NZ");
    lbNewZip->setVisible(zip);
    edNewZip->setVisible(zip);
    lbNewZip->setText(us ? QStringLiteral("Zip:") : QStringLiteral("Postcode:"));
    const bool vatNo = c == QLatin1String("ZA") && Service::VAT;
    lbNewVATNo->setVisible(vatNo);
    edNewVATNo->setVisible(vatNo);
}

void TfmInvoice::showCompanion(QWidget* companion) {
    ui::showModalKeep(companion);
    if (isVisible())
        activateWindow();
}

QString TfmInvoice::documentKind() const {
    return cbDocument->currentText();
}

void TfmInvoice::FormActivate() {
    // Only the first activation of a showing starts afresh. Coming back from a companion or a
    // message box keeps the focus where it was put (the date after a customer, the quantity
    // after a product), and a company dialog left without a name does not come back at once.
    if (!std::exchange(m_freshlyShown, false))
        return;
    if (Service::CompanyName.isEmpty()) {
        ui::ShowMessage(QStringLiteral("Company name is missing."));
        ui::execModal<TfmCompany>(this);
    }
    lbDays->setText(QString::number(TermsDays));
    btnNewInvoice->setFocus();
}

void TfmInvoice::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        m_freshlyShown = true;
    ui::Form::showEvent(event);
}
