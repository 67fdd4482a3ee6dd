#include "finance/financerules.h"

#include "db/query.h"
#include "service/numbers.h"
#include "service/settingsfile.h"
#include "ui/numberbox.h"

#include <QDir>

#include <cfenv>
#include <cmath>
#include <limits>

namespace finance {

namespace {

const QString kSection = QStringLiteral("Invoice");

// The value of a key as the rule reads it; a missing key is "0".
ui::NumberReading readSetting(const SettingsFile& ini, const QString& key, ui::NumberRule rule) {
    rule.setName(QStringLiteral("The setting \"%1\" in %2")
                     .arg(key, QDir::toNativeSeparators(ini.fileName())));
    rule.allowEmpty(false);
    return rule.read(ini.readString(kSection, key, QStringLiteral("0")));
}

} // namespace

std::optional<FinanceSettings> readFinanceSettings(const QString& iniFile, QString* error) {
    const SettingsFile ini(iniFile);
    FinanceSettings s;
    const ui::NumberReading rate =
        readSetting(ini, QStringLiteral("Interestrate"), ui::NumberRule::decimal(QString()));
    const ui::NumberReading charge =
        readSetting(ini, QStringLiteral("InvoiceCharge"), ui::NumberRule::amount(QString()));
    const ui::NumberReading threshold =
        readSetting(ini, QStringLiteral("Threshold"), ui::NumberRule::amount(QString()));
    const ui::NumberReading terms =
        readSetting(ini, QStringLiteral("Terms"),
                    ui::NumberRule::wholeNumber(QString(), std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
    for (const ui::NumberReading* r : {&rate, &charge, &threshold, &terms})
        if (!r->ok) {
            if (error)
                *error = r->message;
            return std::nullopt;
        }
    s.interestRate = rate.number;
    s.invoiceCharge = charge.amount;
    s.threshold = threshold.amount;
    s.terms = static_cast<int>(terms.whole);
    return s;
}

Currency financeInterest(Currency total, int delayDays, double ratePercent) {
    if (delayDays <= 0)
        return Currency();
    // In ten-thousandths, divided once and rounded once: the product of the raw total, the
    // days and the rate is exact in extended precision for every realistic amount.
    const long double tenThousandths = static_cast<long double>(total.raw()) * delayDays *
                                       static_cast<long double>(ratePercent) / 36000.0L;
    if (!std::isfinite(tenThousandths) ||
        std::fabs(tenThousandths) >=
            static_cast<long double>(std::numeric_limits<std::int64_t>::max()))
        throw CurrencyOverflow();
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST); // half to even
    const long double rounded = std::nearbyintl(tenThousandths);
    std::fesetround(mode);
    return Currency::fromRaw(static_cast<std::int64_t>(rounded));
}

QStringList listSql() {
    return {
        QStringLiteral("SELECT * "), QStringLiteral("FROM IHEAD "),
        QStringLiteral("WHERE ((Total > 0) AND (Paid <> NULL) AND ((Rest = 0) OR (Rest = NULL)) "
                       "AND ((Total * :Rta * Delay) > :Trosk) AND (\"Interest charged\" = "
                       "NULL))")};
}

std::optional<Currency> listThreshold(Currency threshold) {
    try {
        return threshold * 36000.0L;
    } catch (const CurrencyOverflow&) {
        return std::nullopt;
    }
}

QString interestRowText(const QString& invoiceNo, const QString& delayText, double ratePercent) {
    return QStringLiteral("Invoice %1, %2 days at %3 %")
        .arg(invoiceNo, delayText, Numbers::formatDecimal(ratePercent));
}

QString financeInvoiceNo(const QString& invoiceNo) {
    return invoiceNo + QStringLiteral("-F");
}

bool recordInterest(db::Session& session, const QString& dataDir, qint64 headId,
                    Currency interest) {
    db::Query q;
    q.setSession(&session);
    q.setDatabaseName(dataDir);
    q.setSQL({QStringLiteral("UPDATE IHEAD"), QStringLiteral("SET \"Interest charged\" = :Summa"),
              QStringLiteral("WHERE ID = :ID")});
    q.ParamByName(QStringLiteral("Summa")).setAsCurrency(interest);
    q.ParamByName(QStringLiteral("ID")).setAsInteger(headId);
    return q.ExecSQL() > 0;
}

} // namespace finance
