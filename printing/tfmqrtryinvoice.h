#pragma once

#include "printing/designtestprint.h"
#include "ui/form.h"

#include <QString>

#include <memory>

namespace db {
class Table;
}

namespace report {
class Band;
class DbDataSource;
class Report;
} // namespace report

// The design test print: the document layout with its design file and a free text over made-up
// document data, so that a design can be judged before real documents use it. The sample rows
// are written into table RowInvoiceTest each time the window is made (the table must not be in
// use elsewhere: it is opened for exclusive use). The design file and the free text are the
// request's: the viewed design of the design selection, or the current design with the free
// text selected in the free text editor. Bottom margin 10 mm where the design gives none.
class TfmqrTryInvoice : public ui::Form {
    Q_OBJECT
public:
    static constexpr double kBottomMargin = 10;

    TfmqrTryInvoice(QWidget* owner, const printing::TestPrintRequest& request);
    ~TfmqrTryInvoice() override;

    report::Report* qrTryInvoice = nullptr;
    db::Table* dbTestRows = nullptr;

    // The sample head as the layout shows it.
    static QString sampleAmount();

    // The report's and the bands' events, public for the tests.
    void qrTryInvoiceBeforePrint(report::Report& report, bool& print);
    void BandItemsBeforePrint(report::Band& band, bool& print);
    void BandTotalsBeforePrint(report::Band& band, bool& print);

    // Shows the report in the preview, maximised, with the window as its owner.
    void Preview();

private:
    void setSampleHead();
    void writeSampleRows();

    QString m_designFile;
    bool m_framePlaced = false;
    std::unique_ptr<report::DbDataSource> m_rows;
};

namespace printing {
// Makes the test print of the design selection and the free text editor this window.
void installTryInvoice();
} // namespace printing
