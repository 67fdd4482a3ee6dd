#include "dbfixture.h"

#include "service/dates.h"

using db::DataSetState;
using db::Table;

namespace {

QString s(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class CustomersTest : public DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        auto c = open(QStringLiteral("Customers"));
        const char* rows[][3] = {{"10", "beta ltd", "Zed"},     {"2", "Alpha AB", "Yvonne"},
                                 {"33", "ABACUS", "xavier"},    {"4", "Åsa Bergström", "Åke"},
                                 {"5", "abbey road", "Walter"}, {"6", "", "Victor"}};
        for (auto& r : rows)
            add(*c, {{QStringLiteral("Cust. no"), s(r[0])},
                     {QStringLiteral("Company"), s(r[1])},
                     {QStringLiteral("Reference"), s(r[2])}});
    }
};

} // namespace

TEST_F(CustomersTest, IndexesOrderIgnoringCaseForEveryLetterEmptyFirst) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    EXPECT_EQ(column(*c, QStringLiteral("Company")),
              (QStringList{QString(), s("ABACUS"), s("abbey road"), s("Alpha AB"), s("beta ltd"),
                           s("Åsa Bergström")}))
        << "ABACUS before abbey: letter case plays no part";
    c->setIndexName(QStringLiteral("Reference"));
    EXPECT_EQ(column(*c, QStringLiteral("Reference")).first(), s("Victor"));
    EXPECT_EQ(column(*c, QStringLiteral("Reference")).last(), s("Åke"));
    c->setIndexName(QStringLiteral("Cust. no"));
    EXPECT_EQ(column(*c, QStringLiteral("Cust. no")),
              (QStringList{s("10"), s("2"), s("33"), s("4"), s("5"), s("6")}));
    c->setIndexName(QString());
    EXPECT_EQ(column(*c, QStringLiteral("Cust. no")).first(), s("10"))
        << "primary order is entry order";
}

TEST_F(CustomersTest, MovingBothWaysWithBofAndEof) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    EXPECT_TRUE(c->Bof());
    EXPECT_FALSE(c->Eof());
    c->Prior();
    EXPECT_TRUE(c->Bof());
    c->Last();
    EXPECT_TRUE(c->Eof());
    EXPECT_EQ(c->FieldByName(QStringLiteral("company")).AsString(), s("Åsa Bergström"));
    QStringList back;
    for (; !c->Bof(); c->Prior())
        back << c->FieldByName(QStringLiteral("Company")).AsString();
    EXPECT_EQ(back.size(), 6);
    EXPECT_EQ(back.last(), QString());
    EXPECT_EQ(c->RecordCount(), 6);
}

TEST_F(CustomersTest, LocateVariants) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    const int ci = db::LocateCaseInsensitive;
    const int partial = db::LocateCaseInsensitive | db::LocatePartialKey;
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), QStringLiteral("ab"), partial));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("ABACUS"))
        << "first in index order beginning with AB, Ab or ab";
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("åsa"), partial));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Cust. no")).AsString(), s("4"));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("ÅSA BERGSTRÖM"), ci));
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("ÅSA BERGSTRÖM"), db::LocateExact));
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("Alpha AB"), db::LocateExact));
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("alpha ab"), db::LocateExact));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("Alpha AB"))
        << "a miss stays put";
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("zz"), partial));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("Alpha AB"));
    EXPECT_TRUE(c->Locate(QStringLiteral("Reference"), s("XAV"), partial))
        << "a field of another index";
    EXPECT_EQ(c->FieldByName(QStringLiteral("Cust. no")).AsString(), s("33"));
    EXPECT_TRUE(c->Locate(QStringLiteral("City"), QString(), db::LocateExact))
        << "empty finds empty";
    EXPECT_ENGINE_ERROR(c->Locate(QStringLiteral("Nope"), s("x")), db::FieldNotFound);
}

TEST_F(CustomersTest, FindKeyOnTheCurrentIndex) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Cust. no"));
    EXPECT_TRUE(c->FindKey({s("33")}));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("ABACUS"));
    EXPECT_FALSE(c->FindKey({s("3")}));
    c->setIndexName(QStringLiteral("Company"));
    EXPECT_TRUE(c->FindKey({s("ÅSA BERGSTRÖM")})) << "the Company index ignores case";
    EXPECT_EQ(c->FieldByName(QStringLiteral("Cust. no")).AsString(), s("4"));
}

TEST_F(CustomersTest, SwitchingTheIndexKeepsTheCurrentRecord) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), s("2")));
    for (const char* index : {"Reference", "Cust. no", "", "Company"}) {
        c->setIndexName(QLatin1String(index));
        EXPECT_EQ(c->FieldByName(QStringLiteral("Cust. no")).AsString(), s("2")) << index;
    }
    c->setIndexName(QStringLiteral("Reference"));
    c->Next(); // Yvonne -> Zed
    EXPECT_EQ(c->FieldByName(QStringLiteral("Reference")).AsString(), s("Zed"));
    EXPECT_ENGINE_ERROR(c->setIndexName(QStringLiteral("City")), db::IndexNotFound);
    EXPECT_EQ(c->IndexName(), s("Reference"));
}

TEST_F(CustomersTest, KeyViolationAndRequiredFieldCarryTheirCodes) {
    auto c = open(QStringLiteral("Customers"));
    c->Append();
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(s("33"));
    EXPECT_ENGINE_ERROR(c->Post(), db::KeyViolation);
    EXPECT_EQ(c->State(), DataSetState::Insert) << "the record is still there to correct";
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(QString());
    EXPECT_ENGINE_ERROR(c->Post(), db::RequiredFieldMissing);
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(s("ABACUS-1"));
    EXPECT_TRUE(c->Post());
    EXPECT_EQ(c->RecordCount(), 7);
    // Unique ignores case like the index.
    add(*c, {{QStringLiteral("Cust. no"), s("x1")}});
    c->Append();
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(s("X1"));
    EXPECT_ENGINE_ERROR(c->Post(), db::KeyViolation);
    c->Cancel();
}

TEST_F(CustomersTest, PostErrorHandlerCanAbortAndBeforePostCanChangeTheRecord) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    int code = 0;
    c->OnPostError = [&](Table&, const db::EngineError& e) {
        code = e.code();
        return db::PostErrorAction::Abort;
    };
    c->BeforePost = [](Table& t) {
        if (t.FieldByName(QStringLiteral("Registered")).IsNull())
            t.FieldByName(QStringLiteral("Registered")).setAsDate(QDate(2024, 5, 1));
    };
    c->Append();
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(s("2"));
    EXPECT_FALSE(c->Post());
    EXPECT_EQ(code, db::KeyViolation);
    EXPECT_EQ(c->State(), DataSetState::Insert);
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(s("99"));
    EXPECT_TRUE(c->Post());
    EXPECT_EQ(c->FieldByName(QStringLiteral("Registered")).AsDate(), QDate(2024, 5, 1));
    c->BeforePost = [](Table&) { throw db::Abort(); };
    c->Edit();
    c->FieldByName(QStringLiteral("Company")).setAsString(s("changed"));
    EXPECT_FALSE(c->Post());
    c->Cancel();
    EXPECT_FALSE(c->Locate(QStringLiteral("Company"), s("changed")));
}

TEST_F(CustomersTest, EditDeleteAndCancel) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), s("2")));
    c->Edit();
    c->FieldByName(QStringLiteral("Company")).setAsString(s("Zulu"));
    c->Cancel();
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("Alpha AB"));
    c->Edit();
    c->FieldByName(QStringLiteral("Company")).setAsString(s("Zulu"));
    c->Next(); // moving away posts
    EXPECT_EQ(c->State(), DataSetState::Browse);
    EXPECT_TRUE(c->Locate(QStringLiteral("Company"), s("Zulu")));
    c->Last(); // code-point order: Å comes after Z
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("Åsa Bergström"));
    c->Delete();
    EXPECT_TRUE(c->Eof()) << "the last record went; the one before is current";
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("Zulu"));
    c->First();
    c->Delete();
    EXPECT_EQ(c->FieldByName(QStringLiteral("Company")).AsString(), s("ABACUS"))
        << "next is current";
    EXPECT_EQ(c->RecordCount(), 4);
    EXPECT_ENGINE_ERROR(c->FieldByName(QStringLiteral("Company")).setAsString(s("x")),
                        db::InvalidOperation);
}

TEST_F(CustomersTest, FiltersOfTheProgram) {
    auto c = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), s("4")));
    c->Edit();
    c->FieldByName(QStringLiteral("Mark")).setAsBoolean(true);
    c->Post();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), s("10")));
    c->Edit();
    c->FieldByName(QStringLiteral("Mark")).setAsBoolean(true);
    c->Post();
    c->setFilter(QStringLiteral("MARK = True"));
    c->setFiltered(true);
    EXPECT_EQ(column(*c, QStringLiteral("Cust. no")), (QStringList{s("10"), s("4")}));
    EXPECT_EQ(c->RecordCount(), 2);
    c->setFiltered(false);
    EXPECT_EQ(c->RecordCount(), 6);
    c->setFilter(QStringLiteral("Company = 'ABACUS' or [Cust. no]='6'"));
    c->setFiltered(true);
    EXPECT_EQ(column(*c, QStringLiteral("Cust. no")), (QStringList{s("6"), s("33")}));
    EXPECT_ENGINE_ERROR(c->setFilter(QStringLiteral("Company = ")), db::SqlSyntax);
}

TEST_F(DbTest, ProductFiltersAndHiddenStillFoundByCode) {
    auto p = open(QStringLiteral("Products"), QStringLiteral("Code"));
    add(*p, {{QStringLiteral("Code"), QStringLiteral("A1")}, {QStringLiteral("Hidden"), false}});
    add(*p, {{QStringLiteral("Code"), QStringLiteral("B2")}, {QStringLiteral("Hidden"), true}});
    add(*p, {{QStringLiteral("Code"), QStringLiteral("C3")}});
    EXPECT_FALSE(p->FieldByName(QStringLiteral("Hidden")).IsNull()) << "booleans are never empty";
    auto look = open(QStringLiteral("Products"), QStringLiteral("Code"));
    look->setFilter(QStringLiteral("Hidden <> True"));
    look->setFiltered(true);
    EXPECT_EQ(column(*look, QStringLiteral("Code")),
              (QStringList{QStringLiteral("A1"), QStringLiteral("C3")}));
    EXPECT_TRUE(p->Locate(QStringLiteral("Code"), QStringLiteral("b2"), db::LocateCaseInsensitive));
}

TEST_F(DbTest, DocumentKindFilterAndIdFilter) {
    auto h = open(QStringLiteral("IHead"), QStringLiteral("Invoice no"));
    for (const char* kind : {"Invoice", "Delivery note", "Quotation", "Packing slip", "Receipt"})
        add(*h, {{QStringLiteral("Document"), QLatin1String(kind)}});
    h->setFilter(QStringLiteral(
        "Document ='Delivery note' or Document='Packing slip' or Document='Quotation'"));
    h->setFiltered(true);
    EXPECT_EQ(h->RecordCount(), 3);
    h->setFiltered(false);
    h->setFilter(QStringLiteral("ID = 4"));
    h->setFiltered(true);
    EXPECT_EQ(column(*h, QStringLiteral("Document")), QStringList{QStringLiteral("Packing slip")});
}

TEST_F(DbTest, MasterDetailShowsOwnRowsAndGivesAppendedRowsTheKey) {
    auto h = open(QStringLiteral("IHead"), QStringLiteral("Invoice no"));
    auto r = open(QStringLiteral("IRow"), QStringLiteral("ID"));
    r->setMasterSource(h.get(), QStringLiteral("ID"));
    add(*h, {{QStringLiteral("Invoice no"), QStringLiteral("1")}});
    const qint64 first = h->FieldByName(QStringLiteral("ID")).AsInteger();
    add(*r, {{QStringLiteral("Item"), QStringLiteral("a")}});
    add(*r, {{QStringLiteral("Item"), QStringLiteral("b")}});
    add(*h, {{QStringLiteral("Invoice no"), QStringLiteral("2")}});
    EXPECT_EQ(r->RecordCount(), 0) << "the new head has no rows yet";
    add(*r, {{QStringLiteral("Item"), QStringLiteral("c")}});
    EXPECT_EQ(r->FieldByName(QStringLiteral("ID")).AsInteger(), first + 1);
    h->First();
    EXPECT_EQ(column(*r, QStringLiteral("Item")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    h->Next();
    EXPECT_EQ(column(*r, QStringLiteral("Item")), QStringList{QStringLiteral("c")});
    h->Append(); // a head that is not posted has no rows
    EXPECT_EQ(r->RecordCount(), 0);
    h->Cancel();
}

TEST_F(DbTest, AutoIncrementDefaultsAndEmptyVersusZero) {
    auto t = open(QStringLiteral("TRow"));
    t->Append();
    EXPECT_FALSE(t->FieldByName(QStringLiteral("LongDesc")).AsBoolean());
    t->FieldByName(QStringLiteral("Qty")).setAsFloat(0);
    t->FieldByName(QStringLiteral("Price")).Clear();
    t->FieldByName(QStringLiteral("Description"))
        .setAsString(QStringLiteral("0123456789012345678901234567890123456789012345678901234"));
    t->Post();
    EXPECT_EQ(t->FieldByName(QStringLiteral("Key")).AsInteger(), 1);
    EXPECT_FALSE(t->FieldByName(QStringLiteral("Qty")).IsNull())
        << "0 stays 0; only the caller empties it";
    EXPECT_TRUE(t->FieldByName(QStringLiteral("Price")).IsNull());
    EXPECT_EQ(t->FieldByName(QStringLiteral("Price")).AsCurrency(), Currency());
    EXPECT_EQ(t->FieldByName(QStringLiteral("Description")).AsString().size(), 50)
        << "cut to the field size";
    add(*t, {{QStringLiteral("Item"), QStringLiteral("2")}});
    EXPECT_EQ(t->FieldByName(QStringLiteral("Key")).AsInteger(), 2);
    EXPECT_EQ(column(*t, QStringLiteral("Key")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(DbTest, TypedValuesRoundTrip) {
    auto h = open(QStringLiteral("IHead"));
    h->Append();
    h->FieldByName(QStringLiteral("Total"))
        .setAsCurrency(*Currency::parse(QStringLiteral("-1234.5678"), QLocale::c()));
    h->FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2006, 12, 7));
    h->FieldByName(QStringLiteral("Due")).setAsDate(Dates::zeroDate());
    h->FieldByName(QStringLiteral("Printed")).setAsString(QStringLiteral("True"));
    h->FieldByName(QStringLiteral("Delay")).setAsString(QStringLiteral("15"));
    h->FieldByName(QStringLiteral("Rest")).setAsFloat(0.1 + 0.2);
    h->Post();
    h->Refresh();
    EXPECT_EQ(h->FieldByName(QStringLiteral("Total")).AsCurrency().raw(), -12345678);
    EXPECT_DOUBLE_EQ(h->FieldByName(QStringLiteral("Total")).AsFloat(), -1234.5678);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Total")).AsString(), QStringLiteral("-1234.5678"));
    EXPECT_EQ(h->FieldByName(QStringLiteral("Invoice date")).AsDate(), QDate(2006, 12, 7));
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Due")).IsNull()) << "the zero date is no date";
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_EQ(h->FieldByName(QStringLiteral("Delay")).AsInteger(), 15);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Rest")).AsCurrency().raw(), 3000);
    h->Edit();
    EXPECT_ENGINE_ERROR(h->FieldByName(QStringLiteral("Delay")).setAsString(QStringLiteral("abc")),
                        db::InvalidValue);
    EXPECT_FALSE(h->FieldByName(QStringLiteral("Total")).isValidText(QStringLiteral("12x")));
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Total")).isValidText(QStringLiteral("12.50")));
    h->Cancel();
}

TEST_F(DbTest, BookmarksAndEmptyTable) {
    auto t = open(QStringLiteral("Taxes"), QStringLiteral("Description"));
    EXPECT_TRUE(t->Bof() && t->Eof()) << "an empty table is at both ends";
    t->Edit(); // editing an empty table starts a new record
    EXPECT_EQ(t->State(), DataSetState::Insert);
    EXPECT_TRUE(t->Bof() && t->Eof());
    t->FieldByName(QStringLiteral("Description")).setAsString(QStringLiteral("B"));
    t->Post();
    add(*t, {{QStringLiteral("Description"), QStringLiteral("A")}});
    add(*t, {{QStringLiteral("Description"), QStringLiteral("C")}});
    ASSERT_TRUE(t->Locate(QStringLiteral("Description"), QStringLiteral("B")));
    db::Bookmark b = t->GetBookmark();
    t->First();
    EXPECT_TRUE(t->GotoBookmark(b));
    EXPECT_EQ(t->FieldByName(QStringLiteral("Description")).AsString(), QStringLiteral("B"));
    t->FreeBookmark(b);
    t->EmptyTable();
    EXPECT_EQ(t->RecordCount(), 0);
    EXPECT_FALSE(t->GotoBookmark(b));
    EXPECT_ENGINE_ERROR(t->Delete(), db::InvalidOperation);
}

TEST_F(DbTest, PasswordsRefusedAndAccepted) {
    for (const char* name : {"IHead", "IRow", "Customers", "Products"}) {
        Table t;
        t.setDatabaseName(dir.path());
        t.setTableName(QLatin1String(name));
        EXPECT_ENGINE_ERROR(t.Open(), db::PasswordMissing);
        db::Session wrong(QStringLiteral("sWrong"));
        wrong.AddPassword(QStringLiteral("grand"));
        wrong.AddPassword(QStringLiteral("PXA52K"));
        t.setSession(&wrong);
        EXPECT_ENGINE_ERROR(t.Open(), db::PasswordMissing);
    }
    db::Session s(QStringLiteral("sProducts"));
    s.AddPassword(QString::fromUtf16(u"PX\u00C452K"));
    Table products;
    products.setSession(&s);
    products.setDatabaseName(dir.path());
    products.setTableName(QStringLiteral("PRODUCTS"));
    products.Open();
    EXPECT_TRUE(products.Active());
    products.Close();
    s.RemovePassword(QString::fromUtf16(u"PX\u00C452K"));
    EXPECT_ENGINE_ERROR(products.Open(), db::PasswordMissing);
    // No password is kept in plain text in the file.
    QFile f(db::Database::fileName(dir.path()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll() + [&] {
        QFile wal(db::Database::fileName(dir.path()) + QStringLiteral("-wal"));
        return wal.open(QIODevice::ReadOnly) ? wal.readAll() : QByteArray();
    }();
    for (const char* pw : {"GRAND", "KQW52TZ", "PLOV81"})
        EXPECT_FALSE(bytes.contains(pw)) << pw;
}

TEST_F(DbTest, MissingTablesIndexesAndExclusiveUse) {
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName(QStringLiteral("Invoices"));
    EXPECT_ENGINE_ERROR(t.Open(), db::TableNotFound);
    t.setTableName(QStringLiteral("Taxes"));
    t.setIndexName(QStringLiteral("Percent"));
    EXPECT_ENGINE_ERROR(t.Open(), db::IndexNotFound);
    t.setIndexName(QString());
    Table other;
    other.setDatabaseName(dir.path());
    other.setTableName(QStringLiteral("RowInvoiceTest"));
    other.setExclusive(true);
    other.Open();
    Table second;
    second.setDatabaseName(dir.path());
    second.setTableName(QStringLiteral("rowinvoicetest"));
    EXPECT_ENGINE_ERROR(second.Open(), db::TableInUse);
    other.Close();
    second.Open();
    EXPECT_TRUE(second.Active());
    TempDataDir empty;
    Table none;
    none.setDatabaseName(empty.path());
    none.setTableName(QStringLiteral("VAT"));
    EXPECT_ENGINE_ERROR(none.Open(), db::TableNotFound);
    EXPECT_FALSE(QFile::exists(db::Database::fileName(empty.path())))
        << "opening never creates a database";
}

TEST_F(DbTest, AfterScrollOnEveryMove) {
    auto t = open(QStringLiteral("VAT"));
    for (double v : {0.0, 12.0, 25.0})
        add(*t, {{QStringLiteral("VAT %"), v}});
    int moves = 0;
    t->AfterScroll = [&](db::DataSet&) { ++moves; };
    t->First();
    t->Next();
    t->Next();
    t->Next(); // at the end: no move
    t->Prior();
    t->Last();
    EXPECT_TRUE(t->Locate(QStringLiteral("VAT %"), 12.0));
    EXPECT_EQ(moves, 6);
    EXPECT_EQ(t->FieldByName(QStringLiteral("VAT %")).AsString(), QStringLiteral("12"));
}

TEST_F(DbTest, OtherCursorsSeeChangesWhenTheyMove) {
    auto a = open(QStringLiteral("Taxes"), QStringLiteral("Description"));
    for (const char* d : {"A", "B", "C"})
        add(*a, {{QStringLiteral("Description"), QLatin1String(d)}});
    auto b = open(QStringLiteral("Taxes"), QStringLiteral("Description"));
    EXPECT_EQ(b->FieldByName(QStringLiteral("Description")).AsString(), QStringLiteral("A"));
    ASSERT_TRUE(a->Locate(QStringLiteral("Description"), QStringLiteral("B")));
    a->Delete();
    b->Next();
    EXPECT_EQ(b->FieldByName(QStringLiteral("Description")).AsString(), QStringLiteral("C"))
        << "a record deleted through another cursor is not shown";
}

TEST_F(DbTest, PrimaryIndexNameAndKeyViolationMessage) {
    auto h = open(QStringLiteral("IHead"), QStringLiteral("ID"));
    for (const char* no : {"3", "1", "2"})
        add(*h, {{QStringLiteral("Invoice no"), QLatin1String(no)}});
    EXPECT_TRUE(h->FindKey({2}));
    EXPECT_EQ(h->FieldByName(QStringLiteral("Invoice no")).AsString(), QStringLiteral("1"));
    EXPECT_FALSE(h->FindKey({QStringLiteral("x")}));
    h->setIndexName(QStringLiteral("Invoice no"));
    EXPECT_EQ(column(*h, QStringLiteral("ID")),
              (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("1")}));
    h->Edit();
    h->FieldByName(QStringLiteral("Due")).setAsString(QStringLiteral("1899-12-30"));
    h->Post();
    EXPECT_TRUE(h->FieldByName(QStringLiteral("Due")).IsNull());

    auto c = open(QStringLiteral("Customers"));
    add(*c, {{QStringLiteral("Cust. no"), QStringLiteral("1")}});
    c->Append();
    c->FieldByName(QStringLiteral("Cust. no")).setAsString(QStringLiteral("1"));
    try {
        c->Post();
        ADD_FAILURE() << "duplicate posted";
    } catch (const db::EngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("\"Cust. no\"")))
            << e.message().toStdString();
    }
}

TEST_F(DbTest, LongWalksBothWaysThroughWindowsWithEmptyKeys) {
    auto t = open(QStringLiteral("Taxes"), QStringLiteral("Description"));
    {
        db::Transaction tr(t->database());
        for (int i = 0; i < 700; ++i)
            add(*t, {{QStringLiteral("Description"),
                      i % 7 == 0 ? QString()
                                 : QStringLiteral("d%1").arg(i % 50, 2, 10, QLatin1Char('0'))},
                     {QStringLiteral("Percent"), double(i)}});
        tr.commit();
    }
    QStringList forward;
    int steps = 0;
    for (t->First(); !t->Eof(); t->Next(), ++steps) {
        forward << t->FieldByName(QStringLiteral("Description")).AsString() + QLatin1Char('/') +
                       t->FieldByName(QStringLiteral("Percent")).AsString();
        ASSERT_EQ(t->RecNo(), steps);
    }
    EXPECT_EQ(steps, 700);
    for (int i = 1; i < forward.size(); ++i) {
        const QString a = forward[i - 1].section(QLatin1Char('/'), 0, 0);
        const QString b = forward[i].section(QLatin1Char('/'), 0, 0);
        ASSERT_TRUE(a < b || (a == b && forward[i - 1].section(QLatin1Char('/'), 1).toInt() <
                                            forward[i].section(QLatin1Char('/'), 1).toInt()))
            << forward[i - 1].toStdString() << " before " << forward[i].toStdString();
    }
    EXPECT_EQ(forward.first(), QStringLiteral("/0"))
        << "empty descriptions first, then entry order";
    QStringList backward;
    for (t->Last(); !t->Bof(); t->Prior())
        backward.prepend(t->FieldByName(QStringLiteral("Description")).AsString() +
                         QLatin1Char('/') + t->FieldByName(QStringLiteral("Percent")).AsString());
    EXPECT_EQ(backward, forward);
    EXPECT_EQ(t->RecordCount(), 700);
}
