#include "customersfixture.h"

#include "customers/prodrules.h"
#include "customers/tfmprodreg.h"
#include "ui/dbcontrols.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class ProdregTest : public CustomersTest {
protected:
    void SetUp() override {
        CustomersTest::SetUp();
        auto t = open(QStringLiteral("Products"));
        const std::pair<const char*, const char*> products[] = {
            {"AB-1", "Apple box"}, {"CD-2", "Cider"}, {"cd-3", "Candles"}};
        for (const auto& [code, description] : products) {
            t->Append();
            t->FieldByName(QStringLiteral("Code")).setAsString(QLatin1String(code));
            t->FieldByName(QStringLiteral("Description")).setAsString(QLatin1String(description));
            t->FieldByName(QStringLiteral("Periods sales")).setAsString(QStringLiteral("12.5"));
            t->FieldByName(QStringLiteral("Period qty")).setAsFloat(3);
            t->Post();
        }
    }
};

TEST_F(ProdregTest, ADuplicateCodeIsRefusedWithAClearMessage) {
    TfmProdreg w(nullptr);
    w.show();
    QApplication::setActiveWindow(&w);
    w.btnNew->click();
    type(w.dbedCode, QStringLiteral("ab-1")); // the same code in other letters
    type(w.dbedDescription, QStringLiteral("Another apple box"));
    w.close();
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("Code: the code ab-1 is already used by the product \"Apple box\". "
                             "Give this product a code of its own."));
    EXPECT_TRUE(w.dbedCode->hasFocus());
    EXPECT_EQ(stored(QStringLiteral("Code"), QStringLiteral("Code"), QStringLiteral("Products")),
              (QStringList{"AB-1", "CD-2", "cd-3"}));
    // Editing a product keeps its own code.
    type(w.dbedCode, QStringLiteral("EF-4"));
    w.table()->First();
    type(w.dbedDescription, QStringLiteral("Apple crate"));
    messages.clear();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(messages.empty()) << messages.texts().join("|").toStdString();
    EXPECT_EQ(
        stored(QStringLiteral("Description"), QStringLiteral("Code"), QStringLiteral("Products")),
        (QStringList{"Apple crate", "Cider", "Candles", "Another apple box"}));
}

TEST_F(ProdregTest, DeleteAsksAboutTheProductByName) {
    TfmProdreg w(nullptr);
    w.show();
    w.table()->First();
    messages.answer(ui::MsgButton::No);
    w.btnDelete->click();
    EXPECT_EQ(messages.texts(), QStringList{"Delete the product AB-1 Apple box?"});
    EXPECT_EQ(
        stored(QStringLiteral("Code"), QStringLiteral("Code"), QStringLiteral("Products")).size(),
        3);
    messages.answer(ui::MsgButton::Yes);
    w.btnDelete->click();
    EXPECT_EQ(stored(QStringLiteral("Code"), QStringLiteral("Code"), QStringLiteral("Products")),
              (QStringList{"CD-2", "cd-3"}));
    w.close();
}

TEST_F(ProdregTest, SearchSortAndTheStatisticsOfThePeriod) {
    TfmProdreg w(nullptr);
    w.show();
    // The statistics are shown, not edited.
    EXPECT_TRUE(w.dbedPeriodSales->isReadOnly());
    EXPECT_TRUE(w.dbedStock->isReadOnly());
    type(w.edSearch, QStringLiteral("cd"));
    EXPECT_EQ(w.dbedCode->text(), QStringLiteral("CD-2"));
    type(w.edSearch, QStringLiteral("CD-3"));
    EXPECT_EQ(w.dbedCode->text(), QStringLiteral("cd-3"));
    type(w.edSearch, QStringLiteral("zz")); // nothing begins so: the product stays
    EXPECT_EQ(w.dbedCode->text(), QStringLiteral("cd-3"));
    w.gdProdregTitleClick(QStringLiteral("Description"));
    EXPECT_EQ(w.lbSortOrder->text(), QStringLiteral("Description"));
    type(w.edSearch, QStringLiteral("ca"));
    EXPECT_EQ(w.dbedDescription->text(), QStringLiteral("Candles"));
    w.gdProdregTitleClick(QStringLiteral("Price"));
    EXPECT_EQ(w.table()->IndexName(), QStringLiteral("Code"));

    messages.answer(ui::MsgButton::Yes);
    w.mnResetStatisticsClick();
    EXPECT_EQ(
        stored(QStringLiteral("Periods sales"), QStringLiteral("Code"), QStringLiteral("Products")),
        (QStringList{"0", "0", "0"}));
    EXPECT_EQ(
        stored(QStringLiteral("Period qty"), QStringLiteral("Code"), QStringLiteral("Products")),
        (QStringList{"0", "0", "0"}));
    EXPECT_EQ(w.dbedPeriodSales->text(), QStringLiteral("0"));
    w.close();
}
