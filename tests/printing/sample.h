#pragma once

#include "printing/tfmqrinvoice.h"
#include "report/datasource.h"
#include "report/report.h"

#include <QString>

#include <memory>

// A document filled in the way the invoice editor fills it, for tests that lay it out.
struct SampleInvoice {
    explicit SampleInvoice(const QString& kind = QStringLiteral("Invoice"), int rows = 4);

    report::MemoryDataSource rows;
    std::unique_ptr<TfmqrInvoice> fm;
    report::Report& r() { return *fm->qrInvoice; }
    report::PreparedDocument prepare() { return fm->qrInvoice->prepare(); }
};

// Company data of a small firm in the service globals.
void setSampleCompany();

// Compares text with tests/printing/golden/<name>.txt; with MEROVIA_UPDATE_GOLDEN set the file
// is written instead. Returns an empty text when equal, else the first differing lines.
QString compareGolden(const QString& name, const QString& text);
