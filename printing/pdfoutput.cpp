#include "printing/pdfoutput.h"

#include "pdf/pdfengine.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace printing {

void setupInvoicePdfEngine(TgtPDFEngine& engine) {
    engine.FileExtension = QStringLiteral("pdf");
    engine.FileDescription = QStringLiteral("Adobe PDF Files");
    engine.InputXRes = 96;
    engine.InputYRes = 96;
    engine.Page.Width = 8.2677;
    engine.Page.Height = 11.6929;
    engine.ReferencePoint = rpBand;
    engine.Font.Name = QStringLiteral("Tahoma");
    engine.Font.Height = -11;
    engine.Font.Charset = PdfCharset::Default;
    engine.ImageSettings.SourceDPI = 96;
    engine.ImageSettings.OutputImageFormat = ifBMP;
    engine.FontEncoding = feWinAnsiEncoding;
    engine.setOpener([](const QString& path) {
        if (!openPdfFile(path))
            ui::ShowError(noPdfReaderMessage());
    });
}

bool openPdfFile(const QString& path) {
    const QFileInfo info(path);
    const QString file = info.fileName();
    const QString dir = QDir::toNativeSeparators(info.absolutePath());
    return Service::ExecuteFile(QStringLiteral("Acrord32"), file, dir, 1) > 32 ||
           Service::ExecuteFile(QStringLiteral("Acrobat"), file, dir, 1) > 32;
}

QString noPdfReaderMessage() {
    return QStringLiteral(
        "There is no Acrobat program on this computer.\r\nThe document can not be read.");
}

} // namespace printing
