#include "db/datasetup.h"
#include "db/session.h"
#include "db/table.h"
#include "report/dbdatasource.h"
#include "report/report.h"
#include "service/dates.h"
#include "service/service.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

class DbSource : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
        session.AddPassword(QStringLiteral("GRAND"));
        for (db::Table* t : {&rows, &head}) {
            t->setSession(&session);
            t->setDatabaseName(dir.path());
        }
        rows.setTableName(QStringLiteral("TRow"));
        head.setTableName(QStringLiteral("IHead"));
        rows.Open();
        head.Open();
    }

    // The texts a detail field printed, in order.
    static QStringList printed(const PreparedDocument& doc, const QString& name) {
        QStringList out;
        for (const PreparedPage& page : doc.pages)
            for (const PlacedElement& e : page.elements)
                if (e.name == name)
                    out << e.text;
        return out;
    }

    TempDataDir dir;
    db::Session session{QStringLiteral("sReport")};
    db::Table rows, head;
};

} // namespace

TEST_F(DbSource, WalksTheTableAndShowsEachFieldAsItsKindIsShown) {
    Service::Decimals = 3;
    const struct {
        const char* description;
        double qty;
        Currency price;
    } data[] = {{"Nails", 2.5, Currency::fromDouble(1.5)},
                {"Screws", 1.0 / 3.0, Currency::fromDouble(12)},
                {"Bolts", 0.1 + 0.2, Currency::fromDouble(0.0016)},
                {"", 0, Currency()}};
    for (const auto& d : data) {
        rows.Append();
        if (*d.description)
            rows.FieldByName(QStringLiteral("Description"))
                .setAsString(QLatin1String(d.description));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(d.qty);
        rows.FieldByName(QStringLiteral("Price")).setAsCurrency(d.price);
        rows.Post();
    }
    Report r;
    DbDataSource source(&rows);
    r.setDataSource(&source);
    Band* detail = r.addBand(BandKind::Detail, QStringLiteral("BandDetail"), 20);
    new DBText(detail, QStringLiteral("dbDescription"), QStringLiteral("description"));
    auto* qty = new DBText(detail, QStringLiteral("dbQty"), QStringLiteral("Qty"));
    qty->setLeft(200);
    auto* price = new DBText(detail, QStringLiteral("dbPrice"), QStringLiteral("Price"));
    price->setLeft(300);
    auto* missing = new DBText(detail, QStringLiteral("dbMissing"), QStringLiteral("No such"));
    missing->setLeft(400);
    const PreparedDocument doc = r.prepare();

    EXPECT_EQ(printed(doc, QStringLiteral("dbDescription")),
              QStringList({QStringLiteral("Nails"), QStringLiteral("Screws"),
                           QStringLiteral("Bolts"), QString()}));
    // Numbers as the grid shows them: 15 significant digits at most, no trailing zeros, so
    // the noise of binary fractions never reaches paper.
    EXPECT_EQ(printed(doc, QStringLiteral("dbQty")),
              QStringList({QStringLiteral("2.5"), QStringLiteral("0.333333333333333"),
                           QStringLiteral("0.3"), QStringLiteral("0")}));
    EXPECT_EQ(printed(doc, QStringLiteral("dbPrice")),
              QStringList({QStringLiteral("1.500"), QStringLiteral("12.000"),
                           QStringLiteral("0.002"), QStringLiteral("0.000")}));
    EXPECT_EQ(printed(doc, QStringLiteral("dbMissing")), QStringList({"", "", "", ""}));
    EXPECT_TRUE(source.eof());
    EXPECT_EQ(source.value(QStringLiteral("Qty")), QVariant());
    source.first();
    EXPECT_EQ(source.storedValue(QStringLiteral("Price")).toLongLong(), 15000);
}

TEST_F(DbSource, DatesAreShortDatesAndNoDateIsEmpty) {
    head.Append();
    head.FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2024, 2, 29));
    head.Post();
    DbDataSource source(&head);
    source.first();
    ASSERT_FALSE(source.eof());
    EXPECT_EQ(source.value(QStringLiteral("Invoice date")).toString(),
              Dates::toShortText(QDate(2024, 2, 29)));
    EXPECT_EQ(source.value(QStringLiteral("Paid")).toString(), QString());
    source.next();
    EXPECT_TRUE(source.eof());
}

TEST_F(DbSource, EmptyClosedAndDestroyedDataSetsHaveNoRecords) {
    Report r;
    auto* table = new db::Table;
    table->setSession(&session);
    table->setDatabaseName(dir.path());
    table->setTableName(QStringLiteral("Taxes"));
    table->Open();
    DbDataSource source(table);
    r.setDataSource(&source);
    Band* detail = r.addBand(BandKind::Detail, QStringLiteral("BandDetail"), 20);
    new DBText(detail, QStringLiteral("dbDescription"), QStringLiteral("Description"));
    r.addBand(BandKind::Title, QStringLiteral("BandTitle"), 20);
    PreparedDocument doc = r.prepare();
    ASSERT_EQ(doc.pageCount(), 1); // printed even when empty
    EXPECT_TRUE(printed(doc, QStringLiteral("dbDescription")).isEmpty());
    table->Close();
    source.first();
    EXPECT_TRUE(source.eof());
    delete table;
    source.first();
    source.next();
    EXPECT_TRUE(source.eof());
    EXPECT_EQ(source.value(QStringLiteral("Description")), QVariant());
}
