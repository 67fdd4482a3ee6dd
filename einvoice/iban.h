#pragma once

#include <QString>

namespace einvoice {

struct IbanCheck {
    bool valid = false;
    QString iban;    // upper case, without spaces: the electronic form
    QString message; // why it is refused, as a sentence for the user; empty when valid
};

// Checks an IBAN as typed (spaces and letter case do not matter): letters and digits only,
// a country code, the length that country's IBANs have, and the mod-97 check digits.
IbanCheck checkIban(const QString& typed);
bool isValidIban(const QString& typed);
// "DE89 3704 0044 0532 0130 00": groups of four, as printed.
QString formatIban(const QString& iban);

// A BIC of 8 or 11 characters: bank (4 letters), country (2 letters), location and branch.
bool isValidBic(const QString& typed);

} // namespace einvoice
