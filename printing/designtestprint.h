#pragma once

#include <QString>

#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace report {
class Report;
}

// The design test print as the design selection and the free text editor ask for it. The test
// print window installs itself as the handler; until one is installed, an interim preview
// shows what the request names without sample rows: the design with the company data and the
// free text (design selection), or the free text alone where the design puts it (free text
// editor).
namespace printing {

struct TestPrintRequest {
    enum class Source { DesignSelection, FreeTextEditor };
    Source source = Source::DesignSelection;
    // The asking window, which owns the test print while it is shown.
    QWidget* owner = nullptr;
    // The design file to lay out.
    QString designFile;
    // The free text printed: its name, and its content as stored (rich text or RTF), read by
    // the asking window.
    QString freeTextName;
    QString freeText;
};

// Shows the test print modally: returns when its preview has closed.
using TestPrintHandler = std::function<void(const TestPrintRequest& request)>;
// Installs the handler and returns the one before; nullptr brings back the interim preview.
TestPrintHandler setTestPrintHandler(TestPrintHandler handler);
void runTestPrint(const TestPrintRequest& request);

// The reports of the interim preview. The free text alone: one band as wide as the page,
// holding the free text with the place, size and page set-up the design gives it on
// documents (a text taller than its place is cut there, as on documents).
std::unique_ptr<report::Report> freeTextAloneReport(const QString& designFile,
                                                    const QString& content);
// The document layout with the design, the language texts, the company data and the free
// text, and no rows.
std::unique_ptr<report::Report> emptyDocumentReport(const QString& designFile,
                                                    const QString& freeText);

} // namespace printing
