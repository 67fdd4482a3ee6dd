#include "settings/companydata.h"

#include "einvoice/codes.h"
#include "einvoice/iban.h"
#include "service/service.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"

namespace CompanyData {

Values fromGlobals() {
    using namespace Service;
    return {CompanyName,  CompanyShortName, CompanyAddress, CompanyCity,
            CompanyZip,   CompanyState,     CompanyPhone,   CompanyFax,
            CompanyEmail, CompanyBank,      VATnumber,      CompanyIBAN,
            CompanyBIC,   CompanyCountry,   CompanyLegalNo, CompanyCurrency};
}

void toGlobals(const Values& v) {
    Service::CompanyName = v.name;
    Service::CompanyShortName = v.shortName;
    Service::CompanyAddress = v.address;
    Service::CompanyCity = v.city;
    Service::CompanyZip = v.zip;
    Service::CompanyState = v.state;
    Service::CompanyPhone = v.phone;
    Service::CompanyFax = v.fax;
    Service::CompanyEmail = v.email;
    Service::CompanyBank = v.bank;
    Service::VATnumber = v.vatNumber;
    Service::CompanyIBAN = v.iban;
    Service::CompanyBIC = v.bic;
    Service::CompanyCountry = v.countryCode.isEmpty() ? Service::Country : v.countryCode;
    Service::CompanyLegalNo = v.legalRegNo;
    Service::CompanyCurrency = v.currency;
}

void write(SettingsFile& file, const Values& v) {
    const QString s = QLatin1String(kSection);
    file.writeString(s, QStringLiteral("Name"), v.name);
    file.writeString(s, QStringLiteral("Shortname"), v.shortName);
    file.writeString(s, QStringLiteral("Address"), v.address);
    file.writeString(s, QStringLiteral("City"), v.city);
    file.writeString(s, QStringLiteral("Zip"), v.zip);
    file.writeString(s, QStringLiteral("State"), v.state);
    file.writeString(s, QStringLiteral("Phone"), v.phone);
    file.writeString(s, QStringLiteral("Fax"), v.fax);
    file.writeString(s, QStringLiteral("Email"), v.email);
    file.writeString(s, QStringLiteral("Bank"), StrStringToEscaped(v.bank));
    file.writeString(s, QStringLiteral("VATnumber"), v.vatNumber);
    file.writeString(s, QStringLiteral("IBAN"), v.iban);
    file.writeString(s, QStringLiteral("BIC"), v.bic);
    file.writeString(s, QStringLiteral("CountryCode"), v.countryCode);
    file.writeString(s, QStringLiteral("LegalRegNo"), v.legalRegNo);
    file.writeString(s, QStringLiteral("Currency"), v.currency);
}

QString ibanProblem(const QString& typed) {
    if (typed.trimmed().isEmpty())
        return QString();
    const einvoice::IbanCheck check = einvoice::checkIban(typed);
    return check.valid ? QString() : QStringLiteral("IBAN: ") + check.message;
}

QString bicProblem(const QString& typed) {
    if (typed.trimmed().isEmpty() || einvoice::isValidBic(typed.trimmed()))
        return QString();
    return QStringLiteral("BIC: \"%1\" is no BIC (8 or 11 letters and digits, such as "
                          "DEUTDEFF or DEUTDEFF500).")
        .arg(typed.trimmed());
}

QString countryCodeProblem(const QString& typed) {
    const QString code = typed.trimmed().toUpper();
    if (code.isEmpty() || einvoice::isCountryCode(code))
        return QString();
    return QStringLiteral("Country code: \"%1\" is no country code (two letters, such as DE or "
                          "SE).")
        .arg(typed.trimmed());
}

QString currencyProblem(const QString& typed) {
    const QString code = typed.trimmed().toUpper();
    if (code.isEmpty() || einvoice::isCurrencyCode(code))
        return QString();
    return QStringLiteral("Currency: \"%1\" is no currency code (three letters, such as EUR or "
                          "SEK).")
        .arg(typed.trimmed());
}

FieldLayout fieldLayout(const QString& country) {
    const QString postcode = QStringLiteral("Postcode:");
    const QString state = QStringLiteral("State:");
    const QString vatNumber = QStringLiteral("VAT number:");
    if (country == QLatin1String("US"))
        return {true, QStringLiteral("Zip:"), true, state, false, vatNumber};
    if (country == QLatin1String("NZ"))
        return {false, postcode, false, state, true, QStringLiteral("GST number:")};
    if (country == QLatin1String("AU"))
        return {true, postcode, true, state, true, QStringLiteral("ABN number:")};
    if (country == QLatin1String("GB"))
        return {true, postcode, true, QStringLiteral("County:"), true, vatNumber};
    if (country == QLatin1String("CA"))
        return {true, postcode, false, state, true, QStringLiteral("Business number:")};
    // "ZA" and every other country.
    return {true, postcode, false, state, true, vatNumber};
}

} // namespace CompanyData
