#pragma once

#include "report/prepared.h"

#include <QString>

namespace report {

// Receives the pages of a report handed to Report::exportToFilter: a file format writer (the
// PDF export in mrv_reportpdf) implements it, so the engine itself knows no file formats.
class ExportFilter {
public:
    virtual ~ExportFilter() = default;
    // Called before the report is laid out. Returning false stops the export before any of the
    // report's events has run, so a file that cannot be created leaves the report as it was.
    virtual bool start() = 0;
    virtual void exportPage(const PreparedDocument& document, const PreparedPage& page) = 0;
    // Returns false when the output could not be completed.
    virtual bool finish(const PreparedDocument& document) = 0;
    // Why start or finish failed; empty when the user cancelled.
    virtual QString errorString() const = 0;
};

} // namespace report
