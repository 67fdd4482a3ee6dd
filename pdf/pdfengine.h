#pragma once

// The PDF writer: turns a stream of drawing calls into one PDF 1.4 file, or a PDF/A-3b file
// (see Conformance) with attached files (see Attachments).
//
// How a caller (the bridge that walks a report's prepared pages) uses it:
//
//     TgtPDFEngine pdf;
//     pdf.setFileName(path);                 // its extension is replaced by ".pdf"
//     pdf.Preferences.OpenAfterCreate = false;
//     if (!pdf.beginDoc()) {                 // the file cannot be created (missing folder,
//                                            // a name too long, no right to write)
//         showError(pdf.errorString());      // nothing was written, nothing else changed
//         return;
//     }
//     for (each page) {
//         pdf.beginPage();                   // size from Page.Width / Page.Height (inches)
//         TgtPDFEngine::TextItem text;       // font, size, style, colour, rect, alignment
//         text.text = "Invoice";
//         text.rect = QRectF(40, 30, 300, 20);
//         text.setFont(QFont("Arial", 12, QFont::Bold));
//         pdf.drawText(text);
//         pdf.drawRect(QRectF(38, 60, 500, 300), QPen(Qt::black, 2), Qt::NoBrush);
//         pdf.drawLine(QPointF(38, 400), QPointF(538, 400), QPen(Qt::black, 0.5));
//         pdf.drawImage(QRectF(40, 420, 160, 80), logo);    // stretched into the rect
//         pdf.endPage();                     // the page goes to the file now
//     }
//     if (!pdf.endDoc())                     // false: disk full or similar; an earlier file
//         showError(pdf.errorString());      // of the name keeps its bytes
//     for (const QString& w : pdf.warnings()) ...           // e.g. an image that was skipped
//
// Coordinates are in input units: dots at InputXRes by InputYRes per inch (96 by default),
// measured from the top left corner of the page, y growing downwards. Pen widths are input
// units too; font sizes and character spacing are points. The engine never breaks lines: one
// text item is one line. Text in any language is written so that it shows and can be searched
// and copied: what the font encoding (WinAnsi by default) cannot hold goes through an embedded
// composite font.
//
// Failures: beginDoc() and endDoc() return false and errorString() says why, in words a user
// can be shown. The file is written through a temporary file and only appears, complete, when
// endDoc() succeeds; an existing file of the same name is kept until then, and kept whole when
// the disk refuses the last bytes. Messages about single elements that had to be left out (an
// image the engine cannot place: "The PDF Engine does not support image format", a shape whose
// position is NaN or infinite) do not stop the document: they are collected in warnings()
// and passed to the message handler when one is set. The engine itself never shows a window.
// An engine destroyed while a document is open drops that document.

#include "pdftypes.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class QIODevice;

// The writer itself, without any desktop interaction: everything but opening the finished file.
class TgtCustomPDFEngine {
public:
    // One line of text.
    struct TextItem {
        enum RenderMode { Fill, Stroke, FillAndStroke };
        enum Script { Normal, Superscript, Subscript };

        QString text;
        // Input units. The text starts at the left edge (or is aligned inside the width) and
        // its baseline lies one font size below the top. Width and height clip the text when
        // `clip` is set.
        QRectF rect;
        QString fontName;    // empty: Font.Name
        double fontSize = 0; // points; 0 or less: from Font.Height
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int charset = PdfCharset::Default;
        QColor color = Qt::black;
        // Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, or Qt::AlignJustify, which stretches
        // the line to the width of the rect (the caller leaves it off for a paragraph's last
        // line).
        Qt::Alignment alignment = Qt::AlignLeft;
        RenderMode renderMode = Fill;
        Script script = Normal;
        double charSpacing = 0; // points after each character
        double angle = 0;       // degrees, counter-clockwise around the text's start
        bool clip = false;

        // Name, size in points (a font sized in pixels is taken at 96 per inch), bold
        // (semi-bold and heavier), italic, underline, strike-out.
        void setFont(const QFont& font);
    };

    TgtCustomPDFEngine();
    virtual ~TgtCustomPDFEngine();
    TgtCustomPDFEngine(const TgtCustomPDFEngine&) = delete;
    TgtCustomPDFEngine& operator=(const TgtCustomPDFEngine&) = delete;

    // ---- Settings (read when the document begins, Page at each page) ----

    QString FileExtension = QStringLiteral("pdf");
    QString FileDescription = QStringLiteral("Adobe PDF Files");
    double InputXRes = 96;
    double InputYRes = 96;
    struct PageSettings {
        double Width = 8.2677; // inches (A4)
        double Height = 11.6929;
    } Page;
    TgtReferencePoint ReferencePoint = rpBand;
    // Used for text items that name no font or size. Height is in input dots, negative for
    // the character height (as -11 is 8 points at 96 dots per inch).
    struct FontSettings {
        QString Name = QStringLiteral("Tahoma");
        int Height = -11;
        int Charset = PdfCharset::Default;
    } Font;
    struct ImageSettingsGroup {
        // Resolution of pictures placed at their natural size (drawImage with a point).
        double SourceDPI = 96;
        TgtOutputImageFormat OutputImageFormat = ifBMP;
    } ImageSettings;
    TgtFontEncoding FontEncoding = feWinAnsiEncoding;
    struct CompressionSettings {
        bool Enabled = true;
        int Level = 2; // 0 none, 1 fastest, 2 zlib's default, 3 maximum
    } Compression;
    QColor BackgroundColor = QColor(255, 255, 255);
    // Drawn over the whole of every page, under everything else; null for none.
    QImage BackgroundImage;
    struct PreferenceSettings {
        bool ShowSetupDialog = true; // see setSetupDialog
        bool OpenAfterCreate = true;
        bool UseImagesAsResources = true;
        bool OutputToUserStream = false; // write to setUserStream's device instead of a file
        TgtEmbedTrueTypeFonts EmbedTrueTypeFonts = etfNone;
        // Web and e-mail addresses and file paths in text become clickable links.
        bool ActivateHyperlinks = true;
    } Preferences;
    QStringList FontEmbedExcludeList;
    struct ViewerPreferenceSettings {
        TgtPageLayout PageLayout = plOneColumn;
        TgtPageMode PageMode = pmUseNone;
        bool CenterWindow = false;
        bool FitWindow = false;
        bool HideWindowUI = false;
        bool HideMenuBar = false;
        bool HideToolBar = false;
        TgtNonFullScreenPageMode NonFullScreenPageMode = nfpmUseNone;
    } ViewerPreferences;
    struct EncryptionSettings {
        bool Enabled = false;
        int Level = 1; // 0: 40-bit RC4, 1: 128-bit RC4
        QString OwnerPassword;
        QString UserPassword;
        int UserPermissions = upAll; // TgtUserPermission flags
    } Encryption;
    QString Author;
    QString Keywords;
    QString Creator;
    QString Title;
    QString Subject;

    // cfPDFA3b writes a PDF/A-3b file (PDF 1.7): every font embedded, the 14 standard fonts
    // ("Helvetica", "Times", "Courier", and "Arial") replaced by the embedded Liberation fonts
    // and any other font that is not TrueType by the Liberation font of its look, characters a
    // font lacks drawn from a fallback font that has them (left out, with a warning, when no
    // installed font has them), simple fonts in WinAnsi (or MacRoman) encoding, XMP metadata
    // that repeats the document information, the sRGB output intent, a file ID, links with
    // the print flag and an appearance (links to local files, which would launch a program,
    // are left out). Encryption is refused: beginDoc fails when Encryption.Enabled is set.
    // Plain documents (cfPlain) are written exactly as without these settings.
    TgtConformance Conformance = cfPlain;

    // A file carried inside the document: a PDF/A-3 associated file, listed in the catalog's
    // /AF and its embedded files. Allowed in plain documents too.
    struct Attachment {
        QString FileName; // as the reader lists it ("factur-x.xml"); unique in the document
        QByteArray Data;
        QString MimeType = QStringLiteral("application/octet-stream");
        QString Description;
        TgtAFRelationship Relationship = afrUnspecified;
        QDateTime Modified; // invalid: the time the document is written
    };
    QList<Attachment> Attachments;

    // Properties of a metadata schema of the caller's own (Factur-X's "fx", say), written into
    // the XMP metadata together with the extension schema description PDF/A asks for. Plain
    // documents carry XMP metadata only when a schema is given.
    struct XmpProperty {
        QString Name; // an XML name ("DocumentType")
        QString Value;
        QString Description;
        QString ValueType = QStringLiteral("Text");
        QString Category = QStringLiteral("external"); // or "internal"
    };
    struct XmpSchema {
        QString Name; // "Factur-X PDFA Extension Schema"
        QString NamespaceURI;
        QString Prefix; // an XML name, none of the prefixes XMP itself uses
        QList<XmpProperty> Properties;
    };
    QList<XmpSchema> XmpSchemas;

    // The path without its extension; the file written is FileName + "." + FileExtension.
    // Only an extension the name really has is dropped (see fileExtension), so "Invoice2026.01"
    // becomes "Invoice2026.01.pdf" and "report.txt" becomes "report.pdf". When that changes
    // the name and a file of the new name exists already, beginDoc refuses to replace it: the
    // save dialog asked about the name chosen, not that one. A caller that asked about the new
    // name itself passes outputFilePath() here.
    void setFileName(const QString& path);
    // The extension of a file name: what follows the last dot of its last part, when that is
    // letters and digits with at least one letter ("txt", "pdf", "gz"); empty for "2026.01",
    // "Invoice.", ".hidden" and names without a dot.
    static QString fileExtension(const QString& path);
    QString FileName() const { return m_fileName; }
    QString outputFilePath() const;

    // Where the document goes when Preferences.OutputToUserStream is set; the device must be
    // open for writing and outlive the document.
    void setUserStream(QIODevice* device) { m_userStream = device; }

    // Called with each message about an element that was left out.
    void setMessageHandler(std::function<void(const QString&)> handler);
    // Called by beginDoc when Preferences.ShowSetupDialog is set: the program's own setup
    // dialog may change the settings; returning false cancels the document (beginDoc then
    // returns false with an empty errorString).
    void setSetupDialog(std::function<bool(TgtCustomPDFEngine&)> dialog);

    // ---- The stream of calls ----

    bool beginDoc();
    void beginPage();
    void endPage();
    // Ends an open page, writes the shared objects, the cross-reference table and the trailer,
    // and puts the file in place. Then opens it when Preferences.OpenAfterCreate is set.
    bool endDoc();
    // Drops the document being written; no file is left behind.
    void abortDoc();

    void drawText(const TextItem& item);
    void drawLine(const QPointF& from, const QPointF& to, const QPen& pen);
    void drawRect(const QRectF& rect, const QPen& pen, const QBrush& brush);
    void drawRoundRect(const QRectF& rect, double xRadius, double yRadius, const QPen& pen,
                       const QBrush& brush);
    void drawEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush);
    // An open arc of the ellipse in `rect`; degrees counter-clockwise from three o'clock.
    void drawArc(const QRectF& rect, double startAngle, double spanAngle, const QPen& pen);
    void drawPolygon(const QPolygonF& points, const QPen& pen, const QBrush& brush);
    void drawPolyline(const QPolygonF& points, const QPen& pen);
    // Limits everything drawn after it to `rect` (input units) until clearClip() or the end of
    // the page; a second setClip replaces the first.
    void setClip(const QRectF& rect);
    void clearClip();
    // Stretched into `rect`. A picture drawn again is written to the file only once.
    void drawImage(const QRectF& rect, const QImage& image);
    // At its natural size: pixels over ImageSettings.SourceDPI inches.
    void drawImage(const QPointF& topLeft, const QImage& image);

    // ---- State ----

    bool isDocumentOpen() const;
    bool isPageOpen() const;
    int pageCount() const;
    QString errorString() const { return m_error; }
    QStringList warnings() const { return m_warnings; }
    // Every file this engine has written, in order.
    QStringList FilesCreated() const { return m_filesCreated; }

    // The engine's name and version as written in the document information.
    static QString producer();

protected:
    // Opens a finished file for the user; the custom engine does nothing.
    virtual void openCreatedFile(const QString& path);

private:
    struct Document;
    void report(const QString& message);
    // False, with a warning, when a coordinate, size or angle of an element is NaN or infinite:
    // such an element is left out rather than written as numbers no viewer can place.
    bool acceptGeometry(const QPolygonF& points, std::initializer_list<double> more,
                        const char* element);
    bool failDocument();
    // The catalog entries of the metadata, the output intent and the attached files, whose
    // objects it writes.
    std::string archiveParts(Document& d);
    static bool hasMetadata(const Document& d);
    // Paints a path already in PDF syntax with the pen and, when closed, the brush.
    void paintPath(const std::string& path, const QPen& pen, const QBrush& brush, bool closed);
    void drawArcPath(const QRectF& rect, double startAngle, double spanAngle, const QPen& pen,
                     const QBrush& brush, bool closed);
    void drawPoints(const QPolygonF& points, const QPen& pen, const QBrush& brush, bool closed);

    QString m_fileName;
    QString m_chosenName; // as given to setFileName
    QIODevice* m_userStream = nullptr;
    std::function<void(const QString&)> m_messageHandler;
    std::function<bool(TgtCustomPDFEngine&)> m_setupDialog;
    std::unique_ptr<Document> m_doc;
    QString m_error;
    QStringList m_warnings;
    QStringList m_filesCreated;
};

// The engine placed on the invoice editor: opens the finished file with the desktop's PDF
// viewer, through a routine the program can replace.
class TgtPDFEngine : public TgtCustomPDFEngine {
public:
    TgtPDFEngine();
    // Called with the path of each finished file when Preferences.OpenAfterCreate is set.
    // The default opens it with the application the desktop associates with it.
    void setOpener(std::function<void(const QString&)> opener);

protected:
    void openCreatedFile(const QString& path) override;

private:
    std::function<void(const QString&)> m_opener;
};
