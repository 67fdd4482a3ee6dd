#include "pdfdocument.h"

#include "logging.h"
#include "pdfarchive.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QUrl>

Q_LOGGING_CATEGORY(lcPdf, "merovia.pdf", QtCriticalMsg)

#ifndef MEROVIA_PDF_VERSION
#define MEROVIA_PDF_VERSION "1.0"
#endif

using namespace pdf;
using namespace std::string_view_literals;

namespace {

// The six hatch figures, drawn in a 5 by 5 cell.
const char* const kHatchFigures[6] = {"0 2.5 m 5 2.5 l S",                  // horizontal
                                      "2.5 0 m 2.5 5 l S",                  // vertical
                                      "0 2.5 m 2.5 0 l 5 2.5 m 2.5 5 l S",  // falling diagonal
                                      "0 2.5 m 2.5 5 l 2.5 0 m 5 2.5 l S",  // rising diagonal
                                      "0 2.5 m 5 2.5 l 2.5 0 m 2.5 5 l S",  // cross
                                      "2.5 0 m 5 2.5 l 2.5 5 l 0 2.5 l s"}; // diagonal cross

QByteArray passwordBytes(const QString& password) {
    // The standard handler takes PDFDocEncoding passwords; Latin-1 agrees with it on letters.
    return password.toLatin1().left(32);
}

} // namespace

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

QString TgtCustomPDFEngine::fileExtension(const QString& path) {
    const QStringView name = QStringView(path).mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0) // no dot, or the dot of a hidden file's name
        return {};
    // Only letters and digits, and a letter among them: a document number such as "2026.01"
    // that the program put into a name is not taken for the name's extension.
    const QStringView extension = name.mid(dot + 1);
    bool letter = false;
    for (const QChar c : extension) {
        if (!c.isLetterOrNumber())
            return {};
        letter = letter || c.isLetter();
    }
    return letter ? extension.toString() : QString();
}

void TgtCustomPDFEngine::setFileName(const QString& path) {
    m_chosenName = path;
    const QString extension = fileExtension(path);
    m_fileName = extension.isEmpty() ? path : path.chopped(extension.size() + 1);
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
    if (const QString problem = pdf::settingsProblem(*this); !problem.isEmpty()) {
        m_error = problem;
        return false;
    }

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
        const QString shown = QDir::toNativeSeparators(doc->path);
        // The save dialog asked about the name the user chose; a file that only the replaced
        // extension leads to is not overwritten behind the user's back.
        if (doc->path != m_chosenName && QFileInfo::exists(doc->path)) {
            m_error = QObject::tr("The PDF file \"%1\" already exists and was not replaced: the "
                                  "name chosen was \"%2\".")
                          .arg(shown, QDir::toNativeSeparators(m_chosenName));
            return false;
        }
        doc->file = std::make_unique<OutputFile>(doc->path);
        QString reason;
        if (!doc->file->open(&reason)) {
            m_error = QObject::tr("The PDF file \"%1\" cannot be created: %2").arg(shown, reason);
            return false;
        }
        doc->out = doc->file->device();
    }

    doc->xScale = 72.0 / positiveOr(InputXRes, 96.0);
    doc->yScale = 72.0 / positiveOr(InputYRes, 96.0);
    doc->defaultFontName = Font.Name.trimmed().isEmpty() ? QStringLiteral("Arial") : Font.Name;
    doc->defaultCharset = Font.Charset;
    doc->archival = Conformance == cfPDFA3b;
    doc->attachments = Attachments;
    doc->xmpSchemas = XmpSchemas;
    // PDF/A allows simple TrueType fonts only these two encodings.
    doc->fontEncoding =
        doc->archival && FontEncoding != feMacRomanEncoding ? feWinAnsiEncoding : FontEncoding;
    doc->encoding = &pdf::SingleByteEncoding::get(doc->fontEncoding);
    doc->defaultFontSize =
        Font.Height == 0 ? 8.0
                         : std::round(std::abs(Font.Height) * 72.0 / positiveOr(InputYRes, 96.0));
    doc->writer.start(doc->out, Compression.Enabled, pdf::zlibLevelFor(Compression.Level), 5);
    doc->created = QDateTime::currentDateTime();
    doc->created = doc->created.addMSecs(-doc->created.time().msec());
    doc->timeStamp = pdf::timeStamp(doc->created);

    if (Encryption.Enabled || doc->archival) {
        QCryptographicHash id(QCryptographicHash::Md5);
        id.addData(outputFilePath().toUtf8());
        id.addData(doc->timeStamp.toUtf8());
        id.addData(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
        id.addData(QByteArray::number(Encryption.Level) +
                   QByteArray::number(Encryption.UserPermissions));
        doc->fileId = id.result();
    }
    if (Encryption.Enabled) {
        doc->security = std::make_unique<pdf::StandardSecurityHandler>(
            Encryption.Level, passwordBytes(Encryption.OwnerPassword),
            passwordBytes(Encryption.UserPassword), pdf::permissionBits(Encryption.UserPermissions),
            doc->fileId);
        doc->writer.setSecurity(doc->security.get());
    }

    // PDF/A-3 rests on PDF 1.7 (attached files with their relationship came with it).
    static const char kHeader[] = "%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n";
    static const char kArchivalHeader[] = "%PDF-1.7\r\n%\xE2\xE3\xCF\xD3\r\n";
    doc->writer.write(doc->archival ? std::string_view(kArchivalHeader, sizeof kArchivalHeader - 1)
                                    : std::string_view(kHeader, sizeof kHeader - 1));
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
    d.pageWidth = positiveOr(Page.Width, 8.2677) * 72.0;
    d.pageHeight = positiveOr(Page.Height, 11.6929) * 72.0;

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

bool TgtCustomPDFEngine::hasMetadata(const Document& d) {
    return d.archival || !d.xmpSchemas.isEmpty();
}

std::string TgtCustomPDFEngine::archiveParts(Document& d) {
    pdf::ObjectWriter& w = d.writer;
    std::string entries;
    if (hasMetadata(d)) {
        pdf::XmpContent xmp;
        xmp.pdfa = d.archival;
        const auto text = [](const QString& value) {
            const QString safe = pdf::xmlSafeText(value);
            return safe.trimmed().isEmpty() ? QString() : safe;
        };
        xmp.title = text(Title);
        xmp.author = text(Author);
        xmp.subject = text(Subject);
        xmp.keywords = text(Keywords);
        xmp.creator = text(Creator);
        xmp.producer = producer();
        xmp.created = d.created;
        xmp.schemas = d.xmpSchemas;
        entries += "/Metadata "sv;
        appendReference(entries, pdf::writeMetadata(w, pdf::xmpPacket(xmp)));
    }
    if (d.archival) {
        entries += "/OutputIntents ["sv;
        appendReference(entries, pdf::writeOutputIntent(w));
        entries += "]"sv;
    }
    // Attached files at the fastest level unless the smallest file was asked for.
    entries += pdf::writeAttachments(w, d.attachments, d.created, kCatalog,
                                     pdf::zlibLevelFor(Compression.Level >= 3 ? 3 : 1));
    return entries;
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
        m_doc->file->cancel();
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
    body += archiveParts(d);
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
    // A PDF/A file leaves out fonts that drew nothing: a simple font whose text went to
    // composite fonts, a fallback font that turned out to lack the character.
    const auto drewSomething = [&d](const DocumentFont& font) {
        if (!d.archival)
            return true;
        if (font.kind == DocumentFont::Composite)
            return !font.usedGlyphs.empty();
        return std::find(font.usedCodes.begin(), font.usedCodes.end(), true) !=
               font.usedCodes.end();
    };
    if (!d.fonts.empty()) {
        body += "/Font <<"sv;
        for (const auto& font : d.fonts) {
            if (!drewSomething(*font))
                continue;
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

    const pdf::FontEmbedding embedding{Preferences.EmbedTrueTypeFonts, FontEmbedExcludeList,
                                       d.archival};
    for (const auto& font : d.fonts) {
        if (drewSomething(*font))
            pdf::writeFont(w, *font, embedding);
    }
    if (d.emptyAppearance != 0)
        w.writeStreamObject(d.emptyAppearance, "/Type /XObject/Subtype /Form/BBox [0 0 1 1]", {},
                            false);

    std::string trailer;
    if (!d.fileId.isEmpty()) {
        const std::string id = pdf::toHex(d.fileId);
        trailer = "/ID [<" + id + "><" + id + ">]";
    }
    if (d.security) {
        const int encryptObject = w.allocate();
        w.writeObject(encryptObject, d.security->dictionaryBody());
        trailer += "/Encrypt ";
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
        // Texts the metadata repeats are the same in both places.
        const QString text = hasMetadata(d) ? pdf::xmlSafeText(*value) : *value;
        if (!text.trimmed().isEmpty())
            entry(key, pdf::utf16beWithMark(text));
    }
    w.writeObject(kInfo, body);

    w.finish(kCatalog, kInfo, trailer);
    if (w.failed())
        return failDocument();

    const QString path = d.path;
    QString reason;
    if (d.file && !d.file->commit(&reason)) {
        m_error = QObject::tr("The PDF file \"%1\" could not be written: %2")
                      .arg(QDir::toNativeSeparators(path), reason);
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
