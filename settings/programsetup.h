#pragma once

#include <QLocale>
#include <QString>

#include <array>

class SettingsFile;

// The user settings of section "Invoice" of MRVInv.ini as the program setup dialog shows
// them: numbers are kept as the texts of their boxes, so that what the user typed is what gets
// checked and written when the dialog closes.
namespace ProgramSetup {

inline constexpr const char* kSection = "Invoice";

// Numbering schemes of "Autonum".
enum Autonum { Manual = 0, DateAndSerial = 1, SerialOnly = 2 };

// The three reminder texts used when the file has none.
extern const std::array<QString, 3> kDefaultReminderTexts;
inline constexpr std::array<int, 3> kDefaultReminderDays{10, 20, 30};

struct Values {
    int autonum = Manual;
    QString nextInvNo; // "LastTotalSeqNo" + 1
    QString terms;     // "Terms"
    QString copies;    // "Copies"
    bool pdf = false;
    bool disc = false;
    bool vat = false;
    bool vatInPrice = false;
    bool rounding = false;
    bool autoCust = false;
    QString nextCustNo; // "LastCustNo" + 1
    std::array<QString, 3> reminderDays;
    std::array<QString, 3> reminderTexts; // several lines, unescaped
    QString interestRate;
    QString invoiceCharge;
    QString threshold;
    QString designName;
    QString designFile;
    QString freeText;
};

// Every value with its default for a missing or unreadable key; the reminder texts come back
// with their line breaks.
Values read(const SettingsFile& file);

// Replaces every text that is not a valid value by its replacement ("0" for counters, terms,
// day counts and the decimal fields, "1" for copies), in the order the dialog checks them, and
// writes every key. The decimal fields must read as decimal numbers in the given locale; they
// are written as typed. Invalid input never stops the writing.
void normalize(Values& values, const QLocale& locale = QLocale());
void write(SettingsFile& file, const Values& values);

// The text itself when it is a whole number whose neighbour by `offset` still fits an int,
// else the replacement.
QString wholeNumberOr(const QString& text, const QString& replacement, int offset = 0);
// The text itself when it reads as a decimal number in the locale, else "0".
QString decimalOrZero(const QString& text, const QLocale& locale);

// Captions of the tax switches, which depend on the country's name for the tax.
struct TaxCaptions {
    QString vat;        // caption of cbVAT
    QString vatHint;    // hint of cbVAT
    QString vatInPrice; // caption of cbPrices
};
TaxCaptions taxCaptions(const QString& country);
// Whether the country has no VAT on invoices at all ("US").
bool countryWithoutVat(const QString& country);

} // namespace ProgramSetup
