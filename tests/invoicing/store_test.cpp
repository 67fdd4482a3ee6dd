#include "editorfixture.h"

#include "invoicing/documentstore.h"
#include "ui/dbgrid.h"

TEST(DocumentStore, UpdateOrInsertByTemplateNames) {
    invoicing::SaveRequest r;
    auto updates = [&r](bool opened, bool wasTemplate, const char* customer) {
        r.opened = opened;
        r.openedAsTemplate = wasTemplate;
        r.head.customer = QString::fromLatin1(customer);
        return invoicing::updatesOpenedRecord(r);
    };
    EXPECT_FALSE(updates(false, false, "Acme"));
    EXPECT_TRUE(updates(true, true, "Standard customer"));
    EXPECT_TRUE(updates(true, false, "Acme"));
    EXPECT_FALSE(updates(true, true, "Acme")) << "the template stays unchanged";
    EXPECT_FALSE(updates(true, false, "STANDARDS Ltd"));
    EXPECT_TRUE(invoicing::isTemplateName(QStringLiteral("standard")));
    EXPECT_FALSE(invoicing::isTemplateName(QStringLiteral("Standar")));
}

TEST_F(EditorTest, SavedRowsFollowTheCopyRuleAndReopen) {
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.dbTRow->EmptyTable();
    addRow(QStringLiteral("P1"), QStringLiteral("Paint"), 2, "10.50", 25, 5);
    addRow(QString(), QStringLiteral("Just text"), 0, nullptr);
    addRow(QString(), QString(), 0, nullptr); // the empty row the grid leaves at the end
    ed.AllRows();
    ed.Totalsums();
    ed.edCust->setText(QStringLiteral("Acme"));
    ASSERT_TRUE(ed.SaveDocument());
    auto rows = storedRows();
    ASSERT_EQ(rows->RecordCount(), 2);
    rows->First();
    EXPECT_EQ(rows->FieldByName(QStringLiteral("Sum")).AsCurrency(), money("19.95"));
    rows->Next();
    for (const char* f : {"Qty", "Price", "Sum", "Discount", "VAT %"})
        EXPECT_TRUE(rows->FieldByName(QString::fromLatin1(f)).IsNull()) << f;

    // Reopened through the finder: rows and totals come back, and it can be saved again
    // over the same record.
    ed.DocSaved = true;
    ed.btnNewInvoiceClick();
    ed.dbIHead->First();
    ModalScript modal;
    modal.on(QStringLiteral("TfmGetInv"),
             [](QWidget* w) { static_cast<TfmGetInv*>(w)->gdFaktsokDblClick(); });
    ed.btnOpenClick();
    EXPECT_TRUE(ed.DocOpened);
    EXPECT_FALSE(ed.DocLocked);
    EXPECT_EQ(workColumn(QStringLiteral("Description")),
              QStringList({QStringLiteral("Paint"), QStringLiteral("Just text")}));
    EXPECT_EQ(ed.DocTotal, money("24.9375"));
    ASSERT_TRUE(ed.SaveDocument());
    EXPECT_EQ(heads()->RecordCount(), 1);
    EXPECT_EQ(storedRows()->RecordCount(), 2);
}

TEST_F(EditorTest, APrintedDocumentReopensLockedUnlessItIsATemplate) {
    auto h = heads();
    h->Append();
    h->FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
    h->FieldByName(QStringLiteral("Invoice no")).setAsString(QStringLiteral("77"));
    h->FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2026, 2, 3));
    h->FieldByName(QStringLiteral("Due")).setAsDate(QDate(2026, 3, 5));
    h->FieldByName(QStringLiteral("Customer")).setAsString(QStringLiteral("Acme"));
    h->FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
    h->Post();
    TfmInvoice& ed = editor();
    ed.dbIHead->First();
    ModalScript modal;
    modal.on(QStringLiteral("TfmGetInv"),
             [](QWidget* w) { static_cast<TfmGetInv*>(w)->gdFaktsokDblClick(); });
    ed.btnOpenClick();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("77"));
    EXPECT_EQ(ed.edInvDate->date(), QDate(2026, 2, 3));
    EXPECT_TRUE(ed.DocLocked);
    EXPECT_TRUE(ed.headLocked());
    EXPECT_EQ(ed.dbTRow->RecordCount(), 1) << "a head without rows gets one empty row";

    h->Edit();
    h->FieldByName(QStringLiteral("Customer")).setAsString(QStringLiteral("Standard customer"));
    h->Post();
    ed.dbIHead->Refresh();
    ed.dbIHead->First();
    modal.on(QStringLiteral("TfmGetInv"),
             [](QWidget* w) { static_cast<TfmGetInv*>(w)->gdFaktsokDblClick(); });
    ed.btnOpenClick();
    EXPECT_TRUE(ed.DocIsTemplate);
    EXPECT_FALSE(ed.DocLocked);
    EXPECT_FALSE(ed.headLocked());
}

TEST_F(EditorTest, StatisticsByKind) {
    addCustomer(QStringLiteral("17"), QStringLiteral("Acme"));
    addProduct(QStringLiteral("P1"), QStringLiteral("Paint"), "10");
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.dbTRow->EmptyTable();
    addRow(QStringLiteral("P1"), QStringLiteral("Paint"), 3, "10");
    addRow(QStringLiteral("NONE"), QStringLiteral("Unknown"), 1, "5");
    ed.AllRows();
    ed.Totalsums();
    ed.edCustNo->setText(QStringLiteral("17"));
    ed.edInvDate->setDate(QDate(2026, 4, 1));
    ASSERT_TRUE(ed.UpdateStatistics());
    auto c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency(), money("35"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Last invoice")).AsDate(), QDate(2026, 4, 1));
    auto p = products();
    ASSERT_TRUE(p->Locate(QStringLiteral("Code"), QStringLiteral("P1")));
    EXPECT_EQ(p->FieldByName(QStringLiteral("Periods sales")).AsCurrency(), money("30"));
    EXPECT_DOUBLE_EQ(p->FieldByName(QStringLiteral("Stock")).AsFloat(), -3);
    EXPECT_DOUBLE_EQ(p->FieldByName(QStringLiteral("Period qty")).AsFloat(), 3);

    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Credit invoice")));
    ed.Totalsums();
    EXPECT_EQ(ed.DocTotal, money("-35"));
    ASSERT_TRUE(ed.UpdateStatistics());
    c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_TRUE(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency().isZero());
    p = products();
    ASSERT_TRUE(p->Locate(QStringLiteral("Code"), QStringLiteral("P1")));
    EXPECT_DOUBLE_EQ(p->FieldByName(QStringLiteral("Stock")).AsFloat(), 0);

    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Quotation")));
    ed.Totalsums();
    ASSERT_TRUE(ed.UpdateStatistics());
    c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("17")));
    EXPECT_TRUE(c->FieldByName(QStringLiteral("Periods sales")).AsCurrency().isZero());
}

TEST_F(EditorTest, CollectingQuotationsBuildsTheRowsInOrder) {
    auto h = heads();
    auto r = storedRows();
    auto quotation = [&](const char* number, const char* yourRef, int rows,
                         const char* kind = "Quotation") {
        h->Append();
        h->FieldByName(QStringLiteral("Document")).setAsString(QString::fromLatin1(kind));
        h->FieldByName(QStringLiteral("Invoice no")).setAsString(QString::fromLatin1(number));
        h->FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2026, 1, rows));
        h->FieldByName(QStringLiteral("Your reference")).setAsString(QString::fromLatin1(yourRef));
        h->FieldByName(QStringLiteral("Customer")).setAsString(QStringLiteral("Acme"));
        h->FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
        h->Post();
        const qint64 id = h->FieldByName(QStringLiteral("ID")).AsInteger();
        for (int i = 1; i <= rows; ++i) {
            r->Append();
            r->FieldByName(QStringLiteral("ID")).setAsInteger(id);
            r->FieldByName(QStringLiteral("Description"))
                .setAsString(QStringLiteral("Q%1 row %2").arg(QString::fromLatin1(number)).arg(i));
            r->FieldByName(QStringLiteral("Qty")).setAsFloat(i);
            r->FieldByName(QStringLiteral("Price")).setAsCurrency(money("10"));
            r->Post();
        }
    };
    quotation("512", "Ann", 2);
    quotation("513", "", 3, "Delivery note");
    h->Append();
    h->FieldByName(QStringLiteral("Document")).setAsString(QStringLiteral("Invoice"));
    h->Post();

    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ModalScript modal;
    modal.on(QStringLiteral("TfmGetInv"), [&](QWidget* w) {
        auto* finder = static_cast<TfmGetInv*>(w);
        finder->btnContinueClick(); // still in open mode: nothing happens but a message
        finder->btnGetClick();
        EXPECT_TRUE(finder->collectMode());
        EXPECT_EQ(ed.dbIHead->RecordCount(), 2) << "only quotations, delivery notes, packing slips";
        finder->btnContinueClick();
        finder->gdFaktsok->selectAll();
        finder->btnContinueClick();
    });
    ed.btnOpenClick();
    EXPECT_EQ(messages.texts().count(QStringLiteral("Nothing selected.")), 2);
    EXPECT_TRUE(ed.RowsCollected);
    EXPECT_EQ(workColumn(QStringLiteral("Description")),
              QStringList({QStringLiteral("Your ref: Ann"), QStringLiteral("Quotation: 512"),
                           QStringLiteral("Q512 row 1"), QStringLiteral("Q512 row 2"),
                           QStringLiteral("-----"), QStringLiteral("Delivery note: 513"),
                           QStringLiteral("Q513 row 1"), QStringLiteral("Q513 row 2"),
                           QStringLiteral("Q513 row 3")}));
    EXPECT_FALSE(ed.dbIHead->Filtered()) << "closing the finder removes the filter";
    EXPECT_EQ(ed.DocTotal, money("90")); // 10 + 20, then 10 + 20 + 30; no VAT rates

    ASSERT_TRUE(ed.SaveDocument());
    h = heads();
    int archived = 0;
    for (h->First(); !h->Eof(); h->Next())
        if (h->FieldByName(QStringLiteral("Archived")).AsDate() == QDate::currentDate() &&
            h->FieldByName(QStringLiteral("Paid")).AsDate() == QDate::currentDate())
            ++archived;
    EXPECT_EQ(archived, 2);
    EXPECT_FALSE(ed.RowsCollected);
}
