#include "pdf/pdfencryption.h"
#include "pdf/pdfsyntax.h"
#include "pdf/pdftypes.h"

#include <gtest/gtest.h>

using namespace pdf;

TEST(PdfSecurity, Rc4MatchesKnownVectors) {
    QByteArray data("Plaintext");
    Rc4(QByteArray("Key")).apply(data);
    EXPECT_EQ(toHex(data), "BBF316E8D940AF0AD3");
    QByteArray wiki("Attack at dawn");
    Rc4(QByteArray("Secret")).apply(wiki);
    EXPECT_EQ(toHex(wiki), "45A01F645FC35B383552544B9BF5");
    Rc4(QByteArray("Secret")).apply(wiki);
    EXPECT_EQ(wiki, "Attack at dawn");
}

TEST(PdfSecurity, PermissionFlagsBecomeTheBitsOfP) {
    EXPECT_EQ(permissionBits(upAll), -4); // everything granted
    EXPECT_EQ(permissionBits(0), -3904);  // 0xFFFFF0C0: reserved bits only
    EXPECT_EQ(permissionBits(upPrint | upCopy), -3904 | 4 | 16);
    EXPECT_EQ(permissionBits(upPrintHighQuality), -3904 | 2048);
}

TEST(PdfSecurity, KeysHaveTheLengthsOfTheirRevision) {
    const QByteArray id = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");
    const StandardSecurityHandler weak(0, "owner", "user", -4, id);
    EXPECT_EQ(weak.revision(), 2);
    EXPECT_EQ(weak.documentKey().size(), 5);
    EXPECT_EQ(weak.ownerKey().size(), 32);
    EXPECT_EQ(weak.userKey().size(), 32);
    EXPECT_EQ(weak.objectKey(7).size(), 10);
    EXPECT_EQ(weak.dictionaryBody().rfind("/V 1/R 2/P -4/Filter/Standard/O <", 0), 0u);

    const StandardSecurityHandler strong(1, "owner", "user", -4, id);
    EXPECT_EQ(strong.revision(), 3);
    EXPECT_EQ(strong.documentKey().size(), 16);
    EXPECT_EQ(strong.objectKey(7).size(), 16);
    EXPECT_NE(strong.dictionaryBody().find("/V 2/R 3/P -4/Length 128/Filter/Standard"),
              std::string::npos);

    // Objects get different keys; encrypting twice with one key gives the text back.
    EXPECT_NE(strong.objectKey(7), strong.objectKey(8));
    const QByteArray secret = strong.encrypted(7, "Invoice 1001");
    EXPECT_NE(secret, "Invoice 1001");
    EXPECT_EQ(strong.encrypted(7, secret), "Invoice 1001");
}

TEST(PdfSecurity, UserKeyOfRevisionTwoIsThePaddingUnderTheDocumentKey) {
    // Revision 2 checks a user password by encrypting the fixed padding with the key derived
    // from it: the stored /U must be exactly that.
    const QByteArray id = QByteArray::fromHex("0123456789ABCDEF0123456789ABCDEF");
    const StandardSecurityHandler handler(0, QByteArray(), "secret", -4, id);
    QByteArray padding =
        QByteArray::fromHex("28BF4E5E4E758A4164004E56FFFA01082E2E00B6D0683E802F0CA9FE6453697A");
    Rc4(handler.documentKey()).apply(padding);
    EXPECT_EQ(handler.userKey(), padding);
}
