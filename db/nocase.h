#pragma once

#include <QString>

struct sqlite3;

namespace db {

// Case folding for every letter (simple Unicode case folding, one code point to one), so that
// "åsa" matches "Åsa". The folded shadow columns hold this text, so that an index with the
// built-in BINARY collation orders by folded code points: stable whatever the locale.
QString foldCase(const QString& text);
int compareNoCase(const QString& a, const QString& b);

// Registers on a connection: the functions mrv_fold(x) and mrv_startswith(text, prefix) (both
// ignoring case for every letter), UPPER/LOWER that handle every letter, not only ASCII, and
// the collation of version 1 files (only for upgrading them). Nothing stored in a file of the
// current version needs any of them. Returns an SQLite result code.
int registerNoCase(sqlite3* db);

} // namespace db
