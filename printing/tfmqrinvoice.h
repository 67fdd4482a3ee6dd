#pragma once

#include "ui/form.h"

#include <QString>

namespace report {
class Report;
}

// The report window of a printed document: it holds the report qrInvoice with the bands and
// elements of the document layout. Creation fills the company footer, applies the language
// texts and the current design, sizes the footer and computes the page scale; the editor then
// fills in the document and previews or exports the report.
class TfmqrInvoice : public ui::Form {
    Q_OBJECT
public:
    // The document kind is the editor's (its cbDocument); when none is given it is read from
    // the owner's cbDocument, if it has one.
    explicit TfmqrInvoice(QWidget* owner, const QString& documentKind = QString());

    report::Report* qrInvoice = nullptr;

    QString documentKind() const { return m_documentKind; }
    // Layout units per millimetre of page length, computed once the design is applied.
    double pageScale() const { return m_pageScale; }

    // The free text printed in the totals (rich text or RTF); an empty text prints nothing.
    void setFreeText(const QString& content);

    // The texts of the current document language on the captions.
    void ApplyLanguageTexts();
    // Shows the report in the preview, maximised.
    void Preview();

private:
    void FormCreate();

    QString m_documentKind;
    double m_pageScale = 0;
};
