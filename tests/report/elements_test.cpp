#include "report/datasource.h"
#include "report/report.h"
#include "report/units.h"

#include "support/printers.h"

#include <QBuffer>
#include <QFontInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

TEST(ReportText, ArialResolvesToLiberationSansAndMeasuresTheSameEverywhere) {
    const QFont font = deviceFont(FontSpec{}, 96);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    FontSpec arial;
    arial.size = 10;
    const double w = textWidth(QStringLiteral("Customer no:"), arial);
    // Liberation Sans advance widths are Arial's: 12293/2048 em for this caption, and 10 points
    // are 16 units.
    EXPECT_NEAR(w, 12293.0 / 2048 * 16, 0.05);
    FontSpec big = arial;
    big.size = 20;
    EXPECT_NEAR(textWidth(QStringLiteral("Customer no:"), big), 2 * w, 0.05);
    FontSpec bold = arial;
    bold.bold = true;
    EXPECT_GT(textWidth(QStringLiteral("Customer no:"), bold), w);
    EXPECT_NEAR(lineHeight(arial), (1854.0 + 434) / 2048 * 16, 0.05);
}

TEST(ReportElements, LabelsSizeThemselvesToTheirCaption) {
    Report r;
    Band* band = r.addBand(BandKind::Title, "Title", 100);
    auto* label = new Label(band, "lbA", "Due date:");
    label->setLeft(50);
    const double w = label->width();
    EXPECT_NEAR(w, textWidth("Due date:", label->font()), 1e-9);
    label->setCaption("Due date of payment:");
    EXPECT_GT(label->width(), w);
    EXPECT_DOUBLE_EQ(label->left(), 50);
    label->setFontSize(20);
    EXPECT_NEAR(label->height(), lineHeight(label->font()), 1e-9);

    // Right-aligned labels keep their right edge, centred ones their centre.
    auto* right = new Label(band, "lbRight", "abc");
    right->setAlignment(Qt::AlignRight);
    right->setLeft(100);
    const double rightEdge = right->rect().right();
    right->setCaption("a much longer text");
    EXPECT_NEAR(right->rect().right(), rightEdge, 1e-9);

    auto* fixed = new Label(band, "lbFixed", "x");
    fixed->setAutoSize(false);
    fixed->setWidth(200);
    fixed->setCaption("something else");
    EXPECT_DOUBLE_EQ(fixed->width(), 200);

    auto* empty = new Label(band, "lbEmpty");
    EXPECT_DOUBLE_EQ(empty->width(), 0);
    EXPECT_EQ(r.element<Label>("lbFixed"), fixed);
    EXPECT_EQ(r.element<DBText>("lbFixed"), nullptr);
}

TEST(ReportElements, AlignmentPlacesTextWithinFixedWidth) {
    Report r;
    Band* band = r.addBand(BandKind::Title, "Title", 40);
    auto* centred = new Label(band, "lbC", "Invoice");
    centred->setAutoSize(false);
    centred->setGeometry(100, 0, 200, 20);
    centred->setAlignment(Qt::AlignHCenter);
    auto* overlong = new Label(band, "lbLong", "a text far longer than its little box");
    overlong->setAutoSize(false);
    overlong->setGeometry(400, 0, 40, 20);
    auto* clipped = new Label(band, "lbClipped", "a text far longer than its little box");
    clipped->setAutoSize(false);
    clipped->setGeometry(400, 20, 40, 20);
    clipped->setOverflow(TextElement::Overflow::Clip);
    const PreparedPage page = r.prepare().pages.at(0);
    const PlacedElement* c = page.find("lbC");
    ASSERT_EQ(c->runs.size(), 1u);
    const double left = c->runs[0].origin.x() - c->rect.left();
    const double right = c->rect.right() - (c->runs[0].origin.x() + c->runs[0].width);
    EXPECT_NEAR(left, right, 0.01);
    EXPECT_FALSE(c->clip);
    // Too long for its box: only the words that fit are printed, nothing is cut mid-glyph.
    const PlacedElement* cut = page.find("lbLong");
    ASSERT_EQ(cut->runs.size(), 1u);
    EXPECT_EQ(cut->runs[0].text, "a text");
    EXPECT_LE(cut->runs[0].width, 40);
    EXPECT_FALSE(cut->clip);
    EXPECT_TRUE(page.find("lbClipped")->clip);
    EXPECT_EQ(page.find("lbClipped")->runs[0].text, "a text far longer than its little box");
}

TEST(ReportElements, MemoAndDataTextAndSystemData) {
    MemoryDataSource source({"Amount"});
    source.append({QVariant(12.5)});
    source.append({QVariant()});
    Report r;
    r.setDataSource(&source);
    r.setPrintDate(QDate(2026, 12, 24));
    Band* title = r.addBand(BandKind::Title, "Title", 80);
    Band* detail = r.addBand(BandKind::Detail, "Detail", 20);
    auto* memo = new Memo(title, "mBank");
    memo->setGeometry(0, 0, 200, 56);
    memo->setText("Bank one\r\nIBAN 123\nBIC X");
    EXPECT_EQ(memo->lines(), (QStringList{"Bank one", "IBAN 123", "BIC X"}));
    auto* date = new SysData(title, "sysDate", SysData::Date);
    date->setText("Printed ");
    auto* amount = new DBText(detail, "dbAmount", "amount");
    amount->setFormatter([](const QVariant& v) {
        return v.isNull() ? QString("-") : QString::number(v.toDouble(), 'f', 2);
    });
    const PreparedDocument doc = r.prepare();
    const PreparedPage& page = doc.pages.at(0);
    EXPECT_EQ(page.find("mBank")->runs.size(), 3u);
    EXPECT_EQ(page.find("sysDate")->text,
              "Printed " + QLocale().toString(QDate(2026, 12, 24), QLocale::ShortFormat));
    QStringList amounts;
    for (const PlacedElement& e : page.elements)
        if (e.name == "dbAmount")
            amounts << e.text;
    EXPECT_EQ(amounts, (QStringList{"12.50", "-"}));
}

TEST(ReportElements, PicturesLoadFromFilesAndBadFilesLeaveThemEmpty) {
    QTemporaryDir dir;
    Report r;
    Band* band = r.addBand(BandKind::Title, "Title", 200);
    auto* pic = new Picture(band, "Logga");
    pic->setGeometry(0, 0, 228, 114);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString good = dir.filePath("Logo.bmp");
    ASSERT_TRUE(image.save(good, "BMP"));
    EXPECT_TRUE(pic->loadFromFile(good));
    PreparedPage page = r.prepare().pages.at(0);
    EXPECT_EQ(page.find("Logga")->picture.size(), QSize(40, 20));
    EXPECT_EQ(page.find("Logga")->rect.size(), QSizeF(228, 114)); // stretched

    const QString bad = dir.filePath("Broken.bmp");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a picture");
    f.close();
    EXPECT_FALSE(pic->loadFromFile(bad));
    EXPECT_TRUE(pic->image().isNull());
    EXPECT_FALSE(pic->loadFromFile(dir.filePath("Missing.bmp")));
    page = r.prepare().pages.at(0);
    EXPECT_TRUE(page.find("Logga")->picture.isNull());
}

TEST(ReportElements, RichTextLoadsFromStreamsAsRtfOrHtml) {
    Report r;
    Band* band = r.addBand(BandKind::Summary, "Totals", 60);
    auto* rich = new RichText(band, "dataFreeText");
    rich->setGeometry(5, 5, 300, 40);
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Thank you for your "
                     "\\b order\\b0 !\\par Pay within 30 days.\\par}";
    QBuffer buffer(&rtf);
    ASSERT_TRUE(rich->loadFromStream(buffer));
    EXPECT_TRUE(rich->html().contains("font-weight:bold"));
    PreparedDocument doc = r.prepare();
    const PlacedElement* placed = doc.pages.at(0).find("dataFreeText");
    EXPECT_EQ(placed->text, "Thank you for your order!\nPay within 30 days.");
    bool boldRun = false;
    for (const TextRun& run : placed->runs)
        boldRun |= run.font.bold && run.text.contains("order");
    EXPECT_TRUE(boldRun);
    EXPECT_NEAR(placed->runs.front().font.size, 10, 1e-9);

    rich->setContent("<p>Hello <i>world</i></p>");
    EXPECT_EQ(r.prepare().pages.at(0).find("dataFreeText")->text, "Hello world");
    rich->setContent("plain & simple");
    EXPECT_EQ(r.prepare().pages.at(0).find("dataFreeText")->text, "plain & simple");

    // Growing downwards: a long text makes the band taller.
    rich->setAutoStretch(true);
    rich->setContent(QString("word ").repeated(200));
    doc = r.prepare();
    EXPECT_GT(doc.pages.at(0).find("Totals")->rect.height(), 60);
}
