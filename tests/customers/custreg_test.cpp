#include "customersfixture.h"

#include "customers/tfmcustreg.h"
#include "db/dberror.h"
#include "db/nocase.h"
#include "invoicing/companions.h"
#include "service/settingsfile.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dbnavigator.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <sqlite3.h>

namespace {

ui::DBEdit* box(QWidget* w, const char* name) {
    return w->findChild<ui::DBEdit*>(QLatin1String(name));
}
QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}
QLabel* label(QWidget* w, const char* name) {
    return w->findChild<QLabel*>(QLatin1String(name));
}
void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}
int lastCustNo(const QString& file) {
    return SettingsFile(file).readInteger(QStringLiteral("Invoice"), QStringLiteral("LastCustNo"),
                                          -1);
}

} // namespace

TEST_F(CustomersTest, RegisterRulesWithoutAWindow) {
    const customers::CountryLayout us = customers::countryLayout(QStringLiteral("US"), false);
    EXPECT_FALSE(us.address2);
    EXPECT_TRUE(us.state);
    EXPECT_TRUE(us.stateNarrow);
    EXPECT_EQ(us.zipLabel, QStringLiteral("Zip:"));
    const customers::CountryLayout gb = customers::countryLayout(QStringLiteral("GB"), false);
    EXPECT_EQ(gb.stateLabel, QStringLiteral("County:"));
    EXPECT_FALSE(gb.stateNarrow);
    EXPECT_EQ(gb.zipLabel, QStringLiteral("Postcode:"));
    const customers::CountryLayout nz = customers::countryLayout(QStringLiteral("NZ"), true);
    EXPECT_FALSE(nz.zip);
    EXPECT_TRUE(nz.cityAtLineStart);
    EXPECT_FALSE(nz.state);
    EXPECT_FALSE(nz.vatNo);
    EXPECT_TRUE(customers::countryLayout(QStringLiteral("ZA"), true).vatNo);
    EXPECT_FALSE(customers::countryLayout(QStringLiteral("ZA"), false).vatNo);

    EXPECT_EQ(customers::postErrorMessage(db::EngineError(db::KeyViolation, "x")),
              QStringLiteral("This customer number already in use!"));
    EXPECT_EQ(customers::postErrorMessage(db::EngineError(db::RequiredFieldMissing, "x")),
              QStringLiteral("You must supply a customer number!"));
    EXPECT_EQ(customers::postErrorMessage(db::EngineError(db::LockFailed, "Locked")),
              QStringLiteral("Locked"));

    for (const char* good : {"", "DE", "fr", " GB "})
        EXPECT_TRUE(customers::countryCodeRefusal(QLatin1String(good)).isEmpty()) << good;
    for (const char* bad : {"D", "DEU", "D1", "Ö1", "ÄB"})
        EXPECT_TRUE(customers::countryCodeRefusal(QString::fromUtf8(bad))
                        .startsWith(QStringLiteral("Country code:")))
            << bad;

    // The counter goes back only for the very number handed out last.
    EXPECT_EQ(customers::counterAfterClose(42, "42", "", ""), 41);
    EXPECT_EQ(customers::counterAfterClose(42, "17", "", ""), 42);
    EXPECT_EQ(customers::counterAfterClose(42, "42", "", "Ann"), 42);
    EXPECT_EQ(customers::counterAfterClose(0, "0", "", ""), 0);
}

TEST_F(CustomersTest, NewHandsOutTheNextNumberAndClosingGivesAnUnusedOneBack) {
    writeInvoiceIni("[Invoice]\nAutoCust=1\nLastCustNo=41\n");
    addCustomers({{"7", "Alpha", ""}});
    {
        TfmCustreg w(nullptr);
        EXPECT_TRUE(w.autoCust());
        EXPECT_EQ(w.lastCustNo(), 41);
        w.show();
        QApplication::setActiveWindow(&w);
        button(&w, "btnNew")->click();
        EXPECT_EQ(box(&w, "dbedCustNo")->text(), QStringLiteral("42"));
        EXPECT_TRUE(box(&w, "dbedCustNo")->hasFocus());
        // Written at once, so that a crash never hands 42 out twice.
        EXPECT_EQ(lastCustNo(dir.file("MRVInv.ini")), 42);
        w.close();
    }
    EXPECT_EQ(stored(QStringLiteral("Cust. no")), QStringList{"7"});
    EXPECT_EQ(lastCustNo(dir.file("MRVInv.ini")), 41);

    // A number that is kept stays handed out.
    {
        TfmCustreg w(nullptr);
        w.show();
        button(&w, "btnNew")->click();
        type(box(&w, "dbedCompany"), QStringLiteral("Beta"));
        w.close();
    }
    EXPECT_EQ(stored(QStringLiteral("Cust. no")), (QStringList{"42", "7"}));
    EXPECT_EQ(lastCustNo(dir.file("MRVInv.ini")), 42);
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(CustomersTest, ClosingKeepsNamedCustomersAndRemovesTheEmptyOnes) {
    addCustomers({{"1", "", "Only a reference"}, {"2", "", ""}, {"3", "Gamma", ""}});
    {
        TfmCustreg w(nullptr);
        w.show();
        // Without automatic numbers New leaves the number empty; a record nobody typed into
        // is not stored.
        button(&w, "btnNew")->click();
        EXPECT_TRUE(box(&w, "dbedCustNo")->text().isEmpty());
        w.close();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(stored(QStringLiteral("Cust. no")), (QStringList{"1", "3"}));

    // A new customer with a name but no number is not thrown away: closing says what is
    // missing and the window stays until a number is given.
    TfmCustreg w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    button(&w, "btnNew")->click();
    type(box(&w, "dbedCompany"), QStringLiteral("Delta"));
    messages.clear();
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages.texts(), QStringList{"You must supply a customer number!"});
    EXPECT_TRUE(box(&w, "dbedCustNo")->hasFocus());
    type(box(&w, "dbedCustNo"), QStringLiteral("4"));
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(QStringLiteral("Company")), (QStringList{"", "Gamma", "Delta"}));
}

TEST_F(CustomersTest, ANumberInUseIsRefusedAndTheBoxEmptied) {
    addCustomers({{"10", "Alpha", ""}});
    TfmCustreg w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    button(&w, "btnNew")->click();
    type(box(&w, "dbedCustNo"), QStringLiteral("10"));
    type(box(&w, "dbedCompany"), QStringLiteral("Beta"));
    button(&w, "btnNew")->click(); // posts first
    EXPECT_EQ(messages.texts(), QStringList{"This customer number already in use!"});
    EXPECT_TRUE(box(&w, "dbedCustNo")->text().isEmpty());
    EXPECT_TRUE(box(&w, "dbedCustNo")->hasFocus());
    EXPECT_EQ(w.table()->State(), db::DataSetState::Insert);
    EXPECT_EQ(box(&w, "dbedCompany")->text(), QStringLiteral("Beta"));
    type(box(&w, "dbedCustNo"), QStringLiteral("11"));
    w.close();
    EXPECT_EQ(stored(QStringLiteral("Cust. no")), (QStringList{"10", "11"}));
    // Registered is set to the day the customer was posted.
    auto t = open(QStringLiteral("Customers"), QStringLiteral("Cust. no"));
    t->Last();
    EXPECT_EQ(t->FieldByName(QStringLiteral("Registered")).AsDate(), QDate::currentDate());
}

TEST_F(CustomersTest, TitlesSortAndTheCountrySetsTheBoxes) {
    addCustomers({{"2", "Alpha", "Zed", "Oslo"}, {"1", "Beta", "Amy", "Bergen"}});
    {
        TfmCustreg w(nullptr);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Customers"));
        EXPECT_EQ(w.table()->IndexName(), QStringLiteral("Company"));
        w.gdCustregTitleClick(QStringLiteral("City"));
        EXPECT_EQ(w.table()->IndexName(), QStringLiteral("Cust. no"));
        w.gdCustregTitleClick(QStringLiteral("Reference"));
        EXPECT_EQ(w.table()->IndexName(), QStringLiteral("Reference"));
        w.table()->First();
        EXPECT_EQ(box(&w, "dbedRef")->text(), QStringLiteral("Amy"));
        // Display-only and skipped boxes.
        EXPECT_FALSE(box(&w, "dbedTotalSales")->isEnabled());
        EXPECT_TRUE(box(&w, "dbedPeriodSales")->isEnabled());
        EXPECT_FALSE(box(&w, "dbedPeriodSales")->focusPolicy() & Qt::TabFocus);
        EXPECT_EQ(label(&w, "lbRegistered")->text(), QStringLiteral("Registrered:"));
        w.close();
    }
    Service::Country = QStringLiteral("NZ");
    {
        TfmCustreg w(nullptr);
        w.show();
        EXPECT_FALSE(box(&w, "dbedZip")->isVisible());
        EXPECT_FALSE(box(&w, "dbedState")->isVisible());
        w.close();
    }
    Service::Country = QStringLiteral("GB");
    {
        TfmCustreg w(nullptr);
        w.show();
        EXPECT_TRUE(box(&w, "dbedState")->isVisible());
        EXPECT_EQ(label(&w, "lbState")->text(), QStringLiteral("County:"));
        EXPECT_FALSE(box(&w, "dbedVATNo")->isVisible());
        w.close();
    }
    Service::Country = QStringLiteral("ZA");
    Service::VAT = true;
    {
        TfmCustreg w(nullptr);
        w.show();
        EXPECT_TRUE(box(&w, "dbedVATNo")->isVisible());
        EXPECT_FALSE(box(&w, "dbedState")->isVisible());
        w.close();
    }
}

TEST_F(CustomersTest, ResettingStatisticsCarriesThePeriodOverForEveryoneOrNobody) {
    addCustomers({{"1", "Alpha", ""}, {"2", "Beta", ""}});
    {
        auto t = open(QStringLiteral("Customers"), QStringLiteral("Cust. no"));
        t->First();
        t->Edit();
        t->FieldByName(QStringLiteral("Total sales")).setAsString(QStringLiteral("100.50"));
        t->FieldByName(QStringLiteral("Periods sales")).setAsString(QStringLiteral("20.25"));
        t->Post();
        t->Next();
        t->Edit();
        t->FieldByName(QStringLiteral("Periods sales")).setAsString(QStringLiteral("5"));
        t->Post();
    }
    {
        TfmCustreg w(nullptr);
        w.show();
        messages.answer(ui::MsgButton::No);
        w.Resetstatistics1Click();
        EXPECT_EQ(stored(QStringLiteral("Periods sales")), (QStringList{"20.25", "5"}));
        ASSERT_EQ(messages.messages().size(), 1u);
        EXPECT_EQ(messages.messages()[0].text,
                  QStringLiteral("This will add \"Periods sales\" to \"Total sales\" and then "
                                 "reset \"Periods sales\" to zero.\n\rIt applies to all "
                                 "customers!\n\rDo you want to continue?"));
        messages.answer(ui::MsgButton::Yes);
        w.Resetstatistics1Click();
        w.close();
    }
    EXPECT_EQ(stored(QStringLiteral("Total sales")), (QStringList{"120.75", "5"}));
    EXPECT_EQ(stored(QStringLiteral("Periods sales")), (QStringList{"0", "0"}));

    // A customer that cannot be posted (a country code stored by another program) stops the
    // reset, and then nobody's figures have changed.
    {
        auto t = open(QStringLiteral("Customers"), QStringLiteral("Cust. no"));
        for (t->First(); !t->Eof(); t->Next()) {
            t->Edit();
            t->FieldByName(QStringLiteral("Periods sales")).setAsString(QStringLiteral("1"));
            t->Post();
        }
        t->Last();
        t->Edit();
        t->FieldByName(QStringLiteral("Country code")).setAsString(QStringLiteral("9"));
        t->Post();
    }
    messages.clear();
    {
        TfmCustreg w(nullptr);
        w.show();
        messages.answer(ui::MsgButton::Yes);
        w.Resetstatistics1Click();
        ASSERT_EQ(messages.messages().size(), 2u);
        EXPECT_TRUE(
            messages.messages()[1].text.contains(QStringLiteral("no customer was changed")));
        EXPECT_TRUE(messages.messages()[1].text.contains(QStringLiteral("Country code")));
        w.table()->Cancel();
    }
    EXPECT_EQ(stored(QStringLiteral("Total sales")), (QStringList{"120.75", "5"}));
    EXPECT_EQ(stored(QStringLiteral("Periods sales")), (QStringList{"1", "1"}));
}

TEST_F(CustomersTest, DeletingACustomerWithDocumentsAsksAgainAndLeavesTheDocuments) {
    addCustomers({{"5", "Alpha", ""}, {"6", "Beta", ""}});
    addHead({QStringLiteral("Invoice"), "5", "1001", "100"});
    addHead({QStringLiteral("Quotation"), "5", "", "50", false});
    TfmCustreg w(nullptr);
    w.show();
    w.table()->First(); // Alpha
    messages.answer(ui::MsgButton::No);
    w.btnDeleteClick();
    EXPECT_EQ(messages.texts(), QStringList{"Do you want to delete this?"});
    messages.clear();
    messages.answer(ui::MsgButton::Yes);
    messages.answer(ui::MsgButton::No);
    w.btnDeleteClick();
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_TRUE(messages.messages()[1].text.contains(QStringLiteral("Alpha is named on 2 stored "
                                                                    "documents")));
    EXPECT_EQ(stored(QStringLiteral("Company")), (QStringList{"Alpha", "Beta"}));
    messages.clear();
    messages.answer(ui::MsgButton::Yes);
    messages.answer(ui::MsgButton::Yes);
    w.btnDeleteClick();
    EXPECT_EQ(stored(QStringLiteral("Company")), QStringList{"Beta"});
    EXPECT_EQ(stored(QStringLiteral("Customer no"), QStringLiteral("ID"), QStringLiteral("IHead")),
              (QStringList{"5", "5"}));
    // A customer without documents is asked about once.
    messages.clear();
    messages.answer(ui::MsgButton::Yes);
    w.btnDeleteClick();
    EXPECT_EQ(messages.texts(), QStringList{"Do you want to delete this?"});
    EXPECT_TRUE(stored(QStringLiteral("Company")).isEmpty());
    // Nothing left: nothing asked.
    messages.clear();
    w.btnDeleteClick();
    EXPECT_TRUE(messages.empty());
    w.close();
}

TEST_F(CustomersTest, ElectronicInvoiceFieldsAreEditedAndTheCountryCodeChecked) {
    Service::CompanyCountry = QStringLiteral("de");
    TfmCustreg w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    button(&w, "btnNew")->click();
    EXPECT_EQ(box(&w, "dbedCountryCode")->text(), QStringLiteral("DE"));
    type(box(&w, "dbedCustNo"), QStringLiteral("1"));
    type(box(&w, "dbedCompany"), QStringLiteral("Alpha"));
    type(box(&w, "dbedBuyerReference"), QStringLiteral("04011000-12345-67"));
    auto* format = w.findChild<ui::DBComboBox*>(QStringLiteral("cbEInvoiceFormat"));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->itemText(0), QStringLiteral("None"));
    format->setCurrentIndex(2);
    emit format->activated(2);
    type(box(&w, "dbedCountryCode"), QStringLiteral("D1"));
    button(&w, "btnNew")->click();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Country code: \"D1\"")));
    EXPECT_EQ(w.table()->State(), db::DataSetState::Insert);
    type(box(&w, "dbedCountryCode"), QStringLiteral("at"));
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(QStringLiteral("Country code")), QStringList{"AT"});
    EXPECT_EQ(stored(QStringLiteral("Buyer reference")), QStringList{"04011000-12345-67"});
    EXPECT_EQ(stored(QStringLiteral("E-invoice format")), QStringList{"XRechnung"});
}

TEST_F(CustomersTest, TheLookUpOpensTheRegisterByButtonAndNavigator) {
    addCustomers({{"1", "Alpha", ""}});
    TfmCustGet lookup(nullptr);
    lookup.show();
    ModalScript modal;
    modal.on(QStringLiteral("TfmCustreg"), [](QWidget* w) {
        auto* reg = static_cast<TfmCustreg*>(w);
        reg->btnNewClick();
        type(box(reg, "dbedCustNo"), QStringLiteral("2"));
        type(box(reg, "dbedCompany"), QStringLiteral("Beta"));
        reg->close();
    });
    lookup.btnNew->click();
    EXPECT_EQ(modal.shown(), QStringList{"TfmCustreg"});
    // The look-up shows the new customer at once.
    EXPECT_EQ(lookup.dbCustGet->RecordCount(), 2);
    // Only the navigator's insert button opens the register.
    lookup.dbnCustGet->button(ui::DBNavigator::Button::Next)->click();
    EXPECT_EQ(modal.shown(), QStringList{"TfmCustreg"});
    lookup.dbnCustGet->button(ui::DBNavigator::Button::Insert)->click();
    EXPECT_EQ(modal.shown(), (QStringList{"TfmCustreg", "TfmCustreg"}));
    lookup.close();
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
}

TEST_F(CustomersTest, AnOlderFileWithoutTheElectronicInvoiceFieldsStillWorks) {
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dir.file(QStringLiteral("MRV.db")).toUtf8().constData(), &db),
                  SQLITE_OK);
        // The file's indexes compare as the table layer does.
        db::registerNoCase(db);
        for (const char* column : {"Country code", "Buyer reference", "E-invoice format"}) {
            const QByteArray sql =
                QByteArray("ALTER TABLE Customers DROP COLUMN \"") + column + "\"";
            ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(db);
        }
        sqlite3_close(db);
    }
    {
        TfmCustreg w(nullptr);
        w.show();
        QApplication::setActiveWindow(&w);
        // Opening the file adds the fields it lacks, so the boxes work at once.
        EXPECT_TRUE(box(&w, "dbedCountryCode")->isEnabled());
        EXPECT_TRUE(w.findChild<ui::DBComboBox*>(QStringLiteral("cbEInvoiceFormat"))->isEnabled());
        button(&w, "btnNew")->click();
        type(box(&w, "dbedCustNo"), QStringLiteral("1"));
        type(box(&w, "dbedCompany"), QStringLiteral("Alpha"));
        w.close();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(stored(QStringLiteral("Company")), QStringList{"Alpha"});
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
}
