#include "taxes/taxrules.h"

#include "db/field.h"
#include "db/table.h"

namespace taxes {

bool postPending(db::Table& table) {
    if (!table.Active())
        return true;
    return table.CheckBrowseMode();
}

void deleteCurrent(db::Table& table) {
    if (!table.Active())
        return;
    if (table.State() == db::DataSetState::Insert || !table.IsEmpty())
        table.Delete();
}

void removeTaxesWithoutDescription(db::Table& taxes) {
    if (!taxes.Active())
        return;
    taxes.First();
    // Counted once: each pass either deletes the current record or steps over it.
    const int count = taxes.RecordCount();
    db::Field& description = taxes.FieldByName(QStringLiteral("Description"));
    for (int i = 0; i < count && !taxes.Eof(); ++i) {
        if (description.AsString().isEmpty())
            taxes.Delete();
        else
            taxes.Next();
    }
}

void removeZeroVatRates(db::Table& vat) {
    if (!vat.Active())
        return;
    vat.First();
    if (vat.Eof())
        return;
    vat.Next();
    db::Field& rate = vat.FieldByName(QStringLiteral("VAT %"));
    while (!vat.Eof()) {
        if (rate.AsFloat() == 0)
            vat.Delete();
        else
            vat.Next();
    }
}

ui::NumberRule vatRateRule() {
    return ui::NumberRule::decimal(QStringLiteral("VAT rate"), 0, 100);
}

ui::NumberRule taxPercentRule() {
    return ui::NumberRule::decimal(QStringLiteral("Percent"), -100, 1000);
}

QString deleteTaxQuestion(db::Table& taxes) {
    const QString name = taxes.FieldByName(QStringLiteral("Description")).AsString().trimmed();
    return name.isEmpty() ? QStringLiteral("Delete this tax?")
                          : QStringLiteral("Delete the tax %1?").arg(name);
}

QString deleteVatRateQuestion(db::Table& vat) {
    const QString rate = vat.FieldByName(QStringLiteral("VAT %")).AsString();
    return rate.isEmpty() ? QStringLiteral("Delete this VAT rate?")
                          : QStringLiteral("Delete the VAT rate %1?").arg(rate);
}

} // namespace taxes
