#pragma once

#include "ui/numberbox.h"

#include <QString>

namespace db {
class Table;
}

// What the tax and VAT registers do to their tables, without a window. Each function throws
// db::EngineError when the table engine fails; the windows show the message.
namespace taxes {

// Writes the record being edited or inserted. A new record nobody typed into is dropped
// rather than stored empty. Returns false when the post was aborted.
bool postPending(db::Table& table);

// Deletes the current record; nothing happens on an empty table. A new record that was
// never posted is dropped instead.
void deleteCurrent(db::Table& table);

// Removes every tax without a description (they cannot be chosen on a document).
void removeTaxesWithoutDescription(db::Table& taxes);

// Removes every VAT rate after the first record whose rate is 0 or empty: the first record
// stays whatever its rate, so one zero rate can be kept.
void removeZeroVatRates(db::Table& vat);

// What the rate boxes hold: a VAT rate from 0 to 100 percent ("VAT rate"), a tax from -100
// (a deduction of the whole amount) to 1000 percent ("Percent"). Empty is allowed: a record
// without a rate counts as 0 and is cleaned away as the windows close.
ui::NumberRule vatRateRule();
ui::NumberRule taxPercentRule();

// The questions before deleting, naming the record: "Delete the tax Freight surcharge?",
// "Delete the VAT rate 25?" ("this tax", "this VAT rate" while it has none).
QString deleteTaxQuestion(db::Table& taxes);
QString deleteVatRateQuestion(db::Table& vat);

} // namespace taxes
