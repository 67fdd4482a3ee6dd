#pragma once

#include "service/currency.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace db {
class Session;
}

// The rules of finance charging, kept apart from its window so that they can be tried
// without one.
namespace finance {

// What finance charging reads from section "Invoice" of MRVInv.ini when its window is created.
struct FinanceSettings {
    double interestRate = 0; // yearly, in percent ("Interestrate")
    Currency invoiceCharge;  // added to every finance invoice ("InvoiceCharge")
    Currency threshold;      // the interest must exceed it for an invoice to be listed
    int terms = 0;           // payment terms of the finance invoice in days ("Terms")
};

// Reads the four settings in the desktop's number format. A missing key reads as 0. A value
// that is present but is not a number (an empty value too) gives nothing and, in *error, a
// message naming the setting and the file.
std::optional<FinanceSettings> readFinanceSettings(const QString& iniFile, QString* error);

// The interest of a late payment: total x delay x rate / 36000 (a 360-day year, the rate in
// percent a year), rounded once to four decimals, half to even. A delay of 0 or less bears none.
Currency financeInterest(Currency total, int delayDays, double ratePercent);

// The listing: every head with a positive total, paid in full on a payment date, whose interest
// would exceed the threshold and that has not been charged or skipped yet. The parameters are
// "Rta" (the rate) and "Trosk" (the threshold x 36000, as money).
QStringList listSql();
// The threshold as the listing compares it; nothing when it does not fit money.
std::optional<Currency> listThreshold(Currency threshold);

// The text of the finance invoice's interest row ("Invoice 1023, 15 days at 8 %"): the rate in
// its shortest form with the desktop's decimal separator.
QString interestRowText(const QString& invoiceNo, const QString& delayText, double ratePercent);
// The number of the finance invoice of an invoice ("1023" gives "1023-F").
QString financeInvoiceNo(const QString& invoiceNo);

// Records on the head with this ID the interest charged: the amount billed, or 0 when the
// invoice is skipped. Only that head is changed, even where several heads carry the same
// invoice number. False when no such head is left. Throws db::EngineError.
bool recordInterest(db::Session& session, const QString& dataDir, qint64 headId, Currency interest);

} // namespace finance
