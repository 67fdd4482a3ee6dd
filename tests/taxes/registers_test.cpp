#include "taxesfixture.h"

#include "db/database.h"
#include "db/faultvfs.h"
#include "db/tablemodel.h"
#include "taxes/taxrules.h"
#include "taxes/tfmtaxes.h"
#include "taxes/tfmvatreg.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <sqlite3.h>

namespace {

QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}
QAction* action(QWidget* w, const char* name) {
    return w->findChild<QAction*>(QLatin1String(name));
}
ui::DBEdit* box(QWidget* w, const char* name) {
    return w->findChild<ui::DBEdit*>(QLatin1String(name));
}
ui::DBGrid* grid(QWidget* w, const char* name) {
    return w->findChild<ui::DBGrid*>(QLatin1String(name));
}

// Replaces what a box holds, as typing would.
void type(ui::DBEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

const QString kTaxes = QStringLiteral("Taxes");
const QString kVat = QStringLiteral("VAT");
const QString kDescription = QStringLiteral("Description");
const QString kRate = QStringLiteral("VAT %");

} // namespace

TEST_F(TaxesTest, ClosingRulesWithoutAWindow) {
    addTaxes({{"", 1}, {"A", 2}, {"", 3}, {"", 4}, {"B", 5}, {"", 6}});
    auto taxes = open(kTaxes);
    taxes::removeTaxesWithoutDescription(*taxes);
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"A", "B"}));

    addRates({"", "12", "0", "6", "", "0"});
    auto vat = open(kVat);
    taxes::removeZeroVatRates(*vat);
    EXPECT_EQ(stored(kVat, kRate), QStringList({"", "12", "6"})); // the first stays, even empty

    // Empty tables: nothing to do, nothing thrown.
    taxes->EmptyTable();
    vat->EmptyTable();
    taxes::removeTaxesWithoutDescription(*taxes);
    taxes::removeZeroVatRates(*vat);
    taxes::deleteCurrent(*vat);
    EXPECT_TRUE(stored(kVat, kRate).isEmpty());
}

TEST_F(TaxesTest, TaxRegisterShowsItsControls) {
    addTaxes({{"Eco fee", 2.5}});
    HelpRecorder help;
    TfmTaxes w(nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Taxes"));
    EXPECT_EQ(w.helpContext(), 790);
    ui::DBGrid* gd = grid(&w, "gdTaxes");
    ASSERT_NE(gd, nullptr);
    EXPECT_EQ(gd->model()->headerData(0, Qt::Horizontal).toString(), kDescription);
    EXPECT_EQ(gd->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Percent"));
    EXPECT_EQ(gd->model()->index(0, 1).data().toString(), QStringLiteral("2.5"));
    EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("Eco fee"));
    EXPECT_EQ(box(&w, "dbedPercent")->text(), QStringLiteral("2.5"));
    EXPECT_EQ(button(&w, "btnNy")->text(), QStringLiteral("New post"));
    EXPECT_EQ(button(&w, "btnRadera")->text(), QStringLiteral("Delete post"));
    // Grid and buttons are skipped by Tab.
    for (QWidget* c : {static_cast<QWidget*>(gd), static_cast<QWidget*>(button(&w, "btnNy")),
                       static_cast<QWidget*>(button(&w, "btnRadera"))})
        EXPECT_FALSE(c->focusPolicy() & Qt::TabFocus) << c->objectName().toStdString();
    QStringList labels;
    for (QLabel* l : w.findChildren<QLabel*>())
        labels << l->text();
    for (const char* text :
         {"Description", "%", "Select post in the list", "and change or delete in the edit fields"})
        EXPECT_TRUE(labels.contains(QLatin1String(text))) << text;
    EXPECT_EQ(action(&w, "mnBack")->text(), QStringLiteral("Back"));
    EXPECT_EQ(action(&w, "mnPrint")->text(), QStringLiteral("Print"));
    action(&w, "mnHjalp")->trigger();
    EXPECT_EQ(help.contexts(), QList<int>({790}));

    // On activation the grid has the focus; Enter in the description box moves on.
    w.show();
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(gd->hasFocus());
    box(&w, "dbedDescription")->setFocus();
    QTest::keyClick(box(&w, "dbedDescription"), Qt::Key_Return);
    EXPECT_TRUE(box(&w, "dbedPercent")->hasFocus());
    EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("Eco fee"));
    // Back from another window (a message), the user stays in the box.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(box(&w, "dbedPercent")->hasFocus());
    w.close();
}

TEST_F(TaxesTest, NewTaxLeftWithoutDescriptionIsGoneNextTime) {
    addTaxes({{"Eco fee", 2.5}});
    {
        TfmTaxes w(nullptr);
        w.show();
        QApplication::setActiveWindow(&w);
        button(&w, "btnNy")->click();
        EXPECT_TRUE(box(&w, "dbedDescription")->hasFocus());
        type(box(&w, "dbedPercent"), QStringLiteral("7"));
        w.close(); // the close box: the record is posted, then cleaned away
    }
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"Eco fee"}));
    TfmTaxes again(nullptr);
    EXPECT_EQ(grid(&again, "gdTaxes")->model()->rowCount(), 1);
}

TEST_F(TaxesTest, BackPostsTheTaxAndCloses) {
    TfmTaxes w(nullptr);
    w.show();
    button(&w, "btnNy")->click();
    type(box(&w, "dbedDescription"), QStringLiteral("Road tax"));
    type(box(&w, "dbedPercent"), QStringLiteral("3.5"));
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"Road tax"}));
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"3.5"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(TaxesTest, InvalidPercentIsRefusedAndBackStaysOpen) {
    addTaxes({{"Eco fee", 2.5}});
    TfmTaxes w(nullptr);
    w.show();
    type(box(&w, "dbedPercent"), QStringLiteral("ten"));
    action(&w, "mnBack")->trigger();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Percent: \"ten\" is not a number."));
    EXPECT_TRUE(w.isVisible());
    // The text stays to be put right, and Back stays refused until it is.
    EXPECT_EQ(box(&w, "dbedPercent")->text(), QStringLiteral("ten"));
    action(&w, "mnBack")->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages.messages().size(), 2u);
    // Escape gives the stored rate back; then Back closes and nothing was changed.
    QTest::keyClick(box(&w, "dbedPercent"), Qt::Key_Escape);
    EXPECT_EQ(box(&w, "dbedPercent")->text(), QStringLiteral("2.5"));
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"2.5"}));
}

TEST_F(TaxesTest, RatesOutsideTheirRangeAreRefused) {
    // Without a window: the ranges, in the desktop's number format.
    EXPECT_TRUE(taxes::vatRateRule().read(QStringLiteral("0")));
    EXPECT_TRUE(taxes::vatRateRule().read(QStringLiteral("100")));
    EXPECT_TRUE(taxes::vatRateRule().read(QString())); // an empty rate counts as 0
    EXPECT_EQ(taxes::vatRateRule().read(QStringLiteral("100.5")).message,
              QStringLiteral("VAT rate: 100.5 is outside 0 to 100."));
    EXPECT_FALSE(taxes::vatRateRule().read(QStringLiteral("-1")));
    EXPECT_TRUE(taxes::taxPercentRule().read(QStringLiteral("-100")));
    EXPECT_TRUE(taxes::taxPercentRule().read(QStringLiteral("1000")));
    EXPECT_FALSE(taxes::taxPercentRule().read(QStringLiteral("-100.01")));
    EXPECT_EQ(taxes::taxPercentRule().read(QStringLiteral("1001")).message,
              QStringLiteral("Percent: 1001 is outside -100 to 1000."));

    addTaxes({{"Eco fee", 2.5}});
    addRates({"25"});
    {
        TfmVATReg w(nullptr);
        w.show();
        QApplication::setActiveWindow(&w);
        ui::DBEdit* rate = box(&w, "dbedVatRates");
        button(&w, "btnNy")->click();
        type(rate, QStringLiteral("125"));
        action(&w, "mnBack")->trigger();
        ASSERT_EQ(messages.messages().size(), 1u);
        EXPECT_EQ(messages.texts().first(), QStringLiteral("VAT rate: 125 is outside 0 to 100."));
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(rate->hasFocus());
        EXPECT_EQ(grid(&w, "gdMomssatser")->currentIndex().row(), 1);
        type(rate, QStringLiteral("12.5"));
        action(&w, "mnBack")->trigger();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(stored(kVat, kRate), QStringList({"25", "12.5"}));
    messages.clear();
    {
        TfmTaxes w(nullptr);
        w.show();
        type(box(&w, "dbedPercent"), QStringLiteral("-250"));
        w.close();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(messages.texts(), QStringList({"Percent: -250 is outside -100 to 1000."}));
        type(box(&w, "dbedPercent"), QStringLiteral("-12.5"));
        w.close();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"-12.5"}));
}

TEST_F(TaxesTest, RatesAreTypedInTheDesktopsNumberFormat) {
    const QLocale saved;
    struct Restore {
        QLocale locale;
        ~Restore() { QLocale::setDefault(locale); }
    } restore{saved};
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    addTaxes({{"Eco fee", 2.5}});
    TfmTaxes w(nullptr);
    w.show();
    ui::DBEdit* percent = box(&w, "dbedPercent");
    EXPECT_EQ(percent->text(), QStringLiteral("2,5"));
    // The point is not this desktop's decimal separator: refused, never read as 25 or 2.5.
    type(percent, QStringLiteral("7.5"));
    EXPECT_FALSE(percent->commit());
    EXPECT_EQ(messages.texts(), QStringList({"Percent: \"7.5\" is not a number."}));
    type(percent, QStringLiteral("7,5"));
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(open(kTaxes)->FieldByName(QStringLiteral("Percent")).AsFloat(), 7.5);
}

TEST_F(TaxesTest, DeleteAsksAndOnlyYesDeletes) {
    addTaxes({{"A", 1}, {"B", 2}});
    TfmTaxes w(nullptr);
    messages.answer(ui::MsgButton::No);
    button(&w, "btnRadera")->click();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, QStringLiteral("Delete the tax A?"));
    EXPECT_EQ(messages.messages()[0].buttons, ui::MsgButton::Yes | ui::MsgButton::No);
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"A", "B"}));
    messages.answer(ui::MsgButton::Yes);
    button(&w, "btnRadera")->click();
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"B"}));
    EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("B"));
    messages.answer(ui::MsgButton::Yes);
    button(&w, "btnRadera")->click();
    EXPECT_TRUE(stored(kTaxes, kDescription).isEmpty());
    // An empty table: nothing to delete, nothing asked, no error.
    messages.clear();
    button(&w, "btnRadera")->click();
    EXPECT_TRUE(messages.empty());
    // A new post not yet stored is dropped after the same question.
    button(&w, "btnNy")->click();
    type(box(&w, "dbedDescription"), QStringLiteral("Half typed"));
    messages.answer(ui::MsgButton::Yes);
    button(&w, "btnRadera")->click();
    EXPECT_EQ(messages.texts(), QStringList({"Delete the tax Half typed?"}));
    w.close();
    EXPECT_TRUE(stored(kTaxes, kDescription).isEmpty());
}

TEST_F(TaxesTest, PostErrorIsShownAndTheWindowStaysOpen) {
    db::FaultInjection::enable();
    struct Off {
        ~Off() {
            db::FaultInjection::disarm();
            db::FaultInjection::disable();
        }
    } off;
    addTaxes({{"Eco fee", 2.5}});
    {
        TfmTaxes w(nullptr);
        w.show();
        type(box(&w, "dbedDescription"), QStringLiteral("Green fee"));
        db::FaultInjection::failAfter(0);
        action(&w, "mnBack")->trigger();
        ASSERT_EQ(messages.messages().size(), 1u);
        EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
        EXPECT_TRUE(w.isVisible());
        w.close(); // the close box too
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(messages.messages().size(), 2u);
        EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("Green fee")); // not lost
        db::FaultInjection::disarm();
        action(&w, "mnBack")->trigger();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"Green fee"}));
}

TEST_F(TaxesTest, VatRegisterShowsItsControls) {
    addRates({"25"});
    HelpRecorder help;
    TfmVATReg w(nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("VAT rates"));
    EXPECT_EQ(w.helpContext(), 820);
    ui::DBGrid* gd = grid(&w, "gdMomssatser");
    ASSERT_NE(gd, nullptr);
    // The rate, and its category and exemption reason on electronic invoices.
    EXPECT_EQ(gd->model()->columnCount(), 3);
    EXPECT_EQ(gd->model()->headerData(0, Qt::Horizontal).toString(), kRate);
    EXPECT_EQ(gd->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Category"));
    EXPECT_EQ(box(&w, "dbedVatRates")->text(), QStringLiteral("25"));
    EXPECT_EQ(button(&w, "btnNy")->text(), QStringLiteral("New"));
    EXPECT_EQ(button(&w, "btnRadera")->text(), QStringLiteral("Delete"));
    EXPECT_TRUE(button(&w, "btnNy")->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(button(&w, "btnRadera")->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(gd->focusPolicy() & Qt::TabFocus);
    QStringList labels;
    for (QLabel* l : w.findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Tax rate")));
    EXPECT_TRUE(labels.contains(
        QStringLiteral("This is the VAT rates you can choose \nbetween when invoicing.")));
    action(&w, "mnHelp")->trigger();
    EXPECT_EQ(help.contexts(), QList<int>({820}));
    w.show();
    QApplication::setActiveWindow(&w);
    EXPECT_TRUE(gd->hasFocus());
    button(&w, "btnNy")->click();
    EXPECT_TRUE(box(&w, "dbedVatRates")->hasFocus());
    type(box(&w, "dbedVatRates"), QStringLiteral("12"));
    QTest::keyClick(box(&w, "dbedVatRates"), Qt::Key_Return);
    EXPECT_FALSE(box(&w, "dbedVatRates")->hasFocus());
    action(&w, "mnBack")->trigger();
    EXPECT_EQ(stored(kVat, kRate), QStringList({"25", "12"}));
}

TEST_F(TaxesTest, ClosingTheVatRegisterKeepsTheFirstRecordAndNonZeroRates) {
    addRates({"0", "25", ""});
    {
        TfmVATReg w(nullptr);
        w.show();
        w.close();
    }
    EXPECT_EQ(stored(kVat, kRate), QStringList({"0", "25"}));

    // A rate typed as 0 in a new record goes, unless the record is the first one.
    {
        TfmVATReg w(nullptr);
        w.show();
        button(&w, "btnNy")->click();
        type(box(&w, "dbedVatRates"), QStringLiteral("0"));
        action(&w, "mnBack")->trigger();
    }
    EXPECT_EQ(stored(kVat, kRate), QStringList({"0", "25"}));

    // Deleting asks first, naming the rate; No keeps it.
    {
        TfmVATReg w(nullptr);
        messages.answer(ui::MsgButton::No);
        button(&w, "btnRadera")->click();
        EXPECT_EQ(stored(kVat, kRate), QStringList({"0", "25"}));
        messages.setDefaultAnswer(ui::MsgButton::Yes);
        button(&w, "btnRadera")->click();
        button(&w, "btnRadera")->click();
        button(&w, "btnRadera")->click(); // empty by now: nothing happens, nothing asked
        w.close();
    }
    EXPECT_EQ(messages.texts(), QStringList({"Delete the VAT rate 0?", "Delete the VAT rate 0?",
                                             "Delete the VAT rate 25?"}));
    EXPECT_EQ(messages.messages()[0].buttons, ui::MsgButton::Yes | ui::MsgButton::No);
    EXPECT_TRUE(stored(kVat, kRate).isEmpty());
    messages.clear();
    messages.setDefaultAnswer(ui::MsgButton::OK);

    // On an empty table the new record is the first and stays, even at 0; a new record
    // nobody typed into is not stored at all.
    {
        TfmVATReg w(nullptr);
        button(&w, "btnNy")->click();
        action(&w, "mnBack")->trigger();
    }
    EXPECT_TRUE(stored(kVat, kRate).isEmpty());
    {
        TfmVATReg w(nullptr);
        button(&w, "btnNy")->click();
        type(box(&w, "dbedVatRates"), QStringLiteral("0"));
        action(&w, "mnBack")->trigger();
    }
    EXPECT_EQ(stored(kVat, kRate), QStringList({"0"}));
}

TEST_F(TaxesTest, MissingDatabaseIsReportedAndTheWindowStillCloses) {
    QFile::remove(dir.file(QStringLiteral("MRV.db")));
    TfmTaxes w(nullptr);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(grid(&w, "gdTaxes")->model()->rowCount(), 0);
    button(&w, "btnNy")->click();
    button(&w, "btnRadera")->click();
    w.show();
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(messages.messages().size(), 1u);
}

namespace {

// A click at the middle of a grid row, as the user makes it.
void clickRow(ui::DBGrid* gd, int row) {
    const QRect r = gd->visualRect(gd->model()->index(row, 0));
    QTest::mouseClick(gd->viewport(), Qt::LeftButton, {}, r.center());
}

void clickInto(ui::DBEdit* edit) {
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
}

QList<int> selectedRows(ui::DBGrid* gd) {
    QList<int> rows;
    for (const QModelIndex& index : gd->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

} // namespace

TEST_F(TaxesTest, RefusedNewTaxKeepsRowAndBoxesAndStoresNothing) {
    addTaxes({{"Eco fee", 2.5}, {"Freight surcharge", 5}});
    TfmTaxes w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    ui::DBGrid* gd = grid(&w, "gdTaxes");
    ui::DBEdit* description = box(&w, "dbedDescription");
    ui::DBEdit* percent = box(&w, "dbedPercent");

    // "New post" shows the new row in the grid at once, as the current row.
    QTest::mouseClick(button(&w, "btnNy"), Qt::LeftButton);
    EXPECT_EQ(gd->model()->rowCount(), 3);
    EXPECT_EQ(gd->currentIndex().row(), 2);
    EXPECT_EQ(selectedRows(gd), QList<int>({2}));
    EXPECT_TRUE(description->hasFocus());
    QTest::keyClicks(description, QStringLiteral("Road toll"));
    EXPECT_EQ(gd->model()->index(2, 0).data().toString(), QStringLiteral("Road toll"));
    clickInto(percent);
    QTest::keyClicks(percent, QStringLiteral("abc"));

    // A click on another row: the entry is refused once, and nothing moves.
    clickRow(gd, 1);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("Percent")))
        << messages.texts().first().toStdString();
    EXPECT_EQ(w.table()->State(), db::DataSetState::Insert);
    EXPECT_EQ(gd->currentIndex().row(), 2);
    EXPECT_EQ(selectedRows(gd), QList<int>({2}));
    EXPECT_EQ(description->text(), QStringLiteral("Road toll"));
    EXPECT_EQ(percent->text(), QStringLiteral("abc"));
    EXPECT_TRUE(percent->hasFocus());
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"Eco fee", "Freight surcharge"}));
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"2.5", "5"}));

    // The next value typed belongs to the new tax, not to the row that was clicked.
    type(percent, QStringLiteral("3"));
    clickRow(gd, 1);
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(stored(kTaxes, kDescription),
              QStringList({"Eco fee", "Freight surcharge", "Road toll"}));
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"2.5", "5", "3"}));
    EXPECT_EQ(gd->model()->rowCount(), 3);
    EXPECT_EQ(gd->currentIndex().row(), 1);
    EXPECT_EQ(description->text(), QStringLiteral("Freight surcharge"));
    EXPECT_EQ(percent->text(), QStringLiteral("5"));
    w.close();
}

TEST_F(TaxesTest, RefusedChangeOfATaxKeepsItAndEscapeGivesItBack) {
    addTaxes({{"Eco fee", 2.5}, {"Freight surcharge", 5}});
    TfmTaxes w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    ui::DBGrid* gd = grid(&w, "gdTaxes");
    ui::DBEdit* percent = box(&w, "dbedPercent");
    clickRow(gd, 1);
    EXPECT_EQ(percent->text(), QStringLiteral("5"));
    clickInto(percent);
    type(percent, QStringLiteral("abc"));
    clickRow(gd, 0);
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(gd->currentIndex().row(), 1);
    EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("Freight surcharge"));
    // "New post", Back and the close box refuse too, with the message, and keep the window
    // on the record.
    QTest::mouseClick(button(&w, "btnNy"), Qt::LeftButton);
    EXPECT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(w.table()->State(), db::DataSetState::Edit);
    EXPECT_EQ(gd->model()->rowCount(), 2);
    EXPECT_TRUE(percent->hasFocus());
    action(&w, "mnBack")->trigger();
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages.messages().size(), 4u);
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"2.5", "5"}));
    // Escape throws the change away; then the move goes ahead and nothing was changed.
    QTest::keyClick(percent, Qt::Key_Escape);
    EXPECT_EQ(percent->text(), QStringLiteral("5"));
    clickRow(gd, 0);
    EXPECT_EQ(gd->currentIndex().row(), 0);
    EXPECT_EQ(percent->text(), QStringLiteral("2.5"));
    EXPECT_EQ(messages.messages().size(), 4u);
    EXPECT_EQ(stored(kTaxes, QStringLiteral("Percent")), QStringList({"2.5", "5"}));
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(TaxesTest, AVatRateKeepsItsCategoryAndExemptionReason) {
    addRates({"0", "25"});
    {
        TfmVATReg w(nullptr);
        w.show();
        // Only the category codes can be typed; small letters become capitals.
        ui::DBEdit* category = box(&w, "dbedCategory");
        ASSERT_NE(category, nullptr);
        type(category, QStringLiteral("x"));
        EXPECT_EQ(category->text(), QString());
        type(category, QStringLiteral("ae"));
        EXPECT_EQ(category->text(), QStringLiteral("AE"));
        type(box(&w, "dbedExemption"), QStringLiteral("Reverse charge"));
        action(&w, "mnBack")->trigger();
    }
    EXPECT_EQ(stored(kVat, QStringLiteral("Category")), QStringList({"AE", ""}));
    EXPECT_EQ(stored(kVat, QStringLiteral("Exemption reason")),
              QStringList({"Reverse charge", ""}));
}

TEST_F(TaxesTest, ALockHeldByAnotherProgramIsReportedAndWhatWasTypedStays) {
    addTaxes({{"Eco fee", 2.5}});
    // Another program writes to the same database and keeps its lock longer than the
    // engine's retries (15 times 100 ms).
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db::Database::fileName(dir.path()).toUtf8().constData(), &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    TfmTaxes w(nullptr);
    w.show();
    type(box(&w, "dbedDescription"), QStringLiteral("Green fee"));
    QElapsedTimer timer;
    timer.start();
    action(&w, "mnBack")->trigger();
    EXPECT_GE(timer.elapsed(), 1400);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages.texts().first().contains(QLatin1String("locked by another program")))
        << messages.texts().first().toStdString();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(box(&w, "dbedDescription")->text(), QStringLiteral("Green fee"));
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    // Once the other program lets go, the same entry is stored.
    action(&w, "mnBack")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(kTaxes, kDescription), QStringList({"Green fee"}));
}
