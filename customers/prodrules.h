#pragma once

#include <QString>

namespace db {
class Table;
}

// What the product register does to the Products table, without a window. Functions that
// touch the table throw db::EngineError when the engine fails.
namespace customers {

QString productsPassword();

// Before a product is posted: it needs a code, and no other product may have the same code
// (letter case ignored, as the look-ups find codes). Returns the message that refuses the
// record, or empty when it may be posted.
QString productRefusal(db::Table& products);

// "Delete the product <code> <description>?" ("this product" while it has neither).
QString deleteProductQuestion(db::Table& products);

// Sets the sales and the quantity of the period to 0 for every product, in one transaction.
void resetProductStatistics(db::Table& products);

// The index a title click selects: "Description" for the description, "Code" otherwise.
QString productIndexFor(const QString& field);

} // namespace customers
