#include "finance/financerules.h"
#include "finance/payments.h"

#include "support/testenv.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

Currency amount(const char* text) {
    return *Currency::parse(QString::fromLatin1(text), QLocale::c());
}

// The interest in ten-thousandths by whole-number arithmetic: total x days x rate / 36000 with
// the rate given as a fraction, rounded half to even.
qint64 expectedInterest(Currency total, int days, qint64 rateNum, qint64 rateDen) {
    const __int128 n = static_cast<__int128>(total.raw()) * days * rateNum;
    const __int128 d = static_cast<__int128>(36000) * rateDen;
    __int128 q = n / d;
    const __int128 r = n % d;
    if (2 * r > d || (2 * r == d && (q % 2) != 0))
        ++q;
    return static_cast<qint64>(q);
}

class SettingsTest : public ::testing::Test {
protected:
    QString ini(const QByteArray& section) {
        return dir.writeFile(QStringLiteral("MRVInv.ini"), "[Invoice]\n" + section);
    }
    TempDataDir dir;
};

} // namespace

TEST(FinanceInterest, ComputedOnAThreeHundredSixtyDayYearAndRoundedHalfToEven) {
    struct Case {
        const char* total;
        int days;
        qint64 num, den; // the rate as a fraction
    };
    const Case cases[] = {
        {"1000", 15, 8, 1},                            // 3.33333... -> 3.3333
        {"1234.50", 7, 975, 100},  {"0.09", 20, 1, 1}, // exactly 0.5 ten-thousandths -> 0
        {"0.09", 60, 1, 1},                            // 1.5 -> 2
        {"0.09", 100, 1, 1},                           // 2.5 -> 2
        {"999999.99", 365, 12, 1}, {"50", 1, 1, 10},
    };
    for (const Case& c : cases) {
        const Currency total = amount(c.total);
        const double rate = static_cast<double>(c.num) / static_cast<double>(c.den);
        EXPECT_EQ(finance::financeInterest(total, c.days, rate).raw(),
                  expectedInterest(total, c.days, c.num, c.den))
            << c.total << " " << c.days << " days at " << rate;
    }
    EXPECT_EQ(finance::financeInterest(amount("1000"), 15, 8), amount("3.3333"));
    // Paid on time or early: no interest, whatever the rate.
    EXPECT_TRUE(finance::financeInterest(amount("1000"), 0, 8).isZero());
    EXPECT_TRUE(finance::financeInterest(amount("1000"), -4, 8).isZero());
    EXPECT_THROW(finance::financeInterest(Currency::fromRaw(INT64_MAX / 2), 10000, 100),
                 CurrencyOverflow);
}

TEST(FinanceInterest, RowTextAndNumberOfTheFinanceInvoice) {
    EXPECT_EQ(finance::interestRowText(QStringLiteral("1023"), QStringLiteral("15"), 8),
              QStringLiteral("Invoice 1023, 15 days at 8 %"));
    EXPECT_EQ(finance::interestRowText(QStringLiteral("7"), QStringLiteral("3"), 8.25),
              QStringLiteral("Invoice 7, 3 days at 8.25 %"));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(finance::interestRowText(QStringLiteral("7"), QStringLiteral("3"), 8.25),
              QStringLiteral("Invoice 7, 3 days at 8,25 %"));
    QLocale::setDefault(before);
    EXPECT_EQ(finance::financeInvoiceNo(QStringLiteral("1023")), QStringLiteral("1023-F"));
    // The threshold as the listing compares it, and one too large for money.
    EXPECT_EQ(finance::listThreshold(amount("5")), amount("180000"));
    EXPECT_FALSE(finance::listThreshold(Currency::fromRaw(INT64_MAX / 1000)));
}

TEST_F(SettingsTest, MissingSettingsReadAsZeroAndPresentOnesInTheDesktopFormat) {
    QString error;
    auto none = finance::readFinanceSettings(dir.file(QStringLiteral("MRVInv.ini")), &error);
    ASSERT_TRUE(none) << error.toStdString();
    EXPECT_EQ(none->interestRate, 0);
    EXPECT_TRUE(none->invoiceCharge.isZero());
    EXPECT_TRUE(none->threshold.isZero());
    EXPECT_EQ(none->terms, 0);

    auto s = finance::readFinanceSettings(
        ini("Interestrate=8.5\nInvoiceCharge=25\nThreshold=3.50\nTerms=20\n"), &error);
    ASSERT_TRUE(s) << error.toStdString();
    EXPECT_DOUBLE_EQ(s->interestRate, 8.5);
    EXPECT_EQ(s->invoiceCharge, amount("25"));
    EXPECT_EQ(s->threshold, amount("3.5"));
    EXPECT_EQ(s->terms, 20);
}

TEST_F(SettingsTest, AValueThatIsNotANumberIsRefusedNamingTheSetting) {
    struct Case {
        QByteArray text;
        QString key;
    };
    const Case cases[] = {
        {"Interestrate=8 %\n", QStringLiteral("Interestrate")},
        {"Interestrate=8,5\n", QStringLiteral("Interestrate")}, // not the desktop's separator
        {"InvoiceCharge=abc\n", QStringLiteral("InvoiceCharge")},
        {"Threshold=\n", QStringLiteral("Threshold")}, // present but empty
        {"Terms=30 days\n", QStringLiteral("Terms")},
        {"Terms=7.5\n", QStringLiteral("Terms")},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(finance::readFinanceSettings(ini(c.text), &error)) << c.text.constData();
        EXPECT_TRUE(error.contains(QLatin1Char('"') + c.key + QLatin1Char('"')))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("MRVInv.ini"))) << error.toStdString();
    }
}

TEST(InvoiceRegisterList, SortsOnlyByItsColumnsAndFiltersByWhatIsOwed) {
    const QString sql =
        finance::registerSql(finance::RegisterFilter::All, QStringLiteral("rest"), true)
            .join(QLatin1Char(' '));
    EXPECT_TRUE(sql.endsWith(QStringLiteral("ORDER BY \"Rest\" DESC, ID"))) << sql.toStdString();
    // A name that is not a column never reaches the text.
    const QString odd =
        finance::registerSql(finance::RegisterFilter::Open,
                             QStringLiteral("Total\"; DELETE FROM IHead; --"), false)
            .join(QLatin1Char(' '));
    EXPECT_FALSE(odd.contains(QStringLiteral("DELETE"))) << odd.toStdString();
    EXPECT_TRUE(odd.endsWith(QStringLiteral("ORDER BY \"Invoice date\", ID")));
    EXPECT_EQ(finance::registerFilterNames(),
              QStringList({QStringLiteral("open"), QStringLiteral("overdue"),
                           QStringLiteral("paid"), QStringLiteral("all")}));

    const QDate due(2026, 3, 1);
    EXPECT_EQ(finance::paymentDelay(due, due.addDays(15)), 15);
    EXPECT_EQ(finance::paymentDelay(due, due), 0);
    EXPECT_EQ(finance::paymentDelay(due, due.addDays(-3)), 0);
    EXPECT_EQ(finance::paymentDelay(QDate(), due), 0);
}
