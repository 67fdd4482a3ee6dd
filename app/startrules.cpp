#include "app/startrules.h"

QString TaxCaptionForCountry(const QString& country) {
    if (country == QLatin1String("NZ") || country == QLatin1String("AU") ||
        country == QLatin1String("SG"))
        return QStringLiteral("GST");
    if (country == QLatin1String("CA"))
        return QStringLiteral("GST/HST");
    return QStringLiteral("VAT");
}

bool VATRatesShownFor(const QString& country) {
    return country != QLatin1String("US");
}

ModuleMenuStates ModuleMenuStatesFor(const QStringList& modules) {
    auto has = [&](const char* tag) {
        return modules.contains(QLatin1String(tag), Qt::CaseInsensitive);
    };
    ModuleMenuStates states;
    states.financeVisible = has("InvModule");
    states.accountingEnabled = has("AccModule");
    states.stockEnabled = has("StockModule");
    states.customersEnabled = has("CustModule");
    states.utilitiesEnabled = has("UteModule") || has("CalcModule");
    states.productsEnabled = has("ProdModule");
    return states;
}

int TopLevelMenuPosition(const QString& text) {
    bool ok = false;
    const int position = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EMenuPositionError(
            QStringLiteral("\"%1\" is not a valid menu position: it must be a whole number.")
                .arg(text));
    if (position < 0 || position >= kTopLevelMenuCount)
        throw EMenuPositionError(
            QStringLiteral("Menu position %1 does not exist: it must be 0 to %2.")
                .arg(position)
                .arg(kTopLevelMenuCount - 1));
    return position;
}
