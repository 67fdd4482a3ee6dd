#pragma once

#include <QString>

struct sqlite3;

namespace db {

// Case folding for every letter (simple Unicode case folding, one code point to one), so that
// "åsa" matches "Åsa". Orders by folded code points: stable whatever the locale, which an
// index on disk needs.
QString foldCase(const QString& text);
int compareNoCase(const QString& a, const QString& b);

// Registers on a connection: the collation MRVNOCASE, the functions mrv_fold(x) and
// mrv_startswith(text, prefix) (both ignoring case for every letter), and UPPER/LOWER that
// handle every letter, not only ASCII. Returns an SQLite result code.
int registerNoCase(sqlite3* db);

} // namespace db
