#include "invoicing/customerfill.h"

#include <gtest/gtest.h>

using invoicing::CustomerData;
using invoicing::PanelFocus;

namespace {

CustomerData sample() {
    CustomerData c;
    c.number = QStringLiteral("17");
    c.company = QStringLiteral("Acme");
    c.reference = QStringLiteral("Ann");
    c.address1 = QStringLiteral("1 Main St");
    c.address2 = QStringLiteral("Floor 2");
    c.state = QStringLiteral("CA");
    c.zip = QStringLiteral("90210");
    c.city = QStringLiteral("Springfield");
    c.vatNo = QStringLiteral("4123");
    return c;
}

Currency money(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

} // namespace

TEST(CustomerFill, AddressLinesByCountry) {
    const CustomerData c = sample();
    struct Case {
        const char* country;
        const char* line2;
        const char* line3;
    } cases[] = {
        {"US", "Springfield, CA 90210", ""},        {"NZ", "Floor 2", "Springfield"},
        {"AU", "Floor 2", "Springfield, CA 90210"}, {"GB", "Floor 2", "Springfield, CA 90210"},
        {"ZA", "Floor 2", "Springfield 90210"},     {"SE", "Floor 2", "90210 Springfield"}};
    for (const Case& k : cases) {
        const auto h = invoicing::fillCustomer(c, QString::fromLatin1(k.country));
        EXPECT_EQ(h.line1, QStringLiteral("1 Main St")) << k.country;
        EXPECT_EQ(h.line2, QString::fromLatin1(k.line2)) << k.country;
        EXPECT_EQ(h.line3, QString::fromLatin1(k.line3)) << k.country;
        EXPECT_EQ(h.line3Set, QString::fromLatin1(k.country) != QLatin1String("US"));
        EXPECT_EQ(h.customer, QStringLiteral("Acme"));
        EXPECT_EQ(h.yourReference, QStringLiteral("Ann"));
        EXPECT_FALSE(h.vatNo.has_value()) << "the editor's own fill never sets the VAT number";
    }
    // Only the look-up, and only in "ZA", copies the VAT number.
    EXPECT_EQ(invoicing::fillFromLookup(c, QStringLiteral("ZA")).vatNo.value_or(QString()),
              QStringLiteral("4123"));
    EXPECT_FALSE(invoicing::fillFromLookup(c, QStringLiteral("GB")).vatNo.has_value());
}

TEST(CustomerFill, NewCustomerPrefillByCountry) {
    invoicing::HeadForNewCustomer head{QStringLiteral("55"),       QStringLiteral("New Ltd"),
                                       QStringLiteral("Road 1"),   QStringLiteral("Block B"),
                                       QStringLiteral("Auckland"), QStringLiteral("Bob")};
    auto us = invoicing::prepareNewCustomer(head, QStringLiteral("US"));
    EXPECT_EQ(us.message, QStringLiteral("Please add State, Zipcode and City."));
    EXPECT_EQ(us.focus, PanelFocus::State);
    EXPECT_TRUE(us.address2.isEmpty());
    auto nz = invoicing::prepareNewCustomer(head, QStringLiteral("NZ"));
    EXPECT_TRUE(nz.message.isEmpty());
    EXPECT_EQ(nz.city, QStringLiteral("Auckland"));
    EXPECT_EQ(nz.address2, QStringLiteral("Block B"));
    EXPECT_EQ(nz.focus, PanelFocus::City);
    auto gb = invoicing::prepareNewCustomer(head, QStringLiteral("GB"));
    EXPECT_EQ(gb.message, QStringLiteral("Please add County, Postcode and City."));
    auto se = invoicing::prepareNewCustomer(head, QStringLiteral("SE"));
    EXPECT_EQ(se.message, QStringLiteral("Please add Postcode and City."));
    EXPECT_EQ(se.focus, PanelFocus::Zip);
    EXPECT_EQ(se.company, QStringLiteral("New Ltd"));
    EXPECT_EQ(se.reference, QStringLiteral("Bob"));

    head.customerNo.clear();
    auto au = invoicing::prepareNewCustomer(head, QStringLiteral("AU"));
    EXPECT_EQ(au.message, QStringLiteral("Please add Customer number, State, Postcode and City"));
    EXPECT_EQ(au.focus, PanelFocus::Number);
    EXPECT_TRUE(au.address2.isEmpty());
    auto nz2 = invoicing::prepareNewCustomer(head, QStringLiteral("NZ"));
    EXPECT_EQ(nz2.message, QStringLiteral("Please add Customer number."));
    EXPECT_EQ(nz2.city, QStringLiteral("Auckland"));
}

TEST(CreditLimit, ThreeQuartersExactly) {
    EXPECT_FALSE(invoicing::creditLimitMessage(money("750"), money("1000")));
    const auto m = invoicing::creditLimitMessage(money("750.0001"), money("1000"));
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->startsWith(QStringLiteral("75% of credit limit used\n\r(Limit = ")));
    EXPECT_TRUE(m->endsWith(QStringLiteral(")")));
    EXPECT_FALSE(invoicing::creditLimitMessage(money("5000"), Currency())); // no limit
    const auto over = invoicing::creditLimitMessage(money("12345"), money("1000"));
    ASSERT_TRUE(over);
    // Three significant digits: 1234.5 % prints as 1230 (grouped as the locale groups).
    EXPECT_TRUE(QString(*over).remove(QLatin1Char(',')).startsWith(QStringLiteral("1230% of")))
        << over->toStdString();
}
