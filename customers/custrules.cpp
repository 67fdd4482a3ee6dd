#include "customers/custrules.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/session.h"
#include "db/table.h"

namespace customers {

namespace {

const QString kCustNo = QStringLiteral("Cust. no");
const QString kCompany = QStringLiteral("Company");
const QString kReference = QStringLiteral("Reference");

bool isAsciiLetter(QChar c) {
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

} // namespace

CountryLayout countryLayout(const QString& country, bool vatSwitch) {
    CountryLayout l;
    const bool us = country == QLatin1String("US");
    l.address2 = !us;
    l.zipLabel = us ? QStringLiteral("Zip:") : QStringLiteral("Postcode:");
    l.state = us || country == QLatin1String("AU") || country == QLatin1String("GB");
    l.stateNarrow = us || country == QLatin1String("AU");
    l.stateLabel =
        country == QLatin1String("GB") ? QStringLiteral("County:") : QStringLiteral("State:");
    l.zip = country != QLatin1String("NZ");
    l.cityAtLineStart = !l.zip;
    l.vatNo = country == QLatin1String("ZA") && vatSwitch;
    return l;
}

ListLayout listLayout(const QString& country) {
    ListLayout l;
    if (country == QLatin1String("US")) {
        l.address2 = false;
        l.zipLabel = QStringLiteral("Zip");
        l.state = true;
        l.stateLabel = QStringLiteral("State");
    } else if (country == QLatin1String("NZ")) {
        l.zip = false;
    } else if (country == QLatin1String("GB")) {
        l.zipLabel = QStringLiteral("Postcode");
        l.state = true;
        l.stateLabel = QStringLiteral("County");
    } else if (country == QLatin1String("AU")) {
        l.zipLabel = QStringLiteral("Postcode");
        l.state = true;
        l.stateLabel = QStringLiteral("State");
    } else {
        l.zipLabel = QStringLiteral("Postcode");
    }
    return l;
}

void beforePost(db::Table& t, const QDate& today, const QString& companyCountry) {
    db::Field& registered = t.FieldByName(QStringLiteral("Registered"));
    if (registered.IsNull())
        registered.setAsDate(today);
    db::Field& number = t.FieldByName(kCustNo);
    // A typed number is never overwritten; only a missing one becomes "0".
    if (t.Bof() && t.Eof() && number.AsString().isEmpty())
        number.setAsInteger(0);
    if (db::Field* country = t.FindField(QStringLiteral("Country code"))) {
        QString code = country->AsString().trimmed().toUpper();
        if (code.isEmpty() && t.State() == db::DataSetState::Insert)
            code = companyCountry.trimmed().toUpper();
        const QString refusal = countryCodeRefusal(code);
        if (!refusal.isEmpty())
            throw db::EngineError(db::InvalidValue, refusal);
        if (code != country->AsString())
            country->setAsString(code);
    }
}

QString postErrorMessage(const db::EngineError& error) {
    switch (error.code()) {
    case db::KeyViolation:
        return QStringLiteral("This customer number already in use!");
    case db::RequiredFieldMissing:
        return QStringLiteral("You must supply a customer number!");
    default:
        return error.message();
    }
}

bool isNumberError(const db::EngineError& error) {
    return error.code() == db::KeyViolation || error.code() == db::RequiredFieldMissing;
}

QString countryCodeRefusal(const QString& code) {
    const QString c = code.trimmed().toUpper();
    if (c.isEmpty())
        return {};
    if (c.size() == 2 && isAsciiLetter(c[0]) && isAsciiLetter(c[1]))
        return {};
    return QStringLiteral("Country code: \"%1\" is not a country code. Write the two letters of "
                          "ISO 3166 (such as DE, FR or GB), or leave the box empty.")
        .arg(code);
}

QList<QPair<QString, QString>> eInvoiceFormats() {
    return {{QStringLiteral("None"), QString()},
            {QStringLiteral("Factur-X"), QStringLiteral("Factur-X")},
            {QStringLiteral("XRechnung"), QStringLiteral("XRechnung")}};
}

namespace {

// Runs the work over the records that pass the filter, and puts the table's own filter back.
template <typename Work>
void withFilter(db::Table& t, const QString& filter, Work work) {
    const QString oldFilter = t.Filter();
    const bool wasFiltered = t.Filtered();
    t.setFilter(filter);
    t.setFiltered(true);
    try {
        work();
    } catch (...) {
        t.setFilter(oldFilter);
        t.setFiltered(wasFiltered);
        throw;
    }
    t.setFilter(oldFilter);
    t.setFiltered(wasFiltered);
}

} // namespace

void resetStatistics(db::Table& t) {
    if (!t.Active())
        return;
    if (!t.CheckBrowseMode())
        return;
    db::Transaction transaction(t.database());
    try {
        db::Field& total = t.FieldByName(QStringLiteral("Total Sales"));
        db::Field& period = t.FieldByName(QStringLiteral("Periods sales"));
        for (t.First(); !t.Eof(); t.Next()) {
            // Customers without sales in the period keep what they have.
            if (period.IsNull() || period.AsCurrency().isZero())
                continue;
            t.Edit();
            total.setAsCurrency(total.AsCurrency() + period.AsCurrency());
            period.setAsCurrency(Currency());
            if (!t.Post())
                throw db::EngineError(db::InvalidOperation,
                                      QStringLiteral("The statistics reset was stopped."));
        }
        transaction.commit();
    } catch (...) {
        t.Cancel();
        transaction.rollback();
        t.Refresh();
        t.First();
        throw;
    }
    t.First();
}

int removeEmptyCustomers(db::Table& t) {
    if (!t.Active())
        return 0;
    int removed = 0;
    withFilter(t,
               QStringLiteral("((Company = NULL) OR (Company = '')) AND ((Reference = NULL) OR "
                              "(Reference = ''))"),
               [&] {
                   const int count = t.RecordCount();
                   t.First();
                   for (int i = 0; i < count && !t.IsEmpty(); ++i) {
                       t.Delete();
                       ++removed;
                   }
               });
    t.First();
    return removed;
}

int counterAfterClose(int counter, const QString& custNo, const QString& company,
                      const QString& reference) {
    if (company.isEmpty() && reference.isEmpty() && !custNo.isEmpty() &&
        custNo == QString::number(counter) && counter > 0)
        return counter - 1;
    return counter;
}

int documentsOfCustomer(const QString& dataDir, const QString& custNo) {
    if (custNo.isEmpty())
        return 0;
    db::Session session(QStringLiteral("sCustDocuments"));
    session.AddPassword(QString::fromLatin1(kHeadsPassword));
    db::Query q;
    q.setSession(&session);
    q.setDatabaseName(dataDir);
    q.setSQL({QStringLiteral("SELECT COUNT(*) AS Documents FROM IHead"),
              QStringLiteral("WHERE \"Customer no\" = :CustNo")});
    q.ParamByName(QStringLiteral("CustNo")).setAsString(custNo);
    q.Open();
    const int n =
        q.Eof() ? 0 : static_cast<int>(q.FieldByName(QStringLiteral("Documents")).AsInteger());
    q.Close();
    return n;
}

QString deleteQuestion() {
    return QStringLiteral("Do you want to delete this?");
}

QString deleteWithDocumentsQuestion(const QString& company, int documents) {
    const QString who = company.isEmpty() ? QStringLiteral("This customer")
                                          : QStringLiteral("The customer %1").arg(company);
    return QStringLiteral("%1 is named on %2 stored %3. The documents stay as they are, but "
                          "they will name a customer who is no longer in the register.\n\r"
                          "Delete the customer all the same?")
        .arg(who)
        .arg(documents)
        .arg(documents == 1 ? QStringLiteral("document") : QStringLiteral("documents"));
}

} // namespace customers
