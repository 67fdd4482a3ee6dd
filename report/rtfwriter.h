#pragma once

#include <QString>

class QTextDocument;

namespace report {

// Writes a document as RTF that rtfToHtml (rtf.h) reads back to the same look, so that a text
// kept as RTF prints as the editor showed it: per paragraph the alignment, the indents of the
// first and of the other lines and the right indent, bullets (numbers for numbered lists);
// per run of text the font, its size, bold, italic, underline and strike-out, each written out
// in full (text without a format of its own takes the document's default font). Line breaks
// within a paragraph are kept; pictures and colours are left out. The result is 7-bit text:
// every other character is a \u escape.
//
// A list item's text starts one list indent (the document's indent width per list level) in
// from its margin; \li holds where the text starts, which is how RTF readers place bulleted
// text.
QString documentToRtf(const QTextDocument& document);

} // namespace report
