#include "einvoice/codes.h"

#include <QHash>

namespace einvoice {

namespace {

// ISO 3166-1 alpha-2 as the EN 16931 code lists hold it ("1A" is Kosovo, "XI" Northern
// Ireland).
constexpr const char* kCountries =
    " 1A AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ BA BB BD BE BF BG BH BI BJ BL BM BN BO"
    " BQ BR BS BT BV BW BY BZ CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ DE DJ DK"
    " DM DO DZ EC EE EG EH ER ES ET FI FJ FK FM FO FR GA GB GD GE GF GG GH GI GL GM GN GP GQ GR"
    " GS GT GU GW GY HK HM HN HR HT HU ID IE IL IM IN IO IQ IR IS IT JE JM JO JP KE KG KH KI KM"
    " KN KP KR KW KY KZ LA LB LC LI LK LR LS LT LU LV LY MA MC MD ME MF MG MH MK ML MM MN MO MP"
    " MQ MR MS MT MU MV MW MX MY MZ NA NC NE NF NG NI NL NO NP NR NU NZ OM PA PE PF PG PH PK PL"
    " PM PN PR PS PT PW PY QA RE RO RS RU RW SA SB SC SD SE SG SH SI SJ SK SL SM SN SO SR SS ST"
    " SV SX SY SZ TC TD TF TG TH TJ TK TL TM TN TO TR TT TV TW TZ UA UG UM US UY UZ VA VC VE VG"
    " VI VN VU WF WS XI YE YT ZA ZM ZW ";

constexpr const char* kCurrencies =
    " AED AFN ALL AMD AOA ARS AUD AWG AZN BAM BBD BDT BHD BIF BMD BND BOB BOV BRL BSD BTN BWP"
    " BYN BZD CAD CDF CHE CHF CHW CLF CLP CNH CNY COP COU CRC CUP CVE CZK DJF DKK DOP DZD EGP"
    " ERN ETB EUR FJD FKP GBP GEL GHS GIP GMD GNF GTQ GYD HKD HNL HTG HUF IDR ILS INR IQD IRR"
    " ISK JMD JOD JPY KES KGS KHR KMF KPW KRW KWD KYD KZT LAK LBP LKR LRD LSL LYD MAD MDL MGA"
    " MKD MMK MNT MOP MRU MUR MVR MWK MXN MXV MYR MZN NAD NGN NIO NOK NPR NZD OMR PAB PEN PGK"
    " PHP PKR PLN PYG QAR RON RSD RUB RWF SAR SBD SCR SDG SEK SGD SHP SLE SOS SRD SSP STD SVC"
    " SYP SZL THB TJS TMT TND TOP TRY TTD TWD TZS UAH UGX USD USN UYI UYU UYW UZS VES VED VND"
    " VUV WST XAF XAG XAU XBA XBB XBC XBD XCD XCG XDR XOF XPD XPF XPT XSU XTS XUA XXX YER ZAR"
    " ZMW ZWG ";

bool inList(const char* list, const QString& code, int length) {
    if (code.size() != length || code != code.toUpper())
        return false;
    return QLatin1String(list).contains(QLatin1Char(' ') + code + QLatin1Char(' '));
}

} // namespace

bool isCountryCode(const QString& code, bool allowVatPrefix) {
    if (allowVatPrefix && code == QLatin1String("EL"))
        return true;
    return inList(kCountries, code, 2);
}

bool isCurrencyCode(const QString& code) {
    return inList(kCurrencies, code, 3);
}

QString defaultCurrency(const QString& countryCode) {
    static const QHash<QString, QString> own = {
        {"SE", "SEK"}, {"DK", "DKK"}, {"NO", "NOK"}, {"IS", "ISK"}, {"GB", "GBP"},
        {"CH", "CHF"}, {"LI", "CHF"}, {"PL", "PLN"}, {"CZ", "CZK"}, {"HU", "HUF"},
        {"RO", "RON"}, {"US", "USD"}, {"CA", "CAD"}, {"AU", "AUD"}, {"NZ", "NZD"},
        {"ZA", "ZAR"}, {"SG", "SGD"}, {"JP", "JPY"}, {"CN", "CNY"}, {"IN", "INR"},
        {"TR", "TRY"}, {"RS", "RSD"}, {"UA", "UAH"}, {"IL", "ILS"}, {"HK", "HKD"},
    };
    return own.value(countryCode.trimmed().toUpper(), QStringLiteral("EUR"));
}

bool hasVatCountryPrefix(const QString& vatNumber) {
    return isCountryCode(vatNumber.trimmed().left(2).toUpper(), true);
}

} // namespace einvoice
