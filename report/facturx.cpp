#include "report/facturx.h"

#include "report/pdfexport.h"
#include "report/report.h"

#include <QObject>
#include <QStringList>
#include <QXmlStreamReader>

#include <functional>

namespace report {

namespace {

const char* const kCiiNamespace = "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100";

struct Profile {
    const char* guideline; // GuidelineSpecifiedDocumentContextParameter/ID
    const char* level;     // fx:ConformanceLevel
    bool wholeInvoice;     // false: the XML holds only part of what the page shows
};

const Profile kProfiles[] = {
    {"urn:factur-x.eu:1p0:minimum", "MINIMUM", false},
    {"urn:factur-x.eu:1p0:basicwl", "BASIC WL", false},
    {"urn:cen.eu:en16931:2017#compliant#urn:factur-x.eu:1p0:basic", "BASIC", true},
    {"urn:cen.eu:en16931:2017", "EN 16931", true},
    {"urn:cen.eu:en16931:2017#conformant#urn:factur-x.eu:1p0:extended", "EXTENDED", true},
    {"urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0", "XRECHNUNG", true},
    {"urn:cen.eu:en16931:2017#compliant#urn:xoev-de:kosit:standard:xrechnung_2.3", "XRECHNUNG",
     true},
};

struct InvoiceXml {
    QString guideline;
    QString number;
};

// Reads what the metadata needs from the head of the XML and checks that it is a Cross Industry
// Invoice that ends with its root element. The rows are not read: the invoice's own writer
// makes them, and reading them would cost more than writing the PDF/A file of a short invoice.
bool readInvoiceXml(const QByteArray& xml, InvoiceXml* out, QString* error) {
    const QByteArray trimmed = xml.trimmed();
    if (trimmed.isEmpty()) {
        *error = QObject::tr("The invoice XML to be attached is empty.");
        return false;
    }
    QXmlStreamReader reader(xml);
    QStringList path;
    QString root;
    while (!reader.atEnd() && out->number.isEmpty()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (path.isEmpty() && (reader.name() != QLatin1String("CrossIndustryInvoice") ||
                                   reader.namespaceUri() != QLatin1String(kCiiNamespace))) {
                *error = QObject::tr("The XML to be attached is no Cross Industry Invoice: its "
                                     "root element is \"%1\".")
                             .arg(reader.qualifiedName().toString());
                return false;
            }
            if (path.isEmpty())
                root = reader.qualifiedName().toString();
            path << reader.name().toString();
            const QString at = path.mid(1).join(u'/');
            if (at == QLatin1String(
                          "ExchangedDocumentContext/GuidelineSpecifiedDocumentContextParameter/ID"))
                out->guideline = reader.readElementText().trimmed();
            else if (at == QLatin1String("ExchangedDocument/ID"))
                out->number = reader.readElementText().trimmed();
            if (reader.isEndElement())
                path.removeLast();
        } else if (reader.isEndElement()) {
            path.removeLast();
        }
    }
    if (reader.hasError()) {
        *error = QObject::tr("The invoice XML to be attached is not well-formed (line %1: %2).")
                     .arg(reader.lineNumber())
                     .arg(reader.errorString());
        return false;
    }
    if (!trimmed.endsWith("</" + root.toUtf8() + '>')) {
        *error = QObject::tr("The invoice XML to be attached is cut short: it does not end with "
                             "its root element.");
        return false;
    }
    return true;
}

TgtCustomPDFEngine::XmpProperty property(const char* name, const QString& value,
                                         const char* description) {
    TgtCustomPDFEngine::XmpProperty p;
    p.Name = QLatin1String(name);
    p.Value = value;
    p.Description = QLatin1String(description);
    return p;
}

bool write(const QByteArray& xml, const QString& fileName, QString* error,
           const FacturXOptions& options,
           const std::function<bool(TQRPDFDocumentFilter&)>& render) {
    TQRPDFDocumentFilter filter(fileName);
    if (!setupFacturX(filter.engine(), xml, error, options))
        return false;
    if (!render(filter)) {
        *error = filter.errorString();
        return false;
    }
    return true;
}

} // namespace

bool setupFacturX(TgtCustomPDFEngine& engine, const QByteArray& xml, QString* error,
                  const FacturXOptions& options) {
    QString reason;
    InvoiceXml invoice;
    if (!readInvoiceXml(xml, &invoice, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    const Profile* profile = nullptr;
    for (const Profile& p : kProfiles) {
        if (invoice.guideline == QLatin1String(p.guideline))
            profile = &p;
    }
    QString level = options.conformanceLevel.trimmed();
    if (!level.isEmpty()) {
        // A level given by the caller decides; the relationship follows it.
        profile = nullptr;
        for (const Profile& p : kProfiles) {
            if (level.compare(QLatin1String(p.level), Qt::CaseInsensitive) == 0)
                profile = &p;
        }
        if (!profile) {
            if (error)
                *error = QObject::tr("\"%1\" is no Factur-X conformance level.").arg(level);
            return false;
        }
    } else if (!profile) {
        if (error)
            *error = QObject::tr("The invoice XML names no Factur-X profile (\"%1\").")
                         .arg(invoice.guideline);
        return false;
    }
    level = QLatin1String(profile->level);

    engine.Conformance = cfPDFA3b;
    if (!options.title.trimmed().isEmpty())
        engine.Title = options.title;
    else if (engine.Title.trimmed().isEmpty())
        engine.Title = invoice.number;

    TgtCustomPDFEngine::Attachment file;
    file.FileName = QLatin1String(kFacturXFileName);
    file.Data = xml;
    file.MimeType = QStringLiteral("text/xml");
    file.Description = QStringLiteral("Factur-X invoice");
    file.Relationship = profile->wholeInvoice ? afrAlternative : afrData;
    engine.Attachments.removeIf([](const TgtCustomPDFEngine::Attachment& a) {
        return a.FileName == QLatin1String(kFacturXFileName);
    });
    engine.Attachments.append(file);

    TgtCustomPDFEngine::XmpSchema schema;
    schema.Name = QStringLiteral("Factur-X PDFA Extension Schema");
    schema.NamespaceURI = QStringLiteral("urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#");
    schema.Prefix = QStringLiteral("fx");
    schema.Properties = {
        property("DocumentFileName", QLatin1String(kFacturXFileName),
                 "The name of the embedded XML document"),
        property("DocumentType", QStringLiteral("INVOICE"),
                 "The type of the hybrid document in capital letters, e.g. INVOICE or ORDER"),
        property("Version", QStringLiteral("1.0"),
                 "The actual version of the standard applying to the embedded XML document"),
        property("ConformanceLevel", level, "The conformance level of the embedded XML document"),
    };
    engine.XmpSchemas.removeIf(
        [](const TgtCustomPDFEngine::XmpSchema& s) { return s.Prefix == QLatin1String("fx"); });
    engine.XmpSchemas.append(schema);
    return true;
}

bool writeFacturX(Report& report, const QByteArray& xml, const QString& fileName, QString* error,
                  const FacturXOptions& options) {
    QString reason;
    const bool ok = write(xml, fileName, &reason, options, [&](TQRPDFDocumentFilter& filter) {
        return report.exportToFilter(filter, false); // page by page into the file
    });
    if (!ok && error)
        *error = reason;
    return ok;
}

bool writeFacturX(const PreparedDocument& pages, const QByteArray& xml, const QString& fileName,
                  QString* error, const FacturXOptions& options) {
    QString reason;
    const bool ok = write(xml, fileName, &reason, options, [&](TQRPDFDocumentFilter& filter) {
        if (!filter.start())
            return false;
        for (const PreparedPage& page : pages.pages)
            filter.exportPage(pages, page);
        return filter.finish(pages);
    });
    if (!ok && error)
        *error = reason;
    return ok;
}

} // namespace report
