// The rows of the invoice editor: the grid's column enter and exit rules, its keys, long
// descriptions, row deletion, and the row computation and totals on screen.
#include "invoicing/tfminvoice.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/logging.h"
#include "invoicing/rowsgrid.h"
#include "service/service.h"
#include "service/textroutines.h"
#include "ui/dbcontrols.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using invoicing::ColCode;
using invoicing::ColDescription;
using invoicing::ColDiscount;
using invoicing::ColItem;
using invoicing::ColPrice;
using invoicing::ColQty;
using invoicing::ColSum;
using invoicing::ColUnit;
using invoicing::ColVAT;

void TfmInvoice::showAmount(QLineEdit* box, Currency value) {
    box->setText(value.format(Service::Decimals));
}

void TfmInvoice::AllRows() {
    try {
        const std::vector<int> overflowed =
            invoicing::AllRows(*dbTRow, Service::VATinPrice, &m_computedVersion);
        if (!overflowed.empty())
            ui::ShowError(QStringLiteral("The amount of row %1 is too large; it counts as 0 until "
                                         "its quantity or price is mended.")
                              .arg(overflowed.front()));
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmInvoice::Totalsums() {
    invoicing::Totals t;
    try {
        // The sums are read again only when the rows changed since they were last read.
        const quint64 version = invoicing::rowsVersion(*dbTRow);
        if (!m_sumsVersion || *m_sumsVersion != version || !dbTRow->Active()) {
            const invoicing::Totals read =
                invoicing::Totalsums(Service::DataDir, Service::VATinPrice, false, false);
            m_sums = {read.sumExclVat, read.sumVat};
            m_sumsVersion = version;
        }
        t = invoicing::documentTotals(m_sums.first, m_sums.second, Service::VATinPrice, Rounding,
                                      documentKind() == QLatin1String("Credit invoice"));
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "totals" << e.message();
        return;
    } catch (const CurrencyOverflow&) {
        ui::ShowError(QStringLiteral("The document's total is too large."));
        return;
    }
    showTotals(t.sumExclVat, t.sumVat, t.docTotal);
}

void TfmInvoice::showTotals(Currency sum, Currency vat, Currency total) {
    SumExclVAT = sum;
    SumVAT = vat;
    DocTotal = total;
    if (!Service::VATinPrice)
        showAmount(edSum, SumExclVAT);
    showAmount(edVAT, SumVAT);
    showAmount(edTotal, DocTotal);
}

void TfmInvoice::focusRows(int column) {
    gdInvoiceRows->setFocus();
    gdInvoiceRows->setSelectedIndex(column);
}

void TfmInvoice::appendRow() {
    try {
        if (!dbTRow->CheckBrowseMode())
            return;
        dbTRow->Append();
        // A new row repeats the rates of the row before.
        if (LastVATPercent != 0)
            dbTRow->FieldByName(QStringLiteral("VAT %")).setAsFloat(LastVATPercent);
        if (LastDiscount != 0)
            dbTRow->FieldByName(QStringLiteral("Discount")).setAsFloat(LastDiscount);
        dbTRow->Post();
        dbTRow->Last();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmInvoice::setRowNumbersEditable(bool editable) {
    for (int c = ColQty; c <= ColSum; ++c)
        gdInvoiceRows->setColumnEditable(c, editable);
}

void TfmInvoice::gdInvoiceRowsColEnter(int column) {
    if (column == ColCode)
        setRowNumbersEditable(true);
    gdInvoiceRows->setToolTip(column == ColCode
                                  ? QStringLiteral("F10 or Space: product look-up, Alt: taxes")
                                  : QString());
    if ((column == ColDiscount && !Service::Disc) || (column == ColVAT && !Service::VAT)) {
        // Hidden columns are passed by.
        gdInvoiceRows->setSelectedIndex(column + 1);
        return;
    }
    if (m_headLocked || !dbTRow->Active())
        return;
    try {
        if (dbTRow->IsEmpty()) {
            dbTRow->Append();
            dbTRow->Post();
        }
        if (column == ColItem && dbTRow->RecNo() > 0) {
            bool changed = false;
            db::Field& vat = dbTRow->FieldByName(QStringLiteral("VAT %"));
            db::Field& discount = dbTRow->FieldByName(QStringLiteral("Discount"));
            if (vat.IsNull() && LastVATPercent != 0) {
                if (dbTRow->State() == db::DataSetState::Browse)
                    dbTRow->Edit();
                vat.setAsFloat(LastVATPercent);
                changed = true;
            }
            if (discount.IsNull() && LastDiscount != 0) {
                if (dbTRow->State() == db::DataSetState::Browse)
                    dbTRow->Edit();
                discount.setAsFloat(LastDiscount);
                changed = true;
            }
            if (changed)
                dbTRow->Post();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmInvoice::gdInvoiceRowsColExit(int column) {
    if (!dbTRow->Active())
        return;
    AllRows();
    Totalsums();
    if (m_headLocked)
        return;
    try {
        db::Field& qty = dbTRow->FieldByName(QStringLiteral("Qty"));
        db::Field& price = dbTRow->FieldByName(QStringLiteral("Price"));
        bool mended = false;
        if (column == ColCode &&
            dbTRow->FieldByName(QStringLiteral("Description")).AsString().isEmpty() &&
            Service::HasModule(QStringLiteral("ProdModule")) && dbProducts->Active()) {
            const QString code = dbTRow->FieldByName(QStringLiteral("Code")).AsString();
            if (!code.isEmpty() &&
                dbProducts->Locate(QStringLiteral("Code"), code, db::LocateCaseInsensitive)) {
                dbTRow->Edit();
                for (const char* f : {"Code", "Description", "Unit", "Price"})
                    dbTRow->FieldByName(QString::fromUtf8(f))
                        .setAsString(dbProducts->FieldByName(QString::fromUtf8(f)).AsString());
                dbTRow->Post();
                mended = true;
            }
        }
        if (column == ColQty && qty.AsFloat() > 999999) {
            QApplication::beep();
            ui::ShowError(QStringLiteral("Please, not more than 999 999"));
            dbTRow->Edit();
            qty.Clear();
            dbTRow->Post();
            gdInvoiceRows->setSelectedIndex(ColDescription);
            mended = true;
        }
        bool priceDone = false;
        if (column == ColPrice && price.AsCurrency() > Currency::fromInt(99999) &&
            qty.AsFloat() > 99999) {
            QApplication::beep();
            ui::ShowError(QStringLiteral("Please, not more than 99 999:-"));
            dbTRow->Edit();
            price.Clear();
            dbTRow->Post();
            gdInvoiceRows->setSelectedIndex(ColQty);
            priceDone = mended = true;
        }
        if (column == ColPrice && !priceDone && price.AsCurrency() > Currency::fromInt(999999)) {
            QApplication::beep();
            ui::ShowError(QStringLiteral("Please, not more than 999 999:-"));
            dbTRow->Edit();
            price.Clear();
            dbTRow->Post();
            gdInvoiceRows->setSelectedIndex(ColUnit);
            mended = true;
        }
        if (column == ColDiscount)
            LastDiscount = dbTRow->FieldByName(QStringLiteral("Discount")).AsFloat();
        if (column == ColVAT) {
            const double v = dbTRow->FieldByName(QStringLiteral("VAT %")).AsFloat();
            if (v != 0)
                LastVATPercent = v;
        }
        // What a rule changed is computed at once, so the screen never shows stale amounts.
        if (mended) {
            AllRows();
            Totalsums();
        }
        if (column == ColSum && dbTRow->RecNo() == dbTRow->RecordCount() - 1) {
            appendRow();
            gdInvoiceRows->setSelectedIndex(ColItem);
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

namespace {

// The next column that shows, after the given one.
int nextShownColumn(const invoicing::InvoiceRowsGrid* grid, int column) {
    for (int c = column + 1; c < invoicing::RowColumnCount; ++c)
        if (!grid->isColumnHidden(c))
            return c;
    return ColSum;
}

} // namespace

bool TfmInvoice::gdInvoiceRowsKeyDown(QKeyEvent* event, int column) {
    const int key = event->key();
    if (key == Qt::Key_Control && column == ColItem) {
        btnPrint->setFocus();
        return true;
    }
    if (key == Qt::Key_Alt && column == ColCode) {
        if (!m_headLocked && fmTaxget)
            showCompanion(fmTaxget);
        return true;
    }
    if ((key == Qt::Key_F10 || key == Qt::Key_Space) && column == ColCode &&
        event->modifiers() == Qt::NoModifier) {
        if (!Service::HasModule(QStringLiteral("ProdModule"))) {
            ui::ShowMessage(QStringLiteral("Products module not installed."));
            return true;
        }
        if (!m_headLocked && fmProdGet)
            showCompanion(fmProdGet);
        return true;
    }
    if (key == Qt::Key_Alt && column == ColDescription) {
        if (!m_headLocked)
            showLongDescription();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (column == ColSum) {
            // Leaving "Sum" at the end of the table appends the new row (the exit rule) and
            // goes to its "Item"; elsewhere Enter goes to the next row's "Item".
            const int rows = dbTRow->Active() ? dbTRow->RecordCount() : 0;
            if (dbTRow->RecNo() < rows - 1)
                gdInvoiceRows->setCurrentIndex(
                    gdInvoiceRows->model()->index(dbTRow->RecNo() + 1, ColItem));
            else
                gdInvoiceRows->setSelectedIndex(ColItem);
        } else {
            gdInvoiceRows->setSelectedIndex(nextShownColumn(gdInvoiceRows, column));
        }
        return true;
    }
    return false;
}

void TfmInvoice::showLongDescription() {
    if (!dbTRow->Active())
        return;
    gdInvoiceRows->setEnabled(false);
    pnlDesc->resize(std::min(width() - 40, 520), 260);
    pnlDesc->move((width() - pnlDesc->width()) / 2, (height() - pnlDesc->height()) / 2);
    pnlDesc->show();
    pnlDesc->raise();
    mDesc->setFocus();
}

void TfmInvoice::btnCloseClick() {
    try {
        const QString text = mDesc->toPlainText();
        if (!text.isEmpty()) {
            if (dbTRow->State() == db::DataSetState::Browse)
                dbTRow->Edit();
            dbTRow->FieldByName(QStringLiteral("LDesc")).setAsString(text);
            dbTRow->FieldByName(QStringLiteral("LongDesc")).setAsBoolean(true);
            dbTRow->FieldByName(QStringLiteral("Description"))
                .setAsString(ShortenString(text, 15) + QStringLiteral(" ..."));
            dbTRow->Post();
            // A pure text row takes no numbers until its code column is entered again.
            if (dbTRow->FieldByName(QStringLiteral("Item")).AsString().isEmpty())
                setRowNumbersEditable(false);
        } else if (dbTRow->State() != db::DataSetState::Browse) {
            dbTRow->Post();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    gdInvoiceRows->setEnabled(true);
    pnlDesc->hide();
    focusRows(ColQty);
}

void TfmInvoice::deleteCurrentRow() {
    if (m_headLocked || !dbTRow->Active() || dbTRow->IsEmpty())
        return;
    if (!ui::AskYesNo(QStringLiteral("Delete record?")))
        return;
    try {
        if (dbTRow->State() != db::DataSetState::Browse)
            dbTRow->Cancel();
        dbTRow->Delete();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    Totalsums();
}
