#include "finance/tfmfinance.h"

#include "db/dberror.h"
#include "db/query.h"
#include "db/table.h"
#include "finance/logging.h"
#include "invoicing/companions.h"
#include "invoicing/rowsgrid.h"
#include "invoicing/tfminvoice.h"
#include "service/service.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/keys.h"

#include <QAction>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmFinance::TfmFinance(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmFinance"), QStringLiteral("Finance charging"),
               kHelpContext) {
    qyInv = new db::Query(this);
    qyInv->setObjectName(QStringLiteral("qyInv"));
    qyInv->setDatabaseName(Service::DataDir);
    qyInv->setSession(&sInv);
    sInv.AddPassword(QStringLiteral("GRAND"));
    buildWindow();

    QString error;
    const std::optional<finance::FinanceSettings> s = finance::readFinanceSettings(
        Service::filePath(Service::DataDir, QStringLiteral("MRVInv.ini")), &error);
    if (!s) {
        ui::ShowError(QStringLiteral("Finance charging cannot be opened.\n") + error);
        return;
    }
    m_settings = *s;
    m_usable = true;
    qyInv->AfterScroll = [this](db::DataSet&) { SelectInvoice(); };
    List();
    m_windows = std::make_unique<InvoicingWindows>(this, EditorOwner::Finance);
}

TfmFinance::~TfmFinance() {
    // The editor and its companions go before the window that owns them.
    m_windows.reset();
}

void TfmFinance::buildWindow() {
    connect(addBackCommand(), &QAction::triggered, this, &TfmFinance::close);
    addHelpCommand();

    gdInv = new ui::DBGrid(qyInv, body());
    gdInv->setObjectName(QStringLiteral("gdInv"));
    gdInv->setColumns({QStringLiteral("Invoice no"), QStringLiteral("Invoice date"),
                       QStringLiteral("Customer"), QStringLiteral("Total"), QStringLiteral("Due"),
                       QStringLiteral("Paid"), QStringLiteral("Delay")});
    gdInv->setReadOnly(true);
    gdInv->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    ui::EnterMovesFocus::install(gdInv);

    auto bound = [this](const char* name, const char* field) {
        auto* box = new ui::DBEdit(qyInv, QString::fromLatin1(field), body());
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        return box;
    };
    dbedInvoice = bound("dbedInvoice", "Invoice no");
    dbedTotal = bound("dbedTotal", "Total");
    dbedDue = bound("dbedDue", "Due");
    dbedPaid = bound("dbedPaid", "Paid");
    dbedDelay = bound("dbedDelay", "Delay");
    auto computed = [this](const char* name) {
        auto* box = new QLineEdit(body());
        box->setObjectName(QString::fromLatin1(name));
        box->setAlignment(Qt::AlignRight);
        return box;
    };
    edInterest = computed("edInterest");
    edInvCharge = computed("edInvCharge");
    edToInvoice = computed("edToInvoice");

    lbSelected = new QLabel(QStringLiteral("Selected invoice"), body());
    lbSelected->setObjectName(QStringLiteral("lbSelected"));
    btnSkip = new QPushButton(QStringLiteral("Skip"), body());
    btnSkip->setObjectName(QStringLiteral("btnSkip"));
    btnSkip->setToolTip(QStringLiteral("No finance charging for this invoice"));
    btnPrint = new QPushButton(QStringLiteral("Print"), body());
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPrint->setToolTip(QStringLiteral("Make Finance invoice for this"));
    for (QPushButton* b : {btnSkip, btnPrint})
        b->setAutoDefault(false);
    connect(btnSkip, &QPushButton::clicked, this, &TfmFinance::btnSkipClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfmFinance::btnPrintClick);

    auto* boxes = new QGridLayout;
    int row = 0;
    auto add = [&](const QString& caption, QWidget* box, int column) {
        auto* label = new QLabel(caption, body());
        label->setBuddy(box);
        boxes->addWidget(label, row, column * 2);
        boxes->addWidget(box, row, column * 2 + 1);
    };
    add(QStringLiteral("Invoice"), dbedInvoice, 0);
    add(QStringLiteral("Interest"), edInterest, 1);
    ++row;
    add(QStringLiteral("Total"), dbedTotal, 0);
    add(QStringLiteral("Invoice charge"), edInvCharge, 1);
    ++row;
    add(QStringLiteral("Due"), dbedDue, 0);
    add(QStringLiteral("To invoice"), edToInvoice, 1);
    ++row;
    add(QStringLiteral("Paid"), dbedPaid, 0);
    ++row;
    add(QStringLiteral("Delay"), dbedDelay, 0);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(lbSelected);
    buttons->addWidget(btnSkip);
    buttons->addWidget(btnPrint);
    buttons->addStretch();

    auto* lower = new QHBoxLayout;
    lower->addLayout(boxes, 1);
    lower->addLayout(buttons);
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(gdInv, 2);
    layout->addLayout(lower, 1);
    resize(720, 520);
}

void TfmFinance::List() {
    try {
        qyInv->Close();
        qyInv->setSQL(finance::listSql());
        qyInv->ParamByName(QStringLiteral("Rta")).setAsFloat(m_settings.interestRate);
        const std::optional<Currency> threshold = finance::listThreshold(m_settings.threshold);
        if (!threshold) {
            ui::ShowError(QStringLiteral("The threshold %1 is too large.")
                              .arg(m_settings.threshold.format(Service::Decimals)));
            SelectInvoice();
            return;
        }
        qyInv->ParamByName(QStringLiteral("Trosk")).setAsCurrency(*threshold);
        qyInv->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcFinance) << "listing" << e.message();
        ui::ShowError(e.message());
    }
    SelectInvoice();
}

void TfmFinance::SelectInvoice() {
    const bool selected = qyInv->Active() && !qyInv->IsEmpty();
    btnSkip->setEnabled(selected);
    btnPrint->setEnabled(selected);
    if (!selected) {
        SelectedID = 0;
        InvNo.clear();
        Delay = 0;
        Interest = Currency();
        for (QLineEdit* box : {edInterest, edInvCharge, edToInvoice})
            box->clear();
        return;
    }
    SelectedID = qyInv->FieldByName(QStringLiteral("ID")).AsInteger();
    Delay = static_cast<int>(qyInv->FieldByName(QStringLiteral("Delay")).AsInteger());
    const Currency total = qyInv->FieldByName(QStringLiteral("Total")).AsCurrency();
    try {
        Interest = finance::financeInterest(total, Delay, m_settings.interestRate);
    } catch (const CurrencyOverflow&) {
        Interest = Currency();
        ui::ShowError(QStringLiteral("The interest of invoice %1 is too large.")
                          .arg(qyInv->FieldByName(QStringLiteral("Invoice no")).AsString()));
    }
    edInterest->setText(Interest.format(Service::Decimals, true));
    edInvCharge->setText(m_settings.invoiceCharge.format(Service::Decimals, true));
    edToInvoice->setText((m_settings.invoiceCharge + Interest).format(Service::Decimals, true));
    InvNo = qyInv->FieldByName(QStringLiteral("Invoice no")).AsString();
}

void TfmFinance::btnSkipClick() {
    if (SelectedID == 0)
        return;
    if (!ui::AskYesNo(QStringLiteral("Remove this invoice from the list?")))
        return;
    try {
        finance::recordInterest(sInv, Service::DataDir, SelectedID, Currency());
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    List();
}

bool TfmFinance::FillFinanceInvoice() {
    if (SelectedID == 0 || !m_windows)
        return false;
    TfmInvoice& ed = *m_windows->editor;
    ed.DocTotal = Currency();
    ed.UnlockHead();
    ed.EmptyInvoice();
    ed.EmptyHead();
    ed.Totalsums();
    ed.beginFilledDocument();

    ed.TermsDays = m_settings.terms;
    ed.lbDays->setText(QString::number(ed.TermsDays));
    ed.edInvNo->setText(finance::financeInvoiceNo(InvNo));
    // A number already stored is refused as any typed number is: the user gives another.
    ed.edInvNoExit();
    ed.edDueDate->setDate(ed.edInvDate->date().addDays(ed.TermsDays));
    ed.DocSaved = ed.DocPrinted = ed.DocIsTemplate = ed.DocOpened = ed.DocWasPrinted = false;

    auto head = [this](const char* field) {
        return qyInv->FieldByName(QString::fromLatin1(field)).AsString();
    };
    ed.edCustNo->setText(head("Customer no"));
    ed.edCust->setText(head("Customer"));
    ed.edCustAddressLine1->setText(head("Address line 1"));
    ed.edCustAddressLine2->setText(head("Address line 2"));
    ed.edCustAddressLine3->setText(head("Address line 3"));
    ed.edYourReference->setText(head("Your reference"));
    ed.edOurReference->setText(head("Our reference"));

    db::Table& rows = *ed.dbTRow;
    try {
        auto text = [&rows](const char* field, const QString& value) {
            rows.FieldByName(QString::fromLatin1(field)).setAsString(value);
        };
        rows.Append();
        text("Item", QStringLiteral(" "));
        text("Description", QStringLiteral("Finance charge for delayed payment"));
        rows.Post();
        rows.Append();
        text("Item", QStringLiteral("1"));
        text("Description",
             finance::interestRowText(InvNo, dbedDelay->text(), m_settings.interestRate));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(1);
        rows.FieldByName(QStringLiteral("Price")).setAsCurrency(Interest);
        rows.Post();
        if (m_settings.invoiceCharge > Currency()) {
            rows.Append();
            text("Item", QStringLiteral("2"));
            text("Description", QStringLiteral("Invoice charge"));
            rows.FieldByName(QStringLiteral("Qty")).setAsFloat(1);
            rows.FieldByName(QStringLiteral("Price")).setAsCurrency(m_settings.invoiceCharge);
            rows.Post();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
    ed.gdInvoiceRowsColExit(invoicing::ColPrice);
    return true;
}

void TfmFinance::btnPrintClick() {
    // Only a listed invoice is charged: with an empty list nothing happens.
    if (SelectedID == 0)
        return;
    const qint64 id = SelectedID;
    const Currency interest = Interest;
    const QString number = InvNo;
    if (!FillFinanceInvoice())
        return;
    m_windows->showEditor();
    if (m_windows->editor->DocPrinted) {
        try {
            if (!finance::recordInterest(sInv, Service::DataDir, id, interest))
                ui::ShowError(QStringLiteral("Invoice %1 is no longer stored; the interest could "
                                             "not be recorded.")
                                  .arg(number));
        } catch (const db::EngineError& e) {
            ui::ShowError(
                QStringLiteral("The finance invoice was printed, but the interest could not be "
                               "recorded on invoice %1:\n%2")
                    .arg(number, e.message()));
        }
    }
    List();
}

void TfmFinance::FormClose() {
    qyInv->Close();
    sInv.RemovePassword(QStringLiteral("GRAND"));
    m_windows.reset();
}

void openFinanceCharging(QWidget* owner) {
    auto window = std::make_unique<TfmFinance>(owner);
    if (!window->usable())
        return;
    ui::showModal(std::move(window));
}
