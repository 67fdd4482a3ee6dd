#include "pdfarchive.h"

#include "objectwriter.h"
#include "pdfsyntax.h"

#include <QCryptographicHash>
#include <QFile>
#include <QObject>
#include <QSet>

#include <algorithm>
#include <vector>

namespace pdf {

namespace {

using Attachment = TgtCustomPDFEngine::Attachment;
using XmpSchema = TgtCustomPDFEngine::XmpSchema;

// Prefixes XMP and PDF/A use themselves; a schema of the caller's may not take them.
const QSet<QString>& reservedPrefixes() {
    static const QSet<QString> prefixes = {
        QStringLiteral("x"),          QStringLiteral("rdf"),
        QStringLiteral("xml"),        QStringLiteral("dc"),
        QStringLiteral("xmp"),        QStringLiteral("pdf"),
        QStringLiteral("pdfaid"),     QStringLiteral("pdfaExtension"),
        QStringLiteral("pdfaSchema"), QStringLiteral("pdfaProperty"),
        QStringLiteral("xmpMM"),      QStringLiteral("xmpRights")};
    return prefixes;
}

// An XML name without a colon: a letter or "_" first, then letters, digits, "-", "_" and ".".
bool isXmlName(const QString& name) {
    if (name.isEmpty() || !(name.front().isLetter() || name.front() == u'_'))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.';
    });
}

// "type/subtype" of letters, digits and the few signs MIME allows.
bool isMimeType(const QString& type) {
    const qsizetype slash = type.indexOf(u'/');
    if (slash <= 0 || slash == type.size() - 1 || type.indexOf(u'/', slash + 1) >= 0)
        return false;
    return std::all_of(type.begin(), type.end(), [](QChar c) {
        return c.unicode() < 0x80 &&
               (c.isLetterOrNumber() || QStringLiteral("/+-.!#$&^_").contains(c));
    });
}

bool allowedInXml(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Text content of an element: the five special characters as entities, a carriage return as a
// character reference (a reader would otherwise turn it into a line feed).
QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\r':
            out += QLatin1String("&#13;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

class XmpWriter {
public:
    void open(const QString& ns, const QString& prefix) {
        m_text += QStringLiteral("  <rdf:Description rdf:about=\"\" xmlns:%1=\"%2\">\n")
                      .arg(prefix, escaped(ns));
    }
    void close() { m_text += QLatin1String("  </rdf:Description>\n"); }
    void simple(const QString& name, const QString& value) {
        m_text += QStringLiteral("   <%1>%2</%1>\n").arg(name, escaped(value));
    }
    // A language alternative (dc:title, dc:description) with the default language only.
    void alternative(const QString& name, const QString& value) {
        m_text += QStringLiteral("   <%1><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li>"
                                 "</rdf:Alt></%1>\n")
                      .arg(name, escaped(value));
    }
    void sequence(const QString& name, const QString& value) {
        m_text += QStringLiteral("   <%1><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></%1>\n")
                      .arg(name, escaped(value));
    }
    void raw(const QString& text) { m_text += text; }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

void describeSchemas(XmpWriter& xmp, const QList<XmpSchema>& schemas) {
    xmp.raw(QStringLiteral("  <rdf:Description rdf:about=\"\"\n"
                           "    xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\"\n"
                           "    xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\"\n"
                           "    xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">\n"
                           "   <pdfaExtension:schemas>\n"
                           "    <rdf:Bag>\n"));
    for (const XmpSchema& schema : schemas) {
        xmp.raw(QStringLiteral("     <rdf:li rdf:parseType=\"Resource\">\n"
                               "      <pdfaSchema:schema>%1</pdfaSchema:schema>\n"
                               "      <pdfaSchema:namespaceURI>%2</pdfaSchema:namespaceURI>\n"
                               "      <pdfaSchema:prefix>%3</pdfaSchema:prefix>\n"
                               "      <pdfaSchema:property>\n"
                               "       <rdf:Seq>\n")
                    .arg(escaped(schema.Name), escaped(schema.NamespaceURI), schema.Prefix));
        for (const auto& property : schema.Properties)
            xmp.raw(QStringLiteral("        <rdf:li rdf:parseType=\"Resource\">\n"
                                   "         <pdfaProperty:name>%1</pdfaProperty:name>\n"
                                   "         <pdfaProperty:valueType>%2</pdfaProperty:valueType>\n"
                                   "         <pdfaProperty:category>%3</pdfaProperty:category>\n"
                                   "         <pdfaProperty:description>%4"
                                   "</pdfaProperty:description>\n"
                                   "        </rdf:li>\n")
                        .arg(property.Name, escaped(property.ValueType), property.Category,
                             escaped(property.Description)));
        xmp.raw(QStringLiteral("       </rdf:Seq>\n"
                               "      </pdfaSchema:property>\n"
                               "     </rdf:li>\n"));
    }
    xmp.raw(QStringLiteral("    </rdf:Bag>\n"
                           "   </pdfaExtension:schemas>\n"
                           "  </rdf:Description>\n"));
}

// The bytes of a text string: printable ASCII as it is, anything else in UTF-16 with its mark.
QByteArray textBytes(const QString& text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F;
    });
    return ascii ? text.toLatin1() : utf16beWithMark(text);
}

std::string textString(const ObjectWriter& writer, int number, const QString& text) {
    const QByteArray bytes = textBytes(text);
    return writer.stringToken(number, bytes, !bytes.startsWith("\xFE\xFF"));
}

QByteArray deflated(const QByteArray& data, int zlibLevel) {
    if (data.isEmpty())
        return {};
    Deflater deflater(zlibLevel);
    size_t length = 0;
    const char* compressed = deflater.compress(data.constData(), size_t(data.size()), &length);
    return compressed ? QByteArray(compressed, qsizetype(length)) : QByteArray();
}

const char* relationshipName(TgtAFRelationship relationship) {
    switch (relationship) {
    case afrAlternative:
        return "/Alternative";
    case afrData:
        return "/Data";
    case afrSource:
        return "/Source";
    case afrSupplement:
        return "/Supplement";
    default:
        return "/Unspecified";
    }
}

} // namespace

QString settingsProblem(const TgtCustomPDFEngine& engine) {
    if (engine.Conformance == cfPDFA3b && engine.Encryption.Enabled)
        return QObject::tr("A PDF/A file cannot be encrypted: switch the encryption off to write "
                           "the document as PDF/A-3.");
    QSet<QString> names;
    for (const Attachment& file : engine.Attachments) {
        if (file.FileName.trimmed().isEmpty())
            return QObject::tr("A file to be attached to the PDF document has no name.");
        if (names.contains(file.FileName))
            return QObject::tr("Two files to be attached to the PDF document are named \"%1\".")
                .arg(file.FileName);
        names.insert(file.FileName);
        if (!isMimeType(file.MimeType))
            return QObject::tr("The file \"%1\" to be attached to the PDF document has no valid "
                               "type: \"%2\".")
                .arg(file.FileName, file.MimeType);
    }
    QSet<QString> prefixes;
    for (const XmpSchema& schema : engine.XmpSchemas) {
        if (!isXmlName(schema.Prefix) || reservedPrefixes().contains(schema.Prefix) ||
            prefixes.contains(schema.Prefix))
            return QObject::tr("The metadata schema \"%1\" cannot have the prefix \"%2\".")
                .arg(schema.Name, schema.Prefix);
        prefixes.insert(schema.Prefix);
        if (schema.NamespaceURI.trimmed().isEmpty() || schema.Name.trimmed().isEmpty())
            return QObject::tr("The metadata schema with the prefix \"%1\" needs a name and a "
                               "namespace.")
                .arg(schema.Prefix);
        for (const auto& property : schema.Properties) {
            if (!isXmlName(property.Name) || property.ValueType.trimmed().isEmpty() ||
                (property.Category != QLatin1String("external") &&
                 property.Category != QLatin1String("internal")))
                return QObject::tr("The metadata property \"%1\" of the schema \"%2\" needs an "
                                   "XML name, a value type and the category external or internal.")
                    .arg(property.Name, schema.Name);
        }
    }
    return {};
}

QString xmlSafeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    const QList<uint> codes = text.toUcs4();
    for (const uint c : codes) {
        if (allowedInXml(char32_t(c)))
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    }
    return out;
}

QByteArray xmpPacket(const XmpContent& content) {
    XmpWriter xmp;
    if (content.pdfa) {
        xmp.open(QStringLiteral("http://www.aiim.org/pdfa/ns/id/"), QStringLiteral("pdfaid"));
        xmp.simple(QStringLiteral("pdfaid:part"), QStringLiteral("3"));
        xmp.simple(QStringLiteral("pdfaid:conformance"), QStringLiteral("B"));
        xmp.close();
    }
    xmp.open(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
    xmp.simple(QStringLiteral("dc:format"), QStringLiteral("application/pdf"));
    if (!content.title.isEmpty())
        xmp.alternative(QStringLiteral("dc:title"), content.title);
    if (!content.author.isEmpty())
        xmp.sequence(QStringLiteral("dc:creator"), content.author);
    if (!content.subject.isEmpty())
        xmp.alternative(QStringLiteral("dc:description"), content.subject);
    xmp.close();

    xmp.open(QStringLiteral("http://ns.adobe.com/pdf/1.3/"), QStringLiteral("pdf"));
    xmp.simple(QStringLiteral("pdf:Producer"), content.producer);
    if (!content.keywords.isEmpty())
        xmp.simple(QStringLiteral("pdf:Keywords"), content.keywords);
    xmp.close();

    const QString date = xmpDate(content.created);
    xmp.open(QStringLiteral("http://ns.adobe.com/xap/1.0/"), QStringLiteral("xmp"));
    xmp.simple(QStringLiteral("xmp:CreateDate"), date);
    xmp.simple(QStringLiteral("xmp:ModifyDate"), date);
    xmp.simple(QStringLiteral("xmp:MetadataDate"), date);
    if (!content.creator.isEmpty())
        xmp.simple(QStringLiteral("xmp:CreatorTool"), content.creator);
    xmp.close();

    for (const XmpSchema& schema : content.schemas) {
        xmp.open(schema.NamespaceURI, schema.Prefix);
        for (const auto& property : schema.Properties)
            xmp.simple(schema.Prefix + u':' + property.Name, xmlSafeText(property.Value));
        xmp.close();
    }
    if (!content.schemas.isEmpty())
        describeSchemas(xmp, content.schemas);

    QByteArray packet = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                        " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n";
    packet += xmp.text().toUtf8();
    packet += " </rdf:RDF>\n</x:xmpmeta>\n";
    // Room for a later editor to change the metadata in place.
    const QByteArray blanks(99, ' ');
    for (int line = 0; line < 20; ++line)
        packet += blanks + '\n';
    packet += "<?xpacket end=\"w\"?>";
    return packet;
}

QByteArray srgbProfile() {
    QFile file(QStringLiteral(":/merovia/pdf/sRGB.icc"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int writeMetadata(ObjectWriter& writer, const QByteArray& packet) {
    const int number = writer.allocate();
    writer.writeStreamObject(number, "/Type /Metadata/Subtype /XML",
                             std::string_view(packet.constData(), size_t(packet.size())), false);
    return number;
}

int writeOutputIntent(ObjectWriter& writer) {
    // The same bytes in every file: compressed once. A PDF/A file is never encrypted.
    static const QByteArray profile = deflated(srgbProfile(), zlibLevelFor(3));
    if (profile.isEmpty()) {
        writer.fail(QObject::tr("The PDF/A file cannot be written: the sRGB colour profile is "
                                "missing from the program."));
        return 0;
    }
    const int profileObject = writer.allocate();
    writer.writeStreamObject(profileObject, "/N 3/Filter/FlateDecode",
                             std::string_view(profile.constData(), size_t(profile.size())), false);
    const int intent = writer.allocate();
    const QByteArray condition = "sRGB IEC61966-2.1";
    std::string body = "/Type /OutputIntent/S /GTS_PDFA1/OutputConditionIdentifier " +
                       writer.stringToken(intent, condition, true) + "/Info " +
                       writer.stringToken(intent, condition, true) + "/RegistryName " +
                       writer.stringToken(intent, "http://www.color.org", true) +
                       "/DestOutputProfile ";
    appendReference(body, profileObject);
    body += "\r\n";
    writer.writeObject(intent, body);
    return intent;
}

std::string writeAttachments(ObjectWriter& writer, const QList<Attachment>& attachments,
                             const QDateTime& now, int catalog, int zlibLevel) {
    if (attachments.isEmpty())
        return {};
    struct Entry {
        QString name;
        int filespec = 0;
    };
    std::vector<Entry> entries;
    for (const Attachment& file : attachments) {
        const QDateTime modified = file.Modified.isValid() ? file.Modified.toLocalTime() : now;
        const int stream = writer.allocate();
        std::string dictionary = "/Type /EmbeddedFile/Subtype /" +
                                 escapeName(file.MimeType.toLatin1()) + "/Params <</Size ";
        appendInteger(dictionary, file.Data.size());
        dictionary +=
            "/ModDate " + writer.stringToken(stream, timeStamp(modified).toLatin1(), true);
        dictionary += "/CheckSum " +
                      writer.stringToken(
                          stream, QCryptographicHash::hash(file.Data, QCryptographicHash::Md5)) +
                      ">>";
        // Compressed at a level of their own: an invoice's XML is large and shrinks well at
        // any level.
        QByteArray stored = file.Data;
        if (writer.compressing() && !file.Data.isEmpty()) {
            stored = deflated(file.Data, zlibLevel);
            dictionary += "/Filter/FlateDecode";
        }
        writer.writeStreamObject(
            stream, dictionary, std::string_view(stored.constData(), size_t(stored.size())), false);

        const int filespec = writer.allocate();
        // /F is the name as bytes for older readers; /UF the name as text.
        QString plainName = file.FileName;
        for (QChar& c : plainName) {
            if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
                c = u'_';
        }
        std::string body = "/Type /Filespec/F " +
                           writer.stringToken(filespec, plainName.toLatin1(), true) + "/UF " +
                           textString(writer, filespec, file.FileName);
        if (!file.Description.trimmed().isEmpty())
            body += "/Desc " + textString(writer, filespec, file.Description);
        body += "/EF <</F ";
        appendReference(body, stream);
        body += "/UF ";
        appendReference(body, stream);
        body += ">>/AFRelationship ";
        body += relationshipName(file.Relationship);
        body += "\r\n";
        writer.writeObject(filespec, body);
        entries.push_back({file.FileName, filespec});
    }

    // The keys of a name tree are in the order of their bytes.
    std::vector<Entry> sorted = entries;
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry& a, const Entry& b) { return textBytes(a.name) < textBytes(b.name); });
    std::string names = "/Names <</EmbeddedFiles <</Names [";
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0)
            names += ' ';
        names += textString(writer, catalog, sorted[i].name) + ' ';
        appendReference(names, sorted[i].filespec);
    }
    names += "]>>>>/AF [";
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            names += ' ';
        appendReference(names, entries[i].filespec);
    }
    names += "]";
    return names;
}

} // namespace pdf
