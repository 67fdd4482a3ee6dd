// MEROVIA_RENDER_DIR=<dir> writes pictures of finance charging and the invoice register at
// their own size and squeezed into a 1024x768 screen, for a look at them on a real display
// (xvfb-run with QT_QPA_PLATFORM=xcb). Either way no window asks for more than a small screen.
#include "financefixture.h"

#include "finance/tfminvreg.h"

#include <QScreen>

namespace {

class FinanceRenderTest : public FinanceTest {
protected:
    void SetUp() override {
        FinanceTest::SetUp();
        setting(QStringLiteral("Interestrate"), QStringLiteral("8"));
        setting(QStringLiteral("Threshold"), QStringLiteral("3"));
        setting(QStringLiteral("Terms"), QStringLiteral("20"));
        addHead({.number = QStringLiteral("1023"),
                 .total = "12500",
                 .delay = 15,
                 .customer = QStringLiteral("Åsa Bergström AB with a rather long company name "
                                            "that goes on")});
        addHead({.number = QStringLiteral("1024"), .total = "980.50", .delay = 40});
        addHead({.number = QStringLiteral("1025"), .total = "4000", .rest = "4000", .paid = false});
    }
    void look(QWidget& w, const char* name) {
        // What the window needs fits the smallest screen we support.
        EXPECT_LE(w.minimumSizeHint().width(), 1024) << name;
        EXPECT_LE(w.minimumSizeHint().height(), 768) << name;
        const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
        if (out.isEmpty())
            return;
        for (const QSize size : {w.size(), QSize(1024, 768).boundedTo(w.sizeHint())}) {
            w.resize(size);
            w.show();
            QTest::qWait(150);
            EXPECT_TRUE(w.grab().save(QStringLiteral("%1/%2-%3x%4.png")
                                          .arg(out, QLatin1String(name))
                                          .arg(size.width())
                                          .arg(size.height())));
        }
        w.hide();
    }
};

} // namespace

TEST_F(FinanceRenderTest, TheWindowsFitASmallScreen) {
    {
        TfmFinance w(nullptr);
        look(w, "finance");
    }
    {
        TfmInvReg w(nullptr);
        look(w, "invoiceregister");
    }
}
