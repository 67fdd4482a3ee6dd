#include "app/startrules.h"

#include "support/printers.h"

#include <gtest/gtest.h>

TEST(StartRules, TaxCaptionByCountry) {
    for (const char* gst : {"NZ", "AU", "SG"})
        EXPECT_EQ(TaxCaptionForCountry(QLatin1String(gst)), QStringLiteral("GST")) << gst;
    EXPECT_EQ(TaxCaptionForCountry(QStringLiteral("CA")), QStringLiteral("GST/HST"));
    for (const char* vat : {"US", "GB", "ZA", "SE", ""})
        EXPECT_EQ(TaxCaptionForCountry(QLatin1String(vat)), QStringLiteral("VAT")) << vat;
    EXPECT_FALSE(VATRatesShownFor(QStringLiteral("US")));
    EXPECT_TRUE(VATRatesShownFor(QStringLiteral("CA")));
}

TEST(StartRules, ModuleTagsMatchWholeEntriesWithoutLetterCase) {
    const ModuleMenuStates none = ModuleMenuStatesFor({});
    EXPECT_FALSE(none.financeVisible || none.productsEnabled || none.stockEnabled ||
                 none.customersEnabled || none.accountingEnabled || none.utilitiesEnabled);

    const ModuleMenuStates some =
        ModuleMenuStatesFor({"invmodule", "PRODMODULE", "CustModuleX", "Stock", "AccModule"});
    EXPECT_TRUE(some.financeVisible);
    EXPECT_TRUE(some.productsEnabled);
    EXPECT_FALSE(some.customersEnabled);
    EXPECT_FALSE(some.stockEnabled);
    EXPECT_TRUE(some.accountingEnabled);
    EXPECT_FALSE(some.utilitiesEnabled);

    EXPECT_TRUE(ModuleMenuStatesFor({"UteModule"}).utilitiesEnabled);
    EXPECT_TRUE(ModuleMenuStatesFor({"calcmodule"}).utilitiesEnabled);
    EXPECT_TRUE(ModuleMenuStatesFor({"StockModule"}).stockEnabled);
}

TEST(StartRules, MenuPositionMustBeAWholeNumberFrom0To12) {
    EXPECT_EQ(TopLevelMenuPosition(QStringLiteral("0")), 0);
    EXPECT_EQ(TopLevelMenuPosition(QStringLiteral(" 12 ")), 12);
    for (const char* bad : {"", "abc", "4.5", "0x4", "13", "-1", "99999999999"}) {
        try {
            TopLevelMenuPosition(QLatin1String(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EMenuPositionError& e) {
            EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
        }
    }
}
