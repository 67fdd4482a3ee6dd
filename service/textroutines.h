#pragma once

#include <QFlags>
#include <QString>

// Text routines shared by every window.

// A text of several lines as one line of a settings file, and back. The round trip is exact
// for any text; a plain one-line text without backslashes or control characters is unchanged.
QString StrStringToEscaped(const QString& text);
QString StrEscapedToString(const QString& escaped);

// The text after the first Sub in S (S itself when Sub does not occur).
QString RemoveBefore(const QString& s, const QString& sub);
// The text before the first Sub in S (S itself when Sub does not occur).
QString RemoveAfter(const QString& s, const QString& sub);
// Number of non-overlapping occurrences of Sub in S.
int CountSign(const QString& s, const QString& sub);
// Extra print rows that the lines of S need at N characters a row: for each line, the whole
// multiples of N characters beyond its first N.
int Longrows(const QString& s, int n);
// S cut to at most N characters.
QString ShortenString(const QString& s, int n);

enum class FontStyle { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

// Style set of a design file's style text: names such as "fsBold" separated by commas, with or
// without enclosing brackets; unknown names are ignored, "" is no style.
FontStyles SetStyles(const QString& styleText);
