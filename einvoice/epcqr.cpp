#include "einvoice/epcqr.h"

#include "einvoice/iban.h"
#include "einvoice/invoice.h"
#include "einvoice/settlement.h"

#include <qrencode.h>

#include <memory>

namespace einvoice {

namespace {

constexpr int kMaxPayloadBytes = 331;
constexpr int kMaxEpcVersion = 13;

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// One line of the payload: no line breaks inside, at most `limit` characters.
QString field(const QString& text, int limit) {
    QString s = text;
    s.replace(u'\r', u' ').replace(u'\n', u' ');
    return s.trimmed().left(limit).trimmed();
}

} // namespace

std::optional<QByteArray> epcPayload(const EpcPayment& payment, QString* error) {
    const IbanCheck iban = checkIban(payment.iban);
    if (!iban.valid) {
        setError(error, iban.message);
        return std::nullopt;
    }
    const QString bic = payment.bic.trimmed().toUpper();
    if (!bic.isEmpty() && !isValidBic(bic)) {
        setError(error, QStringLiteral("The BIC \"%1\" is not valid.").arg(bic));
        return std::nullopt;
    }
    const QString name = field(payment.name, 70);
    if (name.isEmpty()) {
        setError(error, QStringLiteral("The payee's name is missing."));
        return std::nullopt;
    }
    if (payment.amount < Currency::fromRaw(100) ||
        payment.amount > Currency::fromInt(999999999) + Currency::fromRaw(9900)) {
        setError(error, QStringLiteral("The amount must be 0.01 to 999999999.99 euro."));
        return std::nullopt;
    }
    const QString purpose = field(payment.purpose, 4);

    QStringList lines = {QStringLiteral("BCD"),
                         QStringLiteral("002"),
                         QStringLiteral("1"),
                         QStringLiteral("SCT"),
                         bic,
                         name,
                         iban.iban,
                         QStringLiteral("EUR") + amountText(roundCents(payment.amount)),
                         purpose,
                         QString(), // structured creditor reference: we send text instead
                         field(payment.remittance, 140)};
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QByteArray payload = lines.join(u'\n').toUtf8();
    if (payload.size() > kMaxPayloadBytes) {
        setError(error, QStringLiteral("The payment code would hold %1 bytes; at most %2 fit.")
                            .arg(payload.size())
                            .arg(kMaxPayloadBytes));
        return std::nullopt;
    }
    return payload;
}

std::optional<EpcPayment> epcPaymentFor(const Invoice& invoice) {
    if (invoice.currency.trimmed().toUpper() != QLatin1String("EUR") || invoice.isCredit() ||
        !isEInvoiceKind(invoice.kind) || !isValidIban(invoice.seller.iban))
        return std::nullopt;
    const Currency payable = settle(invoice).payable;
    if (payable < Currency::fromRaw(100))
        return std::nullopt;
    EpcPayment payment;
    payment.bic = invoice.seller.bic;
    payment.name = invoice.seller.name;
    payment.iban = invoice.seller.iban;
    payment.amount = payable;
    payment.remittance = invoice.number;
    return payment;
}

QrMatrix::QrMatrix(int size, std::vector<bool> modules, int version)
    : m_size(size)
    , m_version(version)
    , m_modules(std::move(modules)) {}

QList<QRect> QrMatrix::darkRuns() const {
    QList<QRect> runs;
    for (int y = 0; y < m_size; ++y) {
        int x = 0;
        while (x < m_size) {
            if (!dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < m_size && dark(x, y))
                ++x;
            runs << QRect(start, y, x - start, 1);
        }
    }
    return runs;
}

QrMatrix encodeQr(const QByteArray& data, QrLevel level) {
    QRecLevel qrLevel = QR_ECLEVEL_M;
    switch (level) {
    case QrLevel::L:
        qrLevel = QR_ECLEVEL_L;
        break;
    case QrLevel::M:
        qrLevel = QR_ECLEVEL_M;
        break;
    case QrLevel::Q:
        qrLevel = QR_ECLEVEL_Q;
        break;
    case QrLevel::H:
        qrLevel = QR_ECLEVEL_H;
        break;
    }
    if (data.isEmpty())
        return {};
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char*>(data.data()), 0,
                          qrLevel),
        QRcode_free);
    if (!code)
        return {};
    const int size = code->width;
    std::vector<bool> modules(std::size_t(size) * size);
    for (std::size_t i = 0; i < modules.size(); ++i)
        modules[i] = (code->data[i] & 1) != 0;
    return QrMatrix(size, std::move(modules), code->version);
}

QrMatrix epcQrMatrix(const QByteArray& payload) {
    if (payload.size() > kMaxPayloadBytes)
        return {};
    QrMatrix matrix = encodeQr(payload, QrLevel::M);
    if (matrix.version() > kMaxEpcVersion)
        return {};
    return matrix;
}

} // namespace einvoice
