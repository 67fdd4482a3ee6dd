#include "enginetest.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

TEST_F(PdfEngine, TextIsFoundByPdfToTextInEveryScript) {
    if (!haveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext is not installed";
    const QStringList lines = {
        QStringLiteral("Total (incl. VAT) \\ 1.234,50"),
        QStringLiteral("Code\tQty\tSum"),
        QString::fromUtf8("Zażółć gęślą jaźń, Łódź"),
        QString::fromUtf8("Ελένη Παπαδοπούλου, Αθήνα"),
        QString::fromUtf8("Иван Петрович Сидоров, Москва"),
        QString::fromUtf8("Café Müller, 5 € – “quoted”"),
    };
    for (const bool encrypted : {false, true}) {
        TgtCustomPDFEngine pdf;
        const QString name =
            encrypted ? QStringLiteral("scripts-locked.pdf") : QStringLiteral("scripts.pdf");
        prepare(pdf, name, encrypted ? QStringLiteral("user") : QString());
        pdf.Encryption.Enabled = encrypted;
        pdf.Encryption.UserPassword = QStringLiteral("user");
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        for (int i = 0; i < lines.size(); ++i)
            pdf.drawText(text(lines[i], 50, 50 + 30 * i));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QString found =
            textOf(m_dir.filePath(name), encrypted ? QStringLiteral("user") : QString());
        EXPECT_TRUE(found.contains(lines[0])) << qPrintable(found);
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("Code\\s+Qty\\s+Sum")).match(found).hasMatch())
            << qPrintable(found);
        for (int i = 2; i < lines.size(); ++i)
            EXPECT_TRUE(found.contains(lines[i])) << qPrintable(lines[i]) << "\n"
                                                  << qPrintable(found);
        EXPECT_FALSE(found.contains(u'?')) << qPrintable(found);
    }
}

TEST_F(PdfEngine, NonWinAnsiTextUsesACompositeFontWithItsProgramAndUnicodeMap) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("composite.pdf"));
    pdf.Compression.Enabled = false;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("Plain"), 50, 50));
    pdf.drawText(text(QString::fromUtf8("Иван"), 50, 80));
    TextItem russianCharset = text(QStringLiteral("Ivan"), 50, 110);
    russianCharset.charset = PdfCharset::Russian; // a non-ANSI charset asks for it too
    pdf.drawText(russianCharset);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("composite.pdf")));
    EXPECT_EQ(structureProblems(bytes), QString());
    EXPECT_EQ(countOf(bytes, "/Subtype/Type0"), 1); // Russian text shares the composite font
    EXPECT_TRUE(bytes.contains("/Subtype/CIDFontType2"));
    EXPECT_TRUE(
        bytes.contains("/CIDSystemInfo <</Registry(Adobe)/Ordering(Identity)/Supplement 0>>"));
    EXPECT_TRUE(bytes.contains("/CIDToGIDMap/Identity"));
    EXPECT_TRUE(bytes.contains("/Encoding /Identity-H"));
    EXPECT_TRUE(bytes.contains("/ToUnicode "));
    EXPECT_TRUE(bytes.contains("/FontFile2 "));
    EXPECT_TRUE(bytes.contains("/BaseFont /WYOIAS+"));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(content.contains("/F1 10.0000 Tf\r\n0 Tc\r\n0 Tw\r\n"));
    EXPECT_TRUE(matches(QStringLiteral("Td <[0-9A-F]{16}> Tj"), content));
    EXPECT_TRUE(bytes.contains("<0416>") || bytes.contains("<0418>")); // ToUnicode targets
}

TEST_F(PdfEngine, TextItemOptionsReachTheContent) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("options.pdf"));
    pdf.Compression.Enabled = false;
    pdf.InputXRes = 72; // input units are points here
    pdf.InputYRes = 72;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    TextItem right = text(QStringLiteral("AAA"), 100, 100);
    right.rect.setWidth(200);
    right.alignment = Qt::AlignRight;
    pdf.drawText(right); // Arial A is 667/1000 wide: 3 x 6.67 = 20.01
    TextItem centred = right;
    centred.alignment = Qt::AlignHCenter;
    pdf.drawText(centred);
    TextItem styled = text(QStringLiteral("x"), 10, 200);
    styled.script = TextItem::Superscript;
    styled.renderMode = TextItem::FillAndStroke;
    styled.charSpacing = 1.5;
    styled.clip = true;
    styled.color = QColor(255, 0, 0);
    pdf.drawText(styled);
    TextItem sub = text(QStringLiteral("y"), 10, 250);
    sub.script = TextItem::Subscript;
    sub.renderMode = TextItem::Stroke;
    pdf.drawText(sub);
    TextItem turned = text(QStringLiteral("Turned"), 300, 300);
    turned.angle = 90;
    pdf.drawText(turned);
    TextItem justified = text(QStringLiteral("a b"), 10, 400);
    justified.rect.setWidth(100);
    justified.alignment = Qt::AlignJustify;
    pdf.drawText(justified);
    TextItem lined = text(QStringLiteral("Lined"), 10, 500);
    lined.underline = true;
    lined.strikeOut = true;
    lined.color = QColor(0, 0, 255);
    pdf.drawText(lined);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray content =
        firstPageContent(readBytes(m_dir.filePath(QStringLiteral("options.pdf"))));

    EXPECT_TRUE(content.contains("279.9900 731.8888 Td\r\n(AAA) Tj")) << content.constData();
    EXPECT_TRUE(content.contains("189.9950 731.8888 Td\r\n(AAA) Tj"));
    EXPECT_TRUE(
        content.contains(" q 10.0000 621.8888 400.0000 20.0000 re W n\r\nBT\r\n2 Tr 5.0000 Ts\r\n"
                         "1.0000 0.0000 0.0000 rg 1.0000 0.0000 0.0000 RG\r\n"
                         "/F0 10.0000 Tf\r\n 1.5000 Tc 0 Tw\r\n"));
    EXPECT_TRUE(content.contains("BT\r\n1 Tr -5.0000 Ts\r\n"));
    // Turned a quarter: the baseline starts one font size right of the top left corner.
    EXPECT_TRUE(
        content.contains("0.0000 1.0000 -1.0000 0.0000 310.0000 541.8888 Tm \r\n(Turned) Tj"));
    // "a b" is 556 + 278 + 556 = 13.90 points wide; the blank takes the other 86.10.
    EXPECT_TRUE(content.contains("/F0 10.0000 Tf\r\n0 Tw\r\n10.0000 431.8888 Td\r\n"
                                 "[(a)0.0000( )-8610.0000(b)0.0000 ]TJ "))
        << content.constData();
    const qsizetype lines = content.indexOf("(Lined) Tj");
    ASSERT_GT(lines, 0);
    EXPECT_EQ(countOf(content.mid(lines), " l S\r\nQ"), 2);
    EXPECT_TRUE(content.mid(lines).contains("\r\nq\r\n0.0000 0.0000 1.0000 RG "));
}

TEST_F(PdfEngine, LinksInTextBecomeAnnotations) {
    for (const bool encrypted : {false, true}) {
        TgtCustomPDFEngine pdf;
        const QString name = QStringLiteral("links-%1.pdf").arg(encrypted);
        prepare(pdf, name, encrypted ? QStringLiteral("pw") : QString());
        pdf.Compression.Enabled = false;
        pdf.Encryption.Enabled = encrypted;
        pdf.Encryption.UserPassword = QStringLiteral("pw");
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        pdf.drawText(
            text(QStringLiteral("Mail info@merovia.test or see www.merovia.test"), 50, 50));
        TextItem turned = text(QStringLiteral("www.turned.test"), 50, 100);
        turned.angle = 30;
        pdf.drawText(turned); // rotated text gets no links
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QByteArray bytes = readBytes(m_dir.filePath(name));
        EXPECT_EQ(structureProblems(bytes), QString());
        EXPECT_EQ(countOf(bytes, "/Type/Annot/Border []/H/I/Subtype/Link/F 0/C [11 00 01]/Rect ["),
                  2);
        EXPECT_TRUE(objectText(bytes, 6).contains("/Annots ["));
        const QByteArray mailHex = QByteArray("mailto:info@merovia.test").toHex().toUpper();
        // Encrypted, the addresses are encrypted like every other string.
        EXPECT_EQ(bytes.contains("/S/URI /URI<" + mailHex + ">"), !encrypted);
        if (encrypted && haveTool(QStringLiteral("qpdf"))) {
            const ToolRun shown =
                runTool(QStringLiteral("qpdf"),
                        {QStringLiteral("--password=pw"), QStringLiteral("--qdf"),
                         QStringLiteral("--object-streams=disable"), m_dir.filePath(name),
                         m_dir.filePath(QStringLiteral("plain.qdf"))});
            EXPECT_EQ(shown.exitCode, 0) << qPrintable(shown.output);
            EXPECT_TRUE(readBytes(m_dir.filePath(QStringLiteral("plain.qdf")))
                            .contains("mailto:info@merovia.test"));
        }
    }
    TgtCustomPDFEngine off;
    off.Preferences.ActivateHyperlinks = false;
    EXPECT_FALSE(onePage(off, QStringLiteral("info@merovia.test")).contains("/Annot"));
}

TEST_F(PdfEngine, EncryptedFilesOpenWithTheirPasswords) {
    if (!haveTool(QStringLiteral("qpdf")))
        GTEST_SKIP() << "qpdf is not installed";
    for (const int level : {0, 1}) {
        TgtCustomPDFEngine pdf;
        const QString name = QStringLiteral("locked-%1.pdf").arg(level);
        prepare(pdf, name, QStringLiteral("reader"));
        pdf.Encryption.Enabled = true;
        pdf.Encryption.Level = level;
        pdf.Encryption.UserPassword = QStringLiteral("reader");
        pdf.Encryption.OwnerPassword = QStringLiteral("boss");
        pdf.Encryption.UserPermissions = upPrint | upCopy;
        pdf.Title = QString::fromUtf8("Faktura Łódź");
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        pdf.drawText(text(QString::fromUtf8("Secret total 1 000 zł"), 50, 50));
        pdf.drawImage(QRectF(50, 100, 40, 40), QImage(QSize(4, 4), QImage::Format_RGB32));
        pdf.drawRect(QRectF(50, 200, 40, 40), QPen(Qt::black), QBrush(Qt::red, Qt::CrossPattern));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QString file = m_dir.filePath(name);
        const QByteArray bytes = readBytes(file);
        EXPECT_EQ(structureProblems(bytes), QString());
        EXPECT_TRUE(bytes.contains(level == 0 ? "/V 1/R 2/P " : "/V 2/R 3/P "));
        EXPECT_EQ(bytes.contains("/Length 128"), level == 1);
        EXPECT_TRUE(
            matches(QStringLiteral("/ID \\[<([0-9A-F]{32})><\\1>\\]/Encrypt \\d+ 0 R"), bytes));
        EXPECT_FALSE(bytes.contains("Secret"));

        const ToolRun user =
            runTool(QStringLiteral("qpdf"), {QStringLiteral("--show-encryption"),
                                             QStringLiteral("--password=reader"), file});
        EXPECT_EQ(user.exitCode, 0) << qPrintable(user.output);
        EXPECT_TRUE(user.output.contains(QStringLiteral("R = %1").arg(level == 0 ? 2 : 3)));
        EXPECT_TRUE(user.output.contains(QLatin1String("print low resolution: allowed")));
        EXPECT_TRUE(user.output.contains(QLatin1String("modify anything: not allowed")));
        const ToolRun owner =
            runTool(QStringLiteral("qpdf"),
                    {QStringLiteral("--check"), QStringLiteral("--password=boss"), file});
        EXPECT_TRUE(owner.output.contains(QLatin1String("Supplied password is owner password")))
            << qPrintable(owner.output);
        const ToolRun wrong =
            runTool(QStringLiteral("qpdf"),
                    {QStringLiteral("--check"), QStringLiteral("--password=guess"), file});
        EXPECT_NE(wrong.exitCode, 0);
        if (haveTool(QStringLiteral("pdftotext"))) {
            EXPECT_TRUE(textOf(file, QStringLiteral("reader"))
                            .contains(QString::fromUtf8("Secret total 1 000 zł")));
        }
        if (haveTool(QStringLiteral("pdfinfo"))) {
            const ToolRun info = runTool(QStringLiteral("pdfinfo"),
                                         {QStringLiteral("-upw"), QStringLiteral("reader"), file});
            EXPECT_TRUE(info.output.contains(QString::fromUtf8("Faktura Łódź")))
                << qPrintable(info.output);
        }
    }
}

TEST_F(PdfEngine, ImagesAreStoredOnceAndPlacedWhereAsked) {
    QImage gradient(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            gradient.setPixel(x, y, qRgb(x * 6, y * 12, 128));
    QImage translucent(10, 10, QImage::Format_ARGB32);
    translucent.fill(qRgba(0, 0, 0, 0)); // clear: becomes white paper
    QStringList messages;

    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("images.pdf"));
    pdf.Compression.Enabled = false;
    pdf.InputXRes = 72;
    pdf.InputYRes = 72;
    pdf.setMessageHandler([&](const QString& m) { messages << m; });
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawImage(QRectF(10, 20, 80, 40), gradient);
    pdf.drawImage(QRectF(100, 20, 40, 20), gradient); // another size, same picture
    pdf.drawImage(QRectF(10, 100, 30, 30), QImage()); // cannot be placed
    pdf.drawImage(QRectF(200, 100, 10, 10), translucent);
    pdf.drawImage(QPointF(300, 300), gradient.copy()); // natural size at 96 dpi: 30 x 15 points
    pdf.endPage();
    pdf.beginPage();
    pdf.drawImage(QRectF(10, 20, 80, 40), gradient);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());

    EXPECT_EQ(messages,
              QStringList{QStringLiteral("The PDF Engine does not support image format")});
    EXPECT_EQ(pdf.warnings(), messages);
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("images.pdf")));
    EXPECT_EQ(structureProblems(bytes), QString());
    EXPECT_EQ(countOf(bytes, "/Type/XObject/Subtype/Image"), 2);
    EXPECT_TRUE(
        bytes.contains("/Type/XObject/Subtype/Image/Name/Img1_0/Width 40/Height 20"
                       "/BitsPerComponent 8/ColorSpace/DeviceRGB/Length 2400>>\r\nstream\r\n"));
    EXPECT_TRUE(objectText(bytes, 4).contains("[/PDF /ImageC]"));
    EXPECT_TRUE(objectText(bytes, 5).contains("/XObject <</Img1_0 "));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(content.contains("\r\nq 80.0000 0 0 40.0000 10.0000 781.8888 cm /Img1_0 Do Q"));
    EXPECT_TRUE(content.contains("\r\nq 40.0000 0 0 20.0000 100.0000 801.8888 cm /Img1_0 Do Q"));
    EXPECT_TRUE(content.contains("\r\nq 30.0000 0 0 15.0000 300.0000 526.8888 cm /Img1_0 Do Q"));
    // The clear picture is white samples.
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/Name/Img1_1/Width 10/Height 10/BitsPerComponent 8"
                                          "/ColorSpace/DeviceRGB/Length 300>>\\r\\nstream\\r\\n"))
            .match(QString::fromLatin1(bytes));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_EQ(bytes.mid(m.capturedEnd(), 300), QByteArray(300, char(0xFF)));
}

TEST_F(PdfEngine, JpegImagesUseDctDecode) {
    QImage photo(64, 32, QImage::Format_RGB32);
    photo.fill(QColor(10, 120, 200));
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("jpeg.pdf"));
    pdf.ImageSettings.OutputImageFormat = ifJPEG;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawImage(QRectF(10, 10, 64, 32), photo);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("jpeg.pdf")));
    EXPECT_TRUE(bytes.contains(
        "/Width 64/Height 32/BitsPerComponent 8/Filter/DCTDecode/ColorSpace/DeviceRGB"));
    EXPECT_TRUE(bytes.contains("stream\r\n\xFF\xD8\xFF")); // the JPEG itself
}

TEST_F(PdfEngine, HatchedBrushesAreTilingPatterns) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("hatches.pdf"));
    pdf.Compression.Enabled = false;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    const Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    int i = 0;
    for (const Qt::BrushStyle style : styles)
        pdf.drawRect(QRectF(50 + 60 * i++, 50, 50, 50), QPen(Qt::black),
                     QBrush(Qt::darkGreen, style));
    pdf.drawRect(QRectF(50, 150, 50, 50), Qt::NoPen, QBrush(Qt::red, Qt::CrossPattern)); // shared
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("hatches.pdf")));
    EXPECT_EQ(structureProblems(bytes), QString());
    EXPECT_EQ(countOf(bytes, "/Type /Pattern/PatternType 1/PaintType 2/TilingType 1/BBox [0 0 5 5]"
                             "/XStep 5/YStep 5"),
              6);
    for (const char* figure :
         {"0 2.5 m 5 2.5 l S", "2.5 0 m 2.5 5 l S", "0 2.5 m 2.5 0 l 5 2.5 m 2.5 5 l S",
          "0 2.5 m 2.5 5 l 2.5 0 m 5 2.5 l S", "0 2.5 m 5 2.5 l 2.5 0 m 2.5 5 l S",
          "2.5 0 m 5 2.5 l 2.5 5 l 0 2.5 l s"})
        EXPECT_TRUE(
            bytes.contains(QByteArray("stream\r\n2 J 2 j 0.3 w ") + figure + "\r\nendstream"))
            << figure;
    const QByteArray resources = objectText(bytes, 5);
    EXPECT_TRUE(
        resources.contains("/ColorSpace <</CSP [/Pattern /DeviceRGB]>>\r\n/Pattern <</P0 "));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(content.contains("/CSP cs 0.0000 0.5020 0.0000 /P5 scn "));
    EXPECT_TRUE(content.contains("/CSP cs 1.0000 0.0000 0.0000 /P4 scn "));
}

TEST_F(PdfEngine, ShapesCloseTheirPathsByPenAndBrush) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("shapes.pdf"));
    pdf.Compression.Enabled = false;
    pdf.InputXRes = 72;
    pdf.InputYRes = 72;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawRect(QRectF(10, 10, 100, 50), QPen(Qt::black, 2), QBrush(QColor(192, 192, 192)));
    pdf.drawRect(QRectF(10, 10, 100, 50), Qt::NoPen, QBrush(Qt::red));
    pdf.drawRect(QRectF(10, 10, 100, 50), QPen(Qt::blue, 1, Qt::DashLine), Qt::NoBrush);
    pdf.drawRect(QRectF(10, 10, 100, 50), Qt::NoPen, Qt::NoBrush);
    pdf.drawLine(QPointF(0, 0), QPointF(100, 100), QPen(Qt::black, 0.5, Qt::DotLine));
    pdf.drawPolyline(QPolygonF({{0, 0}, {10, 10}, {20, 0}}), QPen(Qt::black, 1, Qt::DashDotLine));
    pdf.drawPolygon(QPolygonF({{0, 0}, {10, 10}, {20, 0}}), QPen(Qt::black, 1, Qt::DashDotDotLine),
                    QBrush(Qt::yellow));
    pdf.drawEllipse(QRectF(100, 100, 80, 40), QPen(Qt::black), Qt::NoBrush);
    pdf.drawRoundRect(QRectF(200, 200, 100, 60), 10, 10, QPen(Qt::black), QBrush(Qt::green));
    pdf.drawArc(QRectF(300, 300, 50, 50), 0, 90, QPen(Qt::black));
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray content =
        firstPageContent(readBytes(m_dir.filePath(QStringLiteral("shapes.pdf"))));
    EXPECT_TRUE(
        content.contains("\r\nq 2.0000 w []0 d 0.0000 0.0000 0.0000 RG 0.7529 0.7529 0.7529 rg "
                         "10.0000 781.8888 100.0000 50.0000 re b* Q"))
        << content.constData();
    EXPECT_TRUE(content.contains(
        "\r\nq 1.0000 0.0000 0.0000 rg 10.0000 781.8888 100.0000 50.0000 re f* Q"));
    EXPECT_TRUE(
        content.contains("\r\nq 1.0000 w [16 8]0 d 0.0000 0.0000 1.0000 RG 10.0000 781.8888 "
                         "100.0000 50.0000 re s Q"));
    EXPECT_TRUE(content.contains("\r\nq 10.0000 781.8888 100.0000 50.0000 re n Q"));
    EXPECT_TRUE(content.contains("0.5000 w [3 4]0 d 0.0000 0.0000 0.0000 RG 0.0000 841.8888 m "
                                 "100.0000 741.8888 l S Q"));
    EXPECT_TRUE(content.contains("[8 4 2 4]0 d"));
    EXPECT_TRUE(content.contains("[8 4 2 4 2 8]0 d"));
    EXPECT_TRUE(content.contains("l 20.0000 841.8888 l b* Q"));
    EXPECT_EQ(countOf(content, " c\r\n"), 4 + 4 + 1); // ellipse, rounded corners, quarter arc
    EXPECT_TRUE(content.contains("180.0000 721.8888 m\r\n")); // ellipse starts at three o'clock
}

TEST_F(PdfEngine, NonFiniteGeometryIsLeftOutWithAWarning) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("nonfinite.pdf"));
    pdf.Compression.Enabled = false;
    QStringList handled;
    pdf.setMessageHandler([&](const QString& message) { handled << message; });
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    const QPen pen(Qt::black);
    pdf.drawArc(QRectF(300, 300, 50, 50), 0, nan, pen); // found by fuzzing: ceil(NaN) to int
    pdf.drawArc(QRectF(300, 300, 50, 50), inf, 90, pen);
    pdf.drawEllipse(QRectF(nan, 0, 10, 10), pen, Qt::NoBrush);
    pdf.drawRoundRect(QRectF(0, 0, 10, 10), nan, 2, pen, Qt::NoBrush);
    pdf.drawRect(QRectF(0, 0, inf, 10), pen, Qt::NoBrush);
    pdf.drawLine(QPointF(0, 0), QPointF(-inf, 5), pen);
    pdf.drawPolygon(QPolygonF({{0, 0}, {nan, 1}, {2, 0}}), pen, Qt::NoBrush);
    pdf.setClip(QRectF(0, nan, 10, 10));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    pdf.drawImage(QRectF(0, 0, nan, 10), picture);
    TextItem lost = text(QStringLiteral("lost"), 10, 10);
    lost.angle = nan;
    pdf.drawText(lost);
    // What is whole is still drawn.
    pdf.drawArc(QRectF(300, 300, 50, 50), 0, 90, pen);
    pdf.drawText(text(QStringLiteral("Kept"), 10, 40));
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc()) << qPrintable(pdf.errorString());

    EXPECT_EQ(pdf.warnings().size(), 10) << qPrintable(pdf.warnings().join(u'\n'));
    EXPECT_EQ(handled, pdf.warnings());
    EXPECT_TRUE(pdf.warnings().contains(
        QStringLiteral("The arc was left out: its position or size is not a number.")));
    const QByteArray content =
        firstPageContent(readBytes(m_dir.filePath(QStringLiteral("nonfinite.pdf"))));
    EXPECT_EQ(countOf(content, " c\r\n"), 1); // the whole quarter arc only
    EXPECT_FALSE(content.contains("lost"));
    EXPECT_TRUE(content.contains("(Kept) Tj"));
    EXPECT_FALSE(content.contains(" re W n")); // no clip
    EXPECT_FALSE(content.contains(" Do Q"));   // no picture
}

TEST_F(PdfEngine, ClippingLastsUntilClearedOrTheEndOfThePage) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("clip.pdf"));
    pdf.Compression.Enabled = false;
    pdf.InputXRes = 72;
    pdf.InputYRes = 72;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.clearClip(); // no page: nothing happens
    pdf.beginPage();
    pdf.clearClip(); // no clip: nothing is written
    pdf.setClip(QRectF(10, 10, 100, 50));
    pdf.drawText(text(QStringLiteral("Clipped"), 10, 10));
    pdf.setClip(QRectF(20, 100, 30, 40)); // replaces the first
    pdf.drawText(text(QStringLiteral("Again"), 20, 100));
    pdf.clearClip();
    pdf.drawText(text(QStringLiteral("Free"), 20, 200));
    pdf.setClip(QRectF(0, 300, 50, 50)); // left open: the page closes it
    pdf.endPage();
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("Second"), 20, 20));
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("clip.pdf")));
    const QByteArray content = firstPageContent(bytes);
    EXPECT_TRUE(content.contains("\r\nq 10.0000 781.8888 100.0000 50.0000 re W n"))
        << content.constData();
    EXPECT_TRUE(content.contains("\r\nQ\r\nq 20.0000 701.8888 30.0000 40.0000 re W n"));
    EXPECT_TRUE(content.endsWith("re W n\r\nQ\r\nQ\r\n")) << content.constData();
    // Every "q" has its "Q", so the next page starts with a clean graphics state.
    auto count = [&](const QRegularExpression& re) {
        return int(QString::fromLatin1(content).count(re));
    };
    EXPECT_EQ(count(QRegularExpression(QStringLiteral("(^|\\s)q(\\s|$)"))),
              count(QRegularExpression(QStringLiteral("(^|\\s)Q(\\s|$)"))));
    EXPECT_TRUE(textOf(m_dir.filePath(QStringLiteral("clip.pdf"))).contains("Second"));
}

TEST_F(PdfEngine, BackgroundColourAndPictureFillEveryPage) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("background.pdf"));
    pdf.Compression.Enabled = false;
    pdf.BackgroundColor = QColor(255, 255, 204);
    QImage paper(8, 8, QImage::Format_RGB32);
    paper.fill(QColor(250, 250, 240));
    pdf.BackgroundImage = paper;
    ASSERT_TRUE(pdf.beginDoc());
    for (int page = 0; page < 2; ++page) {
        pdf.beginPage();
        pdf.endPage();
    }
    ASSERT_TRUE(pdf.endDoc());
    const QByteArray bytes = readBytes(m_dir.filePath(QStringLiteral("background.pdf")));
    EXPECT_EQ(countOf(bytes, "/Name/Img0/"), 1);
    EXPECT_TRUE(objectText(bytes, 5).contains(" /Img0 "));
    EXPECT_TRUE(firstPageContent(bytes).contains("1.0000 1.0000 0.8000 rg n 0.0000 0.0000 595.2744 "
                                                 "841.8888 re f q 595.2744 0 0 841.8888 0 0 cm "
                                                 "/Img0 Do Q\r\nQ"));
}

TEST_F(PdfEngine, TrueTypeEmbeddingAsAsked) {
    if (!haveTool(QStringLiteral("pdffonts")))
        GTEST_SKIP() << "pdffonts is not installed";
    struct Case {
        TgtEmbedTrueTypeFonts mode;
        QStringList excluded;
        const char* name;     // an embedded program goes by its own name
        const char* expected; // emb and sub columns of pdffonts for the Arial font
    };
    const Case cases[] = {{etfNone, {}, "Arial ", "no  no"},
                          {etfFull, {}, "LiberationSans ", "yes no"},
                          {etfSubset, {}, "WYOIAS+LiberationSans ", "yes yes"},
                          {etfSubset, {QStringLiteral("arial")}, "Arial ", "no  no"}};
    int n = 0;
    for (const Case& c : cases) {
        TgtCustomPDFEngine pdf;
        const QString name = QStringLiteral("embed-%1.pdf").arg(n++);
        prepare(pdf, name);
        pdf.Preferences.EmbedTrueTypeFonts = c.mode;
        pdf.FontEmbedExcludeList = c.excluded;
        ASSERT_TRUE(pdf.beginDoc());
        pdf.beginPage();
        pdf.drawText(text(QStringLiteral("Invoice"), 50, 50));
        pdf.endPage();
        ASSERT_TRUE(pdf.endDoc());
        const QString fonts = runTool(QStringLiteral("pdffonts"), {m_dir.filePath(name)}).output;
        const QStringList rows = fonts.split(u'\n').filter(QStringLiteral("TrueType"));
        ASSERT_EQ(rows.size(), 1) << qPrintable(fonts);
        EXPECT_TRUE(rows[0].contains(QLatin1String(c.expected))) << qPrintable(fonts);
        EXPECT_TRUE(rows[0].startsWith(QLatin1String(c.name))) << qPrintable(fonts);
    }
}

TEST_F(PdfEngine, FontsWithoutTrueTypeOutlinesUseStandardNames) {
    const QRawFont nimbus = QRawFont::fromFont(QFont(QStringLiteral("Nimbus Sans")));
    if (nimbus.familyName() != QLatin1String("Nimbus Sans") || !nimbus.fontTable("glyf").isEmpty())
        GTEST_SKIP() << "no Type 1 Nimbus Sans installed";
    TgtCustomPDFEngine pdf;
    pdf.Compression.Enabled = false;
    TextItem item =
        text(QStringLiteral("Helvetica look-alike"), 10, 10, QStringLiteral("nimbus sans"));
    QBuffer buffer;
    writeInto(pdf, buffer);
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(item);
    item.bold = true;
    pdf.drawText(item);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    EXPECT_TRUE(buffer.data().contains(
        "/Type /Font/Subtype /Type1/Name /F0/BaseFont /Helvetica/Encoding /WinAnsiEncoding"));
    EXPECT_TRUE(buffer.data().contains("/BaseFont /Helvetica-Bold/Encoding"));
}

TEST_F(PdfEngine, RenderedPageShowsWhatWasDrawnWhereItWasDrawn) {
    if (!haveTool(QStringLiteral("pdftoppm")))
        GTEST_SKIP() << "pdftoppm is not installed";
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("render.pdf"));
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    // At 96 dots per inch: a red square from one inch to two inches, a blue hatch below it.
    pdf.drawRect(QRectF(96, 96, 96, 96), Qt::NoPen, QBrush(Qt::red));
    pdf.drawRect(QRectF(96, 288, 96, 96), QPen(Qt::black), QBrush(Qt::blue, Qt::CrossPattern));
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    pdf.drawImage(QRectF(288, 96, 96, 96), green);
    TextItem big = text(QStringLiteral("MMMM"), 288, 288, QStringLiteral("Arial"), 40);
    pdf.drawText(big);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QString prefix = m_dir.filePath(QStringLiteral("render"));
    const ToolRun run =
        runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                             QStringLiteral("72"), QStringLiteral("-singlefile"),
                                             m_dir.filePath(QStringLiteral("render.pdf")), prefix});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.output);
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.size(), QSize(596, 842));               // 595.27 by 841.89 points
    EXPECT_EQ(page.pixelColor(108, 108), QColor(Qt::red)); // inside the square
    EXPECT_EQ(page.pixelColor(60, 60), QColor(Qt::white)); // outside
    EXPECT_EQ(page.pixelColor(140, 60), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(250, 108), QColor(Qt::green)); // the picture
    int blue = 0, white = 0;
    for (int y = 220; y < 284; ++y)
        for (int x = 76; x < 140; ++x)
            (page.pixelColor(x, y).blue() > 200 && page.pixelColor(x, y).red() < 100 ? blue
                                                                                     : white)++;
    EXPECT_GT(blue, 100) << "hatch lines";
    EXPECT_GT(white, 1000) << "hatch gaps";
    int ink = 0;
    for (int y = 216; y < 256; ++y)
        for (int x = 216; x < 330; ++x)
            ink += page.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    EXPECT_GT(ink, 500) << "the letters";
}

TEST_F(PdfEngine, OtherEncodingsWriteTheirOwnCodes) {
    TgtCustomPDFEngine pdf;
    prepare(pdf, QStringLiteral("standard.pdf"));
    pdf.Compression.Enabled = false;
    pdf.FontEncoding = feStandardEncoding;
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(text(QStringLiteral("it's"), 50, 50));
    pdf.drawText(text(QString::fromUtf8("Total 1 234,50 € net"), 50, 80)); // no euro there
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    const QString file = m_dir.filePath(QStringLiteral("standard.pdf"));
    const QByteArray bytes = readBytes(file);
    EXPECT_TRUE(objectText(bytes, 9).contains("/Encoding /StandardEncoding"));
    EXPECT_TRUE(firstPageContent(bytes).contains("(it\xA9s) Tj"));
    EXPECT_TRUE(bytes.contains("/Subtype/Type0"));
    if (haveTool(QStringLiteral("pdftotext"))) {
        const QString found = textOf(file);
        EXPECT_TRUE(found.contains(QStringLiteral("it's"))) << qPrintable(found);
        EXPECT_TRUE(found.contains(QString::fromUtf8("Total 1 234,50 € net"))) << qPrintable(found);
    }
}

TEST_F(PdfEngine, ItemsWithoutAFontTakeTheDefaultFont) {
    TgtCustomPDFEngine pdf;
    pdf.Compression.Enabled = false;
    TextItem plain;
    plain.text = QStringLiteral("Default");
    plain.rect = QRectF(10, 10, 200, 20);
    QBuffer buffer;
    writeInto(pdf, buffer);
    ASSERT_TRUE(pdf.beginDoc());
    pdf.beginPage();
    pdf.drawText(plain);
    pdf.endPage();
    ASSERT_TRUE(pdf.endDoc());
    // Tahoma, height -11 at 96 dots per inch: 8 points.
    EXPECT_TRUE(firstPageContent(buffer.data()).contains("/F0 8.0000 Tf"));
    EXPECT_TRUE(objectText(buffer.data(), 9).contains("/BaseFont /Tahoma /Encoding"));
}
