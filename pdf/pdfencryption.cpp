#include "pdfencryption.h"

#include "pdfsyntax.h"

#include <QCryptographicHash>

#include <utility>

namespace pdf {

namespace {

const unsigned char kPadding[32] = {
    0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E, 0x56, 0xFF, 0xFA, 0x01, 0x08,
    0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68, 0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

QByteArray padded(const QByteArray& password) {
    QByteArray result = password.left(32);
    result.append(reinterpret_cast<const char*>(kPadding), 32 - result.size());
    return result;
}

QByteArray md5(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QByteArray littleEndian32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((v >> (8 * i)) & 0xFF);
    return bytes;
}

// RC4 with the key and then, for revision 3, nineteen more times with the key's bytes XOR-ed
// with the round number.
QByteArray rc4Rounds(const QByteArray& key, QByteArray data, int revision) {
    Rc4(key).apply(data);
    if (revision >= 3) {
        for (int round = 1; round <= 19; ++round) {
            QByteArray roundKey = key;
            for (char& b : roundKey)
                b = char(b ^ round);
            Rc4(roundKey).apply(data);
        }
    }
    return data;
}

} // namespace

Rc4::Rc4(const unsigned char* key, int length) {
    for (int i = 0; i < 256; ++i)
        m_state[size_t(i)] = static_cast<unsigned char>(i);
    if (length <= 0)
        return;
    unsigned char j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<unsigned char>(j + m_state[size_t(i)] + key[i % length]);
        std::swap(m_state[size_t(i)], m_state[j]);
    }
}

void Rc4::apply(unsigned char* data, size_t length) {
    for (size_t n = 0; n < length; ++n) {
        m_i = static_cast<unsigned char>(m_i + 1);
        m_j = static_cast<unsigned char>(m_j + m_state[m_i]);
        std::swap(m_state[m_i], m_state[m_j]);
        data[n] ^= m_state[static_cast<unsigned char>(m_state[m_i] + m_state[m_j])];
    }
}

StandardSecurityHandler::StandardSecurityHandler(int level, const QByteArray& ownerPassword,
                                                 const QByteArray& userPassword,
                                                 std::int32_t permissions, const QByteArray& fileId)
    : m_revision(level == 0 ? 2 : 3)
    , m_keyLength(level == 0 ? 5 : 16)
    , m_permissions(permissions) {
    // Owner key: with no owner password the user password stands in for it.
    QByteArray ownerHash =
        md5(padded(ownerPassword.isEmpty() ? userPassword : ownerPassword.left(32)));
    if (m_revision >= 3) {
        for (int i = 0; i < 50; ++i)
            ownerHash = md5(ownerHash);
    }
    m_owner = rc4Rounds(ownerHash.left(m_keyLength), padded(userPassword), m_revision);

    // Document key.
    QByteArray keyHash =
        md5(padded(userPassword) + m_owner + littleEndian32(m_permissions) + fileId);
    if (m_revision >= 3) {
        for (int i = 0; i < 50; ++i)
            keyHash = md5(keyHash.left(m_keyLength));
    }
    m_key = keyHash.left(m_keyLength);

    // User key.
    if (m_revision == 2) {
        m_user = rc4Rounds(m_key, QByteArray(reinterpret_cast<const char*>(kPadding), 32), 2);
    } else {
        m_user = rc4Rounds(
            m_key, md5(QByteArray(reinterpret_cast<const char*>(kPadding), 32) + fileId), 3);
        m_user.append(QByteArray(16, '\0'));
    }
}

QByteArray StandardSecurityHandler::objectKey(int objectNumber) const {
    QByteArray input = m_key;
    input.append(char(objectNumber & 0xFF));
    input.append(char((objectNumber >> 8) & 0xFF));
    input.append(char((objectNumber >> 16) & 0xFF));
    input.append('\0');
    input.append('\0');
    return md5(input).left(qMin(m_keyLength + 5, 16));
}

void StandardSecurityHandler::encrypt(int objectNumber, unsigned char* data, size_t length) const {
    Rc4(objectKey(objectNumber)).apply(data, length);
}

QByteArray StandardSecurityHandler::encrypted(int objectNumber, QByteArray data) const {
    Rc4(objectKey(objectNumber)).apply(data);
    return data;
}

std::string StandardSecurityHandler::dictionaryBody() const {
    std::string body = m_revision == 2 ? "/V 1/R 2" : "/V 2/R 3";
    body += "/P ";
    appendInteger(body, m_permissions);
    if (m_revision >= 3)
        body += "/Length 128";
    body += "/Filter/Standard/O <" + toHex(m_owner) + ">/U <" + toHex(m_user) + ">\r\n";
    return body;
}

std::int32_t permissionBits(int userPermissions) {
    static const int kPdfBit[8] = {3, 4, 5, 6, 9, 10, 11, 12};
    // Bits 7, 8 and 13 to 32 are reserved and must be set; 1 and 2 must be clear.
    std::uint32_t p = 0xFFFFF0C0u;
    for (int flag = 0; flag < 8; ++flag) {
        if (userPermissions & (1 << flag))
            p |= 1u << (kPdfBit[flag] - 1);
    }
    return static_cast<std::int32_t>(p);
}

} // namespace pdf
