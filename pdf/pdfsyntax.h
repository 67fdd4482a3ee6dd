#pragma once

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

#include <string>
#include <string_view>

// The written forms of PDF syntax the engine uses. Everything appends to a std::string because
// page content is built at high rate; nothing here consults the locale, so a comma locale never
// leaks into a file.
namespace pdf {

// Fixed point with four decimals and "." (595.2744, -0.5000). Non-finite values write 0.0000,
// a file must never carry "nan".
void appendNumber(std::string& out, double value);
std::string formatNumber(double value);
void appendInteger(std::string& out, long long value);
// Red, green and blue over 255 with four decimals, blank-separated ("1.0000 0.0000 0.0000").
void appendColor(std::string& out, const QColor& color);
// "n 0 R".
void appendReference(std::string& out, int objectNumber);

// The same forms written into a caller's buffer, for the drawing paths that run for every
// element of every page; each returns the end of what it wrote. A number takes at most 22
// bytes, an integer 20, a colour 20, a literal body at most 8 times its input (a tab).
char* writeNumber(char* out, double value);
char* writeInteger(char* out, long long value);
char* writeColor(char* out, const QColor& color);
char* writeLiteralBody(char* out, std::string_view bytes);

// Body of a literal string (without the parentheses): "(", ")" and "\" get a backslash,
// backspace, form feed, line feed and carriage return become \b \f \n \r, a tab becomes blanks
// up to the next multiple of eight characters.
void appendLiteralBody(std::string& out, std::string_view bytes);
// Expands tabs the same way on text that is still a QString (the composite-font path).
QString expandTabs(const QString& text);

// A name token: the characters ( ) < > [ ] { } / % and anything outside the printable ASCII
// range (blank and "#" included, or the name would end or be misread) become "#" and two
// upper-case hexadecimal digits.
std::string escapeName(const QByteArray& name);

// Upper-case hexadecimal of the bytes.
std::string toHex(const QByteArray& bytes);
// FE FF and the text in UTF-16 big-endian: the encoding of a text value in the document
// information and of every other text string that may hold any letter.
QByteArray utf16beWithMark(const QString& text);

// The time zone part of a PDF date from the local bias in minutes (UTC minus local time):
// -330 gives "+05'30'", 180 gives "-03'00'", 0 gives "+00'00'".
QString timeZoneFromBias(int biasMinutes);
// "D:yyyyMMddhhmmss" and the zone of the given local time.
QString timeStamp(const QDateTime& localTime);
// The same time as XMP writes it: "yyyy-MM-ddThh:mm:ss" and the zone ("+05:30", "-03:00").
QString xmpDate(const QDateTime& localTime);

// A hyperlink found in a text: characters [start, start + length) of the text and the target
// as written there.
struct FoundLink {
    int start = 0;
    int length = 0;
    QString target;
};
// Web addresses (scheme://..., www....), e-mail addresses and Windows paths (X:\...), the way a
// reader would recognise them in a line of an invoice.
QList<FoundLink> findLinks(const QString& text);

// The action dictionary of a link target. Text strings come back as raw bytes so that the
// caller can encrypt them; `stringBytes` is what goes between the string delimiters and
// `hexString` tells whether the string is written <hex> or (literal).
struct LinkAction {
    std::string before; // dictionary text up to the string
    QByteArray stringBytes;
    bool hexString = true;
    std::string after; // dictionary text after the string
};
LinkAction linkAction(const QString& target);

// The control-point factor of a cubic Bezier segment that follows a circular arc of the given
// angle (radians): 4/3 * (1 - cos(a/2)) / sin(a/2).
double bezierArcFactor(double angle);

// Appends an elliptic arc as cubic Bezier segments of at most 90 degrees ("c" operators).
// Centre and radii are in PDF space; angles are degrees, counter-clockwise from three o'clock.
// With `moveTo` the path starts at the arc's first point ("m"), otherwise a line ("l") leads
// there from the current point.
// Non-finite angles write nothing: the engine refuses such arcs before they get here.
void appendArc(std::string& out, double cx, double cy, double rx, double ry, double startDegrees,
               double spanDegrees, bool moveTo);

} // namespace pdf
