#pragma once

#include "report/textlayout.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>

#include <QStringList>
#include <QVariant>
#include <vector>

#include <functional>

class QIODevice;

namespace report {

class Band;

enum class ElementKind { Label, DBText, Memo, RichText, Picture, Shape, SysData, Matrix };

// An element of a band. Its objectName is its given name; its position is relative to the
// band's top-left corner, in layout units.
class Element : public QObject {
    Q_OBJECT
public:
    Element(Band* band, ElementKind kind, const QString& name);

    ElementKind kind() const { return m_kind; }
    Band* band() const;

    double left() const { return m_rect.left(); }
    double top() const { return m_rect.top(); }
    double width() const { return m_rect.width(); }
    double height() const { return m_rect.height(); }
    QRectF rect() const { return m_rect; }
    virtual void setLeft(double left);
    virtual void setTop(double top);
    virtual void setWidth(double width);
    virtual void setHeight(double height);
    void setGeometry(double left, double top, double width, double height);

    // Whether the element is printed.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // Background fill; an invalid colour is transparent.
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor& color) { m_background = color; }

protected:
    QRectF m_rect;

private:
    ElementKind m_kind;
    bool m_enabled = true;
    QColor m_background;
};

// The common part of every element that prints text.
class TextElement : public Element {
    Q_OBJECT
public:
    TextElement(Band* band, ElementKind kind, const QString& name);

    const FontSpec& font() const { return m_font; }
    void setFont(const FontSpec& font);
    void setFontName(const QString& family);
    void setFontSize(double points);
    void setFontStyle(bool bold, bool italic, bool underline = false, bool strikeOut = false);

    QColor color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }

    // Horizontal alignment of the text within the element.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // Sizes the element to its text (width and height; no effect while word wrap is on). An
    // auto-sized element keeps the width of its text whatever width it is given.
    void setWidth(double width) override;
    void setHeight(double height) override;
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    // Grows downwards (and the band with it) when the text needs more lines than fit. It
    // never grows over an element below it in its band, nor, in a band that does not grow
    // (title, headers, footer), past the band's bottom.
    bool autoStretch() const { return m_autoStretch; }
    void setAutoStretch(bool on) { m_autoStretch = on; }

    // What happens to a text longer than its place. A text's place ends at the band's right
    // edge (the right margin) and, for texts that size themselves, where the next element to
    // its right in the same band begins; a wrapping text ends at its height (when it does not
    // stretch) or above the next element below it.
    enum class Overflow {
        Cut,    // only the words that fit are printed (a lone word too long for its place is
                // cut after the last character that fits)
        Shrink, // a single line is drawn smaller, down to half its size, to fit; then cut
        Clip    // drawn whole and cut off at the element's edges
    };
    Overflow overflow() const { return m_overflow; }
    void setOverflow(Overflow overflow) { m_overflow = overflow; }

    // The text this element shows for the current record (the caption for labels).
    virtual QString displayText() const = 0;

protected:
    // Re-applies auto-size after a change of text or font.
    void fitToText();

private:
    FontSpec m_font;
    QColor m_color = Qt::black;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_autoSize = false;
    bool m_wordWrap = false;
    bool m_autoStretch = false;
    Overflow m_overflow = Overflow::Cut;
};

// A caption; sizes itself to its text unless told otherwise.
class Label : public TextElement {
    Q_OBJECT
public:
    Label(Band* band, const QString& name, const QString& caption = QString());

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString displayText() const override { return m_caption; }

private:
    QString m_caption;
};

// A field of the report's data source, read for each record it prints in.
class DBText : public TextElement {
    Q_OBJECT
public:
    DBText(Band* band, const QString& name, const QString& field = QString());

    QString dataField() const { return m_field; }
    void setDataField(const QString& field) { m_field = field; }
    // Turns the field value into text; without one the value's own text is used.
    using Formatter = std::function<QString(const QVariant&)>;
    void setFormatter(Formatter formatter) { m_formatter = std::move(formatter); }

    QString displayText() const override;

private:
    QString m_field;
    Formatter m_formatter;
};

// Several lines of text.
class Memo : public TextElement {
    Q_OBJECT
public:
    Memo(Band* band, const QString& name);

    QStringList lines() const { return m_lines; }
    void setLines(const QStringList& lines);
    void setText(const QString& text);
    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    QString displayText() const override { return text(); }

private:
    QStringList m_lines;
};

// Page number or date of printing, after an optional text.
class SysData : public TextElement {
    Q_OBJECT
public:
    enum Data { PageNumber, Date };
    SysData(Band* band, const QString& name, Data data);

    Data data() const { return m_data; }
    QString text() const { return m_text; }
    void setText(const QString& text);
    QString displayText() const override;

private:
    Data m_data;
    QString m_text;
};

// Formatted text. Content that starts with "{\rtf" is read as RTF, other content as Qt rich
// text (or plain text when it holds no markup).
class RichText : public Element {
    Q_OBJECT
public:
    RichText(Band* band, const QString& name);

    const FontSpec& font() const { return m_font; }
    void setFont(const FontSpec& font) { m_font = font; }
    bool autoStretch() const { return m_autoStretch; }
    void setAutoStretch(bool on) { m_autoStretch = on; }

    void setContent(const QString& content);
    // Reads the whole stream; returns false (and leaves the element empty) when it cannot.
    bool loadFromStream(QIODevice& stream);
    void clear() { m_html.clear(); }
    bool isEmpty() const { return m_html.isEmpty(); }
    // The content as Qt rich text.
    QString html() const { return m_html; }

private:
    FontSpec m_font;
    QString m_html;
    bool m_autoStretch = false;
};

// A picture, drawn stretched to fill the element (or at its own size, cut at the element's
// edges, when stretching is off). A stretched picture keeps its proportions unless told
// otherwise: it is made as large as the element allows and placed by the alignment.
class Picture : public Element {
    Q_OBJECT
public:
    Picture(Band* band, const QString& name);

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);
    // Returns false and leaves the picture empty when the file cannot be read.
    bool loadFromFile(const QString& fileName);
    void clear() { setImage(QImage()); }
    bool stretch() const { return m_stretch; }
    void setStretch(bool on) { m_stretch = on; }
    bool keepAspectRatio() const { return m_keepAspect; }
    void setKeepAspectRatio(bool on) { m_keepAspect = on; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

    // The picture as it is drawn into a place of that size (layout units): a large picture is
    // scaled down once to a resolution paper can show, so that pages and files stay small.
    QImage imageFor(const QSizeF& size) const;

private:
    QImage m_image;
    bool m_stretch = true;
    bool m_keepAspect = true;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    mutable QImage m_scaled;
    mutable QSize m_scaledFor;
};

// A rectangle drawn with a pen of the given width (layout units), not filled unless a
// background colour is set.
class Shape : public Element {
    Q_OBJECT
public:
    Shape(Band* band, const QString& name);

    double penWidth() const { return m_penWidth; }
    void setPenWidth(double width) { m_penWidth = width; }
    QColor penColor() const { return m_penColor; }
    void setPenColor(const QColor& color) { m_penColor = color; }

private:
    double m_penWidth = 1;
    QColor m_penColor = Qt::black;
};

// A square of dark and light modules (a QR code), drawn as filled rectangles so that it stays
// sharp at any size: the largest square the element holds, at its top left, with a light quiet
// zone of quietZone modules around the symbol. An empty matrix prints nothing.
class Matrix : public Element {
    Q_OBJECT
public:
    Matrix(Band* band, const QString& name);

    int size() const { return m_size; }
    int quietZone() const { return m_quiet; }
    // size × size modules, row by row; true is dark.
    void setModules(int size, std::vector<bool> dark, int quietZone = 4);
    void clear() { setModules(0, {}); }
    bool isEmpty() const { return m_size == 0; }
    bool dark(int row, int column) const {
        return m_dark[static_cast<size_t>(row) * static_cast<size_t>(m_size) +
                      static_cast<size_t>(column)];
    }

private:
    int m_size = 0;
    int m_quiet = 4;
    std::vector<bool> m_dark;
};

} // namespace report
