#include "invoicing/customerfill.h"

#include "db/dataset.h"
#include "db/field.h"
#include "db/query.h"
#include "db/session.h"
#include "service/dates.h"

#include <QLocale>

namespace invoicing {

CustomerData customerFrom(db::DataSet& t) {
    auto s = [&t](const char* name) { return t.FieldByName(QString::fromUtf8(name)).AsString(); };
    return {s("Cust. no"), s("Company"), s("Reference"), s("Address line 1"), s("Address line 2"),
            s("State"),    s("Zip"),     s("City"),      s("VAT No.")};
}

HeadAddress fillCustomer(const CustomerData& c, const QString& country) {
    HeadAddress h;
    h.customerNo = c.number;
    h.customer = c.company;
    h.yourReference = c.reference;
    h.line1 = c.address1;
    if (country == QLatin1String("US")) {
        h.line2 = c.city + QStringLiteral(", ") + c.state + QLatin1Char(' ') + c.zip;
        h.line3Set = false;
    } else if (country == QLatin1String("NZ")) {
        h.line2 = c.address2;
        h.line3 = c.city;
    } else if (country == QLatin1String("AU") || country == QLatin1String("GB")) {
        h.line2 = c.address2;
        h.line3 = c.city + QStringLiteral(", ") + c.state + QLatin1Char(' ') + c.zip;
    } else if (country == QLatin1String("ZA")) {
        h.line2 = c.address2;
        h.line3 = c.city + QLatin1Char(' ') + c.zip;
    } else {
        h.line2 = c.address2;
        h.line3 = c.zip + QLatin1Char(' ') + c.city;
    }
    return h;
}

HeadAddress fillFromLookup(const CustomerData& c, const QString& country) {
    HeadAddress h = fillCustomer(c, country);
    if (country == QLatin1String("ZA"))
        h.vatNo = c.vatNo;
    return h;
}

NewCustomerDraft prepareNewCustomer(const HeadForNewCustomer& head, const QString& country) {
    NewCustomerDraft d;
    d.number = head.customerNo;
    d.company = head.customer;
    d.address1 = head.line1;
    d.reference = head.yourReference;
    const bool numbered = !head.customerNo.isEmpty();
    if (country == QLatin1String("US")) {
        d.message = numbered
                        ? QStringLiteral("Please add State, Zipcode and City.")
                        : QStringLiteral("Please add Customer number, State, Zipcode and City");
        d.focus = numbered ? PanelFocus::State : PanelFocus::Number;
    } else if (country == QLatin1String("NZ")) {
        d.city = head.line3;
        if (numbered) {
            d.address2 = head.line2;
            d.focus = PanelFocus::City;
        } else {
            d.message = QStringLiteral("Please add Customer number.");
            d.focus = PanelFocus::Number;
        }
    } else if (country == QLatin1String("AU") || country == QLatin1String("GB")) {
        const QString region =
            country == QLatin1String("GB") ? QStringLiteral("County") : QStringLiteral("State");
        if (numbered) {
            d.address2 = head.line2;
            d.message = QStringLiteral("Please add %1, Postcode and City.").arg(region);
            d.focus = PanelFocus::State;
        } else {
            d.message =
                QStringLiteral("Please add Customer number, %1, Postcode and City").arg(region);
            d.focus = PanelFocus::Number;
        }
    } else {
        if (numbered) {
            d.address2 = head.line2;
            d.message = QStringLiteral("Please add Postcode and City.");
            d.focus = PanelFocus::Zip;
        } else {
            d.message = QStringLiteral("Please add Customer number, Postcode and City");
            d.focus = PanelFocus::Number;
        }
    }
    return d;
}

std::optional<QString> creditLimitMessage(Currency used, Currency limit) {
    if (limit.isZero())
        return std::nullopt;
    // used > 0.75 × limit, exactly: 4 × used > 3 × limit in ten-thousandths.
    const __int128 lhs = static_cast<__int128>(used.raw()) * 4;
    const __int128 rhs = static_cast<__int128>(limit.raw()) * 3;
    if (limit.raw() > 0 ? lhs <= rhs : lhs >= rhs)
        return std::nullopt;
    const double percent = used.toDouble() / limit.toDouble() * 100;
    // Three significant digits and no decimals: 80, 125, 1250 (from 1.25e3).
    const double rounded = QString::number(percent, 'g', 3).toDouble();
    const QString percentText = QLocale().toString(rounded, 'f', 0);
    return percentText + QStringLiteral("% of credit limit used") + QStringLiteral("\n\r") +
           QStringLiteral("(Limit = ") + limit.format(0, true) + QStringLiteral(")");
}

Currency openInvoiceAmount(db::Session& session, const QString& dataDir,
                           const QString& customerNo) {
    auto run = [&](const QStringList& sql, const char* column) {
        db::Query q;
        q.setSession(&session);
        q.setDatabaseName(dataDir);
        q.setSQL(sql);
        q.ParamByName(QStringLiteral("CustNo")).setAsString(customerNo);
        q.ParamByName(QStringLiteral("ZeroDate")).setAsDate(Dates::zeroDate());
        q.ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
        q.Open();
        const Currency c = q.FieldByName(QString::fromUtf8(column)).AsCurrency();
        q.Close();
        return c;
    };
    const Currency summed =
        run({QStringLiteral("Select SUM(Total) AS Summed FROM Ihead"), QStringLiteral(" WHERE"),
             QStringLiteral(" (\"Customer no\" = :CustNo)"),
             QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
             QStringLiteral(" AND (Printed = True)"), QStringLiteral(" AND (Rest = NULL)"),
             QStringLiteral(" AND (Document = :Invoice)")},
            "Summed");
    const Currency partly =
        run({QStringLiteral("Select SUM(Rest) AS Partly FROM Ihead"), QStringLiteral(" WHERE"),
             QStringLiteral(" (\"Customer no\" = :CustNo)"),
             QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
             QStringLiteral(" AND (Printed = True)"), QStringLiteral(" AND (Document = :Invoice)")},
            "Partly");
    return summed + partly;
}

} // namespace invoicing
