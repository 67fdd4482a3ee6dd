#pragma once

#include <QByteArray>
#include <QString>

namespace report {

// Whether stored text is RTF (it starts with "{\rtf").
bool isRtf(const QByteArray& content);
bool isRtf(const QString& content);

// A small RTF reader for the free texts users keep: it keeps paragraphs and line breaks,
// bold, italic, underline, font size and paragraph alignment, and the \'hh and \u escapes,
// and drops everything else (font and colour tables, pictures, document information). The
// result is Qt rich text (HTML). Malformed input gives what could be read, never an error.
QString rtfToHtml(const QByteArray& rtf);

} // namespace report
