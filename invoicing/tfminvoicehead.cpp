// The head of the invoice editor: New, kinds, numbering, dates, the customer and the
// new-customer panel, locking and emptying.
#include "invoicing/tfminvoice.h"

#include "customers/custrules.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/logging.h"
#include "invoicing/rowsgrid.h"
#include "service/dates.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/numberbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>

// ---- Locking and emptying -----------------------------------------------------------------

void TfmInvoice::LockHead() {
    m_headLocked = true;
    for (QWidget* w : std::initializer_list<QWidget*>{
             cbDocument, edInvNo, edInvDate, edDueDate, edCustNo, edCust, edCustAddressLine1,
             edCustAddressLine2, edCustAddressLine3, edVATNumber, edYourReference, edOurReference})
        w->setEnabled(false);
    gdInvoiceRows->setReadOnly(true);
}

void TfmInvoice::UnlockHead() {
    m_headLocked = false;
    for (QWidget* w : std::initializer_list<QWidget*>{
             cbDocument, edInvNo, edInvDate, edDueDate, edCustNo, edCust, edCustAddressLine1,
             edCustAddressLine2, edCustAddressLine3, edVATNumber, edYourReference, edOurReference})
        w->setEnabled(true);
    gdInvoiceRows->setReadOnly(false);
}

void TfmInvoice::EmptyInvoice() {
    if (!dbTRow->Active())
        return;
    try {
        if (dbTRow->State() != db::DataSetState::Browse)
            dbTRow->Cancel();
        dbTRow->EmptyTable();
        dbTRow->Refresh();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmInvoice::EmptyHead() {
    for (QLineEdit* box : {edInvNo, edCustNo, edCust, edCustAddressLine1, edCustAddressLine2,
                           edCustAddressLine3, edVATNumber, edYourReference, edOurReference})
        box->clear();
}

// ---- New and kinds ------------------------------------------------------------------------

void TfmInvoice::btnNewInvoiceClick() {
    if (!DocSaved && !DocLocked &&
        ui::AskYesNo(QStringLiteral("Save the document?"), ui::MsgType::Warning))
        SaveDocument();
    RowsCollected = false;
    DocTotal = Currency();
    CustomerPicked = false;
    UnlockHead();
    EmptyInvoice();
    EmptyHead();
    Totalsums();
    if (Service::VAT) {
        try {
            dbTRow->Append();
            if (!vatChoices.isEmpty())
                dbTRow->FieldByName(QStringLiteral("VAT %")).setAsString(vatChoices.first());
            dbTRow->Post();
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
    }
    const SettingsFile ini(settingsPath());
    TermsDays = ini.readInteger(QStringLiteral("Invoice"), QStringLiteral("Terms"), 0);
    lbDays->setText(QString::number(TermsDays));
    TotalSeq = LastTotalSeqNo;
    DaySeq = LastDaySeqNo;
    if (Autonum == invoicing::DateAndDaySequence || Autonum == invoicing::TotalSequence)
        giveNextNumber();
    edDueDate->setDate(edInvDate->date().addDays(TermsDays));
    DocSaved = DocPrinted = DocIsTemplate = DocOpened = DocWasPrinted = DocLocked = false;
    m_hasDocument = true;
    cbDocument->setFocus();
}

void TfmInvoice::beginFilledDocument() {
    RowsCollected = false;
    CustomerPicked = false;
    DocLocked = false;
    DocID = 0;
    m_hasDocument = true;
}

void TfmInvoice::cbDocumentChange() {
    const QString kind = documentKind();
    const bool dueShown = kind == QLatin1String("Invoice") || kind == QLatin1String("Tax invoice");
    for (QWidget* w :
         std::initializer_list<QWidget*>{edDueDate, lbDueDate, lbTerms, lbDays, lbDaysNet})
        w->setVisible(dueShown);
    lbInvDate->setText(dueShown ? QStringLiteral("Invoice date") : QStringLiteral("Date"));
}

// ---- Numbering ----------------------------------------------------------------------------

bool TfmInvoice::isStoredNumber(const QString& number) {
    if (!dbIHead->Active() || number.isEmpty())
        return false;
    db::Query q;
    q.setSession(&sIHead);
    q.setDatabaseName(Service::DataDir);
    q.setSQL({QStringLiteral("SELECT COUNT(*) AS N FROM IHead WHERE \"Invoice no\" = :No")});
    q.ParamByName(QStringLiteral("No")).setAsString(number);
    try {
        q.Open();
        return q.FieldByName(QStringLiteral("N")).AsInteger() > 0;
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "number check" << e.message();
        return false;
    }
}

void TfmInvoice::giveNextNumber() {
    invoicing::Sequences seq{DaySeq, TotalSeq};
    const QString number =
        invoicing::NextInvoiceNo(Autonum, seq, QDate::currentDate(), Dates::shortFormat(),
                                 [this](const QString& n) { return isStoredNumber(n); });
    DaySeq = seq.daySeq;
    TotalSeq = seq.totalSeq;
    edInvNo->setText(number);
}

void TfmInvoice::edInvNoExit() {
    if (m_headLocked || edInvNo->text().isEmpty())
        return;
    if (!isStoredNumber(edInvNo->text()))
        return;
    gdInvoicenumbers->show();
    ui::ShowError(QStringLiteral("Invoice number in use, set another number!"));
    gdInvoicenumbers->hide();
    edInvNo->clear();
    edInvNo->setFocus();
}

// ---- Dates --------------------------------------------------------------------------------

void TfmInvoice::edInvDateExit() {
    if (documentKind() == QLatin1String("Receipt"))
        edDueDate->setDate(edInvDate->date());
    else
        edDueDate->setDate(edInvDate->date().addDays(TermsDays));
}

void TfmInvoice::edDueDateExit() {
    TermsDays = Dates::wholeDaysBetween(edInvDate->date(), edDueDate->date());
    lbDays->setText(QString::number(TermsDays));
}

// ---- Customer -----------------------------------------------------------------------------

void TfmInvoice::applyHead(const invoicing::HeadAddress& h) {
    edCustNo->setText(h.customerNo);
    edCust->setText(h.customer);
    edYourReference->setText(h.yourReference);
    edCustAddressLine1->setText(h.line1);
    edCustAddressLine2->setText(h.line2);
    if (h.line3Set)
        edCustAddressLine3->setText(h.line3);
    if (h.vatNo)
        edVATNumber->setText(*h.vatNo);
}

void TfmInvoice::FillCustomer(db::DataSet& customers) {
    applyHead(invoicing::fillCustomer(invoicing::customerFrom(customers), Service::Country));
}

bool TfmInvoice::findCustomer(const QString& number, bool byKey) {
    if (!dbCustomers->Active())
        return false;
    try {
        if (byKey) {
            if (dbCustomers->IndexName() != QLatin1String("Cust. no"))
                dbCustomers->setIndexName(QStringLiteral("Cust. no"));
            return dbCustomers->FindKey({number});
        }
        return dbCustomers->Locate(QStringLiteral("Cust. no"), number, db::LocateCaseInsensitive);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
}

void TfmInvoice::edCustNoExit() {
    if (!Service::HasModule(QStringLiteral("CustModule")) || edCustNo->text().isEmpty())
        return;
    if (!findCustomer(edCustNo->text(), true))
        return;
    FillCustomer(*dbCustomers);
    CheckCreditLimit();
    edInvDate->setFocus();
}

void TfmInvoice::edCustExit() {
    if (!Service::HasModule(QStringLiteral("CustModule")))
        return;
    // The name box looks the customer up by the number box, not by the name.
    if (!findCustomer(edCustNo->text(), false))
        return;
    FillCustomer(*dbCustomers);
    edInvDate->setFocus();
    CheckCreditLimit();
}

void TfmInvoice::showCustomerLookup() {
    if (!Service::HasModule(QStringLiteral("CustModule"))) {
        ui::ShowMessage(QStringLiteral("Customer module not installed"));
        return;
    }
    if (!fmCustGet)
        return;
    CustomerPicked = false;
    showCompanion(fmCustGet);
    if (CustomerPicked)
        CheckCreditLimit();
}

void TfmInvoice::CheckCreditLimit() {
    if (!findCustomer(edCustNo->text(), false))
        return;
    const Currency limit = dbCustomers->FieldByName(QStringLiteral("Credit limit")).AsCurrency();
    if (limit.isZero() || DocLocked)
        return;
    try {
        const Currency used =
            invoicing::openInvoiceAmount(sIHead, Service::DataDir, edCustNo->text());
        if (auto message = invoicing::creditLimitMessage(used, limit))
            ui::ShowMessage(*message);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

// ---- New customer -------------------------------------------------------------------------

void TfmInvoice::edOurReferenceExit() {
    if (!Service::HasModule(QStringLiteral("CustModule")) || gdInvoiceRows->selectedIndex() != 0)
        return;
    // A document without any customer has nobody to add.
    if (edCustNo->text().isEmpty() && edCust->text().isEmpty())
        return;
    if (findCustomer(edCustNo->text(), false))
        return;
    if (ui::MessageDlg(QStringLiteral("Customer not in Customer database.\n\rDo you want do add "
                                      "this customer?"),
                       ui::MsgType::Information,
                       ui::MsgButton::Yes | ui::MsgButton::No) != ui::MsgButton::Yes)
        return;
    showNewCustomerPanel();
    PrepareNewCustomer();
}

void TfmInvoice::showNewCustomerPanel() {
    const QSize size(std::max(pnlCustreg->sizeHint().width(), 460),
                     std::min(pnlCustreg->sizeHint().height(), height() - 20));
    pnlCustreg->resize(size);
    pnlCustreg->move(std::max(0, (width() - size.width()) / 2),
                     std::max(0, (height() - size.height()) / 2));
    pnlCustreg->show();
    pnlCustreg->raise();
}

void TfmInvoice::PrepareNewCustomer() {
    invoicing::HeadForNewCustomer head{edCustNo->text(),           edCust->text(),
                                       edCustAddressLine1->text(), edCustAddressLine2->text(),
                                       edCustAddressLine3->text(), edYourReference->text()};
    if (head.customerNo.isEmpty() && AutoCust) {
        SettingsFile ini(settingsPath());
        const int next =
            ini.readInteger(QStringLiteral("Invoice"), QStringLiteral("LastCustNo"), 0) + 1;
        ini.writeInteger(QStringLiteral("Invoice"), QStringLiteral("LastCustNo"), next);
        QString error;
        if (!ini.updateFile(&error))
            ui::ShowError(error);
        head.customerNo = QString::number(next);
    }
    const invoicing::NewCustomerDraft d = invoicing::prepareNewCustomer(head, Service::Country);
    edNewCustNo->setText(d.number);
    edNewCompany->setText(d.company);
    edNewAddress1->setText(d.address1);
    edNewAddress2->setText(d.address2);
    edNewCity->setText(d.city);
    edNewReference->setText(d.reference);
    edNewCountryCode->setText(Service::CompanyCountry.trimmed().toUpper());
    if (!d.message.isEmpty())
        ui::ShowMessage(d.message);
    switch (d.focus) {
    case invoicing::PanelFocus::Number:
        edNewCustNo->setFocus();
        break;
    case invoicing::PanelFocus::State:
        edNewState->setFocus();
        break;
    case invoicing::PanelFocus::Zip:
        edNewZip->setFocus();
        break;
    case invoicing::PanelFocus::City:
        edNewCity->setFocus();
        break;
    }
}

void TfmInvoice::edNewCustNoExit() {
    if (edNewCustNo->text().isEmpty() || !findCustomer(edNewCustNo->text(), true))
        return;
    gdCustNo->show();
    ui::ShowError(QStringLiteral("Customer number already in use, set another."));
    gdCustNo->hide();
    edNewCustNo->clear();
    edNewCustNo->setFocus();
}

void TfmInvoice::clearNewCustomerPanel() {
    for (QLineEdit* box :
         {edNewCustNo, edNewCompany, edNewReference, edNewAddress1, edNewAddress2, edNewState,
          edNewZip, edNewCity, edNewEmail, edNewVATNo, edNewPhone, edNewFax, edNewMobile,
          edNewCreditLimit, edNewNote, edNewCountryCode, edNewBuyerReference})
        box->clear();
    cbNewEInvoiceFormat->setCurrentIndex(0);
}

void TfmInvoice::btnSave1Click() {
    if (edNewCustNo->text().isEmpty()) {
        ui::ShowError(QStringLiteral("Customer number must have a value."));
        edNewCustNo->setFocus();
        return;
    }
    const QString countryRefusal = customers::countryCodeRefusal(edNewCountryCode->text());
    if (!countryRefusal.isEmpty()) {
        ui::ShowError(countryRefusal);
        edNewCountryCode->setFocus();
        edNewCountryCode->selectAll();
        return;
    }
    // A credit limit that is not an amount is refused, never stored as no limit; an empty box
    // is no limit.
    const ui::NumberReading limit =
        ui::NumberRule::amount(QStringLiteral("Credit limit"), Currency())
            .read(edNewCreditLimit->text());
    if (!limit.ok) {
        ui::refuseInBox(edNewCreditLimit, limit.message);
        return;
    }
    try {
        dbCustomers->Append();
        auto set = [this](const char* field, const QLineEdit* box) {
            dbCustomers->FieldByName(QString::fromUtf8(field)).setAsString(box->text());
        };
        set("Cust. no", edNewCustNo);
        set("Company", edNewCompany);
        set("Reference", edNewReference);
        set("Address line 1", edNewAddress1);
        set("Address line 2", edNewAddress2);
        set("State", edNewState);
        set("Zip", edNewZip);
        set("City", edNewCity);
        set("E-mail", edNewEmail);
        set("VAT No.", edNewVATNo);
        set("Phone", edNewPhone);
        set("Fax", edNewFax);
        set("Mobile", edNewMobile);
        dbCustomers->FieldByName(QStringLiteral("Credit limit")).setAsCurrency(limit.amount);
        set("Note", edNewNote);
        dbCustomers->FieldByName(QStringLiteral("Registered")).setAsDate(QDate::currentDate());
        // An older file may lack the fields of electronic invoices.
        const std::pair<const char*, QString> eInvoice[] = {
            {"Country code", edNewCountryCode->text().trimmed().toUpper()},
            {"Buyer reference", edNewBuyerReference->text()},
            {"E-invoice format", cbNewEInvoiceFormat->currentData().toString()}};
        for (const auto& [name, value] : eInvoice)
            if (db::Field* f = dbCustomers->FindField(QString::fromUtf8(name)))
                f->setAsString(value);
        dbCustomers->Post();
    } catch (const db::EngineError& e) {
        // The panel stays as typed, so nothing is lost; the user can mend the number.
        if (dbCustomers->State() != db::DataSetState::Browse)
            dbCustomers->Cancel();
        ui::ShowError(e.code() == db::ErrorCode::KeyViolation
                          ? QStringLiteral("Customer number already in use, set another.")
                          : e.message());
        edNewCustNo->setFocus();
        return;
    }
    edCustNo->setText(edNewCustNo->text());
    pnlCustreg->hide();
    clearNewCustomerPanel();
    focusRows(invoicing::ColItem);
}

void TfmInvoice::btnAbort1Click() {
    clearNewCustomerPanel();
    pnlCustreg->hide();
    focusRows(invoicing::ColItem);
}

// ---- Open saved and Abort -----------------------------------------------------------------

void TfmInvoice::btnOpenClick() {
    remembered = {edCustNo->text(),
                  edCust->text(),
                  edCustAddressLine1->text(),
                  edCustAddressLine2->text(),
                  edCustAddressLine3->text(),
                  edVATNumber->text(),
                  edInvNo->text(),
                  edOurReference->text(),
                  edYourReference->text()};
    EmptyHead();
    EmptyInvoice();
    if (fmGetInv)
        showCompanion(fmGetInv);
    if (DocLocked)
        LockHead();
    else
        UnlockHead();
    const bool automatic =
        Autonum == invoicing::DateAndDaySequence || Autonum == invoicing::TotalSequence;
    if (automatic && RowsCollected) {
        edCustNo->setText(remembered.custNo);
        edCust->setText(remembered.cust);
        edCustAddressLine1->setText(remembered.line1);
        edCustAddressLine2->setText(remembered.line2);
        edCustAddressLine3->setText(remembered.line3);
        edVATNumber->setText(remembered.vatNo);
        edInvNo->setText(remembered.invNo);
        edOurReference->setText(remembered.ourRef);
        edYourReference->setText(remembered.yourRef);
    }
    if (automatic && !DocWasPrinted && !RowsCollected) {
        TotalSeq = LastTotalSeqNo;
        DaySeq = LastDaySeqNo;
        giveNextNumber();
    }
    if (RowsCollected) {
        AllRows();
        Totalsums();
    }
    m_hasDocument = true;
}

void TfmInvoice::btnAbortClick() {
    EmptyInvoice();
    EmptyHead();
    DocSaved = true;
    if (ownerIsFinance()) {
        close();
        return;
    }
    DocPrinted = true;
}

// ---- Events -------------------------------------------------------------------------------

bool TfmInvoice::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving a box for another control of the editor, not for a popup or another window.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
            reason == Qt::MenuBarFocusReason || m_exitBusy)
            return false;
        QScopedValueRollback guard(m_exitBusy, true);
        if (watched == edInvNo)
            edInvNoExit();
        else if (watched == edCustNo)
            edCustNoExit();
        else if (watched == edCust)
            edCustExit();
        else if (watched == edInvDate)
            edInvDateExit();
        else if (watched == edDueDate)
            edDueDateExit();
        else if (watched == edOurReference)
            edOurReferenceExit();
        else if (watched == edNewCustNo)
            edNewCustNoExit();
        return false;
    }
    if (watched == edCustNo || watched == edCust) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_F10 || key->key() == Qt::Key_Space) &&
                box->text().size() < 2) {
                showCustomerLookup();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            showCustomerLookup();
            return true;
        }
    }
    if (watched == edOurReference && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusRows(invoicing::ColItem);
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}
