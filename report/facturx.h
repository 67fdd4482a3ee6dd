#pragma once

#include "pdf/pdfengine.h"

#include <QByteArray>
#include <QString>

// Factur-X (ZUGFeRD 2.x) output: the printed pages as a PDF/A-3b file with the invoice's
// UN/CEFACT Cross Industry Invoice XML attached as "factur-x.xml".
//
//     QString error;
//     if (!report::writeFacturX(report, einvoice::writeCii(invoice), path, &error))
//         showError(error);              // nothing was written; an earlier file is kept
//
// or, with an engine the caller has set up (the invoice editor's, as TfmqrInvoice::exportPdf
// holds it):
//
//     TgtPDFEngine engine;
//     printing::setupInvoicePdfEngine(engine);
//     report::setPdfTarget(engine, report::pdfFileNameFor(path));
//     if (!report::setupFacturX(engine, xml, &error)) ...   // nothing written yet
//     report::TgtQRExportInterface bridge(&engine);
//     bridge.KeepPages = false;
//     if (!bridge.Render(report)) showError(bridge.errorString());
//
// or report::writePdf(preparedPages, engine, path, &error) after setupFacturX.
namespace report {

class Report;
struct PreparedDocument;

// The name the attached XML has in every Factur-X file.
inline constexpr char kFacturXFileName[] = "factur-x.xml";

struct FacturXOptions {
    // The metadata's fx:ConformanceLevel: "MINIMUM", "BASIC WL", "BASIC", "EN 16931",
    // "EXTENDED" or "XRECHNUNG". Empty: the profile the XML names in its
    // GuidelineSpecifiedDocumentContextParameter.
    QString conformanceLevel;
    // The document's title (information and metadata). Empty: the engine's Title, and when that
    // is empty too, the invoice number from the XML.
    QString title;
};

// Sets the engine up to write its next document as Factur-X: PDF/A-3b, the XML attached as
// factur-x.xml (relationship Alternative, Data for the MINIMUM and BASIC WL profiles, which do
// not hold the whole invoice), and the fx schema in the metadata (DocumentType INVOICE,
// DocumentFileName, Version 1.0, ConformanceLevel). Other settings stay the caller's; an
// encryption left switched on makes beginDoc refuse the document. False, with the reason in
// `error` and the engine unchanged, when the XML is not a well-formed Cross Industry Invoice
// or names no Factur-X profile.
bool setupFacturX(TgtCustomPDFEngine& engine, const QByteArray& xml, QString* error,
                  const FacturXOptions& options = {});

// Lays the report out and writes it as Factur-X to exactly `fileName`, opening nothing. False
// with the reason in `error` (nothing is written then, and an earlier file of the name keeps
// its bytes). Elements the writer had to leave out are logged like those of every export.
bool writeFacturX(Report& report, const QByteArray& xml, const QString& fileName, QString* error,
                  const FacturXOptions& options = {});
// The same for pages laid out already, such as those a preview shows.
bool writeFacturX(const PreparedDocument& pages, const QByteArray& xml, const QString& fileName,
                  QString* error, const FacturXOptions& options = {});

} // namespace report
