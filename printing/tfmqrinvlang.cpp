#include "printing/tfmqrinvlang.h"

#include "printing/languages.h"
#include "report/report.h"
#include "service/service.h"

#include <QFileInfo>

using namespace report;

TfmqrInvLang::TfmqrInvLang(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmqrInvLang"), QStringLiteral("Translations")) {
    qrInvLang = new Report(this, QStringLiteral("qrInvLang"));
    qrInvLang->setTitle(QStringLiteral("Translations"));
    qrInvLang->setPaperSize(Service::Country == QLatin1String("US") ? PaperSize::Letter
                                                                    : PaperSize::A4);
    qrInvLang->setBottomMargin(Service::BottomMargin);
    qrInvLang->setTopMargin(Service::TopMargin);
    qrInvLang->setLeftMargin(Service::LeftMargin);
    qrInvLang->setRightMargin(Service::RightMargin);
    qrInvLang->setPrintIfEmpty(true);

    Band* title = qrInvLang->addBand(BandKind::Title, QStringLiteral("BandTitle"), 165);
    auto* logo = new Picture(title, QStringLiteral("Logga"));
    logo->setGeometry(0, 0, 228, 114);
    const QString logoFile = Service::filePath(Service::DataDir, QStringLiteral("Logo.bmp"));
    if (QFileInfo::exists(logoFile))
        logo->loadFromFile(logoFile);
    const double right = title->width();
    // The company name and the date end at the right margin.
    auto* date = new SysData(title, QStringLiteral("qrsysDate"), SysData::Date);
    date->setAlignment(Qt::AlignRight);
    date->setLeft(right - date->width());
    date->setTop(25);
    auto* company = new Label(title, QStringLiteral("qrlbCompanyName"), Service::CompanyName);
    company->setAlignment(Qt::AlignRight);
    company->setFontStyle(true, false);
    company->setLeft(right - company->width());
    company->setTop(0);
    auto* heading = new Label(title, QStringLiteral("QRLabel1"), QStringLiteral("Translations"));
    heading->setFontSize(16);
    heading->setFontStyle(true, false);
    heading->setGeometry(0, 120, 0, 0);
    auto* language = new Label(title, QStringLiteral("QRLabel2"));
    language->setFontSize(16);
    language->setGeometry(250, 120, 0, 0);

    Band* lines = qrInvLang->addBand(BandKind::Summary, QStringLiteral("BandTexts"), 0);
    const auto& texts = printing::languageTexts();
    const int half = 18; // the first column ends with "Unit"
    const double lineStep = 24;
    for (int i = 0; i < printing::kLanguageTextCount; ++i) {
        const printing::LanguageText& t = texts[static_cast<size_t>(i)];
        const int row = i < half ? i : i - half;
        const double x = i < half ? 0 : right / 2;
        QString captionName = QLatin1String(t.listValue);
        captionName.chop(1);
        auto* caption =
            new Label(lines, captionName + QLatin1Char('1'), QLatin1String(t.listCaption));
        caption->setGeometry(x, row * lineStep, 0, 0);
        auto* value = new Label(lines, QLatin1String(t.listValue));
        value->setFontStyle(true, false);
        value->setGeometry(x + 130, row * lineStep, 0, 0);
    }
    lines->setHeight(20 * lineStep + 10);
}

void TfmqrInvLang::setTranslations(const QString& language, const QStringList& texts) {
    if (auto* l = qrInvLang->element<Label>(QStringLiteral("QRLabel2")))
        l->setCaption(language);
    const auto& table = printing::languageTexts();
    for (int i = 0; i < printing::kLanguageTextCount; ++i)
        if (auto* l =
                qrInvLang->element<Label>(QLatin1String(table[static_cast<size_t>(i)].listValue)))
            l->setCaption(texts.value(i));
}
