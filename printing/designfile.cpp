#include "printing/designfile.h"

#include "printing/logging.h"
#include "report/report.h"
#include "service/service.h"
#include "service/textroutines.h"

Q_LOGGING_CATEGORY(lcPrinting, "merovia.printing", QtCriticalMsg)

using namespace report;

namespace printing {

namespace {

const QString kPage = QStringLiteral("Page");
const QString kHead = QStringLiteral("Head");
const QString kMovedFooter = QStringLiteral("Moved footer");
const QString kItemTitles = QStringLiteral("Item titles");
const QString kItems = QStringLiteral("Items");
const QString kTotals = QStringLiteral("Totals");
const QString kFooter = QStringLiteral("Footer");
const QString kExtraPages = QStringLiteral("Extra pages");

constexpr qsizetype kMaxFontNameLength = 100;

QString key(const QString& name, const char* suffix) {
    return name + QLatin1Char('.') + QLatin1String(suffix);
}

} // namespace

void placeFollower(Element* follower, const Element* caption, double gap) {
    if (!follower || !caption)
        return;
    follower->setTop(caption->top());
    follower->setLeft(caption->left() + caption->width() + gap);
    auto* f = qobject_cast<TextElement*>(follower);
    auto* c = qobject_cast<const TextElement*>(caption);
    if (f && c) {
        FontSpec font = f->font();
        font.family = c->font().family;
        font.size = c->font().size;
        font.bold = c->font().bold;
        font.italic = c->font().italic;
        font.underline = c->font().underline;
        font.strikeOut = c->font().strikeOut;
        f->setFont(font);
    }
    follower->setEnabled(caption->isEnabled());
}

DesignFile::DesignFile(const QString& fileName)
    : m_file(fileName)
    , m_country(Service::Country) {
    if (!m_file.existed())
        qCDebug(lcPrinting) << "design file" << fileName << "not found, using the defaults";
}

int DesignFile::readInt(const QString& section, const QString& k, int def) const {
    return m_file.readInteger(section, k, def);
}

bool DesignFile::readEnabled(const QString& section, const QString& name, bool def) const {
    return m_file.readBool(section, key(name, "Enabled"), def);
}

void DesignFile::applyFont(TextElement* e, const QString& section, const QString& name,
                           const Defaults& d) const {
    if (!e)
        return;
    FontSpec font = e->font();
    font.family = m_file.readString(section, key(name, "Font.Name"), QStringLiteral("Arial"));
    // No font has a name that long (the desktop's limit is 31 characters); such a value is
    // damage, and every text measured with it would look the name up in the font database.
    if (font.family.trimmed().isEmpty() || font.family.size() > kMaxFontNameLength)
        font.family = QStringLiteral("Arial");
    const FontStyles styles =
        SetStyles(m_file.readString(section, key(name, "Font.Style"), QLatin1String(d.style)));
    font.bold = styles.testFlag(FontStyle::Bold);
    font.italic = styles.testFlag(FontStyle::Italic);
    font.underline = styles.testFlag(FontStyle::Underline);
    font.strikeOut = styles.testFlag(FontStyle::StrikeOut);
    const int size = readInt(section, key(name, "Font.Size"), d.size);
    // A size of nothing (or less) would make the text vanish; it gets the default.
    font.size = size > 0 ? size : d.size;
    e->setFont(font);
    e->setEnabled(readEnabled(section, name, d.enabled));
}

void DesignFile::placeElement(Report& r, const QString& section, const QString& name,
                              const Defaults& d) const {
    Element* e = r.element(name);
    if (!e)
        return;
    e->setTop(readInt(section, key(name, "Top"), d.top));
    e->setLeft(readInt(section, key(name, "Left"), d.left));
    if (auto* t = qobject_cast<TextElement*>(e))
        applyFont(t, section, name, d);
    else
        e->setEnabled(readEnabled(section, name, d.enabled));
}

void DesignFile::applyTo(Report& r, int defaultBottomMargin) const {
    applyPage(r, defaultBottomMargin);
    applyHead(r);
    applyMovedFooter(r);
    applyItemTitles(r);
    applyItems(r);
    applyTotals(r);
    applyFooter(r);
    applyExtraPages(r);
}

void DesignFile::applyPage(Report& r, int defaultBottomMargin) const {
    const QString orientation =
        m_file.readString(kPage, QStringLiteral("Orientation"), QStringLiteral("poPortrait"));
    r.setOrientation(orientation == QLatin1String("poPortrait") ? Orientation::Portrait
                                                                : Orientation::Landscape);
    const QString paper =
        m_file.readString(kPage, QStringLiteral("PaperSize"), QStringLiteral("A4"));
    r.setPaperSize(paper == QLatin1String("A4") ? PaperSize::A4 : PaperSize::Letter);
    r.setLeftMargin(readInt(kPage, QStringLiteral("LeftMargin"), 20));
    r.setRightMargin(readInt(kPage, QStringLiteral("RightMargin"), 10));
    r.setTopMargin(readInt(kPage, QStringLiteral("TopMargin"), 20));
    r.setBottomMargin(readInt(kPage, QStringLiteral("BottomMargin"), defaultBottomMargin));
}

void DesignFile::applyHead(Report& r) const {
    if (Band* b = r.bandNamed(QStringLiteral("BandHeading")))
        b->setHeight(readInt(kHead, QStringLiteral("BandHeading.Height"), 275));
    if (Element* logo = r.element(QStringLiteral("Logga"))) {
        logo->setLeft(readInt(kHead, QStringLiteral("Logga.Left"), 0));
        logo->setTop(readInt(kHead, QStringLiteral("Logga.Top"), 0));
        logo->setEnabled(readEnabled(kHead, QStringLiteral("Logga"), true));
    }
    static const CaptionRow rows[] = {
        {"lbShortName", {0, 0, "fsBold", 14, true}, nullptr, 0},
        {"lbDocument", {4, 522, "fsBold", 14, true}, nullptr, 0},
        {"lbInvoiceNo", {32, 525, "", 10, true}, nullptr, 0},
        {"lbCustNo1", {59, 525, "", 10, true}, "lbCustNo2", 10},
        {"lbCustomer", {110, 460, "fsItalic", 10, false}, nullptr, 0},
        {"lbCust", {137, 460, "fsBold", 12, true}, nullptr, 0},
        {"lbAddressRow1", {162, 460, "", 12, true}, nullptr, 0},
        {"lbAddressRow2", {187, 460, "", 12, true}, nullptr, 0},
        {"lbAddressRow3", {202, 460, "", 12, true}, nullptr, 0},
        {"lbCustVAT1", {237, 460, "", 12, true}, "lbCustVAT2", 10},
        {"lbDate1", {146, 0, "", 10, true}, "lbDate2", 5},
        {"lbDueDate1Head", {166, 0, "", 10, true}, "lbDueDate2Head", 10},
        {"lbYourRef1", {233, 0, "", 10, true}, "lbYourRef2", 10},
        {"lbOurRef1", {255, 0, "", 10, true}, "lbOurRef2", 10},
    };
    applyRows(r, kHead, rows, std::size(rows));
}

void DesignFile::applyRows(Report& r, const QString& section, const CaptionRow* rows, size_t count,
                           const std::function<void(Element*, Element*)>& adjust) const {
    for (size_t i = 0; i < count; ++i) {
        const CaptionRow& row = rows[i];
        const QString name = QLatin1String(row.name);
        placeElement(r, section, name, row.d);
        Element* caption = r.element(name);
        Element* follower = row.follower ? r.element(QLatin1String(row.follower)) : nullptr;
        if (adjust && caption)
            adjust(caption, follower);
        if (follower)
            placeFollower(follower, caption, row.gap);
    }
}

void DesignFile::applyMovedFooter(Report& r) const {
    static const CaptionRow rows[] = {
        {"lbCompanyNameHead", {4, 0, "fsBold", 9, true}, nullptr, 0},
        {"lbCompanyAddressHead", {23, 0, "", 9, true}, nullptr, 0},
        {"lbCompanyCityHead", {42, 0, "", 9, true}, nullptr, 0},
        {"lbCompanyVATno1Head", {7, 0, "", 9, true}, "lbCompanyVATno2Head", 5},
        {"lbPhone1Head", {4, 315, "", 9, true}, "lbCompanyPhoneHead", 5},
        {"lbFax1Head", {23, 315, "", 9, true}, "lbCompanyFaxHead", 5},
        {"lbCompanyEmailHead", {42, 315, "", 9, true}, nullptr, 0},
        {"lbBank1Head", {6, 628, "", 9, true}, "mCompanyBankHead", 5},
    };
    const double vatWidth = m_country == QLatin1String("CA") ? 80 : 60;
    applyRows(r, kMovedFooter, rows, std::size(rows), [&](Element* caption, Element* follower) {
        if (caption->objectName() == QLatin1String("lbCompanyVATno1Head"))
            caption->setWidth(vatWidth);
        if (follower && follower->objectName() == QLatin1String("mCompanyBankHead"))
            follower->setWidth(
                readInt(kMovedFooter, QStringLiteral("mCompanyBankHead.Width"), 200));
    });
}

void DesignFile::applyItemTitles(Report& r) const {
    if (Band* b = r.bandNamed(QStringLiteral("BandTitles")))
        b->setHeight(readInt(kItemTitles, QStringLiteral("BandTitles.Height"), 30));
    struct Title {
        const char* name;
        int width;
    };
    static const Title titles[] = {{"lbItem", 35}, {"lbCode", 100}, {"lbDescription", 235},
                                   {"lbQty", 65},  {"lbUnit", 50},  {"lbPrice", 110},
                                   {"lbDisc", 25}, {"lbVAT", 40},   {"lbSum", 110}};
    const Defaults d{0, 0, "fsBold", 8, true};
    Element* previous = nullptr;
    double top = 0;
    for (const Title& t : titles) {
        const QString name = QLatin1String(t.name);
        Element* e = r.element(name);
        const int width = readInt(kItemTitles, key(name, "Width"), t.width);
        if (!previous) {
            top = readInt(kItemTitles, QStringLiteral("lbItem.Top"), 0);
            const int left = readInt(kItemTitles, QStringLiteral("lbItem.Left"), 2);
            if (e) {
                e->setTop(top);
                e->setLeft(left);
            }
        } else if (e) {
            e->setTop(top);
            e->setLeft(previous->left() + previous->width() + 5);
        }
        if (!e)
            continue;
        e->setWidth(width);
        applyFont(qobject_cast<TextElement*>(e), kItemTitles, name, d);
        previous = e;
    }
}

void DesignFile::applyItems(Report& r) const {
    if (Band* b = r.bandNamed(QStringLiteral("BandItems")))
        b->setHeight(readInt(kItems, QStringLiteral("BandItems.Height"), 28));
    const int top = readInt(kItems, QStringLiteral("dbItem.Top"), 0);
    static const char* const rows[][2] = {
        {"dbItem", "lbItem"}, {"lbCode2", "lbCode"}, {"dbDescription", "lbDescription"},
        {"dbQty", "lbQty"},   {"dbUnit", "lbUnit"},  {"dbPrice", "lbPrice"},
        {"dbDisc", "lbDisc"}, {"dbVAT", "lbVAT"},    {"dbSum", "lbSum"}};
    const Defaults d{0, 0, "", 10, true};
    for (const auto& row : rows) {
        const QString name = QLatin1String(row[0]);
        auto* e = r.element<TextElement>(name);
        if (!e)
            continue;
        applyFont(e, kItems, name, d);
        e->setTop(top);
        if (const Element* title = r.element(QLatin1String(row[1]))) {
            e->setLeft(title->left());
            e->setWidth(title->width());
        }
    }
    // This key is kept in this section, not under Totals.
    if (Band* b = r.bandNamed(QStringLiteral("BandTotals")))
        b->setHeight(readInt(kItems, QStringLiteral("BandTotals.Height"), 116));
}

void DesignFile::applyTotals(Report& r) const {
    placeElement(r, kTotals, QStringLiteral("lbTerms1"), {30, 5, "", 10, true});
    Element* terms2 = r.element(QStringLiteral("lbTerms2"));
    placeFollower(terms2, r.element(QStringLiteral("lbTerms1")), 5);
    if (Element* terms3 = r.element(QStringLiteral("lbTerms3")); terms3 && terms2) {
        placeFollower(terms3, terms2, 0);
        terms3->setLeft(terms2->left() + 30);
    }
    placeElement(r, kTotals, QStringLiteral("lbDueDate1"), {38, 5, "", 10, true});
    placeFollower(r.element(QStringLiteral("lbDueDate2")), r.element(QStringLiteral("lbDueDate1")),
                  5);
    placeElement(r, kTotals, QStringLiteral("lbSum1"), {38, 5, "", 14, true});
    placeFollower(r.element(QStringLiteral("lbSum2")), r.element(QStringLiteral("lbSum1")), 10);
    placeElement(r, kTotals, QStringLiteral("lbVAT1"), {38, 5, "", 14, true});
    if (Element* vat1 = r.element(QStringLiteral("lbVAT1")))
        vat1->setWidth(m_country == QLatin1String("CA") ? 75 : 53);
    placeFollower(r.element(QStringLiteral("lbVAT2")), r.element(QStringLiteral("lbVAT1")), 10);
    placeElement(r, kTotals, QStringLiteral("lbTotal1"), {38, 5, "fsBold", 14, true});
    placeFollower(r.element(QStringLiteral("lbTotal2")), r.element(QStringLiteral("lbTotal1")), 10);
    if (Element* memo = r.element(QStringLiteral("dataFreeText"))) {
        memo->setTop(readInt(kTotals, QStringLiteral("qrMemo1.Top"), 55));
        memo->setLeft(readInt(kTotals, QStringLiteral("qrMemo1.Left"), 5));
        memo->setHeight(readInt(kTotals, QStringLiteral("qrMemo1.Height"), 56));
        memo->setWidth(readInt(kTotals, QStringLiteral("qrMemo1.Width"), 600));
        memo->setEnabled(readEnabled(kTotals, QStringLiteral("qrMemo1"), true));
    }
    if (Element* code = r.element(QStringLiteral("EPCQRCode"))) {
        code->setTop(readInt(kTotals, QStringLiteral("EPCQRCode.Top"), 5));
        code->setLeft(readInt(kTotals, QStringLiteral("EPCQRCode.Left"), 726));
        // A square: the width is its side.
        const int side = std::max(20, readInt(kTotals, QStringLiteral("EPCQRCode.Width"), 90));
        code->setWidth(side);
        code->setHeight(side);
        code->setEnabled(readEnabled(kTotals, QStringLiteral("EPCQRCode"), true));
    }
}

void DesignFile::applyFooter(Report& r) const {
    if (Band* b = r.bandNamed(QStringLiteral("BandFooter")))
        b->setEnabled(readEnabled(kFooter, QStringLiteral("BandFooter"), true));
    static const CaptionRow rows[] = {
        {"lbCompanyName", {3, 10, "", 8, true}, nullptr, 0},
        {"lbCompanyAddress", {15, 10, "", 8, true}, nullptr, 0},
        {"lbCompanyCity", {30, 10, "", 8, true}, nullptr, 0},
        {"lbPhone1", {3, 350, "", 8, true}, "lbCompanyPhone", 5},
        {"lbFax1", {15, 350, "", 8, true}, "lbCompanyFax", 5},
        {"lbCompanyEmail", {30, 350, "", 8, true}, nullptr, 0},
        {"lbCompanyVATno1", {45, 350, "", 8, true}, "lbCompanyVATno2", 5},
        {"lbBank1", {3, 575, "", 8, true}, nullptr, 0},
        {"mCompanyBank", {3, 625, "", 8, true}, nullptr, 0},
    };
    const double vatWidth = m_country == QLatin1String("CA") ? 80 : 60;
    applyRows(r, kFooter, rows, std::size(rows), [&](Element* caption, Element*) {
        if (caption->objectName() == QLatin1String("lbCompanyVATno1")) {
            caption->setWidth(vatWidth);
        } else if (caption->objectName() == QLatin1String("mCompanyBank")) {
            caption->setHeight(readInt(kFooter, QStringLiteral("mCompanyBank.Height"), 56));
            caption->setWidth(readInt(kFooter, QStringLiteral("mCompanyBank.Width"), 200));
        }
    });
}

void DesignFile::applyExtraPages(Report& r) const {
    if (Band* b = r.bandNamed(QStringLiteral("BandNewPage"))) {
        b->setHeight(readInt(kExtraPages, QStringLiteral("BandNewPage.Height"), 48));
        b->setEnabled(readEnabled(kExtraPages, QStringLiteral("BandNewPage"), true));
    }
    placeElement(r, kExtraPages, QStringLiteral("lbInvNoP1"), {5, 5, "", 10, true});
    placeFollower(r.element(QStringLiteral("lbInvNoP2")), r.element(QStringLiteral("lbInvNoP1")),
                  10);
    placeElement(r, kExtraPages, QStringLiteral("lbPage"), {5, 300, "", 10, true});
    placeFollower(r.element(QStringLiteral("sysPageNo")), r.element(QStringLiteral("lbPage")), 10);
}

} // namespace printing
