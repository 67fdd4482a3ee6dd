#pragma once

#include "service/currency.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

// The SEPA "scan to pay" code (EPC069-12, version 002) and the QR matrix that carries it.
namespace einvoice {

struct Invoice;

struct EpcPayment {
    QString bic; // may be empty in version 002
    QString name;
    QString iban;
    Currency amount; // euro, 0.01 to 999999999.99
    QString purpose; // four-character purpose code, usually empty
    QString remittance;
};

// The payload, lines joined by LF: BCD, 002, 1 (UTF-8), SCT, BIC, name, IBAN, EUR amount,
// purpose, an empty creditor reference and the remittance text; empty trailing lines are
// left off. Names longer than 70 and remittance texts longer than 140 characters are cut.
// Nothing for an invalid IBAN, an empty name, an amount out of range or a payload over 331
// bytes; *error then says why.
std::optional<QByteArray> epcPayload(const EpcPayment& payment, QString* error = nullptr);

// The payment a document asks for: the company's bank account, the payable amount and the
// document number. Nothing unless the currency is EUR, the company has an IBAN, the document
// is an invoice and something is to be paid.
std::optional<EpcPayment> epcPaymentFor(const Invoice& invoice);

enum class QrLevel { L, M, Q, H };

// A QR symbol: size x size modules, row by row, true for dark.
class QrMatrix {
public:
    QrMatrix() = default;
    QrMatrix(int size, std::vector<bool> modules, int version);

    bool isNull() const { return m_size == 0; }
    int size() const { return m_size; }
    int version() const { return m_version; }
    bool dark(int x, int y) const { return m_modules[std::size_t(y) * m_size + x]; }
    // The dark modules as rectangles in module units, each row's runs joined, so a vector
    // drawing needs few shapes.
    QList<QRect> darkRuns() const;

private:
    int m_size = 0;
    int m_version = 0;
    std::vector<bool> m_modules;
};

// Encodes bytes in 8-bit mode at the smallest version that holds them; null on failure.
QrMatrix encodeQr(const QByteArray& data, QrLevel level = QrLevel::M);

// The EPC code's matrix: level M, version 13 at most; null when it does not fit.
QrMatrix epcQrMatrix(const QByteArray& payload);

} // namespace einvoice
