#pragma once

#include "service/currency.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

namespace db {
class EngineError;
class Session;
class Table;
} // namespace db

// What the customer register does to the Customers table, without a window. Functions that
// touch the table throw db::EngineError when the engine fails; the windows show the message.
namespace customers {

inline constexpr const char* kCustomersPassword = "PLOV81";
inline constexpr const char* kHeadsPassword = "GRAND";
inline constexpr const char* kRowsPassword = "KQW52TZ";

// Which boxes and labels the register (and the address lists) show for a country.
struct CountryLayout {
    bool address2 = true;
    bool zip = true;
    bool state = false;
    bool stateNarrow = false; // 60 pixels instead of 350
    bool vatNo = false;
    bool cityAtLineStart = false; // the zip box is gone, the city box moves to its place
    QString zipLabel = QStringLiteral("Postcode:");
    QString stateLabel = QStringLiteral("State:");
};
CountryLayout countryLayout(const QString& country, bool vatSwitch);

// What the printed address lists show for a country (labels without the colon).
struct ListLayout {
    bool address2 = true;
    bool zip = true;
    bool state = false;
    QString zipLabel;
    QString stateLabel;
};
ListLayout listLayout(const QString& country);

// The register's rules before every post: an empty "Registered" gets today; a record typed
// into an empty table (positioned at both its beginning and its end) without a number is
// numbered "0"; a new customer without a country code gets the company's; the country code
// is put in capitals and must then be two letters A-Z (else the post is refused after the
// message, db::Abort). Fields missing from an older file are left alone.
void beforePost(db::Table& customers, const QDate& today, const QString& companyCountry);

// The message a refused post shows: 9729 and 9732 have the register's own, any other engine
// error its own text.
QString postErrorMessage(const db::EngineError& error);
// Whether the error empties the number box and puts the user there.
bool isNumberError(const db::EngineError& error);

// A country code the user typed: empty is allowed (no country), otherwise it must be two
// letters A-Z after putting it in capitals. Returns the message, or empty when it is good.
QString countryCodeRefusal(const QString& code);

// The formats of electronic invoices a customer can ask for: what the combo box shows and
// what is stored ("None" stores an empty text).
QList<QPair<QString, QString>> eInvoiceFormats();

// Adds every customer's "Periods sales" to "Total sales" and sets "Periods sales" to 0, all
// customers in one transaction: when any record fails nothing is changed. The table is left
// on its first record.
void resetStatistics(db::Table& customers);

// The closing clean-up: every customer without company and reference is deleted. Returns how
// many went.
int removeEmptyCustomers(db::Table& customers);

// The automatic number given back when the window closes: the counter goes down by one only
// when the record left behind holds exactly the last number handed out and neither company
// nor reference, so that a number another customer holds is never handed out twice.
int counterAfterClose(int counter, const QString& custNo, const QString& company,
                      const QString& reference);

// How many stored documents name the customer number (0 for an empty number).
int documentsOfCustomer(const QString& dataDir, const QString& custNo);

// The questions before deleting a customer.
QString deleteQuestion();
QString deleteWithDocumentsQuestion(const QString& company, int documents);

} // namespace customers
