#pragma once

#include <QString>

#include <variant>

class QTextBlock;
class QTextCursor;

// What the free text editor's toolbar and ruler do to the text, without a window.
namespace RichTextEditing {

// Paragraph indents in whole points, as the ruler shows them: the first line from the text's
// left edge, the other lines from the first line, the right edge from the text's right edge.
struct Indents {
    int first = 0;
    int left = 0;
    int right = 0;
    bool operator==(const Indents&) const = default;
};

// The indents of a paragraph; a list item counts the list's indent, since its text starts
// there.
Indents indentsOf(const QTextBlock& block);
// Gives every paragraph of the cursor's selection (or the cursor's paragraph) these indents.
// No line starts left of the text's edge and the right indent is never negative: the values
// are raised to 0 where they would.
void setIndents(QTextCursor& cursor, const Indents& indents);

// Paragraph alignment by the alignment buttons' tags: 0 left, 1 right, 2 centred.
void setAlignment(QTextCursor& cursor, int tag);
int alignmentTag(const QTextBlock& block);

// Bullets on or off for the paragraphs of the selection. Bulleted paragraphs form one list
// whose text starts one list indent in; switching bullets off leaves the paragraphs' own
// margins as they were.
void setBullets(QTextCursor& cursor, bool on);
bool hasBullets(const QTextBlock& block);

// The ruler: 4/3 ruler pixels to the point, a gutter of 6 pixels at the text's edges. A marker
// is placed by its left edge; a released marker's indent is computed from its left edge plus
// the drag offset (half the marker's width). With the markers 10 pixels wide, a marker
// released where it was placed gives the indent it was placed for.
namespace Ruler {
inline constexpr double kPixelsPerPoint = 4.0 / 3.0;
inline constexpr int kGutter = 6;
inline constexpr int kMarkerWidth = 10;

int firstIndLeft(const Indents& indents);
int leftIndLeft(const Indents& indents);
int rightIndLeft(const Indents& indents, int rulerWidth);
// The indents after releasing a marker at markerLeft. Releasing FirstInd also recomputes the
// left indent from where LeftInd stands, so that the other lines keep their place.
Indents releaseFirstInd(Indents indents, int markerLeft, int leftIndLeft, int offset);
Indents releaseLeftInd(Indents indents, int markerLeft, int offset);
Indents releaseRightInd(Indents indents, int markerLeft, int offset, int rulerWidth);
} // namespace Ruler

// A font size as typed: a whole number of points from 1 to kMaxFontSize, else the message
// that refuses it.
inline constexpr int kMaxFontSize = 1638;
std::variant<int, QString> fontSizeFrom(const QString& text);

} // namespace RichTextEditing
