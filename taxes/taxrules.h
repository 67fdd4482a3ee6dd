#pragma once

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

} // namespace taxes
