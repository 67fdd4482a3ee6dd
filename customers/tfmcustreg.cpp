#include "customers/tfmcustreg.h"

#include "customers/custmarks.h"
#include "customers/custrules.h"
#include "customers/tfmcustinvoices.h"
#include "customers/tfmcustout.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/searchrow.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Invoice");

QString settingsPath() {
    return Service::filePath(Service::DataDir, QString::fromUtf8(Service::kInvoiceIni));
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TfmCustreg::TfmCustreg(QWidget* owner)
    : taxes::RegisterForm(
          owner, QStringLiteral("TfmCustreg"), QStringLiteral("Customers"), kHelpContext,
          taxes::RegisterTable{
              QStringLiteral("Customers"), QStringLiteral("dbCustReg"), QStringLiteral("sCustReg"),
              QString::fromLatin1(customers::kCustomersPassword), QStringLiteral("Company")}) {
    connect(addMenuCommand(QStringLiteral("mnBack"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmCustreg::mnBackClick);
    mnPrint = addMenuCommand(QStringLiteral("mnPrint"), QStringLiteral("Print"));
    connect(mnPrint, &QAction::triggered, this, &TfmCustreg::mnPrintClick);
    Resetstatistics1 =
        addMenuCommand(QStringLiteral("Resetstatistics1"), QStringLiteral("Reset statistics"));
    connect(Resetstatistics1, &QAction::triggered, this, &TfmCustreg::Resetstatistics1Click);
    addHelpCommand();

    m_table->BeforePost = [](db::Table& t) {
        customers::beforePost(t, QDate::currentDate(), Service::CompanyCountry);
    };
    m_table->OnPostError = [this](db::Table& t, const db::EngineError& e) {
        return dbCustRegPostError(t, e);
    };

    gdCustreg = new ui::DBGrid(m_table, body());
    gdCustreg->setObjectName(QStringLiteral("gdCustreg"));
    gdCustreg->setColumns({QStringLiteral("Cust. no"), QStringLiteral("Company"),
                           QStringLiteral("Reference"), QStringLiteral("City")});
    gdCustreg->setReadOnly(true);
    gdCustreg->setToolTip(QStringLiteral("Click on the title to sort"));
    gdCustreg->horizontalHeader()->setStretchLastSection(false);
    int column = 0;
    for (int w : {100, 150, 150, 150})
        gdCustreg->setColumnWidth(column++, w);
    ui::setControlHelpContext(gdCustreg, 28);
    connect(gdCustreg, &ui::DBGrid::titleClick, this, &TfmCustreg::gdCustregTitleClick);
    m_grid = gdCustreg;

    pnlEdit = new QFrame(body());
    pnlEdit->setObjectName(QStringLiteral("pnlEdit"));
    pnlEdit->setFixedHeight(250);

    dbedCustNo = addBox("dbedCustNo", QStringLiteral("Cust. no"));
    dbedCompany = addBox("dbedCompany", QStringLiteral("Company"));
    dbedRef = addBox("dbedRef", QStringLiteral("Reference"));
    dbedAddressLine1 = addBox("dbedAddressLine1", QStringLiteral("Address line 1"));
    dbedAddressLine2 = addBox("dbedAddressLine2", QStringLiteral("Address line 2"));
    dbedState = addBox("dbedState", QStringLiteral("State"));
    dbedZip = addBox("dbedZip", QStringLiteral("Zip"));
    dbedCity = addBox("dbedCity", QStringLiteral("City"));
    dbedEmail = addBox("dbedEmail", QStringLiteral("E-mail"));
    dbedCountryCode = addBox("dbedCountryCode", QStringLiteral("Country code"));
    dbedBuyerReference = addBox("dbedBuyerReference", QStringLiteral("Buyer reference"));
    dbedVATNo = addBox("dbedVATNo", QStringLiteral("VAT No."));
    dbedPhone = addBox("dbedPhone", QStringLiteral("Phone"));
    dbedFax = addBox("dbedFax", QStringLiteral("Fax"));
    dbedMobile = addBox("dbedMobile", QStringLiteral("Mobile"));
    dbedCreditLimit = addBox("dbedCreditLimit", QStringLiteral("Credit limit"));
    dbedCreditLimit->setNumberRule(
        ui::NumberRule::amount(QStringLiteral("Credit limit"), Currency()));
    dbedNote = addBox("dbedNote", QStringLiteral("Note"));
    dbedRegistered = addBox("dbedRegistered", QStringLiteral("Registered"));
    dbedLastInv = addBox("dbedLastInv", QStringLiteral("Last invoice"));
    dbedPeriodSales = addBox("dbedPeriodSales", QStringLiteral("Periods sales"));
    dbedPeriodSales->setNumberRule(ui::NumberRule::amount(QStringLiteral("Periods sales")));
    dbedTotalSales = addBox("dbedTotalSales", QStringLiteral("Total sales"));
    cbEInvoiceFormat = new ui::DBComboBox(m_table, QStringLiteral("E-invoice format"),
                                          customers::eInvoiceFormats(), pnlEdit);
    cbEInvoiceFormat->setObjectName(QStringLiteral("cbEInvoiceFormat"));
    cbEmail = new ui::DBCheckBox(m_table, QStringLiteral("E-invoice"), QStringLiteral("Use E-mail"),
                                 pnlEdit);
    cbEmail->setObjectName(QStringLiteral("cbEmail"));
    cbEmail->hide(); // belongs to the panel, not shown in this window
    cbEmail->installEventFilter(this);

    for (ui::DBEdit* display : {dbedRegistered, dbedLastInv, dbedTotalSales})
        display->setEnabled(false);
    for (QWidget* skipped : std::initializer_list<QWidget*>{dbedVATNo, dbedRegistered, dbedLastInv,
                                                            dbedPeriodSales, dbedTotalSales})
        skipped->setFocusPolicy(Qt::ClickFocus);
    ui::setControlHelpContext(dbedCustNo, 29);
    ui::setControlHelpContext(dbedCompany, 21);
    ui::setControlHelpContext(dbedRef, 30);
    for (QWidget* w : std::initializer_list<QWidget*>{dbedAddressLine1, dbedAddressLine2})
        ui::setControlHelpContext(w, 31);
    for (QWidget* w : std::initializer_list<QWidget*>{dbedPhone, dbedFax, dbedMobile, dbedEmail})
        ui::setControlHelpContext(w, 32);

    // Everything the panel edits is written before a post.
    m_boxes = {dbedCustNo,         dbedCompany, dbedRef,        dbedAddressLine1, dbedAddressLine2,
               dbedState,          dbedZip,     dbedCity,       dbedEmail,        dbedCountryCode,
               dbedBuyerReference, dbedVATNo,   dbedPhone,      dbedFax,          dbedMobile,
               dbedCreditLimit,    dbedNote,    dbedPeriodSales};
    for (ui::DBEdit* b : m_boxes)
        ui::EnterMovesFocus::install(b);
    ui::EnterMovesFocus::install(cbEInvoiceFormat);
    ui::EnterMovesFocus::install(gdCustreg);

    lbAddressLine2 = caption(pnlEdit, QStringLiteral("lbAddressLine2"),
                             QStringLiteral("Address line 2:"), dbedAddressLine2);
    lbState = caption(pnlEdit, QStringLiteral("lbState"), QStringLiteral("State:"), dbedState);
    lbZip = caption(pnlEdit, QStringLiteral("lbZip"), QStringLiteral("Zip:"), dbedZip);
    lbVATNo = caption(pnlEdit, QStringLiteral("lbVATNo"), QStringLiteral("VAT No.:"), dbedVATNo);

    btnNew = new QPushButton(QStringLiteral("New"), pnlEdit);
    btnNew->setObjectName(QStringLiteral("btnNew"));
    btnNew->setToolTip(QStringLiteral("New customer"));
    btnDelete = new QPushButton(QStringLiteral("Delete"), pnlEdit);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setToolTip(QStringLiteral("Delete all about the customer"));
    btnShow = new QPushButton(QStringLiteral("Invoices"), pnlEdit);
    btnShow->setObjectName(QStringLiteral("btnShow"));
    btnShow->setToolTip(QStringLiteral("Show all invoices to the customer"));
    for (QPushButton* b : {btnNew, btnDelete, btnShow}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }
    connect(btnNew, &QPushButton::clicked, this, &TfmCustreg::btnNewClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfmCustreg::btnDeleteClick);
    connect(btnShow, &QPushButton::clicked, this, &TfmCustreg::btnShowClick);

    // Left: address and contact; right: numbers, notes and the statistics.
    auto* grid = new QGridLayout(pnlEdit);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(2);
    auto left = [&](int row, const char* name, const QString& text, QWidget* box) {
        grid->addWidget(caption(pnlEdit, QString::fromLatin1(name), text, box), row, 0);
        grid->addWidget(box, row, 1);
    };
    left(0, "lbCustNo", QStringLiteral("Customer no.:"), dbedCustNo);
    left(1, "lbCompany", QStringLiteral("Company:"), dbedCompany);
    left(2, "lbRef", QStringLiteral("Reference:"), dbedRef);
    left(3, "lbAddressLine1", QStringLiteral("Address line 1:"), dbedAddressLine1);
    grid->addWidget(lbAddressLine2, 4, 0);
    grid->addWidget(dbedAddressLine2, 4, 1);
    auto* place = new QHBoxLayout;
    place->setSpacing(4);
    place->addWidget(lbState);
    place->addWidget(dbedState);
    place->addWidget(lbZip);
    place->addWidget(dbedZip);
    place->addWidget(caption(pnlEdit, QStringLiteral("lbCity"), QStringLiteral("City:"), dbedCity));
    place->addWidget(dbedCity, 1);
    grid->addLayout(place, 5, 0, 1, 2);
    left(6, "lbEmail", QStringLiteral("E-mail"), dbedEmail);
    left(7, "lbCountryCode", QStringLiteral("Country code:"), dbedCountryCode);
    left(8, "lbBuyerReference", QStringLiteral("Buyer reference:"), dbedBuyerReference);
    auto right = [&](int row, const char* name, const QString& text, QWidget* box, int span = 3) {
        grid->addWidget(caption(pnlEdit, QString::fromLatin1(name), text, box), row, 2);
        grid->addWidget(box, row, 3, 1, span);
    };
    grid->addWidget(lbVATNo, 0, 2);
    grid->addWidget(dbedVATNo, 0, 3, 1, 3);
    right(1, "lbPhone", QStringLiteral("Phone:"), dbedPhone);
    right(2, "lbFax", QStringLiteral("Fax:"), dbedFax);
    right(3, "lbMobile", QStringLiteral("Mobile:"), dbedMobile);
    right(4, "lbCreditLimit", QStringLiteral("Credit limit:"), dbedCreditLimit);
    right(5, "lbNote", QStringLiteral("Note:"), dbedNote);
    right(6, "lbRegistered", QStringLiteral("Registrered:"), dbedRegistered, 1);
    grid->addWidget(caption(pnlEdit, QStringLiteral("lbPeriodSales"),
                            QStringLiteral("Periods sales:"), dbedPeriodSales),
                    6, 4);
    grid->addWidget(dbedPeriodSales, 6, 5);
    right(7, "lbLastInv", QStringLiteral("Last invoice:"), dbedLastInv, 1);
    grid->addWidget(caption(pnlEdit, QStringLiteral("lbTotalSales"), QStringLiteral("Total sales:"),
                            dbedTotalSales),
                    7, 4);
    grid->addWidget(dbedTotalSales, 7, 5);
    right(8, "lbEInvoiceFormat", QStringLiteral("E-invoice format:"), cbEInvoiceFormat);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNew);
    buttons->addWidget(btnDelete);
    buttons->addWidget(btnShow);
    buttons->addStretch(1);
    grid->addLayout(buttons, 9, 0, 1, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // Finding a customer among many: the leading part of the field the list is sorted by.
    QHBoxLayout* search = ui::searchRow(body(), &edSearch, &lbSortOrder);
    search->setContentsMargins(6, 4, 6, 0);
    lbSortOrder->setText(QStringLiteral("Company"));
    connect(edSearch, &QLineEdit::textChanged, this, &TfmCustreg::edSearchChange);
    ui::EnterMovesFocus::install(edSearch);

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(search);
    layout->addWidget(gdCustreg, 1);
    layout->addWidget(pnlEdit, 0, Qt::AlignHCenter);
    pnlEdit->setMinimumWidth(760);

    applyCountry();

    const SettingsFile ini(settingsPath());
    m_autoCust = ini.readBool(kSection, QStringLiteral("AutoCust"), false);
    if (m_autoCust)
        m_lastCustNo = ini.readInteger(kSection, QStringLiteral("LastCustNo"), 0);

    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(800, screen && screen->size().height() >= 900 ? 600 : 550);
}

TfmCustreg::~TfmCustreg() = default;

ui::DBEdit* TfmCustreg::addBox(const char* name, const QString& field) {
    auto* box = new ui::DBEdit(m_table, field, pnlEdit);
    box->setObjectName(QString::fromLatin1(name));
    // A field an older file lacks is shown as an empty box that cannot be written.
    if (m_table->Active() && !m_table->FindField(field))
        box->setEnabled(false);
    return box;
}

void TfmCustreg::applyCountry() {
    const customers::CountryLayout l = customers::countryLayout(Service::Country, Service::VAT);
    lbAddressLine2->setVisible(l.address2);
    dbedAddressLine2->setVisible(l.address2);
    lbState->setVisible(l.state);
    dbedState->setVisible(l.state);
    dbedState->setFixedWidth(l.stateNarrow ? 60 : 350);
    lbState->setText(l.stateLabel);
    lbZip->setText(l.zipLabel);
    lbZip->setVisible(l.zip);
    dbedZip->setVisible(l.zip);
    dbedZip->setMaximumWidth(90);
    lbVATNo->setVisible(l.vatNo);
    dbedVATNo->setVisible(l.vatNo);
}

void TfmCustreg::FormActivate() {
    taxes::RegisterForm::FormActivate();
    for (QAction* a : {mnPrint, Resetstatistics1})
        a->setEnabled(true);
    btnShow->setEnabled(true);
}

void TfmCustreg::resizeEvent(QResizeEvent* event) {
    taxes::RegisterForm::resizeEvent(event);
    // The layout keeps the panel centred below the grid, which takes the rest of the height.
}

bool TfmCustreg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cbEmail && event->type() == QEvent::FocusOut)
        cbEmailExit();
    return taxes::RegisterForm::eventFilter(watched, event);
}

void TfmCustreg::cbEmailExit() {
    if (cbEmail->isChecked() && dbedEmail->text().isEmpty())
        ui::ShowError(QStringLiteral("E-mail address missing!"));
}

void TfmCustreg::btnNewClick() {
    if (!m_table->Active() || !postRecord())
        return;
    try {
        m_table->Append();
        if (m_autoCust) {
            ++m_lastCustNo;
            m_table->FieldByName(QStringLiteral("Cust. no"))
                .setAsString(QString::number(m_lastCustNo));
            // Written at once: a number handed out is never handed out again, even when the
            // program does not get to close this window.
            saveCounter();
        }
        if (db::Field* country = m_table->FindField(QStringLiteral("Country code")))
            if (country->IsNull() && !Service::CompanyCountry.isEmpty())
                country->setAsString(Service::CompanyCountry.trimmed().toUpper());
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    dbedCustNo->setFocus();
}

void TfmCustreg::btnDeleteClick() {
    if (!m_table->Active() || (m_table->IsEmpty() && m_table->State() != db::DataSetState::Insert))
        return;
    if (!ui::AskYesNo(customers::deleteQuestion()))
        return;
    try {
        if (m_table->State() != db::DataSetState::Insert) {
            const int documents = customers::documentsOfCustomer(
                Service::DataDir, m_table->FieldByName(QStringLiteral("Cust. no")).AsString());
            if (documents > 0 &&
                !ui::AskYesNo(customers::deleteWithDocumentsQuestion(
                    m_table->FieldByName(QStringLiteral("Company")).AsString(), documents)))
                return;
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    deleteRecord({});
}

void TfmCustreg::gdCustregTitleClick(const QString& field) {
    if (!m_table->Active())
        return;
    QString index = QStringLiteral("Cust. no");
    if (field == QLatin1String("Company") || field == QLatin1String("Reference"))
        index = field;
    if (!postRecord())
        return;
    try {
        m_table->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    lbSortOrder->setText(index);
}

void TfmCustreg::edSearchChange(const QString& text) {
    if (!m_table->Active() || text.isEmpty() || !postRecord())
        return;
    try {
        m_table->Locate(customers::CustomerMarks::keyField(m_table->IndexName()), text,
                        db::LocateCaseInsensitive | db::LocatePartialKey);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmCustreg::mnPrintClick() {
    if (!postRecord())
        return;
    hideWhile([this] { ui::execModal<TfmCustOut>(this); });
    if (m_table->Active())
        m_table->Refresh();
}

void TfmCustreg::btnShowClick() {
    if (!postRecord())
        return;
    ui::execModal<TfmCustInvoices>(this, dbedCustNo->text(), dbedCompany->text());
}

void TfmCustreg::Resetstatistics1Click() {
    if (!m_table->Active() || !postRecord())
        return;
    const QString question =
        QStringLiteral("This will add \"Periods sales\" to \"Total sales\" and then reset "
                       "\"Periods sales\" to zero.\n\rIt applies to all customers!\n\r"
                       "Do you want to continue?");
    if (!ui::AskYesNo(question))
        return;
    try {
        customers::resetStatistics(*m_table);
    } catch (const db::EngineError& e) {
        ui::ShowError(QStringLiteral("The statistics were not reset; no customer was changed.\n") +
                      e.message());
    }
}

db::PostErrorAction TfmCustreg::dbCustRegPostError(db::Table& table, const db::EngineError& e) {
    ui::ShowError(customers::postErrorMessage(e));
    if (customers::isNumberError(e)) {
        try {
            table.FieldByName(QStringLiteral("Cust. no")).Clear();
        } catch (const db::EngineError&) {
        }
        dbedCustNo->setFocus();
    }
    return db::PostErrorAction::Abort;
}

bool TfmCustreg::FormCloseQuery() {
    if (!m_table->Active())
        return true;
    for (ui::DBEdit* box : m_boxes)
        if (!box->commit())
            return false;
    // A record with neither number, company nor reference holds nothing worth keeping (the
    // clean-up below would remove it); one with a name but no number is not thrown away: the
    // post refuses it and the user supplies a number or presses Escape.
    if (m_table->State() != db::DataSetState::Browse) {
        const auto text = [this](const char* f) {
            return m_table->FieldByName(QString::fromUtf8(f)).AsString();
        };
        if (text("Cust. no").isEmpty() && text("Company").isEmpty() && text("Reference").isEmpty())
            m_table->Cancel();
    }
    return postRecord();
}

void TfmCustreg::FormClose() {
    if (m_table->Active() && !m_table->IsEmpty()) {
        const auto text = [this](const char* f) {
            return m_table->FieldByName(QString::fromUtf8(f)).AsString();
        };
        if (m_autoCust)
            m_lastCustNo = customers::counterAfterClose(m_lastCustNo, text("Cust. no"),
                                                        text("Company"), text("Reference"));
    }
    taxes::RegisterForm::FormClose(); // the clean-up, then the table and the password
    if (m_autoCust)
        saveCounter();
}

void TfmCustreg::cleanUp(db::Table& table) {
    customers::removeEmptyCustomers(table);
}

void TfmCustreg::saveCounter() {
    // Read afresh, so that what other windows wrote in the meantime stays.
    SettingsFile ini(settingsPath());
    ini.writeInteger(kSection, QStringLiteral("LastCustNo"), m_lastCustNo);
    QString error;
    if (!ini.updateFile(&error))
        ui::ShowError(error);
}

int TfmCustreg::execute() {
    return ui::showModalKeep(this);
}
