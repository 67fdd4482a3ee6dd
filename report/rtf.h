#pragma once

#include <QByteArray>
#include <QString>

namespace report {

// Whether stored text is RTF (it starts with "{\rtf").
bool isRtf(const QByteArray& content);
bool isRtf(const QString& content);

// A small RTF reader for the free texts users keep: it keeps paragraphs and line breaks,
// fonts (by the font table), bold, italic, underline, strike-out, font size, paragraph
// alignment, indents (\li, \fi, \ri), bulleted and numbered paragraphs (\pn and \ls), and
// the \'hh and \u escapes, and drops everything else (colours, pictures, document
// information). The result is Qt rich text (HTML) in 96-dpi pixels, as an editor shows it; an
// empty paragraph keeps the height of its font. Malformed input gives what could be read,
// never an error. documentToRtf (rtfwriter.h) writes what this reads.
QString rtfToHtml(const QByteArray& rtf);

} // namespace report
