// Printing, PDF output and closing of the invoice editor.
#include "invoicing/tfminvoice.h"

#include "db/table.h"
#include "invoicing/rowsgrid.h"
#include "printing/tfmlangselect.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "ui/dialogs.h"

#include <QFrame>

void TfmInvoice::btnPrintClick() {}

void TfmInvoice::btnPdfClick() {}

void TfmInvoice::mnLanguageClick() {
    ui::execModal<TfmLangSelect>(this);
}

void TfmInvoice::mnFreeTextClick() {
    ui::ShowMessage(QStringLiteral("The free text editor is not available yet."));
}

void TfmInvoice::writeCounters() {
    SettingsFile ini(settingsPath());
    const QString s = QStringLiteral("Invoice");
    ini.writeDate(s, QStringLiteral("LastDate"), QDate::currentDate());
    ini.writeInteger(s, QStringLiteral("LastDaySeqNo"), LastDaySeqNo);
    ini.writeInteger(s, QStringLiteral("LastTotalSeqNo"), LastTotalSeqNo);
    QString error;
    if (!ini.updateFile(&error))
        ui::ShowError(error);
}

void TfmInvoice::FormClose() {
    pnlCustreg->hide();
    if (!ownerIsFinance() && !DocIsTemplate) {
        if (!DocSaved && !DocLocked &&
            ui::AskYesNo(QStringLiteral("Save the document?"), ui::MsgType::Warning))
            SaveDocument();
        writeCounters();
    }
    EmptyInvoice();
    EmptyHead();
    sCustomer.RemovePassword(QStringLiteral("PLOV81"));
    sIHead.RemovePassword(QStringLiteral("GRAND"));
    sIRow.RemovePassword(QStringLiteral("KQW52TZ"));
    sProducts.RemovePassword(QString::fromUtf16(u"PX\u00C452K"));
}
