#include "finance/payments.h"

#include "db/database.h"
#include "db/query.h"
#include "service/dates.h"

namespace finance {

// ---- The list ----------------------------------------------------------------------------

QStringList registerFilterNames() {
    return {QStringLiteral("open"), QStringLiteral("overdue"), QStringLiteral("paid"),
            QStringLiteral("all")};
}

const QStringList& registerColumns() {
    static const QStringList columns{QStringLiteral("Invoice no"), QStringLiteral("Invoice date"),
                                     QStringLiteral("Customer"),   QStringLiteral("Total"),
                                     QStringLiteral("Due"),        QStringLiteral("Rest"),
                                     QStringLiteral("Paid"),       QStringLiteral("Delay")};
    return columns;
}

QStringList registerSql(RegisterFilter filter, const QString& sortField, bool descending) {
    QStringList sql{
        QStringLiteral("SELECT ID, Document, \"Invoice no\", \"Invoice date\", Customer, Total, "
                       "Due, Rest, Paid, Delay, \"Interest charged\""),
        QStringLiteral("FROM IHead"),
        QStringLiteral("WHERE (Printed = True) AND ((Document = 'Invoice') OR "
                       "(Document = 'Credit invoice'))")};
    switch (filter) {
    case RegisterFilter::Open:
        sql << QStringLiteral("AND (Rest <> 0)");
        break;
    case RegisterFilter::Overdue:
        sql << QStringLiteral("AND (Rest <> 0) AND (Due < :Today)");
        break;
    case RegisterFilter::Paid:
        sql << QStringLiteral("AND ((Rest = 0) OR (Rest = NULL))");
        break;
    case RegisterFilter::All:
        break;
    }
    // Only a column name of the list goes into the text; anything else orders by date.
    QString field = QStringLiteral("Invoice date");
    for (const QString& c : registerColumns())
        if (c.compare(sortField, Qt::CaseInsensitive) == 0)
            field = c;
    sql << QStringLiteral("ORDER BY %1%2, ID")
               .arg(db::quoteIdentifier(field), descending ? QStringLiteral(" DESC") : QString());
    return sql;
}

// ---- Payments ----------------------------------------------------------------------------

int paymentDelay(const QDate& due, const QDate& paid) {
    if (Dates::isNoDate(due) || Dates::isNoDate(paid))
        return 0;
    return std::max(0, Dates::wholeDaysBetween(due, paid));
}

namespace {

QString dateText(const QDate& d) {
    return Dates::toShortText(d);
}

} // namespace

PaymentBook::PaymentBook(db::Session& headSession, const QString& dataDir)
    : m_session(headSession)
    , m_dataDir(dataDir) {}

void PaymentBook::prepare(db::Query& query) const {
    query.setSession(&m_session);
    query.setDatabaseName(m_dataDir);
}

std::optional<PaymentHead> PaymentBook::head(qint64 headId) const {
    db::Query q;
    prepare(q);
    q.setSQL({QStringLiteral("SELECT ID, \"Invoice no\", \"Invoice date\", Due, Paid, Total, "
                             "Rest, Delay FROM IHead WHERE ID = :ID")});
    q.ParamByName(QStringLiteral("ID")).setAsInteger(headId);
    q.Open();
    if (q.IsEmpty())
        return std::nullopt;
    PaymentHead h;
    h.id = headId;
    h.number = q.FieldByName(QStringLiteral("Invoice no")).AsString();
    h.date = q.FieldByName(QStringLiteral("Invoice date")).AsDate();
    h.due = q.FieldByName(QStringLiteral("Due")).AsDate();
    h.paid = q.FieldByName(QStringLiteral("Paid")).AsDate();
    h.total = q.FieldByName(QStringLiteral("Total")).AsCurrency();
    h.rest = q.FieldByName(QStringLiteral("Rest")).AsCurrency();
    h.delay = static_cast<int>(q.FieldByName(QStringLiteral("Delay")).AsInteger());
    return h;
}

bool PaymentBook::record(qint64 headId, const QDate& date, Currency amount, const QString& note,
                         QString* error) {
    auto refuse = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!date.isValid() || Dates::isNoDate(date))
        return refuse(QStringLiteral("Payment date: a date is needed."));
    if (amount.isZero())
        return refuse(QStringLiteral("Amount: a payment of 0 records nothing."));

    // Read and written inside the transaction, so that the rest checked is the rest lowered.
    db::Transaction transaction(m_dataDir);
    const std::optional<PaymentHead> h = head(headId);
    if (!h)
        return refuse(QStringLiteral("The invoice is no longer stored."));
    if (h->rest.isZero())
        return refuse(QStringLiteral("Invoice %1 is paid in full.").arg(h->number));
    if ((amount < Currency()) != (h->rest < Currency()))
        return refuse(
            h->rest < Currency()
                ? QStringLiteral("Amount: invoice %1 is a credit; its refund is a negative amount.")
                      .arg(h->number)
                : QStringLiteral("Amount: a payment is a positive amount."));
    if (amount.abs() > h->rest.abs())
        return refuse(QStringLiteral("Amount: the payment of %1 is larger than the rest of "
                                     "invoice %2 (%3).")
                          .arg(amount.format(2), h->number, h->rest.format(2)));
    if (!Dates::isNoDate(h->date) && date < h->date)
        return refuse(QStringLiteral("Payment date: %1 is before the invoice date %2 of "
                                     "invoice %3.")
                          .arg(dateText(date), dateText(h->date), h->number));

    db::Query insert;
    prepare(insert);
    insert.setSQL({QStringLiteral("INSERT INTO Payments (Head, \"Date\", Amount, Note)"),
                   QStringLiteral("VALUES (:Head, :Date, :Amount, :Note)")});
    insert.ParamByName(QStringLiteral("Head")).setAsInteger(headId);
    insert.ParamByName(QStringLiteral("Date")).setAsDate(date);
    insert.ParamByName(QStringLiteral("Amount")).setAsCurrency(amount);
    insert.ParamByName(QStringLiteral("Note")).setAsString(note);
    insert.ExecSQL();

    const Currency rest = h->rest - amount;
    db::Query update;
    prepare(update);
    if (rest.isZero()) {
        update.setSQL({QStringLiteral("UPDATE IHead SET Rest = :Rest, Paid = :Paid, "
                                      "Archived = :Paid, Delay = :Delay WHERE ID = :ID")});
        update.ParamByName(QStringLiteral("Paid")).setAsDate(date);
        update.ParamByName(QStringLiteral("Delay")).setAsInteger(paymentDelay(h->due, date));
    } else {
        update.setSQL({QStringLiteral("UPDATE IHead SET Rest = :Rest WHERE ID = :ID")});
    }
    update.ParamByName(QStringLiteral("Rest")).setAsCurrency(rest);
    update.ParamByName(QStringLiteral("ID")).setAsInteger(headId);
    update.ExecSQL();
    transaction.commit();
    return true;
}

bool PaymentBook::reverse(qint64 paymentId, const QDate& today, QString* error) {
    auto refuse = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    db::Transaction transaction(m_dataDir);
    db::Query payment;
    prepare(payment);
    payment.setSQL({QStringLiteral("SELECT Head, Amount, Reversed FROM Payments WHERE ID = :ID")});
    payment.ParamByName(QStringLiteral("ID")).setAsInteger(paymentId);
    payment.Open();
    if (payment.IsEmpty())
        return refuse(QStringLiteral("The payment is no longer stored."));
    if (!payment.FieldByName(QStringLiteral("Reversed")).IsNull())
        return refuse(QStringLiteral("This payment was reversed on %1 already.")
                          .arg(dateText(payment.FieldByName(QStringLiteral("Reversed")).AsDate())));
    const qint64 headId = payment.FieldByName(QStringLiteral("Head")).AsInteger();
    const Currency amount = payment.FieldByName(QStringLiteral("Amount")).AsCurrency();
    const std::optional<PaymentHead> h = head(headId);
    if (!h)
        return refuse(QStringLiteral("The invoice of this payment is no longer stored."));

    db::Query mark;
    prepare(mark);
    mark.setSQL({QStringLiteral("UPDATE Payments SET Reversed = :Today WHERE ID = :ID")});
    mark.ParamByName(QStringLiteral("Today")).setAsDate(today);
    mark.ParamByName(QStringLiteral("ID")).setAsInteger(paymentId);
    mark.ExecSQL();

    const Currency rest = h->rest + amount;
    db::Query update;
    prepare(update);
    if (rest.isZero())
        update.setSQL({QStringLiteral("UPDATE IHead SET Rest = :Rest WHERE ID = :ID")});
    else {
        // Owing again: not paid, not archived, no delay.
        update.setSQL({QStringLiteral("UPDATE IHead SET Rest = :Rest, Paid = :NoDate, "
                                      "Archived = :NoDate, Delay = :NoDelay WHERE ID = :ID")});
        update.ParamByName(QStringLiteral("NoDate")).Clear();
        update.ParamByName(QStringLiteral("NoDelay")).Clear();
    }
    update.ParamByName(QStringLiteral("Rest")).setAsCurrency(rest);
    update.ParamByName(QStringLiteral("ID")).setAsInteger(headId);
    update.ExecSQL();
    transaction.commit();
    return true;
}

} // namespace finance
