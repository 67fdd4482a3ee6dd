#pragma once

#include <QString>

#include <optional>

class QTextDocument;

namespace db {
class Table;
}

// The named formatted texts printed on documents (table FreeText, fields "Name" and "Text"),
// without a window. The text is kept as RTF, the format the print layout reads; texts stored
// before as Qt rich text or plain text are shown as they are and kept as RTF after their first
// change. Functions that use a table throw db::EngineError when the engine fails.
namespace FreeTexts {

inline constexpr const char* kTable = "FreeText";
inline constexpr const char* kName = "Name";
inline constexpr const char* kText = "Text";

// The field's text for the editor's document: RTF, or nothing for an empty document.
QString toStored(const QTextDocument& document);
// The editor's rich text (or plain text) for the field's text.
QString toShown(const QString& stored);

// Opens FreeText of the data directory in the default session, in its primary order.
void open(db::Table& table, const QString& dataDir);

// Moves to the first record, in the table's order, whose name equals the given one ignoring
// letter case. Without such a record (or for an empty name) the cursor stays where it was and
// false is returned.
bool locate(db::Table& table, const QString& name);

// The stored text of the named free text (the first one, ignoring case), or nothing when no
// text has that name or the table cannot be read.
std::optional<QString> storedText(const QString& dataDir, const QString& name);

// The name and text of the current record as they are stored, without the edits not posted
// yet; empty for a new record.
QString storedNameOfCurrent(const db::Table& table);
QString storedTextOfCurrent(const db::Table& table);

// The current record stays in edit mode, so that typing edits it at once; an empty table is
// left as it is.
void keepEditing(db::Table& table);
// Writes the record's pending changes; a new record nobody typed into is dropped. False when
// the post was aborted.
bool postPending(db::Table& table);
// Deletes the current record, or drops the new one; nothing on an empty table.
void deleteCurrent(db::Table& table);

} // namespace FreeTexts
