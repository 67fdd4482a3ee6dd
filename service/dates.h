#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// Calendar dates as the program keeps them. The zero date (30 December 1899, day 0 of the old
// date-time type) and an empty value both mean "no date".
namespace Dates {

QDate zeroDate();
bool isNoDate(const QDate& date);
// The date itself, or an invalid QDate for "no date".
QDate normalized(const QDate& date);

// Storage form: ISO "YYYY-MM-DD"; "no date" is the empty text.
QString toIso(const QDate& date);
QDate fromIso(const QString& text);

// The desktop's short date format, with four-digit years so that no century is guessed.
QString shortFormat(const QLocale& locale = QLocale());
QString toShortText(const QDate& date, const QLocale& locale = QLocale());
// Accepts the short format and, as a fallback, ISO text; invalid for anything else.
QDate fromShortText(const QString& text, const QLocale& locale = QLocale());

// Whole days from one point in time to another, the fraction cut off toward zero.
int wholeDaysBetween(const QDateTime& from, const QDateTime& to);
int wholeDaysBetween(const QDate& from, const QDate& to);

// Day number of the old date-time type (days since the zero date) and back.
double toSerial(const QDateTime& value);
QDateTime fromSerial(double serial);

} // namespace Dates
