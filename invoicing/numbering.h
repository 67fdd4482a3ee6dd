#pragma once

#include <QDate>
#include <QString>

#include <functional>

// Document numbers of the three numbering schemes ("Autonum" 0, 1, 2).
namespace invoicing {

enum NumberingScheme { ManualNumbers = 0, DateAndDaySequence = 1, TotalSequence = 2 };

// The working copies of the two sequences; the committed values stay in the editor until a
// document is printed.
struct Sequences {
    int daySeq = 0;
    int totalSeq = 0;
};

// Whether a number is already carried by a stored document.
using NumberInUse = std::function<bool(const QString& number)>;

// The next number of the scheme, raising the working copy it uses. Scheme 1 is today's date
// in the short date format without "-" followed by the day sequence; scheme 2 the total
// sequence. A number that a stored document already carries is skipped, so the scheme moves
// on to the first free one (two documents never print with the same number). Scheme 0 gives
// an empty text and changes nothing.
QString NextInvoiceNo(int scheme, Sequences& seq, const QDate& today, const QString& shortFormat,
                      const NumberInUse& inUse = {});

// The date part of a scheme 1 number.
QString datePrefix(const QDate& today, const QString& shortFormat);

} // namespace invoicing
