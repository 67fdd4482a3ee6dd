#pragma once

#include "einvoice/invoice.h"
#include "printing/tfmqrinvoice.h"
#include "report/datasource.h"
#include "report/report.h"

#include <QString>

#include <memory>

// The printed document of an e-invoice model: its rows in the item rows of the document layout,
// its head and totals in the layout's labels, the seller in the company globals, the way the
// invoice editor fills them before it prints, in the shipped Classic design. Shared by the Factur-X
// tests and the benchmark.
struct PrintedInvoice {
    explicit PrintedInvoice(const einvoice::Invoice& invoice);

    // Amounts as the page prints them.
    static QString amount(Currency value);

    report::MemoryDataSource rows;
    std::unique_ptr<TfmqrInvoice> fm;
    QString totalText; // the total as printed
    report::Report& r() { return *fm->qrInvoice; }
};
