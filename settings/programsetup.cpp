#include "settings/programsetup.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/session.h"
#include "service/numbers.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"
#include "settings/logging.h"

#include <algorithm>
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

ui::NumberRule numberRule(NumberBox box) {
    using ui::NumberRule;
    constexpr qint64 kTop = std::numeric_limits<int>::max();
    switch (box) {
    case NumberBox::NextInvNo:
        return NumberRule::wholeNumber(QStringLiteral("Next invoice number"), 1, kTop)
            .allowEmpty(false);
    case NumberBox::Terms:
        return NumberRule::wholeNumber(QStringLiteral("Terms"), 0, kTop);
    case NumberBox::Copies:
        return NumberRule::wholeNumber(QStringLiteral("Invoice copies"), 1, 99).allowEmpty(false);
    case NumberBox::NextCustNo:
        return NumberRule::wholeNumber(QStringLiteral("Next customer number"), 1, kTop)
            .allowEmpty(false);
    case NumberBox::Remind1Days:
        return NumberRule::wholeNumber(QStringLiteral("First reminder after"), 0, kTop)
            .allowEmpty(false);
    case NumberBox::Remind2Days:
        return NumberRule::wholeNumber(QStringLiteral("Second reminder after"), 0, kTop)
            .allowEmpty(false);
    case NumberBox::Remind3Days:
        return NumberRule::wholeNumber(QStringLiteral("Third reminder after"), 0, kTop)
            .allowEmpty(false);
    case NumberBox::InterestRate:
        return NumberRule::decimal(QStringLiteral("Interest rate"), 0, 100);
    case NumberBox::InvoiceCharge:
        return NumberRule::amount(QStringLiteral("Invoice charge"), Currency());
    case NumberBox::Threshold:
        return NumberRule::amount(QStringLiteral("Lowest amount"), Currency());
    }
    return {};
}

const QString& numberText(const Values& v, NumberBox box) {
    switch (box) {
    case NumberBox::NextInvNo:
        return v.nextInvNo;
    case NumberBox::Terms:
        return v.terms;
    case NumberBox::Copies:
        return v.copies;
    case NumberBox::NextCustNo:
        return v.nextCustNo;
    case NumberBox::Remind1Days:
        return v.reminderDays[0];
    case NumberBox::Remind2Days:
        return v.reminderDays[1];
    case NumberBox::Remind3Days:
        return v.reminderDays[2];
    case NumberBox::InterestRate:
        return v.interestRate;
    case NumberBox::InvoiceCharge:
        return v.invoiceCharge;
    case NumberBox::Threshold:
        break;
    }
    return v.threshold;
}

QString& numberText(Values& v, NumberBox box) {
    return const_cast<QString&>(numberText(static_cast<const Values&>(v), box));
}

void normalize(Values& v) {
    for (NumberBox box : kNumberBoxes) {
        QString& text = numberText(v, box);
        if (text.trimmed().isEmpty() && numberRule(box).emptyAllowed())
            text = QStringLiteral("0");
    }
}

namespace {

// A counter as stored: the number before the next one, within what the file's integers hold.
int lastNumber(const QString& next) {
    bool ok = false;
    const qint64 n = next.trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    return static_cast<int>(std::clamp<qint64>(n - 1, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

} // namespace

void write(SettingsFile& file, const Values& v) {
    const QString s = QLatin1String(kSection);
    auto number = [](const QString& text, int otherwise) {
        return Numbers::parseInteger(text).value_or(otherwise);
    };
    file.writeInteger(s, key("Autonum"), v.autonum);
    file.writeInteger(s, key("LastTotalSeqNo"), lastNumber(v.nextInvNo));
    file.writeInteger(s, key("Terms"), number(v.terms, 0));
    file.writeInteger(s, key("Copies"), number(v.copies, 1));
    file.writeBool(s, key("pdf"), v.pdf);
    file.writeBool(s, key("Disc"), v.disc);
    file.writeBool(s, key("VAT"), v.vat);
    file.writeBool(s, key("VATinPrice"), v.vatInPrice);
    file.writeBool(s, key("Rounding"), v.rounding);
    file.writeBool(s, key("AutoCust"), v.autoCust);
    file.writeInteger(s, key("LastCustNo"), lastNumber(v.nextCustNo));
    for (int i = 0; i < 3; ++i)
        file.writeInteger(s, reminderKey(i, "Days"),
                          number(v.reminderDays[i], kDefaultReminderDays[i]));
    for (int i = 0; i < 3; ++i)
        file.writeString(s, reminderKey(i, "Text"), StrStringToEscaped(v.reminderTexts[i]));
    file.writeString(s, key("Interestrate"), v.interestRate);
    file.writeString(s, key("InvoiceCharge"), v.invoiceCharge);
    file.writeString(s, key("Threshold"), v.threshold);
    file.writeString(s, key("DesignName"), v.designName);
    file.writeString(s, key("DesignFile"), v.designFile);
    file.writeString(s, key("FreeText"), v.freeText);
}

std::optional<qint64> highestInvoiceNumber(const QString& dataDir) {
    db::Session session(QStringLiteral("sSetup"));
    session.AddPassword(QStringLiteral("GRAND"));
    db::Query query;
    query.setSession(&session);
    query.setDatabaseName(dataDir);
    // Only numbers made of digits count; other documents may be numbered otherwise.
    query.SQL() << QStringLiteral("SELECT MAX(CAST(\"Invoice no\" AS INTEGER)) AS Highest")
                << QStringLiteral("FROM IHead WHERE \"Invoice no\" GLOB '[0-9]*'")
                << QStringLiteral("AND \"Invoice no\" NOT GLOB '*[^0-9]*'");
    try {
        query.Open();
        if (query.Eof() || query.Fields(0).IsNull())
            return std::nullopt;
        return query.Fields(0).AsInteger();
    } catch (const db::EngineError& e) {
        // No documents to compare with: nothing to warn about.
        qCInfo(lcSettings) << "invoice numbers not checked:" << e.message();
        return std::nullopt;
    }
}

QString usedInvoiceNumberQuestion(qint64 next, std::optional<qint64> highest) {
    if (!highest || next > *highest)
        return QString();
    return QStringLiteral("Invoices up to number %1 have already been made, so %2 may be given "
                          "twice.\nMake %2 the next invoice number anyway?")
        .arg(*highest)
        .arg(next);
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
