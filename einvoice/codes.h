#pragma once

#include <QString>

// The code lists an e-invoice's parties and amounts are checked against.
namespace einvoice {

// ISO 3166-1 alpha-2, upper case ("DE", "SE"); "EL" only where allowVatPrefix (Greek VAT
// numbers begin with EL).
bool isCountryCode(const QString& code, bool allowVatPrefix = false);
// ISO 4217, upper case ("EUR").
bool isCurrencyCode(const QString& code);
// The currency a company in that country invoices in; "EUR" where we do not know better.
QString defaultCurrency(const QString& countryCode);
// Whether a VAT number begins with a country prefix ("DE 123456789", "EL123456789").
bool hasVatCountryPrefix(const QString& vatNumber);

} // namespace einvoice
