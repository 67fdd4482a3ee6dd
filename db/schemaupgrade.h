#pragma once

#include <QString>

struct sqlite3;

namespace db {

// Brings a database file of ours up to the program's schema when it opens, in one
// transaction, and writes nothing when it is up to date:
//   - a file of version 1 gets folded shadow columns for its case-insensitive indexes (filled
//     from the fields) in place of the collation those indexes used;
//   - tables, fields and indexes the program declares but the file lacks are added;
//   - lost refold triggers are made again, and their tables folded again in full.
// Then folds again the rows that other programs changed (noted in mrv_refold).
// The connection needs registerNoCase. False with a message when the file cannot be written.
bool upgradeSchema(sqlite3* db, QString* error);

// Folds the rows noted in mrv_refold again and forgets them. Runs inside the caller's
// transaction when there is one. False with a message on failure.
bool refoldNoted(sqlite3* db, QString* error);

} // namespace db
