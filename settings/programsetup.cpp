#include "settings/programsetup.h"

#include "service/numbers.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"

#include <limits>

namespace ProgramSetup {

const std::array<QString, 3> kDefaultReminderTexts{
    QStringLiteral("We have not received payment for the invoice listed above and assume there "
                   "has been an oversight. We would appreciate payment in the coming days."),
    QStringLiteral("The invoice listed above has not been paid, in spite of a reminder. Please "
                   "let us know if there is any problem regarding the payment of this invoice. "
                   "Please note that we reserve the right to charge interest on overdue sums in "
                   "addition to an invoice charge for late payment."),
    QStringLiteral("This is the last (third) and final reminder about the invoice listed above. "
                   "We reserve the right to take whatever legal action is deemed necessary if "
                   "the debt is not settled immediately."),
};

namespace {

QString key(const char* name) {
    return QLatin1String(name);
}

QString reminderKey(int index, const char* suffix) {
    return QStringLiteral("Reminder%1%2").arg(index + 1).arg(QLatin1String(suffix));
}

// A stored counter shown as the next number to give; a counter at the top of the range still
// shows a number rather than wrapping round.
QString nextNumberText(int last) {
    return QString::number(qint64(last) + 1);
}

} // namespace

Values read(const SettingsFile& file) {
    const QString s = QLatin1String(kSection);
    Values v;
    v.autonum = file.readInteger(s, key("Autonum"), Manual);
    if (v.autonum < Manual || v.autonum > SerialOnly)
        v.autonum = Manual;
    v.nextInvNo = nextNumberText(file.readInteger(s, key("LastTotalSeqNo"), 0));
    v.terms = QString::number(file.readInteger(s, key("Terms"), 0));
    v.copies = QString::number(file.readInteger(s, key("Copies"), 1));
    v.pdf = file.readBool(s, key("pdf"), false);
    v.disc = file.readBool(s, key("Disc"), false);
    v.vat = file.readBool(s, key("VAT"), false);
    v.vatInPrice = file.readBool(s, key("VATinPrice"), false);
    v.rounding = file.readBool(s, key("Rounding"), false);
    v.autoCust = file.readBool(s, key("AutoCust"), false);
    v.nextCustNo = nextNumberText(file.readInteger(s, key("LastCustNo"), 0));
    for (int i = 0; i < 3; ++i) {
        v.reminderDays[i] =
            QString::number(file.readInteger(s, reminderKey(i, "Days"), kDefaultReminderDays[i]));
        v.reminderTexts[i] = StrEscapedToString(
            file.readString(s, reminderKey(i, "Text"), kDefaultReminderTexts[i]));
    }
    v.interestRate = file.readString(s, key("Interestrate"));
    v.invoiceCharge = file.readString(s, key("InvoiceCharge"));
    v.threshold = file.readString(s, key("Threshold"));
    v.designName = file.readString(s, key("DesignName"));
    v.designFile = file.readString(s, key("DesignFile"));
    v.freeText = file.readString(s, key("FreeText"));
    return v;
}

QString wholeNumberOr(const QString& text, const QString& replacement, int offset) {
    const std::optional<int> n = Numbers::parseInteger(text);
    if (!n)
        return replacement;
    const qint64 shifted = qint64(*n) + offset;
    if (shifted < std::numeric_limits<int>::min() || shifted > std::numeric_limits<int>::max())
        return replacement;
    return text;
}

QString decimalOrZero(const QString& text, const QLocale& locale) {
    return Numbers::parseDecimal(text, locale) ? text : QStringLiteral("0");
}

void normalize(Values& v, const QLocale& locale) {
    const QString zero = QStringLiteral("0");
    // The counters are stored as "next number - 1", which must still be a number.
    v.nextInvNo = wholeNumberOr(v.nextInvNo, zero, -1);
    v.terms = wholeNumberOr(v.terms, zero);
    v.copies = wholeNumberOr(v.copies, QStringLiteral("1"));
    v.nextCustNo = wholeNumberOr(v.nextCustNo, zero, -1);
    for (QString& days : v.reminderDays)
        days = wholeNumberOr(days, zero);
    v.interestRate = decimalOrZero(v.interestRate, locale);
    v.invoiceCharge = decimalOrZero(v.invoiceCharge, locale);
    v.threshold = decimalOrZero(v.threshold, locale);
}

void write(SettingsFile& file, const Values& v) {
    const QString s = QLatin1String(kSection);
    auto number = [](const QString& text) { return Numbers::parseInteger(text).value_or(0); };
    file.writeInteger(s, key("Autonum"), v.autonum);
    file.writeInteger(s, key("LastTotalSeqNo"), number(v.nextInvNo) - 1);
    file.writeInteger(s, key("Terms"), number(v.terms));
    file.writeInteger(s, key("Copies"), Numbers::parseInteger(v.copies).value_or(1));
    file.writeBool(s, key("pdf"), v.pdf);
    file.writeBool(s, key("Disc"), v.disc);
    file.writeBool(s, key("VAT"), v.vat);
    file.writeBool(s, key("VATinPrice"), v.vatInPrice);
    file.writeBool(s, key("Rounding"), v.rounding);
    file.writeBool(s, key("AutoCust"), v.autoCust);
    file.writeInteger(s, key("LastCustNo"), number(v.nextCustNo) - 1);
    for (int i = 0; i < 3; ++i)
        file.writeInteger(s, reminderKey(i, "Days"), number(v.reminderDays[i]));
    for (int i = 0; i < 3; ++i)
        file.writeString(s, reminderKey(i, "Text"), StrStringToEscaped(v.reminderTexts[i]));
    file.writeString(s, key("Interestrate"), v.interestRate);
    file.writeString(s, key("InvoiceCharge"), v.invoiceCharge);
    file.writeString(s, key("Threshold"), v.threshold);
    file.writeString(s, key("DesignName"), v.designName);
    file.writeString(s, key("DesignFile"), v.designFile);
    file.writeString(s, key("FreeText"), v.freeText);
}

TaxCaptions taxCaptions(const QString& country) {
    if (country == QLatin1String("CA"))
        return {QStringLiteral("Use GST/HST"), QStringLiteral("Suggest GST/HST when invoicing"),
                QStringLiteral("Prices incl. GST/HST")};
    if (country == QLatin1String("NZ") || country == QLatin1String("AU") ||
        country == QLatin1String("SG"))
        return {QStringLiteral("Use GST"), QStringLiteral("Suggest GST when invoicing"),
                QStringLiteral("Prices incl. GST")};
    return {QStringLiteral("Use VAT"), QStringLiteral("Suggest VAT when invoicing"),
            QStringLiteral("Prices incl. VAT")};
}

bool countryWithoutVat(const QString& country) {
    return country == QLatin1String("US");
}

} // namespace ProgramSetup
