#pragma once

#include "service/currency.h"

#include <QDate>
#include <QString>

namespace db {
class DataSet;
class Field;
class Session;
} // namespace db

// Storing a document (head in IHead, rows from TRow into IRow) and counting it in the
// customer's and the products' sales statistics, apart from the editor window.
namespace invoicing {

struct DocumentHead {
    QString kind, number;
    QDate date, due;
    QString customerNo, customer, line1, line2, line3, vatNo, yourReference, ourReference;
    Currency total;
};

struct SaveRequest {
    DocumentHead head;
    bool printed = false;          // stored as printed: numbered, and "Rest" for invoices
    bool opened = false;           // the document was opened from IHead
    qint64 openedId = 0;           // its "ID"
    bool openedAsTemplate = false; // it was a template when opened
};

// Whether a customer name makes a document a template ("STANDARD..." in any letter case).
bool isTemplateName(const QString& customer);
// Whether the save updates the opened record (true) or stores a new one.
bool updatesOpenedRecord(const SaveRequest& request);

// Writes the head and replaces its rows by the working rows (a trailing empty row left by the
// grid is dropped), in one transaction; returns the head's "ID". The sessions must hold the
// passwords of IHead and IRow. Throws db::EngineError, having changed nothing.
qint64 saveDocument(const SaveRequest& request, db::Session& heads, db::Session& rows,
                    const QString& dataDir);

// The row copy rule between working and stored rows: texts and the long-description flag as
// they are, numbers only when they are not 0 (else the field is emptied).
void copyRow(db::DataSet& from, db::DataSet& to);
// Copies one field's value by its kind (money as money, not as its stored count).
void copyFieldValue(const db::Field& from, db::Field& to);

// Drops the last working row when it is the empty one the grid leaves behind (no
// description and no price).
void dropTrailingEmptyRow(const QString& dataDir);

// Adds a printed document to the statistics by kind (invoices, tax invoices and receipts add,
// credit invoices take away, the other kinds count nothing), in one transaction. Customers
// and products that are not in their tables are skipped.
void updateStatistics(const DocumentHead& head, db::Session& customers, db::Session& products,
                      const QString& dataDir);

} // namespace invoicing
