#pragma once

#include "einvoice/invoice.h"

#include <QByteArray>
#include <QStringList>

// Writing a document as an electronic invoice.
namespace einvoice {

enum class Profile {
    En16931,   // the European norm itself: Factur-X / ZUGFeRD profile EN 16931
    XRechnung, // the German public buyers' rules on top (XRechnung 3.0)
};

// UN/CEFACT Cross Industry Invoice D16B, the XML a Factur-X PDF carries as factur-x.xml.
QByteArray writeCii(const Invoice& invoice, Profile profile = Profile::En16931);
// UBL 2.1: an Invoice, or a CreditNote for a credit invoice.
QByteArray writeUbl(const Invoice& invoice, Profile profile = Profile::XRechnung);

// What keeps the document from being a valid e-invoice, one sentence per fault, in the order
// a user would mend them; empty when nothing is missing.
QStringList precheck(const Invoice& invoice, Profile profile);

} // namespace einvoice
