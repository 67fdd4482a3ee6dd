// PDF/A-3b output, point by point as the checklist beside the e-invoice kit lists it. No
// PDF/A validator is packaged for the machine, so each rule is read back with qpdf, poppler's
// tools or the file's own bytes.
#include "enginetest.h"

#include "pdf/pdfencodings.h"
#include "pdf/pdffonts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRawFont>
#include <QRegularExpression>

namespace {

const QString kPdfaId = QStringLiteral("http://www.aiim.org/pdfa/ns/id/");
const QString kDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString kPdfNs = QStringLiteral("http://ns.adobe.com/pdf/1.3/");
const QString kXmp = QStringLiteral("http://ns.adobe.com/xap/1.0/");
const QString kSchema = QStringLiteral("http://www.aiim.org/pdfa/ns/schema#");
const QString kProperty = QStringLiteral("http://www.aiim.org/pdfa/ns/property#");
const QString kInvoiceNs = QStringLiteral("urn:example:invoice#");

const QByteArray kXml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<invoice>Grüße &amp; "
                        "1234.50</invoice>\n";

bool tools() {
    for (const char* tool : {"qpdf", "pdffonts", "pdfinfo", "pdfdetach", "pdftotext"})
        if (!haveTool(QLatin1String(tool)))
            return false;
    return true;
}

TgtCustomPDFEngine::XmpSchema invoiceSchema() {
    TgtCustomPDFEngine::XmpSchema schema;
    schema.Name = QStringLiteral("Invoice schema");
    schema.NamespaceURI = kInvoiceNs;
    schema.Prefix = QStringLiteral("inv");
    schema.Properties = {{QStringLiteral("Kind"), QStringLiteral("INVOICE & more"),
                          QStringLiteral("The kind <of> document")},
                         {QStringLiteral("FileName"), QStringLiteral("invoice.xml"),
                          QStringLiteral("The attached file")}};
    return schema;
}

void attach(TgtCustomPDFEngine& pdf, const QString& name, const QByteArray& data,
            TgtAFRelationship relationship) {
    TgtCustomPDFEngine::Attachment file;
    file.FileName = name;
    file.Data = data;
    file.MimeType = QStringLiteral("text/xml");
    file.Description = QStringLiteral("Invoice data");
    file.Relationship = relationship;
    pdf.Attachments << file;
}

// A character no installed font has (the last code of the private plane 16).
const QString kNoFontHasIt = QString::fromUcs4(U"\U0010FFFD", 1);

// Everything the writer draws, in the fonts an invoice uses, the standard names among them.
void drawEverything(TgtCustomPDFEngine& pdf) {
    pdf.beginPage();
    int y = 40;
    for (const char* family : {"Arial", "Helvetica", "Times", "Times New Roman", "Courier",
                               "Tahoma", "Nimbus Sans", "DejaVu Serif"}) {
        for (int style = 0; style < 4; ++style) {
            TextItem item = text(QStringLiteral("%1 Total € 1.234,50 – Müller").arg(family), 40, y,
                                 QLatin1String(family), 9);
            item.bold = style & 1;
            item.italic = style & 2;
            item.underline = style == 2;
            if (style == 3)
                item.alignment = Qt::AlignJustify;
            pdf.drawText(item);
            y += 14;
        }
    }
    pdf.drawText(text(QString::fromUtf8("Ελένη Παπαδοπούλου, Иван Петров"), 40, y += 14));
    pdf.drawText(text(QString::fromUtf8("北京暖通设备有限公司 Beijing"), 40, y += 14));
    pdf.drawText(
        text(QString::fromUtf8("朝阳区建国路88号"), 40, y += 14)); // no glyph of its own font
    pdf.drawText(
        text(QStringLiteral("Before") + kNoFontHasIt + QStringLiteral("After"), 40, y += 14));
    TextItem justified = text(QString::fromUtf8("Kunde: 王先生 und Frau Keller"), 40, y += 14);
    justified.alignment = Qt::AlignJustify;
    pdf.drawText(justified);
    pdf.drawText(
        text(QStringLiteral("www.merovia.example info@merovia.example C:\\invoices\\x.pdf"), 40,
             y += 14));
    pdf.drawRect(QRectF(40, 700, 100, 50), QPen(Qt::red, 2), QBrush(Qt::blue, Qt::CrossPattern));
    pdf.drawEllipse(QRectF(200, 700, 100, 50), QPen(Qt::black), QBrush(Qt::green));
    pdf.drawLine(QPointF(40, 800), QPointF(500, 800), QPen(Qt::DashLine));
    QImage half(20, 10, QImage::Format_ARGB32);
    half.fill(qRgba(255, 0, 0, 128));
    pdf.drawImage(QRectF(350, 700, 40, 20), half);
    pdf.setClip(QRectF(10, 10, 100, 100));
    pdf.drawRect(QRectF(0, 0, 50, 50), QPen(), QBrush(Qt::yellow));
    pdf.clearClip();
    pdf.endPage();
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("Page 2"), 40, 40, QStringLiteral("Courier New"), 12));
    pdf.endPage();
}

class PdfA : public PdfFiles {
protected:
    void SetUp() override {
        if (!tools())
            GTEST_SKIP() << "qpdf and poppler-utils are needed";
    }

    // Writes the full document as PDF/A-3b with two attached files.
    QString writeArchive(const QString& name) {
        TgtCustomPDFEngine pdf;
        prepare(pdf, name);
        pdf.Conformance = cfPDFA3b;
        pdf.Title = QStringLiteral("Invoice 2025-0117");
        pdf.Author = QString::fromUtf8("Nordlicht Werkstatt GmbH – Ελλάδα");
        pdf.Subject = QStringLiteral("Invoice");
        pdf.Keywords = QStringLiteral("invoice, 2025");
        pdf.Creator = QStringLiteral("Merovia");
        pdf.XmpSchemas << invoiceSchema();
        attach(pdf, QStringLiteral("invoice.xml"), kXml, afrAlternative);
        attach(pdf, QString::fromUtf8("Anlage-Übersicht.xml"), "<a/>", afrSupplement);
        EXPECT_TRUE(pdf.beginDoc()) << qPrintable(pdf.errorString());
        drawEverything(pdf);
        EXPECT_TRUE(pdf.endDoc()) << qPrintable(pdf.errorString());
        m_warnings = pdf.warnings();
        return pdf.outputFilePath();
    }

    QStringList m_warnings;
};

} // namespace

TEST_F(PdfA, FileHeaderTrailerAndStreamsAreThoseOfPdfA) {
    const QString file = writeArchive(QStringLiteral("archive.pdf"));
    const QByteArray bytes = readBytes(file);
    // %PDF-1.7, then a comment of four bytes above 127; nothing after %%EOF.
    EXPECT_EQ(structureProblems(bytes, "1.7"), QString());
    const QByteArray comment = bytes.mid(10, 5);
    EXPECT_EQ(comment.at(0), '%');
    for (int i = 1; i < 5; ++i)
        EXPECT_GT(quint8(comment.at(i)), 127);
    EXPECT_TRUE(bytes.endsWith("%%EOF"));

    const QJsonObject objects = qpdfObjects(file);
    ASSERT_FALSE(objects.isEmpty());
    const QJsonObject trailer = trailerOf(objects);
    const QJsonArray id = trailer.value(QLatin1String("/ID")).toArray();
    ASSERT_EQ(id.size(), 2);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^b:[0-9a-f]{32}$")).match(id[0].toString()).hasMatch())
        << qPrintable(id[0].toString());
    EXPECT_EQ(id[0], id[1]);
    EXPECT_FALSE(trailer.contains(QLatin1String("/Encrypt")));

    // No external streams, no LZW, nothing of JavaScript or launching programs anywhere.
    for (const auto& [key, dict] : allDictionaries(objects)) {
        const bool stream = objects.value(key).toObject().contains(QLatin1String("stream"));
        if (stream) {
            EXPECT_FALSE(dict.contains(QLatin1String("/F"))) << qPrintable(key);
            EXPECT_FALSE(dict.contains(QLatin1String("/FFilter"))) << qPrintable(key);
            EXPECT_FALSE(dict.contains(QLatin1String("/FDecodeParms"))) << qPrintable(key);
        }
        const QString text = QString::fromUtf8(QJsonDocument(dict).toJson(QJsonDocument::Compact));
        EXPECT_FALSE(text.contains(QLatin1String("LZWDecode"))) << qPrintable(key);
        EXPECT_FALSE(text.contains(QLatin1String("/JavaScript"))) << qPrintable(key);
        EXPECT_FALSE(text.contains(QLatin1String("\"/JS\""))) << qPrintable(key);
        EXPECT_FALSE(text.contains(QLatin1String("/Launch"))) << qPrintable(key);
        EXPECT_FALSE(text.contains(QLatin1String("/DeviceCMYK"))) << qPrintable(key);
        EXPECT_FALSE(text.contains(QLatin1String("/OpenAction"))) << qPrintable(key);
    }
    EXPECT_FALSE(bytes.contains("/Launch"));
    EXPECT_FALSE(bytes.contains("/Encrypt"));
    // qpdf --check runs on the file when the test ends: every /Length matches its stream.
}

TEST_F(PdfA, EveryFontIsEmbeddedAndTheStandardNamesBecomeLiberation) {
    const QString file = writeArchive(QStringLiteral("fonts.pdf"));
    const QList<FontRow> fonts = fontsOf(file);
    ASSERT_GE(fonts.size(), 4);
    QStringList names;
    for (const FontRow& font : fonts) {
        EXPECT_TRUE(font.embedded) << qPrintable(font.name);
        EXPECT_TRUE(font.type == QLatin1String("TrueType") ||
                    font.type == QLatin1String("CID TrueType"))
            << qPrintable(font.name + u' ' + font.type);
        if (font.type == QLatin1String("TrueType")) {
            EXPECT_EQ(font.encoding, QLatin1String("WinAnsi")) << qPrintable(font.name);
        }
        names << font.name.mid(font.name.indexOf(u'+') + 1);
    }
    for (const char* name : {"LiberationSans", "LiberationSans-BoldItalic", "LiberationSerif",
                             "LiberationSerif-Bold", "LiberationMono", "LiberationMono-Italic"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name << qPrintable(names.join(u' '));
    for (const QString& name : std::as_const(names)) {
        EXPECT_FALSE(name.startsWith(QLatin1String("Helvetica"))) << qPrintable(name);
        EXPECT_FALSE(name.startsWith(QLatin1String("Times"))) << qPrintable(name);
        EXPECT_FALSE(name.startsWith(QLatin1String("Courier"))) << qPrintable(name);
        EXPECT_FALSE(name.startsWith(QLatin1String("Nimbus"))) << qPrintable(name);
    }
    // Every subset has a tag of its own.
    QStringList tags;
    for (const FontRow& font : fonts)
        tags << font.name.left(7);
    tags.removeDuplicates();
    EXPECT_EQ(tags.size(), fonts.size());

    // The text can still be found, in every font and script, and every font the pages name
    // is among their resources.
    const QString found = textOf(file);
    EXPECT_FALSE(found.contains(QLatin1String("Syntax Error"))) << qPrintable(found);
    EXPECT_TRUE(found.contains(QString::fromUtf8("朝阳区建国路88号")));
    EXPECT_TRUE(found.contains(QString::fromUtf8("Helvetica Total € 1.234,50 – Müller")))
        << qPrintable(found);
    EXPECT_TRUE(found.contains(QString::fromUtf8("北京暖通设备有限公司 Beijing")));
    EXPECT_TRUE(found.contains(QString::fromUtf8("Ελένη Παπαδοπούλου, Иван Петров")));
}

TEST_F(PdfA, WidthsAreThoseOfTheEmbeddedProgramsAndNoTextHitsNotdef) {
    const QString file = writeArchive(QStringLiteral("widths.pdf"));
    const QJsonObject objects = qpdfObjects(file);
    int simple = 0, composite = 0;
    for (const auto& [key, dict] : allDictionaries(objects)) {
        if (dict.value(QLatin1String("/Type")) != QLatin1String("/Font"))
            continue;
        const QString subtype = dict.value(QLatin1String("/Subtype")).toString();
        if (subtype == QLatin1String("/TrueType")) {
            ++simple;
            const QJsonObject descriptor =
                dictOf(objects, dict.value(QLatin1String("/FontDescriptor")));
            const QByteArray program =
                streamDataOf(objects, descriptor.value(QLatin1String("/FontFile2")));
            const QRawFont font(program, 1000);
            ASSERT_TRUE(font.isValid()) << qPrintable(key);
            const QJsonArray widths = dict.value(QLatin1String("/Widths")).toArray();
            const int first = dict.value(QLatin1String("/FirstChar")).toInt();
            // Every code the program draws has the program's width, and the letters every
            // line of the page uses are among them.
            const pdf::SingleByteEncoding& winAnsi =
                pdf::SingleByteEncoding::get(feWinAnsiEncoding);
            int drawn = 0;
            for (int code = first; code < first + int(widths.size()); ++code) {
                const char16_t c = winAnsi.toUnicode(static_cast<unsigned char>(code));
                const QList<quint32> glyph = font.glyphIndexesForString(QString(QChar(c)));
                if (c == 0 || glyph.isEmpty() || glyph.first() == 0)
                    continue;
                ++drawn;
                const double advance =
                    font.advancesForGlyphIndexes(glyph, QRawFont::UseDesignMetrics).value(0).x();
                EXPECT_NEAR(widths.at(code - first).toDouble(), advance, 1.0)
                    << qPrintable(key) << " code " << code;
            }
            for (const QChar c : QString::fromUtf8("Total € 1.234,50 – Müller"))
                EXPECT_NE(font.glyphIndexesForString(QString(c)).value(0), 0u)
                    << qPrintable(key) << " " << int(c.unicode());
            EXPECT_GE(drawn, 15) << qPrintable(key);
            // Only what the page draws: a PDF/A file embeds every font, so each one is small.
            EXPECT_LT(program.size(), 40000) << qPrintable(key);
        } else if (subtype == QLatin1String("/Type0")) {
            ++composite;
            const QJsonObject cid =
                dictOf(objects, dict.value(QLatin1String("/DescendantFonts")).toArray().at(0));
            EXPECT_EQ(cid.value(QLatin1String("/CIDToGIDMap")), QLatin1String("/Identity"));
            EXPECT_FALSE(cid.contains(QLatin1String("/CIDSet")));
            // Glyph 0 would be the first of the width runs: no text hits .notdef.
            const QJsonArray w = cid.value(QLatin1String("/W")).toArray();
            ASSERT_FALSE(w.isEmpty());
            EXPECT_NE(w.at(0).toInt(), 0) << qPrintable(key);
            const QJsonObject descriptor =
                dictOf(objects, cid.value(QLatin1String("/FontDescriptor")));
            const QRawFont font(
                streamDataOf(objects, descriptor.value(QLatin1String("/FontFile2"))), 1000);
            ASSERT_TRUE(font.isValid());
            for (qsizetype i = 0; i + 1 < w.size(); i += 2) {
                const int start = w.at(i).toInt();
                const QJsonArray run = w.at(i + 1).toArray();
                for (qsizetype g = 0; g < run.size(); ++g) {
                    const double advance = font.advancesForGlyphIndexes({quint32(start + g)},
                                                                        QRawFont::UseDesignMetrics)
                                               .value(0)
                                               .x();
                    EXPECT_NEAR(run.at(g).toDouble(), advance, 1.0) << qPrintable(key);
                }
            }
        }
    }
    EXPECT_GE(simple, 12);
    EXPECT_GE(composite, 2); // the Latin fallback and the Chinese one
    // The one character no font has was left out, and said so.
    ASSERT_EQ(m_warnings.size(), 1) << qPrintable(m_warnings.join(u'\n'));
    EXPECT_TRUE(m_warnings[0].contains(kNoFontHasIt));
    EXPECT_TRUE(textOf(file).contains(QLatin1String("BeforeAfter")));
}

TEST_F(PdfA, MetadataIsWellFormedAndRepeatsTheDocumentInformation) {
    const QString file = writeArchive(QStringLiteral("metadata.pdf"));
    const QJsonObject objects = qpdfObjects(file);
    const QJsonObject catalog = catalogOf(objects);
    const QJsonObject metadata = dictOf(objects, catalog.value(QLatin1String("/Metadata")));
    EXPECT_EQ(metadata.value(QLatin1String("/Type")), QLatin1String("/Metadata"));
    EXPECT_EQ(metadata.value(QLatin1String("/Subtype")), QLatin1String("/XML"));
    EXPECT_FALSE(metadata.contains(QLatin1String("/Filter"))); // readable by any reader
    EXPECT_TRUE(readBytes(file).contains(
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"));

    const QByteArray packet =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), file}).output.toUtf8();
    EXPECT_TRUE(packet.endsWith("<?xpacket end=\"w\"?>") ||
                packet.contains("<?xpacket end=\"w\"?>"));
    const XmpValues xmp = readXmp(packet);
    ASSERT_EQ(xmp.error, QString()) << packet.constData();
    EXPECT_EQ(xmp.value(kPdfaId, QStringLiteral("part")), QLatin1String("3"));
    EXPECT_EQ(xmp.value(kPdfaId, QStringLiteral("conformance")), QLatin1String("B"));

    // The same values as the document information, as pdfinfo reads it.
    const QString info =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-isodates"), file}).output;
    auto infoValue = [&](const QString& key) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^") + key + QStringLiteral(":\\s+(.*)$"),
                               QRegularExpression::MultilineOption)
                .match(info);
        return m.captured(1).trimmed();
    };
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("title")), infoValue(QStringLiteral("Title")));
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("title")), QLatin1String("Invoice 2025-0117"));
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("creator")), infoValue(QStringLiteral("Author")));
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("description")), infoValue(QStringLiteral("Subject")));
    EXPECT_EQ(xmp.value(kPdfNs, QStringLiteral("Keywords")), infoValue(QStringLiteral("Keywords")));
    EXPECT_EQ(xmp.value(kXmp, QStringLiteral("CreatorTool")), infoValue(QStringLiteral("Creator")));
    EXPECT_EQ(xmp.value(kPdfNs, QStringLiteral("Producer")), infoValue(QStringLiteral("Producer")));
    EXPECT_EQ(xmp.value(kPdfNs, QStringLiteral("Producer")), TgtCustomPDFEngine::producer());
    const QDateTime created =
        QDateTime::fromString(xmp.value(kXmp, QStringLiteral("CreateDate")), Qt::ISODate);
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(created,
              QDateTime::fromString(infoValue(QStringLiteral("CreationDate")), Qt::ISODate));
    EXPECT_EQ(QDateTime::fromString(xmp.value(kXmp, QStringLiteral("ModifyDate")), Qt::ISODate),
              QDateTime::fromString(infoValue(QStringLiteral("ModDate")), Qt::ISODate));
    EXPECT_LE(std::abs(created.secsTo(QDateTime::currentDateTime())), 120);

    // The caller's schema, and the description PDF/A asks for of it.
    EXPECT_EQ(xmp.value(kInvoiceNs, QStringLiteral("Kind")), QLatin1String("INVOICE & more"));
    EXPECT_EQ(xmp.value(kInvoiceNs, QStringLiteral("FileName")), QLatin1String("invoice.xml"));
    EXPECT_EQ(xmp.value(kSchema, QStringLiteral("namespaceURI")), kInvoiceNs);
    EXPECT_EQ(xmp.value(kSchema, QStringLiteral("prefix")), QLatin1String("inv"));
    EXPECT_EQ(xmp.value(kSchema, QStringLiteral("schema")), QLatin1String("Invoice schema"));
    EXPECT_EQ(xmp.all(kProperty, QStringLiteral("name")),
              (QStringList{QStringLiteral("Kind"), QStringLiteral("FileName")}));
    EXPECT_EQ(xmp.all(kProperty, QStringLiteral("valueType")),
              (QStringList{QStringLiteral("Text"), QStringLiteral("Text")}));
    EXPECT_EQ(xmp.all(kProperty, QStringLiteral("category")),
              (QStringList{QStringLiteral("external"), QStringLiteral("external")}));
    EXPECT_EQ(xmp.all(kProperty, QStringLiteral("description")).value(0),
              QLatin1String("The kind <of> document"));
}

TEST_F(PdfA, MetadataTextsThatXmlCannotHoldAreTheSameInBothPlaces) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("texts.pdf"));
    pdf.Conformance = cfPDFA3b;
    pdf.Title = QStringLiteral("A & B <C> \"D\"\x01\x1F end");
    pdf.Subject = QStringLiteral("Line one\r\nline two");
    pdf.Author = QStringLiteral("\x02"); // nothing XML can hold: left out in both places
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("x"), 10, 10));
    ASSERT_TRUE(pdf.endDoc());
    const QString file = pdf.outputFilePath();
    const XmpValues xmp = readXmp(
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), file}).output.toUtf8());
    ASSERT_EQ(xmp.error, QString());
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("title")), QLatin1String("A & B <C> \"D\" end"));
    EXPECT_EQ(xmp.value(kDc, QStringLiteral("description")), QLatin1String("Line one\r\nline two"));
    EXPECT_TRUE(xmp.all(kDc, QStringLiteral("creator")).isEmpty());
    const QJsonObject objects = qpdfObjects(file);
    const QJsonObject info = infoOf(objects);
    EXPECT_EQ(info.value(QLatin1String("/Title")), QLatin1String("u:A & B <C> \"D\" end"));
    EXPECT_EQ(info.value(QLatin1String("/Subject")), QLatin1String("u:Line one\r\nline two"));
    EXPECT_FALSE(info.contains(QLatin1String("/Author")));
}

TEST_F(PdfA, OutputIntentCarriesTheSrgbProfile) {
    const QString file = writeArchive(QStringLiteral("intent.pdf"));
    const QJsonObject objects = qpdfObjects(file);
    const QJsonObject catalog = catalogOf(objects);
    const QJsonArray intents = catalog.value(QLatin1String("/OutputIntents")).toArray();
    ASSERT_EQ(intents.size(), 1);
    const QJsonObject intent = dictOf(objects, intents[0]);
    EXPECT_EQ(intent.value(QLatin1String("/Type")), QLatin1String("/OutputIntent"));
    EXPECT_EQ(intent.value(QLatin1String("/S")), QLatin1String("/GTS_PDFA1"));
    EXPECT_EQ(intent.value(QLatin1String("/OutputConditionIdentifier")),
              QLatin1String("u:sRGB IEC61966-2.1"));
    const QJsonValue profileRef = intent.value(QLatin1String("/DestOutputProfile"));
    EXPECT_EQ(dictOf(objects, profileRef).value(QLatin1String("/N")).toInt(), 3);
    const QByteArray profile = streamDataOf(objects, profileRef);
    ASSERT_GE(profile.size(), 128);
    EXPECT_EQ(profile.mid(36, 4), "acsp"); // an ICC profile
    EXPECT_EQ(profile.mid(12, 4), "mntr"); // of a display
    EXPECT_EQ(profile.mid(16, 4), "RGB ");
    EXPECT_EQ(quint8(profile.at(8)), 2); // version 2
    const QByteArray shipped = readBytes(QStringLiteral("/usr/share/color/icc/sRGB.icc"));
    if (!shipped.isEmpty()) {
        EXPECT_EQ(profile, shipped);
    }

    // Under that intent only DeviceRGB (and patterns over it) is used: pictures, the hatch's
    // colour space and every colour operator of the pages.
    for (const auto& [key, dict] : allDictionaries(objects)) {
        if (dict.value(QLatin1String("/Subtype")) == QLatin1String("/Image")) {
            EXPECT_EQ(dict.value(QLatin1String("/ColorSpace")), QLatin1String("/DeviceRGB"));
            EXPECT_FALSE(dict.contains(QLatin1String("/SMask"))); // no transparency
        }
        if (dict.contains(QLatin1String("/Group")))
            ADD_FAILURE() << "transparency group in " << qPrintable(key);
        if (dict.value(QLatin1String("/Type")) == QLatin1String("/Page")) {
            const QByteArray content =
                streamDataOf(objects, dict.value(QLatin1String("/Contents")));
            QString operators = QString::fromLatin1(content);
            operators.remove(
                QRegularExpression(QStringLiteral("\\((?:[^()\\\\]|\\\\.)*\\)|<[0-9A-F]*>")));
            EXPECT_FALSE(QRegularExpression(QStringLiteral("(^|\\s)(k|K|g|G|sc|SC|gs)(\\s|$)"))
                             .match(operators)
                             .hasMatch())
                << qPrintable(key);
        }
    }
    const QJsonObject resources = dictOf(
        objects, dictOf(objects, QStringLiteral("6 0 R")).value(QLatin1String("/Resources")));
    EXPECT_EQ(resources.value(QLatin1String("/ColorSpace")).toObject().value(QLatin1String("/CSP")),
              (QJsonArray{QStringLiteral("/Pattern"), QStringLiteral("/DeviceRGB")}));
}

TEST_F(PdfA, LinksArePrintedWithAnAppearanceAndLocalFilesAreNotLinked) {
    const QString file = writeArchive(QStringLiteral("links.pdf"));
    const QJsonObject objects = qpdfObjects(file);
    QStringList targets;
    for (const auto& [key, dict] : allDictionaries(objects)) {
        if (dict.value(QLatin1String("/Type")) != QLatin1String("/Annot"))
            continue;
        const int flags = dict.value(QLatin1String("/F")).toInt();
        EXPECT_EQ(flags & 4, 4) << qPrintable(key);            // print
        EXPECT_EQ(flags & (1 | 2 | 32), 0) << qPrintable(key); // not hidden or invisible
        const QJsonObject appearance = dict.value(QLatin1String("/AP")).toObject();
        EXPECT_EQ(appearance.keys(), QStringList{QStringLiteral("/N")}) << qPrintable(key);
        EXPECT_EQ(
            dictOf(objects, appearance.value(QLatin1String("/N"))).value(QLatin1String("/Subtype")),
            QLatin1String("/Form"));
        const QJsonObject action = dict.value(QLatin1String("/A")).toObject();
        EXPECT_EQ(action.value(QLatin1String("/S")), QLatin1String("/URI"));
        targets << action.value(QLatin1String("/URI")).toString();
    }
    EXPECT_EQ(targets, (QStringList{QStringLiteral("u:http://www.merovia.example"),
                                    QStringLiteral("u:mailto:info@merovia.example")}));
    EXPECT_TRUE(textOf(file).contains(QLatin1String("C:\\invoices\\x.pdf"))); // still shown
}

TEST_F(PdfA, AttachedFilesAreListedWithTheirRelationshipAndComeBackUnchanged) {
    const QString file = writeArchive(QStringLiteral("attached.pdf"));
    const QJsonObject objects = qpdfObjects(file);
    const QJsonObject catalog = catalogOf(objects);
    const QJsonArray af = catalog.value(QLatin1String("/AF")).toArray();
    ASSERT_EQ(af.size(), 2);
    const QJsonArray names = embeddedFileNames(catalog);
    ASSERT_EQ(names.size(), 4);
    // Keys in the order of their bytes: the plain name before the one in UTF-16 (FE FF ...).
    EXPECT_EQ(names[0], QLatin1String("u:invoice.xml"));
    EXPECT_EQ(names[2], QString::fromUtf8("u:Anlage-Übersicht.xml"));

    const QJsonObject spec = dictOf(objects, af[0]);
    EXPECT_EQ(names[1], af[0]);
    EXPECT_EQ(spec.value(QLatin1String("/Type")), QLatin1String("/Filespec"));
    EXPECT_EQ(spec.value(QLatin1String("/F")), QLatin1String("u:invoice.xml"));
    EXPECT_EQ(spec.value(QLatin1String("/UF")), QLatin1String("u:invoice.xml"));
    EXPECT_EQ(spec.value(QLatin1String("/Desc")), QLatin1String("u:Invoice data"));
    EXPECT_EQ(spec.value(QLatin1String("/AFRelationship")), QLatin1String("/Alternative"));
    EXPECT_EQ(dictOf(objects, af[1]).value(QLatin1String("/AFRelationship")),
              QLatin1String("/Supplement"));
    EXPECT_EQ(dictOf(objects, af[1]).value(QLatin1String("/UF")),
              QString::fromUtf8("u:Anlage-Übersicht.xml"));
    const QJsonObject ef = spec.value(QLatin1String("/EF")).toObject();
    EXPECT_EQ(ef.value(QLatin1String("/F")), ef.value(QLatin1String("/UF")));
    const QJsonObject stream = dictOf(objects, ef.value(QLatin1String("/F")));
    EXPECT_EQ(stream.value(QLatin1String("/Type")), QLatin1String("/EmbeddedFile"));
    EXPECT_EQ(stream.value(QLatin1String("/Subtype")), QLatin1String("/text/xml"));
    EXPECT_TRUE(readBytes(file).contains("/Subtype /text#2Fxml"));
    const QJsonObject params = stream.value(QLatin1String("/Params")).toObject();
    EXPECT_EQ(params.value(QLatin1String("/Size")).toInt(), kXml.size());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^u:D:\\d{14}[+-]\\d\\d'\\d\\d'$"))
                    .match(params.value(QLatin1String("/ModDate")).toString())
                    .hasMatch());
    EXPECT_EQ(
        params.value(QLatin1String("/CheckSum")).toString(),
        QStringLiteral("b:") +
            QString::fromLatin1(QCryptographicHash::hash(kXml, QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(streamDataOf(objects, ef.value(QLatin1String("/F"))), kXml);

    const QString list =
        runTool(QStringLiteral("pdfdetach"), {QStringLiteral("-list"), file}).output;
    EXPECT_TRUE(list.contains(QLatin1String("1: invoice.xml"))) << qPrintable(list);
    EXPECT_TRUE(list.contains(QString::fromUtf8("2: Anlage-Übersicht.xml"))) << qPrintable(list);
    const QString saved = m_dir.filePath(QStringLiteral("saved.xml"));
    runTool(QStringLiteral("pdfdetach"),
            {QStringLiteral("-save"), QStringLiteral("1"), QStringLiteral("-o"), saved, file});
    EXPECT_EQ(readBytes(saved), kXml);
}

TEST_F(PdfA, EncryptionIsRefusedBeforeAnythingIsWritten) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("locked.pdf"));
    pdf.Conformance = cfPDFA3b;
    pdf.Encryption.Enabled = true;
    pdf.Encryption.UserPassword = QStringLiteral("secret");
    EXPECT_FALSE(pdf.beginDoc());
    EXPECT_TRUE(pdf.errorString().contains(QLatin1String("PDF/A file cannot be encrypted")))
        << qPrintable(pdf.errorString());
    EXPECT_FALSE(pdf.isDocumentOpen());
    EXPECT_FALSE(QFileInfo::exists(pdf.outputFilePath()));
    EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    // Switched off, the same engine writes the file.
    pdf.Encryption.Enabled = false;
    ASSERT_TRUE(pdf.beginDoc()) << qPrintable(pdf.errorString());
    EXPECT_TRUE(pdf.endDoc());
    EXPECT_TRUE(QFileInfo::exists(pdf.outputFilePath()));
}

TEST_F(PdfA, SimpleFontsKeepOnlyTheEncodingsPdfAAllows) {
    for (const TgtFontEncoding encoding :
         {feStandardEncoding, fePDFDocEncoding, feMacExpertEncoding, feMacRomanEncoding}) {
        TgtCustomPDFEngine pdf;
        prepare(pdf, QStringLiteral("encoding%1.pdf").arg(int(encoding)));
        pdf.Conformance = cfPDFA3b;
        pdf.FontEncoding = encoding;
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        // PDF's Mac Roman has no euro sign: that one would go to a composite font.
        const QString line = encoding == feMacRomanEncoding ? QString::fromUtf8("Müller 12,50")
                                                            : QString::fromUtf8("Müller € 12,50");
        pdf.drawText(text(line, 40, 40));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QList<FontRow> fonts = fontsOf(pdf.outputFilePath());
        ASSERT_EQ(fonts.size(), 1);
        EXPECT_EQ(fonts[0].encoding, encoding == feMacRomanEncoding ? QLatin1String("MacRoman")
                                                                    : QLatin1String("WinAnsi"));
        EXPECT_TRUE(fonts[0].embedded);
        EXPECT_TRUE(textOf(pdf.outputFilePath()).contains(line));
    }
}

TEST_F(PdfA, AttachmentsAndSchemasThatCannotBeWrittenAreRefusedWithTheirReason) {
    struct Case {
        const char* what;
        std::function<void(TgtCustomPDFEngine&)> change;
        const char* message;
    };
    const Case cases[] = {
        {"no name", [](TgtCustomPDFEngine& p) { attach(p, QStringLiteral(" "), "x", afrData); },
         "has no name"},
        {"same name twice",
         [](TgtCustomPDFEngine& p) {
             attach(p, QStringLiteral("a.xml"), "x", afrData);
             attach(p, QStringLiteral("a.xml"), "y", afrData);
         },
         "Two files to be attached to the PDF document are named \"a.xml\""},
        {"bad type",
         [](TgtCustomPDFEngine& p) {
             attach(p, QStringLiteral("a.xml"), "x", afrData);
             p.Attachments[0].MimeType = QStringLiteral("text xml");
         },
         "has no valid type: \"text xml\""},
        {"reserved prefix",
         [](TgtCustomPDFEngine& p) {
             auto schema = invoiceSchema();
             schema.Prefix = QStringLiteral("dc");
             p.XmpSchemas << schema;
         },
         "cannot have the prefix \"dc\""},
        {"prefix no XML name",
         [](TgtCustomPDFEngine& p) {
             auto schema = invoiceSchema();
             schema.Prefix = QStringLiteral("1x");
             p.XmpSchemas << schema;
         },
         "cannot have the prefix \"1x\""},
        {"no namespace",
         [](TgtCustomPDFEngine& p) {
             auto schema = invoiceSchema();
             schema.NamespaceURI.clear();
             p.XmpSchemas << schema;
         },
         "needs a name and a namespace"},
        {"bad property",
         [](TgtCustomPDFEngine& p) {
             auto schema = invoiceSchema();
             schema.Properties[1].Name = QStringLiteral("File Name");
             p.XmpSchemas << schema;
         },
         "The metadata property \"File Name\""},
        {"bad category",
         [](TgtCustomPDFEngine& p) {
             auto schema = invoiceSchema();
             schema.Properties[0].Category = QStringLiteral("outside");
             p.XmpSchemas << schema;
         },
         "category external or internal"},
    };
    for (const Case& c : cases) {
        for (const TgtConformance conformance : {cfPlain, cfPDFA3b}) {
            TgtCustomPDFEngine pdf;
            prepare(pdf, QStringLiteral("refused.pdf"));
            pdf.Conformance = conformance;
            c.change(pdf);
            EXPECT_FALSE(pdf.beginDoc()) << c.what;
            EXPECT_TRUE(pdf.errorString().contains(QLatin1String(c.message)))
                << c.what << ": " << qPrintable(pdf.errorString());
            EXPECT_FALSE(QFileInfo::exists(pdf.outputFilePath())) << c.what;
        }
    }
}

TEST_F(PdfA, PlainFilesCarryAttachmentsWithoutBecomingPdfA) {
    for (const bool encrypted : {false, true}) {
        TgtCustomPDFEngine pdf;
        const QString password = encrypted ? QStringLiteral("user") : QString();
        prepare(pdf, encrypted ? QStringLiteral("plain-locked.pdf") : QStringLiteral("plain.pdf"),
                password);
        pdf.Encryption.Enabled = encrypted;
        pdf.Encryption.UserPassword = password;
        attach(pdf, QString::fromUtf8("Übersicht.xml"), kXml, afrSource);
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        pdf.drawText(text(QStringLiteral("Invoice"), 40, 40, QStringLiteral("Helvetica")));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QString file = pdf.outputFilePath();
        const QByteArray bytes = readBytes(file);
        EXPECT_EQ(structureProblems(bytes), QString()); // %PDF-1.4
        EXPECT_FALSE(bytes.contains("/Metadata"));
        EXPECT_FALSE(bytes.contains("/OutputIntents"));
        EXPECT_EQ(bytes.contains("/ID ["), encrypted);
        EXPECT_TRUE(bytes.contains("/AF ["));
        EXPECT_TRUE(bytes.contains("/AFRelationship /Source"));
        // The standard font stays what it was in a plain file.
        EXPECT_TRUE(bytes.contains("/BaseFont /Helvetica"));
        QStringList arguments{QStringLiteral("-save"), QStringLiteral("1"), QStringLiteral("-o"),
                              m_dir.filePath(QStringLiteral("out.xml"))};
        if (encrypted)
            arguments << QStringLiteral("-upw") << password;
        runTool(QStringLiteral("pdfdetach"), arguments << file);
        EXPECT_EQ(readBytes(m_dir.filePath(QStringLiteral("out.xml"))), kXml) << encrypted;
    }
}

TEST(PdfAFonts, FamiliesMapToEmbeddableTrueTypeFonts) {
    if (!pdf::hasTrueTypeOutlines(
            pdf::resolveRawFont(QStringLiteral("Liberation Sans"), false, false)))
        GTEST_SKIP() << "fonts-liberation2 is not installed";
    const QString sans = QStringLiteral("Liberation Sans");
    const QString serif = QStringLiteral("Liberation Serif");
    const QString mono = QStringLiteral("Liberation Mono");
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Arial")), sans);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Helvetica")), sans);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Helvetica-BoldOblique")), sans);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Times")), serif);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Times-Roman")), serif);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("times new roman")), serif);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Courier")), mono);
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("Courier New")), mono);
    // Installed TrueType families stay; others take the Liberation font of their look.
    EXPECT_EQ(pdf::archivalFamily(QStringLiteral("DejaVu Serif")), QStringLiteral("DejaVu Serif"));
    for (const auto& [family, expected] :
         {std::pair{"Nimbus Sans", sans}, std::pair{"Nimbus Roman", serif},
          std::pair{"Nimbus Mono PS", mono}}) {
        const QRawFont raw = pdf::resolveRawFont(QLatin1String(family), false, false);
        if (raw.familyName() == QLatin1String(family) && !pdf::hasTrueTypeOutlines(raw)) {
            EXPECT_EQ(pdf::archivalFamily(QLatin1String(family)), expected) << family;
        }
    }
    for (const QString& family : {QStringLiteral("Tahoma"), QStringLiteral("No Such Font 42")})
        EXPECT_TRUE(pdf::hasTrueTypeOutlines(
            pdf::resolveRawFont(pdf::archivalFamily(family), false, false)))
            << qPrintable(family);
}
