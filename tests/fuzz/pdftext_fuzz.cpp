// drawText with any Unicode (lone halves of surrogate pairs included), in any of the fonts,
// encodings, embedding modes and styles the program uses: the document is written and passes
// `qpdf --check`.

#include "fuzztarget.h"

#include "pdf/pdfengine.h"

#include <QGuiApplication>
#include <QProcess>

namespace {

const char* const kFonts[] = {"Arial",       "Times New Roman",  "Courier New", "Tahoma",
                              "DejaVu Sans", "Liberation Serif", "Noto Sans",   "Symbol"};

void checkWithQpdf(const QString& file) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), file});
    if (!qpdf.waitForStarted())
        fuzz::fail("qpdf does not start");
    qpdf.waitForFinished(60000);
    fuzz::check(qpdf.exitStatus() == QProcess::NormalExit && qpdf.exitCode() == 0,
                "the written file does not pass qpdf --check",
                QString::fromUtf8(qpdf.readAllStandardOutput() + qpdf.readAllStandardError()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::useOffscreenPlatform();
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2048)
        return 0;
    fuzz::Reader reader(data, size);
    const uint8_t font = reader.byte();
    const uint8_t style = reader.byte();
    const uint8_t setup = reader.byte();
    const uint8_t geometry = reader.byte();
    const QByteArray rest = reader.rest();
    const QString text =
        (setup & 0x80) ? QString(reinterpret_cast<const QChar*>(rest.constData()), rest.size() / 2)
                       : QString::fromUtf8(rest);

    TgtCustomPDFEngine pdf;
    const QString path = fuzz::scratchDir() + QStringLiteral("/text.pdf");
    QFile::remove(path);
    pdf.setFileName(path);
    pdf.Preferences.ShowSetupDialog = false;
    pdf.Preferences.ActivateHyperlinks = setup & 0x01;
    pdf.Preferences.EmbedTrueTypeFonts = TgtEmbedTrueTypeFonts((setup >> 1) % 3);
    pdf.FontEncoding = (setup & 0x08) ? feMacRomanEncoding : feWinAnsiEncoding;
    pdf.Compression.Enabled = setup & 0x10;
    if (setup & 0x20)
        pdf.Conformance = cfPDFA3b;
    if (!pdf.beginDoc())
        fuzz::fail("beginDoc failed", pdf.errorString());
    pdf.beginPage();
    TgtCustomPDFEngine::TextItem item;
    item.text = text;
    item.rect = QRectF(40 + (geometry & 7) * 10, 40, 500, 40);
    item.fontName = QLatin1String(kFonts[font % std::size(kFonts)]);
    item.fontSize = 4 + (font >> 3);
    item.bold = style & 0x01;
    item.italic = style & 0x02;
    item.underline = style & 0x04;
    item.strikeOut = style & 0x08;
    item.renderMode = TgtCustomPDFEngine::TextItem::RenderMode((style >> 4) % 3);
    item.script = TgtCustomPDFEngine::TextItem::Script((style >> 6) % 3);
    static const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                               Qt::AlignJustify};
    item.alignment = alignments[(geometry >> 3) % 4];
    item.charSpacing = (geometry & 0x20) ? 1.5 : 0;
    item.angle = (geometry & 0x40) ? 30 : 0;
    item.clip = geometry & 0x80;
    pdf.drawText(item);
    // The same text again in a font of its own choice, as a second run on the page.
    item.fontName.clear();
    item.rect.translate(0, 60);
    pdf.drawText(item);
    if (!pdf.endDoc())
        fuzz::fail("endDoc failed", pdf.errorString());
    checkWithQpdf(pdf.outputFilePath());
    return 0;
}
