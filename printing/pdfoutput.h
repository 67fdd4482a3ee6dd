#pragma once

#include <QString>

class TgtPDFEngine;

// The PDF writer as the printed document uses it.
namespace printing {

// Sets the engine up as the invoice editor holds it: A4 paper, 96 dots per inch of input,
// band reference point, default font Tahoma 8 point, WinAnsi fonts, pictures as bitmaps, the
// "pdf" extension and "Adobe PDF Files", and finished files opened with openPdfFile (an error
// message when no reader starts). File name, setup dialog and open-after-create are set for
// each export by the caller.
void setupInvoicePdfEngine(TgtPDFEngine& engine);

// Opens a PDF file with the reader: "Acrord32", and when that does not start, "Acrobat".
// Returns false when neither starts.
bool openPdfFile(const QString& path);

// What the user is told when no reader could open a written PDF file.
QString noPdfReaderMessage();

} // namespace printing
