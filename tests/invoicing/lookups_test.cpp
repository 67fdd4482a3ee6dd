#include "editorfixture.h"

#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>

using invoicing::ColCode;
using invoicing::ColQty;

TEST_F(EditorTest, CustomerLookUpSearchesTheLeadingPartIgnoringCase) {
    addCustomer(QStringLiteral("3"), QStringLiteral("Zeta"));
    addCustomer(QStringLiteral("1"), QStringLiteral("abba Music"));
    addCustomer(QStringLiteral("2"), QStringLiteral("Abacus"));
    editor();
    TfmCustGet& look = *fmCustGet;
    ModalScript modal;
    modal.on(QStringLiteral("TfmCustGet"), [&](QWidget*) {
        EXPECT_EQ(look.lbSortOrder->text(), QStringLiteral("Company"));
        look.edSearch->setText(QStringLiteral("ab"));
        EXPECT_EQ(look.dbCustGet->FieldByName(QStringLiteral("Company")).AsString(),
                  QStringLiteral("Abacus"));
        look.edSearch->setText(QStringLiteral("abb"));
        EXPECT_EQ(look.dbCustGet->FieldByName(QStringLiteral("Company")).AsString(),
                  QStringLiteral("abba Music"));
        look.edSearch->setText(QStringLiteral("qq")); // nobody: the current customer stays
        EXPECT_EQ(look.dbCustGet->FieldByName(QStringLiteral("Company")).AsString(),
                  QStringLiteral("abba Music"));
        look.gdCustGetTitleClick(QStringLiteral("Note"));
        EXPECT_EQ(look.dbCustGet->IndexName(), QStringLiteral("Company"));
        look.gdCustGetTitleClick(QStringLiteral("Cust. no"));
        EXPECT_EQ(look.lbSortOrder->text(), QStringLiteral("Cust. no"));
        look.edSearch->setText(QStringLiteral("3"));
        look.TakeCustomer();
    });
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.showCustomerLookup();
    EXPECT_TRUE(ed.CustomerPicked);
    EXPECT_EQ(ed.edCustNo->text(), QStringLiteral("3"));
    EXPECT_EQ(ed.edCust->text(), QStringLiteral("Zeta"));
    EXPECT_EQ(ed.edCustAddressLine3->text(), QStringLiteral("22100 Lund"));
    EXPECT_EQ(ed.edYourReference->text(), QStringLiteral("Ref Zeta"));
    EXPECT_TRUE(ed.edVATNumber->text().isEmpty());
    EXPECT_FALSE(look.dbCustGet->Active()) << "closing closes the table";
}

TEST_F(EditorTest, CustomerLookUpFillsTheVatNumberOnlyInSouthAfrica) {
    Service::Country = QStringLiteral("ZA");
    addCustomer(QStringLiteral("7"), QStringLiteral("Kaap Ltd"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ModalScript modal;
    modal.on(QStringLiteral("TfmCustGet"),
             [](QWidget* w) { static_cast<TfmCustGet*>(w)->TakeCustomer(); });
    ed.showCustomerLookup();
    EXPECT_EQ(ed.edVATNumber->text(), QStringLiteral("VAT-7"));
    EXPECT_EQ(ed.edCustAddressLine3->text(), QStringLiteral("Lund 22100"));
    // The same customer by number in the editor leaves the VAT number alone.
    ed.edVATNumber->clear();
    ed.edCustNo->setText(QStringLiteral("7"));
    ed.edCustNoExit();
    EXPECT_TRUE(ed.edVATNumber->text().isEmpty());
    EXPECT_EQ(ed.edCust->text(), QStringLiteral("Kaap Ltd"));

    Service::Modules.clear();
    ed.showCustomerLookup();
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Customer module not installed"));
}

TEST_F(EditorTest, ProductLookUpListsVisibleProductsAndRegistersNewOnes) {
    addProduct(QStringLiteral("B-2"), QStringLiteral("Bolt"), "0.35");
    addProduct(QStringLiteral("A-1"), QStringLiteral("Anchor"), "99");
    addProduct(QStringLiteral("H-9"), QStringLiteral("Hidden"), "1", true);
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    TfmProdGet& look = *fmProdGet;
    ModalScript modal;
    modal.on(QStringLiteral("TfmProdGet"), [&](QWidget*) {
        EXPECT_EQ(look.dbArtsok->RecordCount(), 2) << "hidden products are not listed";
        look.gdArtsokTitleClick(QStringLiteral("Price"));
        EXPECT_EQ(look.dbArtsok->IndexName(), QStringLiteral("Code"));
        look.gdArtsokTitleClick(QStringLiteral("Description"));
        EXPECT_EQ(look.lbSortOrder->text(), QStringLiteral("Description"));
        look.btnNewProductClick();
        EXPECT_TRUE(look.pnlNewProduct->isVisibleTo(&look));
        look.btnCancelClick();
        EXPECT_EQ(look.dbArtsok->RecordCount(), 2) << "Cancel leaves no new product";
        look.edSearch->setText(QStringLiteral("bo"));
        look.TakeProduct();
    });
    ed.focusRows(ColCode);
    QKeyEvent f10(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier);
    ed.gdInvoiceRowsKeyDown(&f10, ColCode);
    EXPECT_EQ(workColumn(QStringLiteral("Code")).first(), QStringLiteral("B-2"));
    EXPECT_EQ(workColumn(QStringLiteral("Price")).first(), QStringLiteral("0.35"));
    EXPECT_EQ(ed.gdInvoiceRows->selectedIndex(), ColQty);
    EXPECT_EQ(products()->RecordCount(), 3);

    // A product registered on the spot is stored.
    modal.on(QStringLiteral("TfmProdGet"), [&](QWidget*) {
        look.btnNewProductClick();
        look.dbedCode->setText(QStringLiteral("N-1"));
        QTest::keyClicks(look.dbedCode, QStringLiteral("0"));
        QTest::keyClicks(look.dbedDescription, QStringLiteral("Nail"));
        look.btnSaveClick();
    });
    ed.gdInvoiceRowsKeyDown(&f10, ColCode);
    EXPECT_EQ(products()->RecordCount(), 4);
}

TEST_F(EditorTest, TaxPickListAddsAPercentageRow) {
    addTax(QStringLiteral("Eco fee"), 2.5);
    TfmInvoice& ed = editor();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(fmTaxget->geometry().left(), screen.left() + screen.width() * 2 / 3);
    EXPECT_EQ(fmTaxget->geometry().width(), screen.width() / 3);
    ed.btnNewInvoiceClick();
    // Rows summing to 400.00, then the tax on the next row.
    ed.dbTRow->Edit();
    ed.dbTRow->FieldByName(QStringLiteral("Qty")).setAsFloat(4);
    ed.dbTRow->FieldByName(QStringLiteral("Price")).setAsCurrency(money("100"));
    ed.dbTRow->Post();
    ed.appendRow();
    fmTaxget->dbTaxes->First();
    fmTaxget->TakeTax();
    EXPECT_EQ(workColumn(QStringLiteral("Qty")).last(), QStringLiteral("2.5"));
    EXPECT_EQ(workColumn(QStringLiteral("Unit")).last(), QStringLiteral("%"));
    ed.gdInvoiceRowsColExit(ColCode);
    EXPECT_EQ(workColumn(QStringLiteral("Price")).last(), QStringLiteral("400"));
    EXPECT_EQ(workColumn(QStringLiteral("Sum")).last(), QStringLiteral("10"));
}
