// The SEPA payment code: its payload, a QR symbol a phone can read, and the IBAN check.
#include "documents.h"

#include "einvoice/epcqr.h"
#include "einvoice/iban.h"
#include "einvoice/qrpainter.h"
#include "einvoice/settlement.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace einvoice;
using namespace testdocs;

namespace {

// Draws the symbol with its quiet zone the way a report would, saves it and lets zbarimg read
// it back; the decoded bytes, or an error text.
QByteArray decode(const QrMatrix& matrix, const QString& name) {
    const int unit = 4;
    const int side = int(qrExtent(matrix, unit));
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::gray); // the symbol must paint its own white quiet zone
    {
        QPainter painter(&image);
        drawQrMatrix(painter, matrix, QPointF(0, 0), unit);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    if (!image.save(file))
        return "cannot save " + file.toUtf8();
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sbinary"), file});
    if (!zbar.waitForFinished(30000))
        return "zbarimg did not finish";
    QByteArray out = zbar.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1);
    return out;
}

EpcPayment payment() {
    EpcPayment p;
    p.bic = QStringLiteral("COBADEFFXXX");
    p.name = QStringLiteral("Nordlicht Werkstatt GmbH");
    p.iban = QStringLiteral("DE89 3704 0044 0532 0130 00");
    p.amount = Currency::fromDouble(1726.37);
    p.remittance = QStringLiteral("2025-0117");
    return p;
}

TEST(EpcPayload, LinesAsTheStandardOrdersThem) {
    const auto payload = epcPayload(payment());
    ASSERT_TRUE(payload);
    EXPECT_EQ(*payload, QByteArray("BCD\n002\n1\nSCT\nCOBADEFFXXX\nNordlicht Werkstatt GmbH\n"
                                   "DE89370400440532013000\nEUR1726.37\n\n\n2025-0117"));

    EpcPayment p = payment();
    p.bic.clear();
    p.remittance.clear();
    p.amount = Currency::fromDouble(0.5);
    EXPECT_EQ(*epcPayload(p), QByteArray("BCD\n002\n1\nSCT\n\nNordlicht Werkstatt GmbH\n"
                                         "DE89370400440532013000\nEUR0.50"));
}

TEST(EpcPayload, LongTextsAreCutAndBadValuesRefused) {
    // Characters are counted, not bytes.
    EpcPayment p = payment();
    p.name = QString(80, u'Ä');
    auto payload = epcPayload(p);
    ASSERT_TRUE(payload);
    EXPECT_EQ(QString::fromUtf8(*payload).split(u'\n')[5], QString(70, u'Ä'));
    p = payment();
    p.remittance = QString(150, u'x');
    payload = epcPayload(p);
    ASSERT_TRUE(payload);
    EXPECT_EQ(QString::fromUtf8(*payload).split(u'\n')[10], QString(140, u'x'));
    // Both long and in two-byte letters: more than the 331 bytes a code may hold.
    p.name = QString(70, u'Ä');
    QString error;
    EXPECT_FALSE(epcPayload(p, &error));
    EXPECT_TRUE(error.contains("at most 331")) << error.toStdString();

    p = payment();
    p.amount = Currency();
    EXPECT_FALSE(epcPayload(p, &error));
    EXPECT_EQ(error, "The amount must be 0.01 to 999999999.99 euro.");
    p.amount = Currency::fromInt(1000000000);
    EXPECT_FALSE(epcPayload(p));
    p = payment();
    p.iban = QStringLiteral("DE88370400440532013000");
    EXPECT_FALSE(epcPayload(p, &error));
    EXPECT_TRUE(error.contains("check digits")) << error.toStdString();
    p = payment();
    p.name = QStringLiteral("  ");
    EXPECT_FALSE(epcPayload(p, &error));
    EXPECT_EQ(error, "The payee's name is missing.");
}

TEST(EpcPayload, ComesFromTheDocumentsPayableAmount) {
    const Document mixed = documents().first();
    const auto p = epcPaymentFor(mixed.invoice);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->amount, settle(mixed.invoice).payable);
    EXPECT_EQ(p->remittance, "2025-0117");

    Invoice inv = mixed.invoice;
    inv.kind = QLatin1String(kCreditInvoice);
    EXPECT_FALSE(epcPaymentFor(inv));
    inv = mixed.invoice;
    inv.currency = QStringLiteral("SEK");
    EXPECT_FALSE(epcPaymentFor(inv));
    inv = mixed.invoice;
    inv.seller.iban.clear();
    EXPECT_FALSE(epcPaymentFor(inv));
}

TEST(EpcQrCode, DecodesToExactlyThePayload) {
    const QByteArray payload = *epcPayload(payment());
    const QrMatrix matrix = epcQrMatrix(payload);
    ASSERT_FALSE(matrix.isNull());
    EXPECT_LE(matrix.version(), 13);
    EXPECT_EQ(decode(matrix, QStringLiteral("epc.png")), payload);

    // Non-Latin names travel as UTF-8.
    EpcPayment p = payment();
    p.name = QStringLiteral("Ελληνικά Τεχνικά Έργα Α.Ε.");
    p.remittance = QStringLiteral("Rechnung Nr. 2025-0120 – Müller");
    const QByteArray greek = *epcPayload(p);
    EXPECT_EQ(decode(epcQrMatrix(greek), QStringLiteral("greek.png")), greek);
}

TEST(EpcQrCode, LargestPayloadFitsVersion13) {
    EpcPayment p = payment();
    p.name = QString(70, u'N');
    p.purpose = QStringLiteral("GDDS");
    p.remittance = QString(140, u'R');
    p.amount = Currency::fromDouble(999999999.99);
    const QByteArray payload = *epcPayload(p);
    const QrMatrix matrix = epcQrMatrix(payload);
    ASSERT_FALSE(matrix.isNull()) << payload.size();
    EXPECT_LE(matrix.version(), 13);
    EXPECT_EQ(decode(matrix, QStringLiteral("large.png")), payload);
    EXPECT_TRUE(epcQrMatrix(QByteArray(332, 'x')).isNull());
}

TEST(EpcQrCode, RunsCoverExactlyTheDarkModules) {
    const QrMatrix m = encodeQr("merovia");
    ASSERT_FALSE(m.isNull());
    std::vector<int> covered(std::size_t(m.size()) * m.size(), 0);
    for (const QRect& r : m.darkRuns())
        for (int x = r.left(); x <= r.right(); ++x)
            ++covered[std::size_t(r.top()) * m.size() + x];
    for (int y = 0; y < m.size(); ++y)
        for (int x = 0; x < m.size(); ++x)
            EXPECT_EQ(covered[std::size_t(y) * m.size() + x], m.dark(x, y) ? 1 : 0);
}

TEST(Iban, ValidIbansAsTyped) {
    for (const char* typed :
         {"DE89 3704 0044 0532 0130 00", "gb82 west 1234 5698 7654 32", "NO9386011117947",
          "SE4550000000058398257466", "FR1420041010050500013M02606", "AT611904300234573201"}) {
        const IbanCheck check = checkIban(QString::fromLatin1(typed));
        EXPECT_TRUE(check.valid) << typed << ": " << check.message.toStdString();
        EXPECT_TRUE(check.message.isEmpty());
    }
    EXPECT_EQ(checkIban("gb82 west 1234 5698 7654 32").iban, "GB82WEST12345698765432");
    EXPECT_EQ(formatIban("DE89370400440532013000"), "DE89 3704 0044 0532 0130 00");
}

TEST(Iban, BadIbansAreRefusedWithAReason) {
    const QList<std::pair<QString, QString>> cases = {
        {"", "No IBAN is given."},
        {"DE88 3704 0044 0532 0130 00",
         "The IBAN's check digits do not match: a character is mistyped, missing or swapped."},
        {"DE89 3704 0044 0532 0130 0", "An IBAN from DE has 22 characters; this one has 21."},
        {"DE89-3704-0044", "An IBAN holds only letters and digits; \"-\" is not allowed in it."},
        {"3704 0044 0532 0130 00",
         "An IBAN begins with a two-letter country code and two check digits, such as DE89."},
        {"QQ12 3456 7890 1234", "The IBAN begins with \"QQ\", which is not a country code."},
        // Swapped digits keep the length but not the check digits.
        {"DE89 3704 0044 0532 0103 00",
         "The IBAN's check digits do not match: a character is mistyped, missing or swapped."},
    };
    for (const auto& [typed, message] : cases) {
        const IbanCheck check = checkIban(typed);
        EXPECT_FALSE(check.valid) << typed.toStdString();
        EXPECT_EQ(check.message, message) << typed.toStdString();
        EXPECT_FALSE(isValidIban(typed));
    }
}

TEST(Iban, Bic) {
    EXPECT_TRUE(isValidBic("COBADEFFXXX"));
    EXPECT_TRUE(isValidBic("cobadeff"));
    EXPECT_FALSE(isValidBic("COBADEF"));
    EXPECT_FALSE(isValidBic("C0BADEFF"));   // a digit in the bank code
    EXPECT_FALSE(isValidBic("COBAQQFF"));   // no such country
    EXPECT_FALSE(isValidBic("COBADEFFXX")); // ten characters
}

} // namespace
