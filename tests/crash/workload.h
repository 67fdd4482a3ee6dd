#pragma once

// The saving work of the crash and two-instance tests, and the checks of a data directory
// afterwards. Everything goes through the table layer's public API and the invoicing document
// store, as the program itself saves.

#include <QSet>
#include <QString>
#include <QStringList>

namespace workload {

inline constexpr int kRowsPerDocument = 50;
inline constexpr int kFillerKeys = 40;

// A new data directory with a customer "C1" and products "P1" to "P5" to count statistics on.
bool prepare(const QString& dir, QString* error);

// One round of the saving loop: 50 working rows, the document saved through the document
// store (head and rows in one transaction), its number appended to the side file once that
// returned, the statistics counted, and MRVInv.ini rewritten with keys that name the round.
void saveRound(const QString& dir, const QString& sideFile, int number);

// The numbers in a side file (a last line cut short by a kill is left out).
QSet<int> committedNumbers(const QString& sideFile);
// The next number to use after the ones in the side file.
int nextNumber(const QString& sideFile);

// What is wrong with the directory: integrity_check, heads without their 50 rows, committed
// numbers without a head, an MRVInv.ini that is not whole. Empty when all holds.
QStringList problems(const QString& dir, const QSet<int>& committed);

// Another instance's share of the two-instance test: `count` customers "<tag>-<i>" posted
// and `count` documents stored directly (head and rows in one transaction, no working rows),
// each logged to the side file once it returned. Returns the number of failures (a lock held
// through every retry); throws nothing.
int postAndStore(const QString& dir, const QString& tag, int count, const QString& sideFile);

} // namespace workload
