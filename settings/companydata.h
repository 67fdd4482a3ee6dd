#pragma once

#include <QString>

class SettingsFile;

// The company's own data of section "Company" of MRV.ini and the company globals.
namespace CompanyData {

inline constexpr const char* kSection = "Company";

struct Values {
    QString name;
    QString shortName;
    QString address;
    QString city;
    QString zip;
    QString state;
    QString phone;
    QString fax;
    QString email;
    QString bank; // several lines
    QString vatNumber;
    // For electronic invoices.
    QString iban;
    QString bic;
    QString countryCode;
    QString legalRegNo;
    QString currency;
};

Values fromGlobals();
void toGlobals(const Values& values);
// Writes every key of the section in the order the dialog stores them; the bank text as one
// escaped line. Other sections of the file are left alone.
void write(SettingsFile& file, const Values& values);

// Which of the country-dependent fields a country shows, and their captions. A hidden field
// keeps its value.
struct FieldLayout {
    bool zipVisible = true;
    QString zipCaption;
    bool stateVisible = false;
    QString stateCaption;
    bool vatNumberVisible = true;
    QString vatNumberCaption;
};
FieldLayout fieldLayout(const QString& country);

// Why a typed value of an electronic-invoice field cannot be taken, or an empty text. The
// IBAN is checked by its country's length and its mod-97 check digits; an empty value is
// always taken (the company then issues no e-invoices that need it).
QString ibanProblem(const QString& typed);
QString bicProblem(const QString& typed);
QString countryCodeProblem(const QString& typed);
QString currencyProblem(const QString& typed);

} // namespace CompanyData
