#include "settings/richtextediting.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cmath>

namespace RichTextEditing {

namespace {

// Qt lays out in pixels of a 96-dpi screen: 4/3 pixels to the point, like the ruler.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

double listIndentPixels(const QTextBlock& block) {
    const QTextList* list = block.textList();
    const QTextDocument* doc = block.document();
    if (!list || !doc)
        return 0;
    return list->format().indent() * doc->indentWidth();
}

// Whole points of a length in pixels, cut toward zero as the ruler cuts (through twips, so
// that a length written as whole twips reads back exactly).
int points(double pixels) {
    return int(std::lround(pixels * 15) / 20);
}

template <typename F>
void forEachBlock(QTextCursor& cursor, F&& apply) {
    QTextDocument* doc = cursor.document();
    if (!doc)
        return;
    const QTextBlock first = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    QTextCursor c(doc);
    c.beginEditBlock();
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        c.setPosition(b.position());
        apply(c, b);
        if (b == last)
            break;
    }
    c.endEditBlock();
}

} // namespace

Indents indentsOf(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    const QTextDocument* doc = block.document();
    const double margin =
        f.leftMargin() + f.indent() * (doc ? doc->indentWidth() : 40) + listIndentPixels(block);
    Indents i;
    i.first = points(margin + f.textIndent());
    i.left = points(-f.textIndent());
    i.right = points(f.rightMargin());
    return i;
}

void setIndents(QTextCursor& cursor, const Indents& wanted) {
    Indents in = wanted;
    if (in.first < 0)
        in.first = 0;
    if (in.first + in.left < 0)
        in.left = -in.first;
    if (in.right < 0)
        in.right = 0;
    forEachBlock(cursor, [&](QTextCursor& c, const QTextBlock& b) {
        QTextBlockFormat f = b.blockFormat();
        const double lines = (in.first + in.left) * kPixelsPerPoint;
        f.setIndent(0);
        f.setLeftMargin(lines - listIndentPixels(b));
        f.setTextIndent(-in.left * kPixelsPerPoint);
        f.setRightMargin(in.right * kPixelsPerPoint);
        c.setBlockFormat(f);
    });
}

void setAlignment(QTextCursor& cursor, int tag) {
    QTextBlockFormat f;
    f.setAlignment(tag == 1 ? Qt::AlignRight : tag == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
    cursor.mergeBlockFormat(f);
}

int alignmentTag(const QTextBlock& block) {
    const Qt::Alignment a = block.blockFormat().alignment();
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return 1;
    return 0;
}

void setBullets(QTextCursor& cursor, bool on) {
    if (on) {
        bool all = true;
        forEachBlock(cursor, [&](QTextCursor&, const QTextBlock& b) { all = all && b.textList(); });
        if (all)
            return;
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(1);
        cursor.createList(format);
        return;
    }
    forEachBlock(cursor, [](QTextCursor& c, const QTextBlock& b) {
        if (QTextList* list = b.textList()) {
            list->remove(b);
            QTextBlockFormat f = c.blockFormat();
            f.setIndent(0);
            c.setBlockFormat(f);
        }
    });
}

bool hasBullets(const QTextBlock& block) {
    return block.textList() != nullptr;
}

namespace Ruler {

int firstIndLeft(const Indents& i) {
    return int(std::trunc(i.first * kPixelsPerPoint)) + 2;
}

int leftIndLeft(const Indents& i) {
    return int(std::trunc((i.left + i.first) * kPixelsPerPoint)) + 2;
}

int rightIndLeft(const Indents& i, int rulerWidth) {
    return rulerWidth - int(std::trunc((i.right + kGutter) * kPixelsPerPoint)) - kGutter;
}

Indents releaseFirstInd(Indents i, int markerLeft, int leftMarkerLeft, int offset) {
    i.first = int(std::trunc((markerLeft + offset - kGutter) / kPixelsPerPoint));
    return releaseLeftInd(i, leftMarkerLeft, offset);
}

Indents releaseLeftInd(Indents i, int markerLeft, int offset) {
    i.left = int(std::trunc((markerLeft + offset - kGutter) / kPixelsPerPoint)) - i.first;
    return i;
}

Indents releaseRightInd(Indents i, int markerLeft, int offset, int rulerWidth) {
    i.right = int(std::trunc((rulerWidth + offset - markerLeft - 2) / kPixelsPerPoint)) - 12;
    return i;
}

} // namespace Ruler

std::variant<int, QString> fontSizeFrom(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (!ok)
        return QStringLiteral("'%1' is not a valid integer value").arg(text);
    if (size < 1 || size > kMaxFontSize)
        return QStringLiteral("'%1' is not a valid font size (1 to %2)")
            .arg(text)
            .arg(kMaxFontSize);
    return size;
}

} // namespace RichTextEditing
