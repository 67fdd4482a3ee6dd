#include "einvoice/iban.h"

#include "einvoice/codes.h"

#include <QHash>

namespace einvoice {

namespace {

// IBAN lengths of the IBAN registry. A country missing here is checked for the general
// length (15 to 34) and the check digits only.
const QHash<QString, int>& ibanLengths() {
    static const QHash<QString, int> lengths = {
        {"AD", 24}, {"AE", 23}, {"AL", 28}, {"AT", 20}, {"AZ", 28}, {"BA", 20}, {"BE", 16},
        {"BG", 22}, {"BH", 22}, {"BI", 27}, {"BR", 29}, {"BY", 28}, {"CH", 21}, {"CR", 22},
        {"CY", 28}, {"CZ", 24}, {"DE", 22}, {"DJ", 27}, {"DK", 18}, {"DO", 28}, {"EE", 20},
        {"EG", 29}, {"ES", 24}, {"FI", 18}, {"FK", 18}, {"FO", 18}, {"FR", 27}, {"GB", 22},
        {"GE", 22}, {"GI", 23}, {"GL", 18}, {"GR", 27}, {"GT", 28}, {"HR", 21}, {"HU", 28},
        {"IE", 22}, {"IL", 23}, {"IQ", 23}, {"IS", 26}, {"IT", 27}, {"JO", 30}, {"KW", 30},
        {"KZ", 20}, {"LB", 28}, {"LC", 32}, {"LI", 21}, {"LT", 20}, {"LU", 20}, {"LV", 21},
        {"LY", 25}, {"MC", 27}, {"MD", 24}, {"ME", 22}, {"MK", 19}, {"MN", 20}, {"MR", 27},
        {"MT", 31}, {"MU", 30}, {"NL", 18}, {"NO", 15}, {"OM", 23}, {"PK", 24}, {"PL", 28},
        {"PS", 29}, {"PT", 25}, {"QA", 29}, {"RO", 24}, {"RS", 22}, {"RU", 33}, {"SA", 24},
        {"SC", 31}, {"SD", 18}, {"SE", 24}, {"SI", 19}, {"SK", 24}, {"SM", 27}, {"SO", 23},
        {"ST", 25}, {"SV", 28}, {"TL", 23}, {"TN", 24}, {"TR", 26}, {"UA", 29}, {"VA", 22},
        {"VG", 24}, {"XK", 20}, {"YE", 30},
    };
    return lengths;
}

bool isAsciiLetter(QChar c) {
    return c >= u'A' && c <= u'Z';
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The remainder of the rearranged IBAN (country and check digits moved to the end, letters
// as 10..35) divided by 97, digit by digit so no number grows large.
int mod97(const QString& iban) {
    const QString moved = iban.mid(4) + iban.left(4);
    int remainder = 0;
    for (QChar c : moved) {
        const int value = isAsciiDigit(c) ? c.unicode() - u'0' : c.unicode() - u'A' + 10;
        remainder = (value >= 10 ? remainder * 100 : remainder * 10) + value;
        remainder %= 97;
    }
    return remainder;
}

} // namespace

IbanCheck checkIban(const QString& typed) {
    IbanCheck check;
    QString iban;
    for (QChar c : typed)
        if (!c.isSpace())
            iban += c.toUpper();
    check.iban = iban;

    if (iban.isEmpty()) {
        check.message = QStringLiteral("No IBAN is given.");
        return check;
    }
    for (QChar c : iban)
        if (!isAsciiLetter(c) && !isAsciiDigit(c)) {
            check.message = QStringLiteral("An IBAN holds only letters and digits; \"%1\" is "
                                           "not allowed in it.")
                                .arg(c);
            return check;
        }
    if (iban.size() < 4 || !isAsciiLetter(iban[0]) || !isAsciiLetter(iban[1]) ||
        !isAsciiDigit(iban[2]) || !isAsciiDigit(iban[3])) {
        check.message = QStringLiteral("An IBAN begins with a two-letter country code and two "
                                       "check digits, such as DE89.");
        return check;
    }
    const QString country = iban.left(2);
    const int expected = ibanLengths().value(country, 0);
    if (expected == 0 && !isCountryCode(country)) {
        check.message = QStringLiteral("The IBAN begins with \"%1\", which is not a country "
                                       "code.")
                            .arg(country);
        return check;
    }
    if (expected != 0 && iban.size() != expected) {
        check.message = QStringLiteral("An IBAN from %1 has %2 characters; this one has %3.")
                            .arg(country)
                            .arg(expected)
                            .arg(iban.size());
        return check;
    }
    if (expected == 0 && (iban.size() < 15 || iban.size() > 34)) {
        check.message =
            QStringLiteral("An IBAN has 15 to 34 characters; this one has %1.").arg(iban.size());
        return check;
    }
    if (mod97(iban) != 1) {
        check.message = QStringLiteral("The IBAN's check digits do not match: a character is "
                                       "mistyped, missing or swapped.");
        return check;
    }
    check.valid = true;
    return check;
}

bool isValidIban(const QString& typed) {
    return checkIban(typed).valid;
}

QString formatIban(const QString& iban) {
    QString compact;
    for (QChar c : iban)
        if (!c.isSpace())
            compact += c.toUpper();
    QString out;
    for (int i = 0; i < compact.size(); i += 4) {
        if (i > 0)
            out += u' ';
        out += compact.mid(i, 4);
    }
    return out;
}

bool isValidBic(const QString& typed) {
    const QString bic = typed.trimmed().toUpper();
    if (bic.size() != 8 && bic.size() != 11)
        return false;
    for (int i = 0; i < bic.size(); ++i) {
        const QChar c = bic[i];
        if (i < 6 ? !isAsciiLetter(c) : !(isAsciiLetter(c) || isAsciiDigit(c)))
            return false;
    }
    return isCountryCode(bic.mid(4, 2)) || bic.mid(4, 2) == QLatin1String("XK");
}

} // namespace einvoice
