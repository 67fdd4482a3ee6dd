#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// Reading and writing plain numbers the way the desktop shows them.
namespace Numbers {

// A whole decimal number with an optional sign; surrounding blanks are ignored.
std::optional<int> parseInteger(const QString& text);
// A decimal number in the locale's format, without group separators ("8,5" is not a number
// where the decimal separator is the point).
std::optional<double> parseDecimal(const QString& text, const QLocale& locale = QLocale());
// Shortest text that reads back as the same number, with the locale's decimal separator.
QString formatDecimal(double value, const QLocale& locale = QLocale());

} // namespace Numbers
