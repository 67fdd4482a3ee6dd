// Every SQL text the program runs, exactly as the windows set it, against small fixtures.
#include "dbfixture.h"

#include "service/dates.h"

namespace {

Currency money(const char* text) {
    return *Currency::parse(QLatin1String(text), QLocale::c());
}

const QStringList kOpenSum = {QStringLiteral("Select SUM(Total) AS Summed FROM Ihead"),
                              QStringLiteral(" WHERE"),
                              QStringLiteral(" (\"Customer no\" = :CustNo)"),
                              QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
                              QStringLiteral(" AND (Printed = True)"),
                              QStringLiteral(" AND (Rest = NULL)"),
                              QStringLiteral(" AND (Document = :Invoice)")};
const QStringList kPartly = {QStringLiteral("Select SUM(Rest) AS Partly FROM Ihead"),
                             QStringLiteral(" WHERE"),
                             QStringLiteral(" (\"Customer no\" = :CustNo)"),
                             QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
                             QStringLiteral(" AND (Printed = True)"),
                             QStringLiteral(" AND (Document = :Invoice)")};
const QStringList kDone = {QStringLiteral("Select SUM(Total) AS Done FROM Ihead"),
                           QStringLiteral(" WHERE"),
                           QStringLiteral(" (\"Customer no\" = :CustNo)"),
                           QStringLiteral(" AND (Paid > :ZeroDate)"),
                           QStringLiteral(" AND (Printed = True)"),
                           QStringLiteral(" AND (Archived > :ZeroDate)"),
                           QStringLiteral(" AND ((Document = :Invoice) OR (Document = :Receipt))")};
const QStringList kList = {QStringLiteral("SELECT ID, Document, \"Invoice no\", \"Invoice date\", "
                                          "Printed, Archived, Total, Due, Paid, Rest, Delay"),
                           QStringLiteral("FROM IHEAD "),
                           QStringLiteral("WHERE \"Customer no\" = :CustNo ORDER BY Due")};
const QStringList kFinance = {
    QStringLiteral("SELECT * "), QStringLiteral("FROM IHEAD "),
    QStringLiteral("WHERE ((Total > 0) AND (Paid <> NULL) AND ((Rest = 0) OR (Rest = NULL)) AND "
                   "((Total * :Rta * Delay) > :Trosk) AND (\"Interest charged\" = NULL))")};

struct Head {
    const char* kind;
    const char* no;
    const char* customer;
    const char* total;
    const char* rest; // "" = empty
    bool printed;
    QDate paid;
    QDate archived;
    int delay;
    QDate due;
};

class HeadQueries : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        auto h = open(QStringLiteral("IHead"));
        const QDate d(2024, 3, 1);
        const Head heads[] = {
            {"Invoice", "101", "17", "300", "", true, {}, {}, 0, d.addDays(30)}, // open, untouched
            {"Invoice", "102", "17", "500", "200", true, {}, {}, 0, d.addDays(10)}, // part paid
            {"Invoice", "103", "17", "700", "0", true, d, d, 12,
             d.addDays(20)}, // paid late, archived
            {"Invoice", "104", "17", "900", "", false, {}, {}, 0, d.addDays(5)}, // never printed
            {"Credit invoice", "105", "17", "-100", "-100", true, {}, {}, 0, d}, // credit
            {"Receipt", "106", "17", "100", "", true, d, d, 0, d.addDays(1)},    // receipt
            {"Invoice", "107", "18", "1000", "", true, {}, {}, 0, d},            // other customer
            {"Invoice", "108", "17", "50", "", true, {}, d, 0, d.addDays(2)},    // archived, unpaid
        };
        for (const Head& x : heads) {
            h->Append();
            h->FieldByName(QStringLiteral("Document")).setAsString(QLatin1String(x.kind));
            h->FieldByName(QStringLiteral("Invoice no")).setAsString(QLatin1String(x.no));
            h->FieldByName(QStringLiteral("Customer no")).setAsString(QLatin1String(x.customer));
            h->FieldByName(QStringLiteral("Total")).setAsCurrency(money(x.total));
            h->FieldByName(QStringLiteral("Rest")).setAsString(QLatin1String(x.rest));
            h->FieldByName(QStringLiteral("Printed")).setAsBoolean(x.printed);
            h->FieldByName(QStringLiteral("Paid")).setAsDate(x.paid);
            h->FieldByName(QStringLiteral("Archived")).setAsDate(x.archived);
            h->FieldByName(QStringLiteral("Delay")).setAsInteger(x.delay);
            h->FieldByName(QStringLiteral("Due")).setAsDate(x.due);
            h->Post();
        }
    }

    void setCustomerParams(db::Query& q, const char* customer) {
        q.ParamByName(QStringLiteral("CustNo")).setAsString(QLatin1String(customer));
        q.ParamByName(QStringLiteral("ZeroDate"))
            .setAsDateTime(QDateTime(Dates::zeroDate(), QTime(0, 0)));
        q.ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
    }
};

} // namespace

TEST_F(HeadQueries, CreditLimitAndUnpaidSums) {
    auto open = query(kOpenSum);
    setCustomerParams(*open, "17");
    open->Open();
    EXPECT_EQ(open->FieldByName(QStringLiteral("Summed")).AsCurrency(), money("300"));
    EXPECT_DOUBLE_EQ(open->FieldByName(QStringLiteral("Summed")).AsFloat(), 300.0);
    auto partly = query(kPartly);
    setCustomerParams(*partly, "17");
    partly->Open();
    EXPECT_EQ(partly->FieldByName(QStringLiteral("partly")).AsCurrency(), money("200"));
    // A customer with nothing open: both sums are empty, read as 0.
    open->Close();
    setCustomerParams(*open, "99");
    open->Open();
    EXPECT_TRUE(open->FieldByName(QStringLiteral("Summed")).IsNull());
    EXPECT_EQ(open->FieldByName(QStringLiteral("Summed")).AsCurrency(), Currency());
    EXPECT_EQ(open->RecordCount(), 1);
}

TEST_F(HeadQueries, PaidSumNeedsRealPaymentAndArchiveDates) {
    auto done = query(kDone);
    setCustomerParams(*done, "17");
    done->ParamByName(QStringLiteral("Receipt")).setAsString(QStringLiteral("Receipt"));
    done->Open();
    EXPECT_EQ(done->FieldByName(QStringLiteral("Done")).AsCurrency(), money("800"))
        << "700 + receipt 100";
    // A date before 1900 is still a real date.
    auto h = open(QStringLiteral("IHead"), QStringLiteral("Invoice no"));
    ASSERT_TRUE(h->FindKey({QStringLiteral("108")}));
    h->Edit();
    h->FieldByName(QStringLiteral("Paid")).setAsDate(QDate(1899, 12, 31));
    h->Post();
    done->Close();
    done->Open();
    EXPECT_EQ(done->FieldByName(QStringLiteral("Done")).AsCurrency(), money("850"));
}

TEST_F(HeadQueries, InvoiceHistoryListIsOrderedByDueWithTypedColumns) {
    auto list = query(kList);
    list->ParamByName(QStringLiteral("CustNo")).setAsString(QStringLiteral("17"));
    list->Open();
    EXPECT_EQ(list->RecordCount(), 7);
    EXPECT_EQ(column(*list, QStringLiteral("Invoice no")),
              (QStringList{QStringLiteral("105"), QStringLiteral("106"), QStringLiteral("108"),
                           QStringLiteral("104"), QStringLiteral("102"), QStringLiteral("103"),
                           QStringLiteral("101")}));
    list->First();
    EXPECT_EQ(list->FieldByName(QStringLiteral("Total")).AsCurrency(), money("-100"));
    EXPECT_TRUE(list->FieldByName(QStringLiteral("printed")).AsBoolean());
    EXPECT_EQ(list->FieldByName(QStringLiteral("Due")).AsDate(), QDate(2024, 3, 1));
    EXPECT_GT(list->FieldByName(QStringLiteral("ID")).AsInteger(), 0);
    EXPECT_ENGINE_ERROR(list->FieldByName(QStringLiteral("Customer")), db::FieldNotFound);
    // The rows of the selected document follow the list.
    auto rows = open(QStringLiteral("IROW"), QStringLiteral("ID"));
    rows->setMasterSource(list.get(), QStringLiteral("ID"));
    rows->Append();
    rows->FieldByName(QStringLiteral("Item")).setAsString(QStringLiteral("1"));
    rows->Post();
    EXPECT_EQ(rows->FieldByName(QStringLiteral("ID")).AsInteger(),
              list->FieldByName(QStringLiteral("ID")).AsInteger());
    list->Next();
    EXPECT_EQ(rows->RecordCount(), 0);
    list->Prior();
    EXPECT_EQ(rows->RecordCount(), 1);
}

TEST_F(HeadQueries, FinanceListRespectsRateThresholdRestAndCharged) {
    auto h = open(QStringLiteral("IHead"), QStringLiteral("Invoice no"));
    // Total 1000, 15 days late, paid in full: interest at 8 % is 3.3333.
    add(*h, {{QStringLiteral("Document"), QStringLiteral("Invoice")},
             {QStringLiteral("Invoice no"), QStringLiteral("1023")},
             {QStringLiteral("Total"), QVariant::fromValue(money("1000"))},
             {QStringLiteral("Rest"), QVariant::fromValue(Currency())},
             {QStringLiteral("Printed"), true},
             {QStringLiteral("Paid"), QDate(2024, 4, 15)},
             {QStringLiteral("Delay"), 15}});
    // Partly paid: never listed.
    add(*h, {{QStringLiteral("Invoice no"), QStringLiteral("1024")},
             {QStringLiteral("Total"), QVariant::fromValue(money("1000"))},
             {QStringLiteral("Rest"), QVariant::fromValue(money("50"))},
             {QStringLiteral("Paid"), QDate(2024, 4, 15)},
             {QStringLiteral("Delay"), 300}});
    auto listed = [&](double rate, const char* threshold) {
        auto q = query(kFinance);
        q->ParamByName(QStringLiteral("Rta")).setAsFloat(rate);
        q->ParamByName(QStringLiteral("Trosk")).setAsCurrency(money(threshold) * 36000.0L);
        q->Open();
        return column(*q, QStringLiteral("Invoice no"));
    };
    // 103 (700, 12 days) bears 1.8667 at 8 %.
    EXPECT_EQ(listed(8, "3"), (QStringList{QStringLiteral("1023")}));
    EXPECT_EQ(listed(8, "5"), QStringList{});
    EXPECT_EQ(listed(8, "1"), (QStringList{QStringLiteral("103"), QStringLiteral("1023")}));
    EXPECT_EQ(listed(0, "0"), QStringList{}) << "rate 0 lists nothing";
    auto interest = query({QStringLiteral(
        "SELECT Total * :Rta * Delay / 36000 AS Interest, Total * :Rta * Delay AS Raw "
        "FROM IHead WHERE \"Invoice no\" = '1023' AND Paid > :Zero")});
    interest->ParamByName(QStringLiteral("Rta")).setAsFloat(8);
    interest->ParamByName(QStringLiteral("Zero"))
        .setAsFloat(0); // a day number 0 is the zero date too
    interest->Open();
    ASSERT_EQ(interest->RecordCount(), 1);
    EXPECT_EQ(interest->FieldByName(QStringLiteral("Interest")).AsCurrency(), money("3.3333"));
    EXPECT_NEAR(interest->FieldByName(QStringLiteral("Interest")).AsFloat(), 3.33333333, 1e-6);
    EXPECT_EQ(interest->FieldByName(QStringLiteral("Raw")).AsCurrency(), money("120000"));

    auto skip =
        query({QStringLiteral("UPDATE IHEAD"), QStringLiteral("SET \"Interest charged\" = 0"),
               QStringLiteral("WHERE \"Invoice no\" = :Number")});
    skip->ParamByName(QStringLiteral("Number")).setAsString(QStringLiteral("103"));
    EXPECT_EQ(skip->ExecSQL(), 1);
    EXPECT_EQ(listed(8, "1"), (QStringList{QStringLiteral("1023")})) << "skipped for good";
    ASSERT_TRUE(h->FindKey({QStringLiteral("103")}));
    EXPECT_FALSE(h->FieldByName(QStringLiteral("Interest charged")).IsNull());

    auto charge =
        query({QStringLiteral("UPDATE IHEAD"), QStringLiteral("SET \"Interest charged\" = :Summa"),
               QStringLiteral("WHERE \"Invoice no\" = :Number")});
    charge->ParamByName(QStringLiteral("Number")).setAsString(QStringLiteral("1023"));
    charge->ParamByName(QStringLiteral("Summa")).setAsCurrency(money("3.3333"));
    EXPECT_EQ(charge->RowsAffected(), 0);
    EXPECT_EQ(charge->ExecSQL(), 1);
    ASSERT_TRUE(h->FindKey({QStringLiteral("1023")}));
    EXPECT_EQ(h->FieldByName(QStringLiteral("Interest charged")).AsCurrency(), money("3.3333"));
    EXPECT_EQ(listed(8, "0"), QStringList{});
}

TEST_F(DbTest, RowTotalsQuery) {
    const QStringList totals = {
        QStringLiteral("SELECT Sum(\"Sum\")AS ExclVAT, Sum(VAT)AS VATTotal FROM TRow")};
    auto q = query(totals);
    q->Open();
    EXPECT_TRUE(q->FieldByName(QStringLiteral("ExclVAT")).IsNull());
    EXPECT_EQ(q->FieldByName(QStringLiteral("VATTotal")).AsCurrency(), Currency());
    q->Close();
    auto rows = open(QStringLiteral("TRow"));
    add(*rows, {{QStringLiteral("Sum"), QVariant::fromValue(money("53.73"))},
                {QStringLiteral("VAT"), QVariant::fromValue(money("13.4325"))}});
    add(*rows, {{QStringLiteral("Sum"), QVariant::fromValue(money("100"))},
                {QStringLiteral("VAT"), QVariant()}});
    add(*rows, {{QStringLiteral("Description"), QStringLiteral("text only")}});
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("ExclVAT")).AsCurrency(), money("153.73"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("VATTotal")).AsCurrency(), money("13.4325"));
    EXPECT_DOUBLE_EQ(q->FieldByName(QStringLiteral("ExclVAT")).AsFloat(), 153.73);
    EXPECT_EQ(q->FieldByName(QStringLiteral("ExclVAT")).AsString(), QStringLiteral("153.73"));
}

TEST_F(DbTest, QueryParametersAndErrors) {
    auto q = query({QStringLiteral("SELECT * FROM Customers WHERE \"Cust. no\" = :No")});
    EXPECT_ENGINE_ERROR(q->ParamByName(QStringLiteral("Other")), db::ParamNotFound);
    q->ParamByName(QStringLiteral("no")).setAsString(QStringLiteral("1"));
    db::Session none;
    q->setSession(&none);
    EXPECT_ENGINE_ERROR(q->Open(), db::PasswordMissing);
    q->setSession(&session);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 0);
    q->SQL().clear();
    q->SQL() << QStringLiteral("SELECT COUNT(*) AS N FROM Customers");
    q->Open(); // a changed text runs anew
    EXPECT_EQ(q->FieldByName(QStringLiteral("N")).AsInteger(), 0);
    auto bad = query({QStringLiteral("SELEC * FROM VAT")});
    EXPECT_ENGINE_ERROR(bad->Open(), db::SqlSyntax);
    auto missing = query({QStringLiteral("SELECT * FROM Nowhere")});
    EXPECT_ENGINE_ERROR(missing->Open(), db::TableNotFound);
    auto column = query({QStringLiteral("SELECT Nope FROM VAT")});
    EXPECT_ENGINE_ERROR(column->Open(), db::SqlSyntax);
    // Values are bound, never pasted: a quote in a value is only a quote.
    auto ins = query({QStringLiteral("INSERT INTO Taxes (Description, Percent) VALUES (:D, :P)")});
    ins->ParamByName(QStringLiteral("D")).setAsString(QStringLiteral("x'); DROP TABLE Taxes; --"));
    ins->ParamByName(QStringLiteral("P")).setAsFloat(2.5);
    EXPECT_EQ(ins->ExecSQL(), 1);
    auto check =
        query({QStringLiteral("select description, percent from TAXES where Percent > 2")});
    check->Open();
    EXPECT_EQ(check->FieldByName(QStringLiteral("Description")).AsString(),
              QStringLiteral("x'); DROP TABLE Taxes; --"));
    EXPECT_DOUBLE_EQ(check->FieldByName(QStringLiteral("Percent")).AsFloat(), 2.5);
}

TEST_F(DbTest, CurrencyLiteralsAndArithmeticKeepTheirScale) {
    auto h = open(QStringLiteral("IHead"));
    add(*h, {{QStringLiteral("Total"), QVariant::fromValue(money("125.50"))},
             {QStringLiteral("Rest"), QVariant::fromValue(money("25.50"))}});
    auto q =
        query({QStringLiteral("SELECT Total - Rest AS Paid, Total * 2 AS Twice, Total / 2 AS Half, "
                              "Rest / Total AS Share, Total + 1 AS More FROM IHead WHERE Total > "
                              "100 AND Total < 125.6")});
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName(QStringLiteral("Paid")).AsCurrency(), money("100"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("Twice")).AsCurrency(), money("251"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("Half")).AsCurrency(), money("62.75"));
    EXPECT_NEAR(q->FieldByName(QStringLiteral("Share")).AsFloat(), 25.5 / 125.5, 1e-12);
    EXPECT_EQ(q->FieldByName(QStringLiteral("More")).AsCurrency(), money("126.50"));
    auto p = query({QStringLiteral("SELECT COUNT(*) AS N FROM IHead WHERE Total = :T")});
    p->ParamByName(QStringLiteral("T")).setAsFloat(125.5);
    p->Open();
    EXPECT_EQ(p->FieldByName(QStringLiteral("N")).AsInteger(), 1)
        << "a float parameter meets currency scaled";
}

TEST_F(DbTest, TextsFoundByFuzzingGiveEngineErrorsOrTheRightRows) {
    auto h = open(QStringLiteral("IHead"));
    add(*h, {{QStringLiteral("Total"), QVariant::fromValue(money("125.50"))}});

    // "- -5" once started an SQL comment: "incomplete input", or conditions silently lost.
    auto signs = query({QStringLiteral("SELECT COUNT(*) AS N FROM IHead WHERE Total > - -5")});
    signs->Open();
    EXPECT_EQ(signs->FieldByName(QStringLiteral("N")).AsInteger(), 1);
    auto after = query(
        {QStringLiteral("SELECT COUNT(*) AS N FROM IHead WHERE Total > - -5 AND Total < 100")});
    after->Open();
    EXPECT_EQ(after->FieldByName(QStringLiteral("N")).AsInteger(), 0)
        << "the condition after the signs counts";

    // Numbers too large for money, in a query and in a table's filter.
    auto huge = query({QStringLiteral("SELECT * FROM Products WHERE Price > 1e300")});
    EXPECT_ENGINE_ERROR(huge->Open(), db::InvalidValue);
    EXPECT_FALSE(huge->Active());
    auto products = open(QStringLiteral("Products"));
    add(*products, {{QStringLiteral("Code"), QStringLiteral("A1")}});
    products->setFilter(QStringLiteral("\"Price\" > 500009223372036854775807"));
    EXPECT_ENGINE_ERROR(products->setFiltered(true), db::InvalidValue);
    EXPECT_FALSE(products->Filtered());
    EXPECT_EQ(products->RecordCount(), 1) << "the table stays usable";
    auto filtered = std::make_unique<db::Table>();
    filtered->setSession(&session);
    filtered->setDatabaseName(dir.path());
    filtered->setTableName(QStringLiteral("Products"));
    filtered->setFilter(QStringLiteral("\"Price\" > 500009223372036854775807"));
    filtered->setFiltered(true);
    EXPECT_ENGINE_ERROR(filtered->Open(), db::InvalidValue);
    EXPECT_FALSE(filtered->Active());

    // Texts nested thousands of levels deep.
    QString deep = QStringLiteral("SELECT * FROM VAT WHERE ");
    for (int i = 0; i < 5000; ++i)
        deep += u'(';
    deep += u'1';
    for (int i = 0; i < 5000; ++i)
        deep += u')';
    auto nested = query({deep});
    EXPECT_ENGINE_ERROR(nested->Open(), db::SqlSyntax);
    EXPECT_ENGINE_ERROR(nested->ExecSQL(), db::SqlSyntax);
}
