#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <string>

namespace pdf {

// The RC4 stream cipher; applying it twice with the same key gives the input back.
class Rc4 {
public:
    Rc4(const unsigned char* key, int length);
    explicit Rc4(const QByteArray& key)
        : Rc4(reinterpret_cast<const unsigned char*>(key.constData()), int(key.size())) {}
    void apply(unsigned char* data, size_t length);
    void apply(QByteArray& data) {
        apply(reinterpret_cast<unsigned char*>(data.data()), size_t(data.size()));
    }

private:
    std::array<unsigned char, 256> m_state;
    unsigned char m_i = 0;
    unsigned char m_j = 0;
};

// The standard security handler of PDF 1.4: revision 2 (40-bit RC4) or revision 3 (128-bit
// RC4). It computes the /O and /U entries and the document key from the passwords, the
// permissions and the first file identifier, and encrypts each string and stream with the key
// of its object.
class StandardSecurityHandler {
public:
    // `level` 0 is 40-bit, anything else 128-bit. `permissions` is the 32-bit /P value.
    // Passwords longer than 32 bytes are cut, as the handler defines.
    StandardSecurityHandler(int level, const QByteArray& ownerPassword,
                            const QByteArray& userPassword, std::int32_t permissions,
                            const QByteArray& fileId);

    int revision() const { return m_revision; }
    std::int32_t permissions() const { return m_permissions; }
    const QByteArray& ownerKey() const { return m_owner; }
    const QByteArray& userKey() const { return m_user; }
    const QByteArray& documentKey() const { return m_key; }

    // The key of one object (generation 0).
    QByteArray objectKey(int objectNumber) const;
    void encrypt(int objectNumber, unsigned char* data, size_t length) const;
    QByteArray encrypted(int objectNumber, QByteArray data) const;

    // The body of the encryption dictionary, ending in CR LF.
    std::string dictionaryBody() const;

private:
    int m_revision;
    int m_keyLength; // bytes
    std::int32_t m_permissions;
    QByteArray m_owner;
    QByteArray m_user;
    QByteArray m_key;
};

// The /P value from the engine's eight permission flags (see TgtUserPermission): printing,
// changing, copying, annotating, filling forms, extracting for accessibility, assembling and
// printing at high quality, each granted when its bit is set.
std::int32_t permissionBits(int userPermissions);

} // namespace pdf
