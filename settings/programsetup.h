#pragma once

#include "ui/numberbox.h"

#include <QLocale>
#include <QString>

#include <array>
#include <optional>

class SettingsFile;

// The user settings of section "Invoice" of MRVInv.ini as the program setup dialog shows
// them: numbers are kept as the texts of their boxes, so that what the user typed is what gets
// checked (by each box's rule) and written when the dialog closes.
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

// The boxes that hold numbers, in the order the dialog checks them when it closes.
enum class NumberBox {
    NextInvNo,
    Terms,
    Copies,
    NextCustNo,
    Remind1Days,
    Remind2Days,
    Remind3Days,
    InterestRate,
    InvoiceCharge,
    Threshold
};
inline constexpr std::array<NumberBox, 10> kNumberBoxes{
    NumberBox::NextInvNo,   NumberBox::Terms,        NumberBox::Copies,
    NumberBox::NextCustNo,  NumberBox::Remind1Days,  NumberBox::Remind2Days,
    NumberBox::Remind3Days, NumberBox::InterestRate, NumberBox::InvoiceCharge,
    NumberBox::Threshold};

// What each box may hold, named as the dialog labels it. A text that is not such a number is
// refused and never stored: the setting keeps what it had. Counters (next invoice and
// customer number) are whole numbers from 1, copies 1 to 99, terms and reminder days whole
// numbers from 0, the interest rate a percentage from 0 to 100, the charge and the lowest
// amount money from 0. Terms and the three finance fields may be left empty.
ui::NumberRule numberRule(NumberBox box);
QString& numberText(Values& values, NumberBox box);
const QString& numberText(const Values& values, NumberBox box);

// Once every box passed its rule: an empty box that may be empty is stored as "0".
void normalize(Values& values);
// Writes every key. A counter is stored as "next number - 1"; the decimal fields are written
// as typed.
void write(SettingsFile& file, const Values& values);

// The highest invoice number of the stored documents that is a plain number ("Invoice no"
// of IHead); nothing when there is none, or no document table to ask.
std::optional<qint64> highestInvoiceNumber(const QString& dataDir);
// The question to ask before a next invoice number that is not above every number already
// used is accepted; empty when there is nothing to ask.
QString usedInvoiceNumberQuestion(qint64 next, std::optional<qint64> highest);

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
