#include "report/elements.h"

#include "report/band.h"
#include "report/datasource.h"
#include "report/logging.h"
#include "report/report.h"
#include "report/rtf.h"
#include "report/units.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QLocale>
#include <QTextDocument>

#include <cmath>

namespace report {

Element::Element(Band* band, ElementKind kind, const QString& name)
    : QObject(band)
    , m_kind(kind) {
    setObjectName(name);
}

Band* Element::band() const {
    return qobject_cast<Band*>(parent());
}

void Element::setLeft(double left) {
    m_rect.moveLeft(left);
}

void Element::setTop(double top) {
    m_rect.moveTop(top);
}

void Element::setWidth(double width) {
    m_rect.setWidth(width < 0 ? 0 : width);
}

void Element::setHeight(double height) {
    m_rect.setHeight(height < 0 ? 0 : height);
}

void Element::setGeometry(double left, double top, double width, double height) {
    setLeft(left);
    setTop(top);
    setWidth(width);
    setHeight(height);
}

// ---- TextElement ---------------------------------------------------------------------------

TextElement::TextElement(Band* band, ElementKind kind, const QString& name)
    : Element(band, kind, name) {
    m_rect.setHeight(lineHeight(m_font));
}

void TextElement::setFont(const FontSpec& font) {
    m_font = font;
    fitToText();
}

void TextElement::setFontName(const QString& family) {
    m_font.family = family;
    fitToText();
}

void TextElement::setFontSize(double points) {
    m_font.size = points > 0 ? points : m_font.size;
    fitToText();
}

void TextElement::setFontStyle(bool bold, bool italic, bool underline, bool strikeOut) {
    m_font.bold = bold;
    m_font.italic = italic;
    m_font.underline = underline;
    m_font.strikeOut = strikeOut;
    fitToText();
}

void TextElement::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
}

void TextElement::setWidth(double width) {
    Element::setWidth(width);
    fitToText();
}

void TextElement::setHeight(double height) {
    Element::setHeight(height);
    fitToText();
}

void TextElement::setAutoSize(bool on) {
    m_autoSize = on;
    fitToText();
}

void TextElement::setWordWrap(bool on) {
    m_wordWrap = on;
    fitToText();
}

void TextElement::fitToText() {
    if (!m_autoSize || m_wordWrap) {
        // A single line is never cut at the bottom by a larger font.
        if (!m_wordWrap)
            m_rect.setHeight(std::max(m_rect.height(), lineHeight(m_font)));
        return;
    }
    const TextBlock block = layoutPlainText(displayText(), m_font, m_color, 0, m_alignment, false);
    // The edge the text is aligned to stays where it is.
    const double oldWidth = m_rect.width();
    double left = m_rect.left();
    if (m_alignment & Qt::AlignRight)
        left += oldWidth - block.width;
    else if (m_alignment & Qt::AlignHCenter)
        left += (oldWidth - block.width) / 2;
    m_rect = QRectF(left, m_rect.top(), block.width, std::max(block.height, lineHeight(m_font)));
}

// ---- Label, DBText, Memo, SysData -----------------------------------------------------------

Label::Label(Band* band, const QString& name, const QString& caption)
    : TextElement(band, ElementKind::Label, name)
    , m_caption(caption) {
    setAutoSize(true);
}

void Label::setCaption(const QString& caption) {
    m_caption = caption;
    fitToText();
}

DBText::DBText(Band* band, const QString& name, const QString& field)
    : TextElement(band, ElementKind::DBText, name)
    , m_field(field) {}

QString DBText::displayText() const {
    const Band* b = band();
    const Report* r = b ? b->report() : nullptr;
    DataSource* source = r ? r->dataSource() : nullptr;
    if (!source || m_field.isEmpty() || source->eof())
        return QString();
    const QVariant value = source->value(m_field);
    if (m_formatter)
        return m_formatter(value);
    if (value.isNull())
        return QString();
    return value.toString();
}

Memo::Memo(Band* band, const QString& name)
    : TextElement(band, ElementKind::Memo, name) {
    setWordWrap(true);
}

void Memo::setLines(const QStringList& lines) {
    m_lines = lines;
    fitToText();
}

void Memo::setText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setLines(t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n')));
}

SysData::SysData(Band* band, const QString& name, Data data)
    : TextElement(band, ElementKind::SysData, name)
    , m_data(data) {
    setAutoSize(true);
}

void SysData::setText(const QString& text) {
    m_text = text;
    fitToText();
}

QString SysData::displayText() const {
    const Band* b = band();
    const Report* r = b ? b->report() : nullptr;
    switch (m_data) {
    case PageNumber:
        return m_text + QString::number(r && r->isPreparing() ? r->pageNumber() : 1);
    case Date:
        return m_text +
               QLocale().toString(r ? r->printDate() : QDate::currentDate(), QLocale::ShortFormat);
    }
    return m_text;
}

// ---- RichText, Picture, Shape --------------------------------------------------------------

RichText::RichText(Band* band, const QString& name)
    : Element(band, ElementKind::RichText, name) {}

void RichText::setContent(const QString& content) {
    if (content.isEmpty()) {
        m_html.clear();
    } else if (isRtf(content)) {
        // RTF is plain 7-bit text with escapes; anything wider was decoded already.
        m_html = rtfToHtml(content.toLatin1());
    } else if (Qt::mightBeRichText(content)) {
        m_html = content;
    } else {
        m_html = Qt::convertFromPlainText(content, Qt::WhiteSpaceNormal);
    }
}

bool RichText::loadFromStream(QIODevice& stream) {
    if (!stream.isOpen() && !stream.open(QIODevice::ReadOnly)) {
        m_html.clear();
        return false;
    }
    const QByteArray bytes = stream.readAll();
    if (isRtf(bytes))
        m_html = rtfToHtml(bytes);
    else
        setContent(QString::fromUtf8(bytes));
    return true;
}

Picture::Picture(Band* band, const QString& name)
    : Element(band, ElementKind::Picture, name) {}

void Picture::setImage(const QImage& image) {
    m_image = image;
    m_scaled = QImage();
    m_scaledFor = QSize();
}

QImage Picture::imageFor(const QSizeF& size) const {
    // 300 dots per inch of paper are more than a printer shows of a picture.
    constexpr double kMaxDpi = 300;
    const QSize most(std::max(1, int(std::ceil(size.width() / kUnitsPerInch * kMaxDpi))),
                     std::max(1, int(std::ceil(size.height() / kUnitsPerInch * kMaxDpi))));
    if (m_image.isNull() || (m_image.width() <= most.width() && m_image.height() <= most.height()))
        return m_image;
    if (m_scaledFor != most) {
        m_scaled = m_image.scaled(most, m_keepAspect ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
        m_scaledFor = most;
    }
    return m_scaled;
}

bool Picture::loadFromFile(const QString& fileName) {
    QImageReader reader(fileName);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        qCDebug(lcReport) << "picture" << fileName << "not loaded:" << reader.errorString();
        setImage(QImage());
        return false;
    }
    setImage(image);
    return true;
}

Matrix::Matrix(Band* band, const QString& name)
    : Element(band, ElementKind::Matrix, name) {}

void Matrix::setModules(int size, std::vector<bool> dark, int quietZone) {
    if (size <= 0 || dark.size() != static_cast<size_t>(size) * static_cast<size_t>(size)) {
        m_size = 0;
        m_dark.clear();
        return;
    }
    m_size = size;
    m_dark = std::move(dark);
    m_quiet = std::max(0, quietZone);
}

Shape::Shape(Band* band, const QString& name)
    : Element(band, ElementKind::Shape, name) {}

} // namespace report
