// Storing the document of the invoice editor and counting it in the sales statistics.
#include "invoicing/tfminvoice.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/documentstore.h"
#include "invoicing/logging.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

invoicing::DocumentHead TfmInvoice::currentHead() const {
    invoicing::DocumentHead h;
    h.kind = documentKind();
    h.number = edInvNo->text();
    h.date = edInvDate->date();
    h.due = edDueDate->date();
    h.customerNo = edCustNo->text();
    h.customer = edCust->text();
    h.line1 = edCustAddressLine1->text();
    h.line2 = edCustAddressLine2->text();
    h.line3 = edCustAddressLine3->text();
    h.vatNo = edVATNumber->text();
    h.yourReference = edYourReference->text();
    h.ourReference = edOurReference->text();
    h.total = DocTotal;
    return h;
}

void TfmInvoice::storeDocument() {
    invoicing::SaveRequest request;
    request.head = currentHead();
    request.printed = DocPrinted;
    request.opened = DocOpened;
    request.openedId = DocID;
    request.openedAsTemplate = DocIsTemplate;
    if (dbTRow->State() != db::DataSetState::Browse)
        dbTRow->Post();
    db::Transaction transaction(Service::DataDir);
    const qint64 id = invoicing::saveDocument(request, sIHead, sIRow, Service::DataDir);
    if (RowsCollected && fmGetInv)
        fmGetInv->ArchiveSources();
    transaction.commit();
    DocID = static_cast<int>(id);
    dbTRow->Refresh();
    if (dbIHead->Active())
        dbIHead->Refresh();
}

void TfmInvoice::refreshAfterFailedStore() {
    try {
        if (dbTRow->Active())
            dbTRow->Refresh();
        if (dbIHead->Active())
            dbIHead->Refresh();
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "refresh after a failed save" << e.message();
    }
}

bool TfmInvoice::SaveDocument() {
    try {
        storeDocument();
    } catch (const db::EngineError& e) {
        ui::ShowError(QStringLiteral("The document was not saved.\n") + e.message());
        refreshAfterFailedStore();
        return false;
    }
    DocSaved = true;
    RowsCollected = false;
    return true;
}

bool TfmInvoice::UpdateStatistics() {
    try {
        invoicing::updateStatistics(currentHead(), sCustomer, sProducts, Service::DataDir);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
    return true;
}
