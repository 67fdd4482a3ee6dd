#pragma once

#include "service/currency.h"

#include <QString>

#include <optional>

namespace db {
class DataSet;
class Session;
} // namespace db

// How a customer's record becomes the three address lines of a document head, and how a
// head that names an unknown customer prefills the new-customer panel, by country.
namespace invoicing {

// The fields of a Customers record that documents use.
struct CustomerData {
    QString number, company, reference;
    QString address1, address2, state, zip, city;
    QString vatNo;
};
CustomerData customerFrom(db::DataSet& customers);

struct HeadAddress {
    QString customerNo, customer, yourReference;
    QString line1, line2, line3;
    bool line3Set = true;         // false for "US", where the third line is hidden
    std::optional<QString> vatNo; // set only by the look-up in "ZA"
};

// The head as the editor fills it from a customer record (FillCustomer).
HeadAddress fillCustomer(const CustomerData& c, const QString& country);
// The same as the customer look-up fills it: the editor's fill plus the VAT number for "ZA".
HeadAddress fillFromLookup(const CustomerData& c, const QString& country);

// The new-customer panel as prefilled from the head (PrepareNewCustomer).
enum class PanelFocus { Number, State, Zip, City };
struct NewCustomerDraft {
    QString number, company, address1, address2, city, reference;
    QString message; // empty: no message
    PanelFocus focus = PanelFocus::Number;
};
struct HeadForNewCustomer {
    QString customerNo, customer, line1, line2, line3, yourReference;
};
NewCustomerDraft prepareNewCustomer(const HeadForNewCustomer& head, const QString& country);

// The credit warning for a customer: nothing when the limit is 0 or the open amount is at
// most three quarters of it; else "80% of credit limit used\n\r(Limit = 1,000)".
std::optional<QString> creditLimitMessage(Currency used, Currency limit);

// Open amount of a customer's printed, unarchived invoices of kind "Invoice" through the
// program's two queries ("Rest" where it is set, "Total" where it is not). The session must
// hold the password of IHead.
Currency openInvoiceAmount(db::Session& session, const QString& dataDir, const QString& customerNo);

} // namespace invoicing
