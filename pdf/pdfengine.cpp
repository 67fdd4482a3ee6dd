#include "pdfengine.h"

#include "logging.h"
#include "objectwriter.h"
#include "pdfencryption.h"
#include "pdffonts.h"
#include "pdfsyntax.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QHash>
#include <QObject>
#include <QSaveFile>
#include <QUrl>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

Q_LOGGING_CATEGORY(lcPdf, "merovia.pdf", QtCriticalMsg)

#ifndef MEROVIA_PDF_VERSION
#define MEROVIA_PDF_VERSION "1.0"
#endif

using pdf::appendColor;
using pdf::appendInteger;
using pdf::appendNumber;
using pdf::appendReference;
using pdf::DocumentFont;
using namespace std::string_view_literals;

namespace {

constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInfo = 3;
constexpr int kProcSet = 4;
constexpr int kResources = 5;

const char* const kUnsupportedImage = "The PDF Engine does not support image format";

// The six hatch figures, drawn in a 5 by 5 cell.
const char* const kHatchFigures[6] = {"0 2.5 m 5 2.5 l S",                  // horizontal
                                      "2.5 0 m 2.5 5 l S",                  // vertical
                                      "0 2.5 m 2.5 0 l 5 2.5 m 2.5 5 l S",  // falling diagonal
                                      "0 2.5 m 2.5 5 l 2.5 0 m 5 2.5 l S",  // rising diagonal
                                      "0 2.5 m 5 2.5 l 2.5 0 m 2.5 5 l S",  // cross
                                      "2.5 0 m 5 2.5 l 2.5 5 l 0 2.5 l s"}; // diagonal cross

int hatchIndex(Qt::BrushStyle style) {
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

const char* dashArray(Qt::PenStyle style) {
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

size_t qHash(const StyleKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.family, key.bold, key.italic, key.charset, key.fallback);
}

// Content fingerprint of a picture, so that the same logo drawn on every page is stored once.
QByteArray imageFingerprint(const QImage& image) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    const int w = image.width(), h = image.height(), format = int(image.format());
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&w), sizeof w));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&h), sizeof h));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&format), sizeof format));
    const qsizetype lineBytes = (qsizetype(w) * image.depth() + 7) / 8;
    for (int y = 0; y < h; ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), lineBytes));
    return hash.result();
}

// The picture as 8-bit RGB, transparent parts laid over white as a printed page shows them.
QImage flattenedRgb(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    QImage rgb(image.size(), QImage::Format_RGB888);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (rgb.isNull() || argb.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* dst = rgb.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(src[x]);
            dst[x * 3] = uchar((qRed(src[x]) * a + 255 * (255 - a)) / 255);
            dst[x * 3 + 1] = uchar((qGreen(src[x]) * a + 255 * (255 - a)) / 255);
            dst[x * 3 + 2] = uchar((qBlue(src[x]) * a + 255 * (255 - a)) / 255);
        }
    }
    return rgb;
}

QByteArray rgbSamples(const QImage& image) {
    const QImage rgb = flattenedRgb(image);
    if (rgb.isNull())
        return {};
    QByteArray samples;
    const qsizetype lineBytes = qsizetype(rgb.width()) * 3;
    samples.reserve(lineBytes * rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        samples.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), lineBytes);
    return samples;
}

QByteArray passwordBytes(const QString& password) {
    // The standard handler takes PDFDocEncoding passwords; Latin-1 agrees with it on letters.
    return password.toLatin1().left(32);
}

bool isSimpleCharset(int charset) {
    return charset == PdfCharset::Ansi || charset == PdfCharset::Default ||
           charset == PdfCharset::Symbol;
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

} // namespace

struct TgtCustomPDFEngine::Document {
    std::unique_ptr<QSaveFile> file;
    QIODevice* out = nullptr;
    QString path;
    pdf::ObjectWriter writer;
    std::unique_ptr<pdf::StandardSecurityHandler> security;
    QByteArray fileId;
    QString timeStamp;

    double xScale = 0.75; // points per input unit
    double yScale = 0.75;
    double defaultFontSize = 8;
    QString defaultFontName;
    int defaultCharset = PdfCharset::Default;
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
    ContentBuffer content;
    std::vector<int> annotations;
    int imagesOnPage = 0;
    std::vector<int> pageObjects;

    // Shared resources.
    std::vector<std::unique_ptr<DocumentFont>> fonts;
    QHash<StyleKey, DocumentFont*> fontIndex;
    QHash<StyleKey, QRawFont> rawFonts;
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
    DocumentFont* lastFont = nullptr;
    QString lastName;
    bool lastBold = false;
    bool lastItalic = false;
    int lastCharset = -1;

    QString family(const QString& requested) {
        auto it = familyOf.constFind(requested);
        if (it == familyOf.constEnd())
            it = familyOf.insert(requested, pdf::installedFamily(requested));
        return it.value();
    }
    QRawFont primaryRawFont(const StyleKey& key) {
        QRawFont& raw = rawFonts[key];
        if (!raw.isValid())
            raw = pdf::resolveRawFont(key.family, key.bold, key.italic);
        return raw;
    }
    DocumentFont* addFont(std::unique_ptr<DocumentFont> font, const StyleKey& key) {
        font->position = int(fonts.size());
        font->objectNumber = writer.allocate();
        DocumentFont* added = font.get();
        fonts.push_back(std::move(font));
        fontIndex.insert(key, added);
        return added;
    }
    DocumentFont* simpleFont(const QString& requested, bool bold, bool italic, int charset,
                             TgtFontEncoding encoding);
    DocumentFont* compositeFont(const QString& requested, bool bold, bool italic, int charset,
                                const QString& text);

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
    std::vector<int> unitStart;
    std::vector<double> unitWidth;

    // Writes a picture object; 0 when the picture cannot be stored.
    int writeImage(const QByteArray& name, const QImage& image, bool asJpeg);

    double x(double inputX) const { return inputX * xScale; }
    double y(double inputY) const { return pageHeight - inputY * yScale; }
    // Input coordinates as "x y " in PDF space.
    void point(Emitter& e, double inputX, double inputY) const { e.point(x(inputX), y(inputY)); }

    // Pen and brush of a path; the path follows, then endShape paints it.
    struct PaintOps {
        bool stroke = false;
        bool fill = false;
    };
    PaintOps beginShape(Emitter& e, const QPen& pen, const QBrush& brush) {
        PaintOps ops;
        ops.stroke = pen.style() != Qt::NoPen;
        ops.fill = brush.style() != Qt::NoBrush;
        e << "\r\nq ";
        if (ops.stroke) {
            e.number(pen.widthF() * xScale) << " w ";
            e.raw(dashArray(pen.style())) << " d ";
            e.color(pen.color()) << " RG ";
        }
        if (ops.fill) {
            const int hatch = hatchIndex(brush.style());
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
    static void endShape(Emitter& e, PaintOps ops, bool closed) {
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

void TgtCustomPDFEngine::TextItem::setFont(const QFont& font) {
    fontName = font.family();
    fontSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    bold = font.weight() >= QFont::DemiBold;
    italic = font.style() != QFont::StyleNormal;
    underline = font.underline();
    strikeOut = font.strikeOut();
}

TgtCustomPDFEngine::TgtCustomPDFEngine() = default;

TgtCustomPDFEngine::~TgtCustomPDFEngine() {
    if (m_doc)
        abortDoc();
}

void TgtCustomPDFEngine::setFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    m_fileName = dot > slash + 1 ? path.left(dot) : path;
}

QString TgtCustomPDFEngine::outputFilePath() const {
    if (FileExtension.isEmpty())
        return m_fileName;
    return m_fileName + u'.' + FileExtension;
}

void TgtCustomPDFEngine::setMessageHandler(std::function<void(const QString&)> handler) {
    m_messageHandler = std::move(handler);
}

void TgtCustomPDFEngine::setSetupDialog(std::function<bool(TgtCustomPDFEngine&)> dialog) {
    m_setupDialog = std::move(dialog);
}

bool TgtCustomPDFEngine::isDocumentOpen() const {
    return m_doc != nullptr;
}
bool TgtCustomPDFEngine::isPageOpen() const {
    return m_doc && m_doc->pageOpen;
}
int TgtCustomPDFEngine::pageCount() const {
    return m_doc ? int(m_doc->pageObjects.size()) : 0;
}

QString TgtCustomPDFEngine::producer() {
    return QStringLiteral("Merovia PDF Engine " MEROVIA_PDF_VERSION);
}

void TgtCustomPDFEngine::openCreatedFile(const QString&) {}

void TgtCustomPDFEngine::report(const QString& message) {
    qCWarning(lcPdf) << message;
    m_warnings.append(message);
    if (m_messageHandler)
        m_messageHandler(message);
}

bool TgtCustomPDFEngine::beginDoc() {
    m_error.clear();
    if (m_doc) {
        m_error = QObject::tr("A PDF document is already being written.");
        return false;
    }
    if (Preferences.ShowSetupDialog && m_setupDialog && !m_setupDialog(*this))
        return false;
    m_warnings.clear();

    auto doc = std::make_unique<Document>();
    if (Preferences.OutputToUserStream) {
        if (!m_userStream || !m_userStream->isWritable()) {
            m_error = QObject::tr("The PDF document has no open stream to be written to.");
            return false;
        }
        doc->out = m_userStream;
    } else {
        if (m_fileName.isEmpty()) {
            m_error = QObject::tr("No file name was given for the PDF file.");
            return false;
        }
        doc->path = outputFilePath();
        doc->file = std::make_unique<QSaveFile>(doc->path);
        if (!doc->file->open(QIODevice::WriteOnly)) {
            m_error = QObject::tr("The PDF file \"%1\" cannot be created: %2")
                          .arg(QDir::toNativeSeparators(doc->path), doc->file->errorString());
            return false;
        }
        doc->out = doc->file.get();
    }

    doc->xScale = 72.0 / (InputXRes > 0 ? InputXRes : 96.0);
    doc->yScale = 72.0 / (InputYRes > 0 ? InputYRes : 96.0);
    doc->defaultFontName = Font.Name.trimmed().isEmpty() ? QStringLiteral("Arial") : Font.Name;
    doc->defaultCharset = Font.Charset;
    doc->encoding = &pdf::SingleByteEncoding::get(FontEncoding);
    doc->defaultFontSize =
        Font.Height == 0
            ? 8.0
            : std::round(std::abs(Font.Height) * 72.0 / (InputYRes > 0 ? InputYRes : 96.0));
    doc->writer.start(doc->out, Compression.Enabled, pdf::zlibLevelFor(Compression.Level), 5);
    doc->timeStamp = pdf::timeStamp(QDateTime::currentDateTime());

    if (Encryption.Enabled) {
        QCryptographicHash id(QCryptographicHash::Md5);
        id.addData(outputFilePath().toUtf8());
        id.addData(doc->timeStamp.toUtf8());
        id.addData(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
        id.addData(QByteArray::number(Encryption.Level) +
                   QByteArray::number(Encryption.UserPermissions));
        doc->fileId = id.result();
        doc->security = std::make_unique<pdf::StandardSecurityHandler>(
            Encryption.Level, passwordBytes(Encryption.OwnerPassword),
            passwordBytes(Encryption.UserPassword), pdf::permissionBits(Encryption.UserPermissions),
            doc->fileId);
        doc->writer.setSecurity(doc->security.get());
    }

    static const char kHeader[] = "%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n";
    doc->writer.write(std::string_view(kHeader, sizeof kHeader - 1));
    doc->content.room(64 * 1024);
    m_doc = std::move(doc);
    return true;
}

void TgtCustomPDFEngine::beginPage() {
    if (!m_doc) {
        qCWarning(lcPdf) << "beginPage without a document";
        return;
    }
    Document& d = *m_doc;
    if (d.pageOpen)
        endPage();
    d.pageOpen = true;
    d.clipOpen = false;
    ++d.pageNumber;
    d.imagesOnPage = 0;
    d.annotations.clear();
    d.content.clear();
    d.pageObject = d.writer.allocate();
    d.contentObject = d.writer.allocate();
    d.lengthObject = d.writer.allocate();
    d.pageWidth = (Page.Width > 0 ? Page.Width : 8.2677) * 72.0;
    d.pageHeight = (Page.Height > 0 ? Page.Height : 11.6929) * 72.0;

    // Positions are converted to points directly, so the page matrix stays the identity and
    // the file never depends on the screen of the machine that writes it.
    Emitter e(d.content, 512);
    e << "q ";
    e.number(1.0) << " 0 0 ";
    e.number(1.0) << " 0 0 cm\r\n";
    e << "\r\nq\r\n";
    e.color(BackgroundColor) << " rg n ";
    e.point(0, 0).number(d.pageWidth).blank().number(d.pageHeight) << " re f";
    if (!BackgroundImage.isNull()) {
        if (d.backgroundImage == 0) {
            d.backgroundImage = d.writeImage("Img0", BackgroundImage, false);
            if (d.backgroundImage == 0)
                report(QString::fromLatin1(kUnsupportedImage));
        }
        if (d.backgroundImage != 0) {
            e << " q ";
            e.number(d.pageWidth) << " 0 0 ";
            e.number(d.pageHeight) << " 0 0 cm /Img0 Do Q";
        }
    }
    e << "\r\nQ";
}

void TgtCustomPDFEngine::endPage() {
    if (!m_doc || !m_doc->pageOpen)
        return;
    Document& d = *m_doc;
    pdf::ObjectWriter& w = d.writer;
    d.pageOpen = false;

    std::string body = "/Type/Page/Parent ";
    appendReference(body, kPageTree);
    body += "/MediaBox [0 0 "sv;
    appendNumber(body, d.pageWidth);
    body += ' ';
    appendNumber(body, d.pageHeight);
    body += "]/Resources "sv;
    appendReference(body, kResources);
    body += "/Contents "sv;
    appendReference(body, d.contentObject);
    if (!d.annotations.empty()) {
        body += "/Annots ["sv;
        for (size_t i = 0; i < d.annotations.size(); ++i) {
            if (i > 0)
                body += ' ';
            appendReference(body, d.annotations[i]);
        }
        body += ']';
    }
    body += "\r\n"sv;
    w.writeObject(d.pageObject, body);

    {
        Emitter e(d.content, 16);
        if (d.clipOpen)
            e << "\r\nQ";
        e << "\r\nQ\r\n";
        d.clipOpen = false;
    }
    const std::string_view data = w.prepareStream(d.contentObject, d.content.view(), true);
    body = "/Length ";
    appendReference(body, d.lengthObject);
    if (w.compressing())
        body += "/Filter /FlateDecode"sv;
    body += "\r\n"sv;
    w.beginObject(d.contentObject);
    w.write("<<\r\n");
    w.write(body);
    w.write(">>\r\nstream\r\n");
    w.write(data);
    w.write("\r\nendstream\r\nendobj\r\n");

    body.clear();
    appendInteger(body, qint64(data.size()));
    w.writeObject(d.lengthObject, body);
    d.pageObjects.push_back(d.pageObject);
}

bool TgtCustomPDFEngine::failDocument() {
    m_error = m_doc->writer.errorString();
    abortDoc();
    return false;
}

void TgtCustomPDFEngine::abortDoc() {
    if (!m_doc)
        return;
    if (m_doc->file)
        m_doc->file->cancelWriting();
    m_doc.reset();
}

bool TgtCustomPDFEngine::endDoc() {
    if (!m_doc) {
        if (m_error.isEmpty())
            m_error = QObject::tr("No PDF document is being written.");
        return false;
    }
    Document& d = *m_doc;
    pdf::ObjectWriter& w = d.writer;
    if (d.pageOpen)
        endPage();
    if (d.pageObjects.empty()) {
        // A file without pages cannot be shown by most viewers.
        beginPage();
        endPage();
    }

    // Catalog.
    static const char* const kLayouts[] = {"/SinglePage", "/OneColumn", "/TwoColumnLeft",
                                           "/TwoColumnRight"};
    static const char* const kModes[] = {"/UseNone", "/UseOutlines", "/UseThumbs", "/FullScreen"};
    static const char* const kNonFullScreen[] = {"/UseNone", "/UseOutlines", "/UseThumbs"};
    std::string body = "/Type/Catalog/Pages ";
    appendReference(body, kPageTree);
    body += "/PageMode "sv;
    body += kModes[std::clamp(int(ViewerPreferences.PageMode), 0, 3)];
    body += "/PageLayout "sv;
    body += kLayouts[std::clamp(int(ViewerPreferences.PageLayout), 0, 3)];
    std::string viewer;
    if (ViewerPreferences.CenterWindow)
        viewer += "/CenterWindow true"sv;
    if (ViewerPreferences.FitWindow)
        viewer += "/FitWindow true"sv;
    if (ViewerPreferences.HideWindowUI)
        viewer += "/HideWindowUI true"sv;
    if (ViewerPreferences.HideMenuBar)
        viewer += "/HideMenubar true"sv;
    if (ViewerPreferences.HideToolBar)
        viewer += "/HideToolbar true"sv;
    if (ViewerPreferences.NonFullScreenPageMode != nfpmUseNone) {
        viewer += "/NonFullScreenPageMode "sv;
        viewer += kNonFullScreen[std::clamp(int(ViewerPreferences.NonFullScreenPageMode), 0, 2)];
    }
    if (!viewer.empty())
        body += "/ViewerPreferences <<" + viewer + ">>";
    body += "\r\n"sv;
    w.writeObject(kCatalog, body);

    // Page tree.
    body = "/Type/Pages/Count ";
    appendInteger(body, qint64(d.pageObjects.size()));
    body += "/Kids ["sv;
    for (size_t i = 0; i < d.pageObjects.size(); ++i) {
        if (i > 0)
            body += ' ';
        appendReference(body, d.pageObjects[i]);
    }
    body += "]\r\n"sv;
    w.writeObject(kPageTree, body);

    // Shared resources.
    body.clear();
    bool anyPattern = false;
    for (const int object : d.patternObjects)
        anyPattern = anyPattern || object != 0;
    if (anyPattern) {
        body += "/ColorSpace <</CSP [/Pattern /DeviceRGB]>>\r\n/Pattern <<"sv;
        for (int i = 0; i < 6; ++i) {
            if (d.patternObjects[size_t(i)] == 0)
                continue;
            body += "/P"sv;
            appendInteger(body, i);
            body += ' ';
            appendReference(body, d.patternObjects[size_t(i)]);
        }
        body += ">>\r\n"sv;
    }
    if (!d.fonts.empty()) {
        body += "/Font <<"sv;
        for (const auto& font : d.fonts) {
            body += "/F"sv;
            appendInteger(body, font->position);
            body += ' ';
            appendReference(body, font->objectNumber);
            body += ' ';
        }
        body += ">>\r\n"sv;
    }
    body += "/ProcSet "sv;
    appendReference(body, kProcSet);
    if (!d.imageList.empty() || d.backgroundImage != 0) {
        body += "/XObject <<"sv;
        for (const auto& image : d.imageList) {
            body += "/" + image.name.toStdString() + " ";
            appendReference(body, image.object);
        }
        if (d.backgroundImage != 0) {
            body += " /Img0 "sv;
            appendReference(body, d.backgroundImage);
        }
        body += " >>"sv;
    }
    body += "\r\n"sv;
    w.writeObject(kResources, body);

    body = "[/PDF";
    if (d.textUsed)
        body += " /Text"sv;
    if (d.imagesUsed)
        body += " /ImageC"sv;
    body += "]"sv;
    w.writeObject(kProcSet, body);

    for (int i = 0; i < 6; ++i) {
        const int object = d.patternObjects[size_t(i)];
        if (object == 0)
            continue;
        const std::string figure = std::string("2 J 2 j 0.3 w ") + kHatchFigures[i];
        w.writeStreamObject(object,
                            "/Type /Pattern/PatternType 1/PaintType 2/TilingType 1/BBox [0 0 5 "
                            "5]/XStep 5/YStep 5/Resources <<>>",
                            figure);
    }

    const pdf::FontEmbedding embedding{Preferences.EmbedTrueTypeFonts, FontEmbedExcludeList};
    for (const auto& font : d.fonts)
        pdf::writeFont(w, *font, embedding);

    std::string trailer;
    if (d.security) {
        const int encryptObject = w.allocate();
        w.writeObject(encryptObject, d.security->dictionaryBody());
        const std::string id = pdf::toHex(d.fileId);
        trailer = "/ID [<" + id + "><" + id + ">]/Encrypt ";
        appendReference(trailer, encryptObject);
    }

    // Document information.
    body.clear();
    auto entry = [&](const char* key, const QByteArray& value) {
        body += key;
        body += ' ';
        body += w.stringToken(kInfo, value);
        body += "\r\n"sv;
    };
    entry("/CreationDate", d.timeStamp.toLatin1());
    entry("/ModDate", d.timeStamp.toLatin1());
    entry("/Producer", pdf::utf16beWithMark(producer()));
    const std::pair<const char*, const QString*> texts[] = {{"/Author", &Author},
                                                            {"/Keywords", &Keywords},
                                                            {"/Creator", &Creator},
                                                            {"/Title", &Title},
                                                            {"/Subject", &Subject}};
    for (const auto& [key, value] : texts) {
        if (!value->trimmed().isEmpty())
            entry(key, pdf::utf16beWithMark(*value));
    }
    w.writeObject(kInfo, body);

    w.finish(kCatalog, kInfo, trailer);
    if (w.failed())
        return failDocument();

    const QString path = d.path;
    if (d.file && !d.file->commit()) {
        m_error = QObject::tr("The PDF file \"%1\" could not be written: %2")
                      .arg(QDir::toNativeSeparators(path), d.file->errorString());
        m_doc.reset();
        return false;
    }
    m_doc.reset();
    if (!path.isEmpty()) {
        m_filesCreated.append(path);
        if (Preferences.OpenAfterCreate)
            openCreatedFile(path);
    }
    return true;
}

// ---- Shapes ----

void TgtCustomPDFEngine::drawLine(const QPointF& from, const QPointF& to, const QPen& pen) {
    if (!isPageOpen() || pen.style() == Qt::NoPen)
        return;
    Document& d = *m_doc;
    Emitter e(d.content, 256);
    const Document::PaintOps ops = d.beginShape(e, pen, Qt::NoBrush);
    d.point(e, from.x(), from.y());
    e << "m ";
    d.point(e, to.x(), to.y());
    e << "l ";
    Document::endShape(e, ops, false);
}

void TgtCustomPDFEngine::drawRect(const QRectF& rect, const QPen& pen, const QBrush& brush) {
    if (!isPageOpen())
        return;
    Document& d = *m_doc;
    const QRectF r = rect.normalized();
    Emitter e(d.content, 256);
    const Document::PaintOps ops = d.beginShape(e, pen, brush);
    d.point(e, r.left(), r.bottom());
    e.number(r.width() * d.xScale).blank().number(r.height() * d.yScale) << " re ";
    Document::endShape(e, ops, true);
}

void TgtCustomPDFEngine::paintPath(const std::string& path, const QPen& pen, const QBrush& brush,
                                   bool closed) {
    Document& d = *m_doc;
    Emitter e(d.content, 256 + path.size());
    const Document::PaintOps ops = d.beginShape(e, pen, closed ? brush : QBrush(Qt::NoBrush));
    e.raw(path);
    Document::endShape(e, ops, closed);
}

void TgtCustomPDFEngine::drawRoundRect(const QRectF& rect, double xRadius, double yRadius,
                                       const QPen& pen, const QBrush& brush) {
    if (!isPageOpen())
        return;
    const QRectF r = rect.normalized();
    if (xRadius <= 0 || yRadius <= 0) {
        drawRect(r, pen, brush);
        return;
    }
    const Document& d = *m_doc;
    const double left = d.x(r.left()), right = d.x(r.right());
    const double top = d.y(r.top()), bottom = d.y(r.bottom());
    const double rx = std::min(xRadius * d.xScale, (right - left) / 2);
    const double ry = std::min(yRadius * d.yScale, (top - bottom) / 2);
    std::string path;
    appendNumber(path, left + rx);
    path += ' ';
    appendNumber(path, bottom);
    path += " m\r\n";
    pdf::appendArc(path, right - rx, bottom + ry, rx, ry, 270, 90, false);
    pdf::appendArc(path, right - rx, top - ry, rx, ry, 0, 90, false);
    pdf::appendArc(path, left + rx, top - ry, rx, ry, 90, 90, false);
    pdf::appendArc(path, left + rx, bottom + ry, rx, ry, 180, 90, false);
    paintPath(path, pen, brush, true);
}

void TgtCustomPDFEngine::drawEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush) {
    drawArcPath(rect, 0, 360, pen, brush, true);
}

void TgtCustomPDFEngine::drawArc(const QRectF& rect, double startAngle, double spanAngle,
                                 const QPen& pen) {
    if (pen.style() == Qt::NoPen || spanAngle == 0)
        return;
    drawArcPath(rect, startAngle, spanAngle, pen, Qt::NoBrush, false);
}

void TgtCustomPDFEngine::drawArcPath(const QRectF& rect, double startAngle, double spanAngle,
                                     const QPen& pen, const QBrush& brush, bool closed) {
    if (!isPageOpen())
        return;
    const Document& d = *m_doc;
    const QRectF r = rect.normalized();
    std::string path;
    pdf::appendArc(path, d.x(r.center().x()), d.y(r.center().y()), r.width() / 2 * d.xScale,
                   r.height() / 2 * d.yScale, startAngle, spanAngle, true);
    paintPath(path, pen, brush, closed);
}

void TgtCustomPDFEngine::drawPolygon(const QPolygonF& points, const QPen& pen,
                                     const QBrush& brush) {
    drawPoints(points, pen, brush, true);
}

void TgtCustomPDFEngine::drawPolyline(const QPolygonF& points, const QPen& pen) {
    if (pen.style() == Qt::NoPen)
        return;
    drawPoints(points, pen, Qt::NoBrush, false);
}

void TgtCustomPDFEngine::drawPoints(const QPolygonF& points, const QPen& pen, const QBrush& brush,
                                    bool closed) {
    if (!isPageOpen() || points.size() < 2)
        return;
    const Document& d = *m_doc;
    std::string path;
    for (qsizetype i = 0; i < points.size(); ++i) {
        appendNumber(path, d.x(points[i].x()));
        path += ' ';
        appendNumber(path, d.y(points[i].y()));
        path += i == 0 ? " m " : " l ";
    }
    paintPath(path, pen, brush, closed);
}

// ---- Clipping ----

void TgtCustomPDFEngine::setClip(const QRectF& rect) {
    if (!isPageOpen())
        return;
    Document& d = *m_doc;
    const QRectF r = rect.normalized();
    Emitter e(d.content, 128);
    if (d.clipOpen)
        e << "\r\nQ";
    e << "\r\nq ";
    d.point(e, r.left(), r.bottom());
    e.number(r.width() * d.xScale).blank().number(r.height() * d.yScale) << " re W n";
    d.clipOpen = true;
}

void TgtCustomPDFEngine::clearClip() {
    if (!isPageOpen() || !m_doc->clipOpen)
        return;
    Emitter e(m_doc->content, 8);
    e << "\r\nQ";
    m_doc->clipOpen = false;
}

// ---- Images ----

int TgtCustomPDFEngine::Document::writeImage(const QByteArray& name, const QImage& image,
                                             bool asJpeg) {
    QByteArray data;
    bool jpeg = false;
    if (asJpeg) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        jpeg = flattenedRgb(image).save(&buffer, "JPEG", 90);
        if (!jpeg) {
            qCWarning(lcPdf) << "JPEG writer unavailable, picture stored as raw samples";
            data.clear();
        }
    }
    if (!jpeg)
        data = rgbSamples(image);
    if (data.isEmpty())
        return 0;
    const int number = writer.allocate();
    const std::string_view stored = writer.prepareStream(
        number, std::string_view(data.constData(), size_t(data.size())), !jpeg);
    std::string head = "<</Type/XObject/Subtype/Image/Name/" + name.toStdString() + "/Width ";
    appendInteger(head, image.width());
    head += "/Height "sv;
    appendInteger(head, image.height());
    head += "/BitsPerComponent 8"sv;
    if (jpeg)
        head += "/Filter/DCTDecode"sv;
    else if (writer.compressing())
        head += "/Filter/FlateDecode"sv;
    head += "/ColorSpace/DeviceRGB/Length "sv;
    appendInteger(head, qint64(stored.size()));
    head += ">>\r\nstream\r\n"sv;
    writer.beginObject(number);
    writer.write(head);
    writer.write(stored);
    writer.write("\r\nendstream\r\nendobj\r\n");
    imagesUsed = true;
    return number;
}

void TgtCustomPDFEngine::drawImage(const QPointF& topLeft, const QImage& image) {
    const double dpi = ImageSettings.SourceDPI > 0 ? ImageSettings.SourceDPI : 96.0;
    drawImage(
        QRectF(topLeft, QSizeF(image.width() / dpi * InputXRes, image.height() / dpi * InputYRes)),
        image);
}

void TgtCustomPDFEngine::drawImage(const QRectF& rect, const QImage& image) {
    if (!isPageOpen())
        return;
    if (image.isNull() || image.format() == QImage::Format_Invalid) {
        report(QString::fromLatin1(kUnsupportedImage));
        return;
    }
    Document& d = *m_doc;
    QByteArray key;
    if (Preferences.UseImagesAsResources)
        key = imageFingerprint(image);
    auto found = key.isEmpty() ? d.images.end() : d.images.find(key);
    if (found == d.images.end()) {
        Document::ImageObject object;
        object.name =
            "Img" + QByteArray::number(d.pageNumber) + '_' + QByteArray::number(d.imagesOnPage);
        object.object = d.writeImage(object.name, image, ImageSettings.OutputImageFormat == ifJPEG);
        if (object.object == 0) {
            report(QString::fromLatin1(kUnsupportedImage));
            return;
        }
        ++d.imagesOnPage;
        d.imageList.push_back(object);
        if (key.isEmpty())
            key = QByteArray::number(object.object); // never found again
        found = d.images.insert(key, object);
    }
    const QRectF r = rect.normalized();
    Emitter e(d.content, 256);
    e << "\r\nq ";
    e.number(r.width() * d.xScale) << " 0 0 ";
    e.number(r.height() * d.yScale).blank();
    d.point(e, r.left(), r.bottom());
    e << "cm /";
    e.raw(std::string_view(found->name.constData(), size_t(found->name.size()))) << " Do Q";
}

// ---- Text ----

DocumentFont* TgtCustomPDFEngine::Document::simpleFont(const QString& requested, bool bold,
                                                       bool italic, int charset,
                                                       TgtFontEncoding encoding) {
    if (lastFont && lastCharset == charset && lastBold == bold && lastItalic == italic &&
        lastName == requested)
        return lastFont;
    const StyleKey key{family(requested), bold, italic, charset, {}};
    DocumentFont* font = fontIndex.value(key);
    if (!font) {
        auto created =
            pdf::makeSimpleFont(key.family, bold, italic, charset, primaryRawFont(key), encoding);
        font = addFont(std::move(created), key);
    }
    lastFont = font;
    lastName = requested;
    lastBold = bold;
    lastItalic = italic;
    lastCharset = charset;
    return font;
}

DocumentFont* TgtCustomPDFEngine::Document::compositeFont(const QString& requested, bool bold,
                                                          bool italic, int charset,
                                                          const QString& text) {
    // The charset changes nothing in a composite font, so one serves them all.
    StyleKey key{family(requested), bold, italic, -1, {}};
    const QRawFont raw = pdf::compositeRawFont(primaryRawFont(key), text, bold, italic);
    if (!raw.isValid())
        return nullptr;
    key.fallback = raw.familyName() + u'\x1f' + raw.styleName();
    DocumentFont* font = fontIndex.value(key);
    if (!font)
        font = addFont(pdf::makeCompositeFont(key.family, bold, italic, charset, raw), key);
    return font;
}

void TgtCustomPDFEngine::drawText(const TextItem& item) {
    if (!isPageOpen() || item.text.isEmpty())
        return;
    Document& d = *m_doc;
    QString text = item.text;
    const double size = item.fontSize > 0 ? item.fontSize : d.defaultFontSize;
    // An item that names no font takes the default font, its charset included.
    const QString& requested = item.fontName.isEmpty() ? d.defaultFontName : item.fontName;
    const int charset = item.fontName.isEmpty() ? d.defaultCharset : item.charset;
    const bool rotated = item.angle != 0 && item.angle != 360;
    const bool justified = (item.alignment & Qt::AlignJustify) && !rotated;
    const bool aligned =
        !rotated && !justified && (item.alignment & (Qt::AlignRight | Qt::AlignHCenter));

    // 1. A simple font when the text fits its encoding, a composite font otherwise.
    const pdf::SingleByteEncoding& encoding = *d.encoding;
    std::string& bytes = d.textBytes;
    bytes.clear();
    const bool symbol = charset == PdfCharset::Symbol;
    bool tabs = false;
    // Codes of the text in the font encoding; false when a character has none.
    bool mayLink = false; // an "@", a ":" or a "ww": the text may hold an address
    auto encode = [&]() {
        bytes.resize(size_t(text.size()));
        char* out = bytes.data();
        char16_t previous = 0;
        for (const QChar ch : std::as_const(text)) {
            const char16_t u = ch.unicode();
            int code;
            if (u - 0x20u < 0x5Fu && encoding.keepsAscii())
                code = u; // printable ASCII, the common case
            else if (u < 0x20)
                code = u; // control characters are escaped in the string
            else if (symbol && u >= 0xF020 && u <= 0xF0FF)
                code = u & 0xFF;
            else
                code = encoding.fromUnicode(u);
            if (code < 0)
                return false;
            tabs = tabs || u == u'\t';
            mayLink = mayLink || u == u'@' || u == u':' || (u == u'w' && previous == u'w');
            previous = u;
            *out++ = char(code);
        }
        return true;
    };
    bool composite = !isSimpleCharset(charset) || !encode();
    // Tabs become blanks, in the measured text as well as in the written one.
    if (tabs || (composite && text.contains(u'\t'))) {
        text = pdf::expandTabs(text);
        if (!composite)
            encode();
    }
    DocumentFont* font = nullptr;
    if (!composite) {
        font = d.simpleFont(requested, item.bold, item.italic, charset, FontEncoding);
        for (const char b : bytes)
            font->usedCodes[static_cast<unsigned char>(b)] = true;
    } else {
        font = d.compositeFont(requested, item.bold, item.italic, charset, text);
        if (!font) {
            report(QObject::tr("No TrueType font is installed to write \"%1\".").arg(text));
            return;
        }
    }
    d.textUsed = true;

    // 2. Units drawn (bytes or glyphs), where each starts in the text, and their widths when
    //    the layout needs them.
    QList<pdf::FoundLink> links;
    if (Preferences.ActivateHyperlinks && !rotated && (composite || mayLink))
        links = pdf::findLinks(text);
    const bool measure =
        aligned || justified || item.underline || item.strikeOut || !links.isEmpty();
    d.glyphs.clear();
    d.unitStart.clear();
    d.unitWidth.clear();
    if (composite) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t cp = text.at(i).unicode();
            const qsizetype start = i;
            if (QChar::isHighSurrogate(cp) && i + 1 < text.size() &&
                text.at(i + 1).isLowSurrogate()) {
                cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
                ++i;
            }
            if (cp < 0x20)
                cp = u' ';
            const quint32 glyph = font->glyphFor(cp);
            font->usedGlyphs.insert(glyph);
            if (glyph != 0 && !font->textOfGlyph.count(glyph))
                font->textOfGlyph.emplace(glyph, QString::fromUcs4(&cp, 1));
            d.glyphs.push_back(glyph);
            d.unitStart.push_back(int(start));
            if (measure)
                d.unitWidth.push_back(font->glyphWidth(glyph) * size / 1000.0);
        }
    } else if (measure) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            d.unitStart.push_back(int(i));
            d.unitWidth.push_back(font->widths[static_cast<unsigned char>(bytes[i])] * size /
                                  1000.0);
        }
    }
    const size_t units = composite ? d.glyphs.size() : bytes.size();
    const double spacing = composite || justified ? 0.0 : item.charSpacing;
    double textWidth = 0;
    for (const double width : d.unitWidth)
        textWidth += width;
    if (units > 1)
        textWidth += spacing * double(units - 1);

    // 3. Start of the baseline in PDF space.
    const double left = d.x(item.rect.left());
    const double top = d.y(item.rect.top());
    const double boxWidth = item.rect.width() * d.xScale;
    double x = left;
    double y = top - size;
    if (aligned)
        x = (item.alignment & Qt::AlignRight) ? left + boxWidth - textWidth
                                              : left + (boxWidth - textWidth) / 2;
    const double rise = item.script == TextItem::Superscript ? size / 2
                        : item.script == TextItem::Subscript ? -size / 2
                                                             : 0.0;
    double cosA = 1, sinA = 0;
    if (rotated) {
        const double angle = item.angle * M_PI / 180.0;
        cosA = std::cos(angle);
        sinA = std::sin(angle);
        x = left + size * sinA;
        y = top - size * cosA;
    }

    // Justified text: the room left over goes into the word gaps, or between all letters of
    // a single word; link and line positions follow the stretched letters.
    size_t lastVisible = units > 0 ? units - 1 : 0;
    bool byWords = false;
    double extra = 0;
    auto isBlank = [&](size_t i) {
        return composite ? text.at(d.unitStart[i]) == u' ' : bytes[i] == ' ';
    };
    auto stretched = [&](size_t i) { return i < lastVisible && (!byWords || isBlank(i)); };
    if (justified && units > 1) {
        while (lastVisible > 0 && isBlank(lastVisible))
            --lastVisible;
        size_t gaps = 0;
        for (size_t i = 0; i < lastVisible; ++i)
            gaps += isBlank(i) ? 1 : 0;
        byWords = gaps > 0;
        if (!byWords)
            gaps = lastVisible;
        extra = gaps > 0 ? (boxWidth - textWidth) / double(gaps) : 0.0;
        textWidth = 0;
        for (size_t i = 0; i < units; ++i) {
            if (stretched(i))
                d.unitWidth[i] += extra;
            textWidth += d.unitWidth[i];
        }
    }

    // 4. The text object.
    {
        Emitter e(d.content, 512 + units * (justified ? 40 : 8));
        e << "\r\n q ";
        if (item.clip) {
            e.number(left).blank().number(d.y(item.rect.bottom())).blank().number(boxWidth);
            e.blank().number(item.rect.height() * d.yScale) << " re W n\r\n";
        }
        e << "BT\r\n";
        if (item.renderMode == TextItem::Stroke)
            e << "1 Tr";
        else if (item.renderMode == TextItem::FillAndStroke)
            e << "2 Tr";
        else
            e << "0 Tr";
        if (rise != 0)
            e.blank().number(rise) << " Ts";
        e << "\r\n";
        e.color(item.color) << " rg";
        if (item.renderMode != TextItem::Fill)
            e.blank().color(item.color) << " RG"; // outlines would otherwise come out black
        e << "\r\n/F";
        e.integer(font->position).blank().raw(d.sizeText.get(size)) << " Tf\r\n";
        if (composite)
            e << "0 Tc\r\n0 Tw\r\n";
        else if (!justified)
            e.blank().raw(d.spacingText.get(spacing)) << " Tc 0 Tw\r\n";
        else
            e << "0 Tw\r\n";

        if (rotated) {
            e.number(cosA).blank().number(sinA).blank().number(-sinA).blank().number(cosA);
            e.blank().number(x).blank().number(y) << " Tm \r\n";
        } else {
            e.number(x).blank().number(y);
            if (composite)
                e << " Td ";
            else
                e << " Td\r\n";
        }
        if (justified && units > 1) {
            e << "[";
            for (size_t i = 0; i < units; ++i) {
                if (composite) {
                    e << "<" << d.glyphs[i] << ">";
                } else {
                    e << "(";
                    e.literal(std::string_view(&bytes[i], 1)) << ")";
                }
                e.number(stretched(i) ? -extra * 1000.0 / size : 0.0);
            }
            e << " ]TJ ";
        } else if (composite) {
            e << "<";
            for (size_t i = 0; i < units; ++i)
                e << d.glyphs[i];
            e << "> Tj";
        } else {
            e << "(";
            e.literal(bytes) << ") Tj";
        }
        e << "\r\nET Q ";

        // 5. Underline and strike-out, along the baseline even when it is turned.
        const pdf::FontMetrics& m = font->metrics;
        auto lineAt = [&](double offset) {
            double length = textWidth;
            if (item.clip)
                length = std::min(length, boxWidth - (x - left));
            if (length <= 0)
                return;
            const double x1 = x - (offset + rise) * sinA;
            const double y1 = y + (offset + rise) * cosA;
            e << "\r\nq\r\n";
            e.color(item.color) << " RG ";
            e.number(std::max(0.1, m.underlineThickness * size / 1000.0)) << " w ";
            e.number(x1).blank().number(y1) << " m ";
            e.number(x1 + length * cosA).blank().number(y1 + length * sinA) << " l S\r\nQ";
        };
        if (item.underline)
            lineAt(m.underlinePosition * size / 1000.0);
        if (item.strikeOut)
            lineAt(m.strikeOutPosition * size / 1000.0);
    }

    // 6. Links over the words that name an address.
    const pdf::FontMetrics& m = font->metrics;
    for (const pdf::FoundLink& link : std::as_const(links)) {
        double start = x, width = 0;
        for (size_t i = 0; i < d.unitStart.size(); ++i) {
            const int at = d.unitStart[i];
            const double advance = d.unitWidth[i] + spacing;
            if (at < link.start)
                start += advance;
            else if (at < link.start + link.length)
                width += advance;
        }
        if (width <= 0)
            continue;
        const int annotation = d.writer.allocate();
        const pdf::LinkAction action = pdf::linkAction(link.target);
        std::string body = "/Type/Annot/Border []/H/I/Subtype/Link/F 0/C [11 00 01]/Rect [";
        appendNumber(body, start);
        body += ' ';
        appendNumber(body, y + rise + m.descent * size / 1000.0);
        body += ' ';
        appendNumber(body, start + width);
        body += ' ';
        appendNumber(body, y + rise + m.ascent * size / 1000.0);
        body += "]/A <<" + action.before +
                d.writer.stringToken(annotation, action.stringBytes, !action.hexString) +
                action.after + ">>\r\n";
        d.writer.writeObject(annotation, body);
        d.annotations.push_back(annotation);
    }
}

// ---- TgtPDFEngine ----

TgtPDFEngine::TgtPDFEngine()
    : m_opener([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }) {}

void TgtPDFEngine::setOpener(std::function<void(const QString&)> opener) {
    m_opener = std::move(opener);
}

void TgtPDFEngine::openCreatedFile(const QString& path) {
    if (m_opener)
        m_opener(path);
}
