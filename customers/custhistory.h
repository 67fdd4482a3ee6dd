#pragma once

#include "service/currency.h"

#include <QString>
#include <QStringList>

namespace db {
class Query;
class Session;
} // namespace db

// The figures of a customer's invoice history, without a window.
namespace customers {

// What the customer owes and has paid: the totals of printed, not archived invoices nothing
// was paid on plus the rests of printed, not archived invoices (unpaid), and the totals of
// printed invoices and receipts that were paid and archived (paid). Credit invoices,
// quotations, delivery notes and packing slips never count.
struct HistorySums {
    Currency paid;
    Currency unpaid;
};

// Runs the three sums in the session (which must hold the document heads' password).
HistorySums historySums(db::Session& session, const QString& dataDir, const QString& custNo);

// The statement of the document list: every document of the customer, by due date.
QStringList historyListSql();

// Opens the list for the customer.
void openHistoryList(db::Query& list, const QString& custNo);

// A sum as the window shows it: the locale's currency sign and the program's decimals.
QString formatSum(Currency amount);

} // namespace customers
