#pragma once

// What the writer's source files share about the document being written: the state of one
// document, the content buffer of its page and the emitter that writes into it. Not part of
// the library's interface.

#include "pdfengine.h"

#include "objectwriter.h"
#include "outputfile.h"
#include "pdfencryption.h"
#include "pdffonts.h"
#include "pdfsyntax.h"

#include <QHash>
#include <QRawFont>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInfo = 3;
constexpr int kProcSet = 4;
constexpr int kResources = 5;

// A setting that must be a positive finite number (a resolution, a page size), or its default.
inline double positiveOr(double value, double fallback) {
    return std::isfinite(value) && value > 0 ? value : fallback;
}

inline const char* const kUnsupportedImage = "The PDF Engine does not support image format";

inline int hatchIndex(Qt::BrushStyle style) {
    switch (style) {
    case Qt::HorPattern:
        return 0;
    case Qt::VerPattern:
        return 1;
    case Qt::FDiagPattern:
        return 2;
    case Qt::BDiagPattern:
        return 3;
    case Qt::CrossPattern:
        return 4;
    case Qt::DiagCrossPattern:
        return 5;
    default:
        return -1;
    }
}

inline const char* dashArray(Qt::PenStyle style) {
    switch (style) {
    case Qt::DashLine:
        return "[16 8]0";
    case Qt::DotLine:
        return "[3 4]0";
    case Qt::DashDotLine:
        return "[8 4 2 4]0";
    case Qt::DashDotDotLine:
        return "[8 4 2 4 2 8]0";
    default:
        return "[]0";
    }
}

struct StyleKey {
    QString family;
    bool bold = false;
    bool italic = false;
    int charset = 0;
    QString fallback; // family and style of the font that draws composite text

    bool operator==(const StyleKey& o) const {
        return bold == o.bold && italic == o.italic && charset == o.charset && family == o.family &&
               fallback == o.fallback;
    }
};

inline size_t qHash(const StyleKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.family, key.bold, key.italic, key.charset, key.fallback);
}

// A growable byte buffer that hands out room without clearing it first: a page's content is
// written at a high rate, and std::string would zero every byte before it is written.
class ContentBuffer {
public:
    void clear() { m_size = 0; }
    size_t size() const { return m_size; }
    std::string_view view() const { return {m_data.get(), m_size}; }
    // Room for at least `bytes` more bytes at the end; setEnd() says how much was used.
    char* room(size_t bytes) {
        if (m_capacity - m_size < bytes)
            grow(bytes);
        return m_data.get() + m_size;
    }
    void setEnd(const char* end) { m_size = size_t(end - m_data.get()); }

private:
    void grow(size_t bytes) {
        const size_t capacity = std::max(m_capacity * 2, m_size + bytes + 4096);
        auto data = std::make_unique<char[]>(capacity);
        if (m_size > 0)
            std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Writes straight into room reserved at the end of a content buffer: the drawing paths run
// for every element of every page, and single appends cost more than the text they add.
class Emitter {
public:
    Emitter(ContentBuffer& out, size_t room)
        : m_out(out)
        , m_p(out.room(room))
        , m_end(m_p + room) {}
    ~Emitter() { m_out.setEnd(m_p); }
    Emitter(const Emitter&) = delete;
    Emitter& operator=(const Emitter&) = delete;

    template <size_t N>
    Q_ALWAYS_INLINE Emitter& operator<<(const char (&text)[N]) {
        reserve(N);
        std::memcpy(m_p, text, N - 1);
        m_p += N - 1;
        return *this;
    }
    // Bytes as they are.
    Q_ALWAYS_INLINE Emitter& raw(std::string_view bytes) {
        reserve(bytes.size());
        std::memcpy(m_p, bytes.data(), bytes.size());
        m_p += bytes.size();
        return *this;
    }
    // The body of a literal string, escaped.
    Q_ALWAYS_INLINE Emitter& literal(std::string_view bytes) {
        reserve(bytes.size() * 8);
        m_p = pdf::writeLiteralBody(m_p, bytes);
        return *this;
    }
    // A glyph number as four hexadecimal digits.
    Q_ALWAYS_INLINE Emitter& operator<<(quint32 glyph) {
        static const char kHex[] = "0123456789ABCDEF";
        reserve(4);
        m_p[0] = kHex[(glyph >> 12) & 0xF];
        m_p[1] = kHex[(glyph >> 8) & 0xF];
        m_p[2] = kHex[(glyph >> 4) & 0xF];
        m_p[3] = kHex[glyph & 0xF];
        m_p += 4;
        return *this;
    }
    Q_ALWAYS_INLINE Emitter& number(double value) {
        reserve(24);
        m_p = pdf::writeNumber(m_p, value);
        return *this;
    }
    // "x y " of a point already in PDF space.
    Q_ALWAYS_INLINE Emitter& point(double x, double y) {
        reserve(48);
        m_p = pdf::writeNumber(m_p, x);
        *m_p++ = ' ';
        m_p = pdf::writeNumber(m_p, y);
        *m_p++ = ' ';
        return *this;
    }
    Q_ALWAYS_INLINE Emitter& integer(long long value) {
        reserve(24);
        m_p = pdf::writeInteger(m_p, value);
        return *this;
    }
    Q_ALWAYS_INLINE Emitter& color(const QColor& color) {
        reserve(20);
        m_p = pdf::writeColor(m_p, color);
        return *this;
    }
    Q_ALWAYS_INLINE Emitter& blank() {
        reserve(1);
        *m_p++ = ' ';
        return *this;
    }

private:
    Q_ALWAYS_INLINE void reserve(size_t bytes) {
        if (size_t(m_end - m_p) < bytes) [[unlikely]]
            regrow(bytes);
    }
    // The room asked for up front normally suffices; this keeps an underestimate safe.
    void regrow(size_t bytes) {
        m_out.setEnd(m_p);
        const size_t room = std::max<size_t>(bytes, 1024);
        m_p = m_out.room(room);
        m_end = m_p + room;
    }

    ContentBuffer& m_out;
    char* m_p;
    char* m_end;
};

} // namespace pdf

struct TgtCustomPDFEngine::Document {
    std::unique_ptr<pdf::OutputFile> file;
    QIODevice* out = nullptr;
    QString path;
    pdf::ObjectWriter writer;
    std::unique_ptr<pdf::StandardSecurityHandler> security;
    QByteArray fileId;
    QString timeStamp;
    QDateTime created; // the time of timeStamp, for the metadata and attached files

    // PDF/A-3b: see TgtCustomPDFEngine::Conformance. Attached files and metadata schemas are
    // taken when the document begins.
    bool archival = false;
    QList<TgtCustomPDFEngine::Attachment> attachments;
    QList<TgtCustomPDFEngine::XmpSchema> xmpSchemas;
    int emptyAppearance = 0; // the appearance stream PDF/A links share

    double xScale = 0.75; // points per input unit
    double yScale = 0.75;
    double defaultFontSize = 8;
    QString defaultFontName;
    int defaultCharset = PdfCharset::Default;
    TgtFontEncoding fontEncoding = feWinAnsiEncoding; // the one the document's simple fonts use
    const pdf::SingleByteEncoding* encoding = nullptr;

    // Page being written.
    bool pageOpen = false;
    bool clipOpen = false; // a clipping "q" waits for its "Q"
    int pageNumber = 0;
    int pageObject = 0;
    int contentObject = 0;
    int lengthObject = 0;
    double pageWidth = 0;
    double pageHeight = 0;
    pdf::ContentBuffer content;
    std::vector<int> annotations;
    int imagesOnPage = 0;
    std::vector<int> pageObjects;

    // Shared resources.
    std::vector<std::unique_ptr<pdf::DocumentFont>> fonts;
    QHash<pdf::StyleKey, pdf::DocumentFont*> fontIndex;
    QHash<pdf::StyleKey, QRawFont> rawFonts;
    QHash<QString, QString> familyOf;
    std::array<int, 6> patternObjects{};
    struct ImageObject {
        QByteArray name;
        int object = 0;
    };
    QHash<QByteArray, ImageObject> images;
    std::vector<ImageObject> imageList;
    int backgroundImage = 0;
    bool textUsed = false;
    bool imagesUsed = false;

    // Last simple font looked up: most items of a page share one.
    pdf::DocumentFont* lastFont = nullptr;
    QString lastName;
    bool lastBold = false;
    bool lastItalic = false;
    int lastCharset = -1;

    QString family(const QString& requested) {
        auto it = familyOf.constFind(requested);
        if (it == familyOf.constEnd())
            it = familyOf.insert(requested, archival ? pdf::archivalFamily(requested)
                                                     : pdf::installedFamily(requested));
        return it.value();
    }
    QRawFont primaryRawFont(const pdf::StyleKey& key) {
        QRawFont& raw = rawFonts[key];
        if (!raw.isValid())
            raw = pdf::resolveRawFont(key.family, key.bold, key.italic);
        return raw;
    }
    pdf::DocumentFont* addFont(std::unique_ptr<pdf::DocumentFont> font, const pdf::StyleKey& key) {
        font->position = int(fonts.size());
        font->objectNumber = writer.allocate();
        pdf::DocumentFont* added = font.get();
        fonts.push_back(std::move(font));
        fontIndex.insert(key, added);
        return added;
    }
    pdf::DocumentFont* simpleFont(const QString& requested, bool bold, bool italic, int charset,
                                  TgtFontEncoding encoding);
    pdf::DocumentFont* compositeFont(const QString& requested, bool bold, bool italic, int charset,
                                     const QString& text);
    // A composite font of an installed TrueType family that has the character, for the
    // characters a text's own font lacks; null when no installed font has it.
    pdf::DocumentFont* fallbackFont(char32_t character, bool bold, bool italic);
    QHash<quint64, pdf::DocumentFont*> fallbackFonts;

    // The font size and the character spacing of consecutive items rarely change.
    struct CachedNumber {
        double value = std::nan("");
        char text[24] = {};
        size_t length = 0;
        std::string_view get(double v) {
            if (v != value) {
                value = v;
                length = size_t(pdf::writeNumber(text, v) - text);
            }
            return {text, length};
        }
    };
    CachedNumber sizeText;
    CachedNumber spacingText;

    std::string textBytes;
    std::vector<quint32> glyphs;
    std::vector<pdf::DocumentFont*> unitFonts; // the composite font of each glyph
    std::vector<int> unitStart;
    std::vector<double> unitWidth;

    // Writes a picture object; 0 when the picture cannot be stored.
    int writeImage(const QByteArray& name, const QImage& image, bool asJpeg);

    double x(double inputX) const { return inputX * xScale; }
    double y(double inputY) const { return pageHeight - inputY * yScale; }
    // Input coordinates as "x y " in PDF space.
    void point(pdf::Emitter& e, double inputX, double inputY) const {
        e.point(x(inputX), y(inputY));
    }

    // Pen and brush of a path; the path follows, then endShape paints it.
    struct PaintOps {
        bool stroke = false;
        bool fill = false;
    };
    PaintOps beginShape(pdf::Emitter& e, const QPen& pen, const QBrush& brush) {
        PaintOps ops;
        ops.stroke = pen.style() != Qt::NoPen;
        ops.fill = brush.style() != Qt::NoBrush;
        e << "\r\nq ";
        if (ops.stroke) {
            e.number(pen.widthF() * xScale) << " w ";
            e.raw(pdf::dashArray(pen.style())) << " d ";
            e.color(pen.color()) << " RG ";
        }
        if (ops.fill) {
            const int hatch = pdf::hatchIndex(brush.style());
            if (hatch >= 0) {
                if (patternObjects[size_t(hatch)] == 0)
                    patternObjects[size_t(hatch)] = writer.allocate();
                e << "/CSP cs ";
                e.color(brush.color()) << " /P";
                e.integer(hatch) << " scn ";
            } else {
                e.color(brush.color()) << " rg ";
            }
        }
        return ops;
    }
    static void endShape(pdf::Emitter& e, PaintOps ops, bool closed) {
        if (ops.stroke && ops.fill)
            e.raw(closed ? "b*" : "B*");
        else if (ops.fill)
            e << "f*";
        else if (ops.stroke)
            e.raw(closed ? "s" : "S");
        else
            e << "n";
        e << " Q";
    }
};
