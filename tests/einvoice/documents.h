#pragma once

#include "einvoice/einvoice.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Documents for the e-invoice tests, with their rows computed as the invoice editor computes
// them, and small readers for the XML written from them.
namespace testdocs {

using einvoice::Invoice;
using einvoice::Row;

// A priced row; the amounts come from computeRows.
Row row(const QString& description, double qty, const QString& unit, double price,
        double vatPercent, double discount = 0, const QString& code = QString());
// A percentage tax row on the rows above it, as the tax pick list makes it.
Row taxRow(const QString& description, double percent, double vatPercent);
Row textRow(const QString& text);

// The editor's row computation: amounts in ten-thousandths (half to even), a tax row taking
// the running base of the rows above it, VAT out of the price when prices include VAT.
void computeRows(Invoice& invoice);
// The editor's document total (what the page prints): the rows' sums, plus their VAT when
// prices exclude it, rounded to a whole unit on request, negative for a credit invoice.
Currency editorTotal(const Invoice& invoice);

einvoice::Seller seller();
einvoice::Buyer publicBuyer();

struct Output {
    QString file; // base name
    einvoice::Profile profile;
    bool ubl;
};

struct Document {
    QString name;
    Invoice invoice;
    QList<Output> outputs;
};

// The set that exercises every mapping (see documents.cpp for what each one covers).
QList<Document> documents();
// A complete, valid invoice that tests change one thing in.
Invoice simpleInvoice();

// Texts of the elements whose local names end the path ("LegalMonetaryTotal/PayableAmount"),
// in document order.
QStringList xmlValues(const QByteArray& xml, const QString& path);
// The same for an attribute of those elements.
QStringList xmlAttributes(const QByteArray& xml, const QString& path, const QString& attribute);
// The local name of the root element.
QString xmlRoot(const QByteArray& xml);

} // namespace testdocs
