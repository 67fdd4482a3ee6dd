#pragma once

#include "service/currency.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace db {
class Query;
class Session;
} // namespace db

// The invoice register's rules: which printed invoices it lists, in which order, and the
// payments recorded on them. Kept apart from the window so that they can be tried without one.
namespace finance {

// ---- The list ----------------------------------------------------------------------------

enum class RegisterFilter { Open, Overdue, Paid, All };

// The filter's texts as the window offers them: "open", "overdue", "paid", "all".
QStringList registerFilterNames();
// The fields the list shows, in its column order; each is a sort order.
const QStringList& registerColumns();
// The list: printed invoices and credit invoices passing the filter, ordered by one of the
// register's columns (another name orders by invoice date), then by ID. "Overdue" compares
// the due date with the parameter "Today".
QStringList registerSql(RegisterFilter filter, const QString& sortField, bool descending);

// ---- Payments ----------------------------------------------------------------------------

// Whole days from the due date to the payment date when the payment was late, else 0.
int paymentDelay(const QDate& due, const QDate& paid);

// What a head owes and how it was paid, as read for a payment.
struct PaymentHead {
    qint64 id = 0;
    QString number;
    QDate date, due, paid;
    Currency total;
    Currency rest; // what is outstanding: "Rest", or the total of a head without one
    int delay = 0;
};

// Records and reverses payments. Each payment is a record of table "Payments" (its head's
// "ID", date, amount, note); recording or reversing one and updating the head's "Rest",
// "Paid", "Archived" and "Delay" are one transaction, so either both are stored or neither.
class PaymentBook {
public:
    PaymentBook(db::Session& headSession, const QString& dataDir);

    // The head as stored now; nothing when there is no head with this ID.
    std::optional<PaymentHead> head(qint64 headId) const;

    // Lowers the head's rest by the amount. When the rest reaches 0, "Paid" and "Archived"
    // take the payment date and "Delay" the days it was late. Refused, with the reason in
    // *error and nothing stored, when the amount is 0, has the other sign than the rest (a
    // credit invoice is refunded with a negative amount), is larger than the rest, or the date
    // is before the invoice date. Throws db::EngineError when the engine fails (nothing
    // stored).
    bool record(qint64 headId, const QDate& date, Currency amount, const QString& note,
                QString* error);

    // Reverses a payment: its record is kept with the day of reversal and no longer counts;
    // the head's rest grows by its amount, and a head that owes something again loses its
    // "Paid", "Archived" and "Delay". Refused when the payment is unknown or reversed already.
    bool reverse(qint64 paymentId, const QDate& today, QString* error);

private:
    void prepare(db::Query& query) const;

    db::Session& m_session;
    QString m_dataDir;
};

} // namespace finance
