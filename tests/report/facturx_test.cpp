// Factur-X files of real invoices: the printed document laid out from the e-invoice model,
// written as PDF/A-3b with its CII XML, then read back with qpdf and poppler's tools, and the
// XML taken out of each file checked by the official rules in one call of the kit's validator.
#include "printedinvoice.h"

#include "../einvoice/documents.h"
#include "../pdf/pdftestsupport.h"

#include "einvoice/settlement.h"
#include "printing/pdfoutput.h"
#include "report/facturx.h"
#include "report/pdfexport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace einvoice;
using namespace testdocs;

namespace {

const QString kFx = QStringLiteral("urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#");
const QString kPdfaId = QStringLiteral("http://www.aiim.org/pdfa/ns/id/");
const QString kSchema = QStringLiteral("http://www.aiim.org/pdfa/ns/schema#");
const QString kProperty = QStringLiteral("http://www.aiim.org/pdfa/ns/property#");

bool tools() {
    for (const char* tool : {"qpdf", "pdffonts", "pdfinfo", "pdfdetach", "pdftotext"})
        if (!haveTool(QLatin1String(tool)))
            return false;
    return true;
}

struct Written {
    QString name;
    QString pdf;
    QString extracted; // factur-x.xml as pdfdetach saves it
    QByteArray xml;
    QString level;
    QString printedTotal;
    QString error;
};

// The total as pdftotext finds it on the line of the page's "Total:" caption, right of it.
QString totalOnThePage(const QString& pdf) {
    const QString words =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")})
            .output;
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" "
                       "yMax=\"[0-9.]+\">([^<]*)</word>"));
    struct Word {
        double x, y;
        QString text;
    };
    QList<Word> all;
    for (auto it = word.globalMatch(words); it.hasNext();) {
        const auto m = it.next();
        all.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    static const QRegularExpression amount(QStringLiteral("^-?[0-9][0-9,]*\\.[0-9]{2}$"));
    for (const Word& caption : std::as_const(all)) {
        if (caption.text != QLatin1String("Total:"))
            continue;
        const Word* nearest = nullptr;
        for (const Word& w : std::as_const(all)) {
            if (std::abs(w.y - caption.y) < 1.0 && w.x > caption.x &&
                amount.match(w.text).hasMatch() && (!nearest || w.x < nearest->x))
                nearest = &w;
        }
        if (nearest)
            return nearest->text;
    }
    return {};
}

class FacturX : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!tools())
            return;
        s_dir = new QTemporaryDir;
        s_dir->setAutoRemove(qEnvironmentVariableIntValue("MEROVIA_KEEP_EINVOICES") == 0);
        s_written = new QList<Written>;
        for (const Document& doc : documents()) {
            for (const Output& out : doc.outputs) {
                if (out.ubl)
                    continue;
                Written w;
                w.name = QFileInfo(out.file).completeBaseName();
                w.pdf = s_dir->filePath(w.name + QStringLiteral(".pdf"));
                w.xml = writeCii(doc.invoice, out.profile);
                w.level = out.profile == Profile::XRechnung ? QStringLiteral("XRECHNUNG")
                                                            : QStringLiteral("EN 16931");
                PrintedInvoice printed(doc.invoice);
                w.printedTotal = printed.totalText;
                if (!report::writeFacturX(printed.r(), w.xml, w.pdf, &w.error))
                    ADD_FAILURE() << qPrintable(w.name) << ": " << qPrintable(w.error);
                w.extracted = s_dir->filePath(w.name + QStringLiteral("-extracted.xml"));
                runTool(QStringLiteral("pdfdetach"), {QStringLiteral("-save"), QStringLiteral("1"),
                                                      QStringLiteral("-o"), w.extracted, w.pdf});
                *s_written << w;
            }
        }
        validateAll();
    }

    static void TearDownTestSuite() {
        delete s_written;
        delete s_dir;
        s_written = nullptr;
        s_dir = nullptr;
    }

    // The XML that came out of every file, through the European rules in one call.
    static void validateAll() {
        const QString script = QStringLiteral(MEROVIA_EINVOICE_KIT "/validate");
        if (!QFileInfo::exists(script)) {
            s_validation = QStringLiteral("the validation kit is missing: ") + script;
            return;
        }
        QStringList arguments{script};
        for (const Written& w : std::as_const(*s_written))
            arguments << w.extracted;
        QProcess process;
        process.start(QStringLiteral("bash"), arguments);
        if (!process.waitForFinished(300000)) {
            s_validation = QStringLiteral("validate did not finish");
            return;
        }
        s_exitCode = process.exitCode();
        s_validation = QString::fromUtf8(process.readAllStandardOutput()) +
                       QString::fromUtf8(process.readAllStandardError());
    }

    void SetUp() override {
        if (!s_written)
            GTEST_SKIP() << "qpdf and poppler-utils are needed";
        ASSERT_GE(s_written->size(), 8);
    }

    static QTemporaryDir* s_dir;
    static QList<Written>* s_written;
    static QString s_validation;
    static int s_exitCode;
};

QTemporaryDir* FacturX::s_dir = nullptr;
QList<Written>* FacturX::s_written = nullptr;
QString FacturX::s_validation;
int FacturX::s_exitCode = -1;

} // namespace

TEST_F(FacturX, TheAttachedXmlComesBackUnchangedAndValidates) {
    for (const Written& w : std::as_const(*s_written)) {
        const QString list =
            runTool(QStringLiteral("pdfdetach"), {QStringLiteral("-list"), w.pdf}).output;
        EXPECT_TRUE(list.contains(QLatin1String("1 embedded files\n1: factur-x.xml")))
            << qPrintable(w.name) << qPrintable(list);
        EXPECT_EQ(readBytes(w.extracted), w.xml) << qPrintable(w.name);
    }
    if (s_validation.startsWith(QLatin1String("the validation kit is missing")))
        GTEST_SKIP() << qPrintable(s_validation);
    EXPECT_EQ(s_exitCode, 0) << qPrintable(s_validation);
    EXPECT_TRUE(
        s_validation.contains(QStringLiteral("%1 file(s) checked (EN 16931), 0 with fatal findings")
                                  .arg(s_written->size())))
        << qPrintable(s_validation);
    // A clean file prints nothing; the summary goes to standard error.
    for (const Written& w : std::as_const(*s_written))
        EXPECT_FALSE(s_validation.contains(w.extracted + QStringLiteral(": ")))
            << qPrintable(s_validation);
}

TEST_F(FacturX, ThePayableAmountIsTheTotalOnThePage) {
    for (const Written& w : std::as_const(*s_written)) {
        const QString onPage = totalOnThePage(w.pdf);
        ASSERT_FALSE(onPage.isEmpty()) << qPrintable(w.name);
        EXPECT_EQ(onPage, w.printedTotal) << qPrintable(w.name);
        const std::optional<Currency> printed = Currency::parse(onPage, QLocale::c());
        const std::optional<Currency> payable = Currency::parse(
            xmlValues(readBytes(w.extracted), QStringLiteral("DuePayableAmount")).value(0),
            QLocale::c());
        ASSERT_TRUE(printed && payable) << qPrintable(w.name);
        // A credit invoice prints its total negative and pays it as a positive amount.
        EXPECT_EQ(printed->abs(), *payable) << qPrintable(w.name + u' ' + onPage);
    }
}

TEST_F(FacturX, FilesAreSoundPdfA3WithTheirRelationshipIdAndIntent) {
    for (const Written& w : std::as_const(*s_written)) {
        const ToolRun check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), w.pdf});
        EXPECT_EQ(check.exitCode, 0) << qPrintable(w.name) << qPrintable(check.output);
        EXPECT_TRUE(check.output.contains(QLatin1String("No syntax or stream encoding errors")));
        EXPECT_TRUE(readBytes(w.pdf).startsWith("%PDF-1.7\r\n%\xE2\xE3\xCF\xD3\r\n"));

        const QJsonObject objects = qpdfObjects(w.pdf);
        const QJsonObject trailer = trailerOf(objects);
        EXPECT_EQ(trailer.value(QLatin1String("/ID")).toArray().size(), 2) << qPrintable(w.name);
        EXPECT_FALSE(trailer.contains(QLatin1String("/Encrypt")));
        const QJsonObject catalog = catalogOf(objects);
        ASSERT_EQ(catalog.value(QLatin1String("/OutputIntents")).toArray().size(), 1);
        EXPECT_EQ(dictOf(objects, catalog.value(QLatin1String("/OutputIntents")).toArray()[0])
                      .value(QLatin1String("/S")),
                  QLatin1String("/GTS_PDFA1"));
        const QJsonArray af = catalog.value(QLatin1String("/AF")).toArray();
        ASSERT_EQ(af.size(), 1) << qPrintable(w.name);
        const QJsonObject spec = dictOf(objects, af[0]);
        EXPECT_EQ(spec.value(QLatin1String("/AFRelationship")), QLatin1String("/Alternative"));
        EXPECT_EQ(spec.value(QLatin1String("/UF")), QLatin1String("u:factur-x.xml"));
        const QJsonObject stream =
            dictOf(objects, spec.value(QLatin1String("/EF")).toObject().value(QLatin1String("/F")));
        EXPECT_EQ(stream.value(QLatin1String("/Subtype")), QLatin1String("/text/xml"));
        EXPECT_EQ(stream.value(QLatin1String("/Params")).toObject().value(QLatin1String("/Size")),
                  w.xml.size());
        const QJsonArray names = embeddedFileNames(catalog);
        EXPECT_EQ(names, (QJsonArray{QStringLiteral("u:factur-x.xml"), af[0]}));

        // Every font embedded, the names and texts of every script included.
        const QList<FontRow> fonts = fontsOf(w.pdf);
        ASSERT_FALSE(fonts.isEmpty());
        for (const FontRow& font : fonts)
            EXPECT_TRUE(font.embedded) << qPrintable(w.name + u' ' + font.name);
    }
}

TEST_F(FacturX, MetadataHoldsPdfAIdAndTheFacturXSchema) {
    for (const Written& w : std::as_const(*s_written)) {
        const QByteArray packet =
            runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), w.pdf}).output.toUtf8();
        const XmpValues xmp = readXmp(packet);
        ASSERT_EQ(xmp.error, QString()) << qPrintable(w.name);
        EXPECT_EQ(xmp.value(kPdfaId, QStringLiteral("part")), QLatin1String("3"));
        EXPECT_EQ(xmp.value(kPdfaId, QStringLiteral("conformance")), QLatin1String("B"));
        EXPECT_EQ(xmp.value(kFx, QStringLiteral("DocumentType")), QLatin1String("INVOICE"));
        EXPECT_EQ(xmp.value(kFx, QStringLiteral("DocumentFileName")),
                  QLatin1String("factur-x.xml"));
        EXPECT_EQ(xmp.value(kFx, QStringLiteral("Version")), QLatin1String("1.0"));
        EXPECT_EQ(xmp.value(kFx, QStringLiteral("ConformanceLevel")), w.level)
            << qPrintable(w.name);
        EXPECT_EQ(xmp.value(kSchema, QStringLiteral("namespaceURI")), kFx);
        EXPECT_EQ(xmp.value(kSchema, QStringLiteral("prefix")), QLatin1String("fx"));
        EXPECT_FALSE(xmp.value(kSchema, QStringLiteral("schema")).isEmpty());
        EXPECT_EQ(xmp.all(kProperty, QStringLiteral("name")),
                  (QStringList{QStringLiteral("DocumentFileName"), QStringLiteral("DocumentType"),
                               QStringLiteral("Version"), QStringLiteral("ConformanceLevel")}));
        EXPECT_EQ(xmp.all(kProperty, QStringLiteral("valueType")), QStringList(4, "Text"));
        EXPECT_EQ(xmp.all(kProperty, QStringLiteral("category")), QStringList(4, "external"));
        for (const QString& description : xmp.all(kProperty, QStringLiteral("description")))
            EXPECT_FALSE(description.trimmed().isEmpty());
        // The invoice number is the title when the caller gives none.
        const QString number = xmlValues(w.xml, QStringLiteral("ExchangedDocument/ID")).value(0);
        EXPECT_EQ(
            xmp.value(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("title")),
            number);
    }
}

TEST(FacturXSetup, XmlThatIsNoInvoiceIsRefusedAndNothingIsWritten) {
    QTemporaryDir dir;
    const QByteArray good = writeCii(simpleInvoice());
    QByteArray noProfile = good;
    noProfile.replace("urn:cen.eu:en16931:2017", "urn:example:unknown");
    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(), "is empty"},
        {good.left(good.size() / 2), "is cut short"},
        {good.left(200) + "<ram:ID>&bad;</ram:ID>" + good.mid(200), "is not well-formed (line"},
        {writeUbl(simpleInvoice()), "no Cross Industry Invoice: its root element is"},
        {noProfile, "names no Factur-X profile (\"urn:example:unknown\")"},
    };
    PrintedInvoice printed(simpleInvoice());
    for (const auto& [xml, message] : cases) {
        const QString file = dir.filePath(QStringLiteral("refused.pdf"));
        QString error;
        EXPECT_FALSE(report::writeFacturX(printed.r(), xml, file, &error)) << message;
        EXPECT_TRUE(error.contains(QLatin1String(message))) << qPrintable(error);
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    QString error;
    report::FacturXOptions options;
    options.conformanceLevel = QStringLiteral("GOLD");
    EXPECT_FALSE(report::writeFacturX(printed.r(), good, dir.filePath(QStringLiteral("x.pdf")),
                                      &error, options));
    EXPECT_EQ(error, QStringLiteral("\"GOLD\" is no Factur-X conformance level."));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(FacturXSetup, TheEditorsEngineWritesFacturXAndRefusesEncryption) {
    if (!tools())
        GTEST_SKIP() << "qpdf and poppler-utils are needed";
    QTemporaryDir dir;
    const Invoice invoice = simpleInvoice();
    PrintedInvoice printed(invoice);
    const QByteArray xml = writeCii(invoice);

    TgtPDFEngine engine;
    printing::setupInvoicePdfEngine(engine);
    engine.Preferences.ShowSetupDialog = false;
    engine.Preferences.OpenAfterCreate = false;
    engine.setFileName(dir.filePath(QStringLiteral("editor.pdf")));
    engine.Title = QStringLiteral("Invoice 2025-0001");
    engine.Encryption.Enabled = true;
    QString error;
    report::FacturXOptions options;
    options.conformanceLevel = QStringLiteral("basic wl"); // the XML is more: the caller decides
    ASSERT_TRUE(report::setupFacturX(engine, xml, &error, options)) << qPrintable(error);
    report::TgtQRExportInterface bridge(&engine);
    EXPECT_FALSE(bridge.Render(printed.r()));
    EXPECT_TRUE(bridge.errorString().contains(QLatin1String("cannot be encrypted")));
    EXPECT_FALSE(QFileInfo::exists(engine.outputFilePath()));

    engine.Encryption.Enabled = false;
    // Setting up twice leaves one factur-x.xml and one fx schema.
    ASSERT_TRUE(report::setupFacturX(engine, xml, &error, options));
    ASSERT_TRUE(bridge.Render(printed.r())) << qPrintable(bridge.errorString());
    EXPECT_EQ(engine.Attachments.size(), 1);
    EXPECT_EQ(engine.XmpSchemas.size(), 1);
    const QString file = engine.outputFilePath();
    const QJsonObject objects = qpdfObjects(file);
    const QJsonArray af = catalogOf(objects).value(QLatin1String("/AF")).toArray();
    ASSERT_EQ(af.size(), 1);
    // The profiles that do not carry the whole invoice attach it as data.
    EXPECT_EQ(dictOf(objects, af[0]).value(QLatin1String("/AFRelationship")),
              QLatin1String("/Data"));
    const XmpValues xmp = readXmp(
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), file}).output.toUtf8());
    EXPECT_EQ(xmp.value(kFx, QStringLiteral("ConformanceLevel")), QLatin1String("BASIC WL"));
    EXPECT_EQ(
        xmp.value(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("title")),
        QLatin1String("Invoice 2025-0001"));
    for (const FontRow& font : fontsOf(file))
        EXPECT_TRUE(font.embedded) << qPrintable(font.name); // Tahoma, the editor's default
    EXPECT_EQ(runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), file}).exitCode, 0);

    // Pages laid out already (the preview's) give a file of the same pages.
    const report::PreparedDocument pages = printed.r().prepare();
    const QString fromPreview = dir.filePath(QStringLiteral("preview.pdf"));
    ASSERT_TRUE(report::writeFacturX(pages, xml, fromPreview, &error)) << qPrintable(error);
    EXPECT_EQ(totalOnThePage(fromPreview), printed.totalText);
    const QString info = runTool(QStringLiteral("pdfinfo"), {fromPreview}).output;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Pages:\\s+%1\n").arg(pages.pageCount()))
                    .match(info)
                    .hasMatch())
        << qPrintable(info);
}
