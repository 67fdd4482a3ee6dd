#include "settings/company.h"
#include "settings/companydata.h"

#include "service/service.h"
#include "service/settingsfile.h"

#include "settingstest.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

const QString kCompany = QStringLiteral("TfmCompany");

QLineEdit* field(QWidget* w, const char* name) {
    return control<QLineEdit>(w, name);
}

QLabel* caption(QWidget* w, const char* name) {
    return control<QLabel>(w, name);
}

QPlainTextEdit* bank(QWidget* w) {
    return w->findChild<QPlainTextEdit*>(QStringLiteral("mCompanyBank"));
}

QString stored(const TempDataDir& dir, const char* key) {
    return storedValue(dir.file(QLatin1String(Service::kCompanyIni)), QStringLiteral("Company"),
                       QLatin1String(key));
}

} // namespace

TEST(CompanyData, FieldsAndCaptionsFollowTheCountry) {
    struct Case {
        const char* country;
        const char* zip;   // nullptr: hidden
        const char* state; // nullptr: hidden
        const char* vat;   // nullptr: hidden
    };
    for (const Case& c :
         {Case{"US", "Zip:", "State:", nullptr}, Case{"NZ", nullptr, nullptr, "GST number:"},
          Case{"AU", "Postcode:", "State:", "ABN number:"},
          Case{"GB", "Postcode:", "County:", "VAT number:"},
          Case{"ZA", "Postcode:", nullptr, "VAT number:"},
          Case{"CA", "Postcode:", nullptr, "Business number:"},
          Case{"SE", "Postcode:", nullptr, "VAT number:"}}) {
        SCOPED_TRACE(c.country);
        TempDataDir dir;
        Service::Country = QLatin1String(c.country);
        HelpRecorder help;
        runWindow<TfmCompany>(kCompany, [&](TfmCompany* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Company data"));
            EXPECT_EQ(caption(w, "lbHeading")->text(),
                      QStringLiteral("This is company data to be printed on the invoices"));
            EXPECT_TRUE(field(w, "edCompanyname")->isEnabled());
            auto check = [&](const char* fieldName, const char* labelName, const char* text) {
                SCOPED_TRACE(fieldName);
                EXPECT_EQ(field(w, fieldName)->isHidden(), text == nullptr);
                EXPECT_EQ(caption(w, labelName)->isHidden(), text == nullptr);
                if (text) {
                    EXPECT_EQ(caption(w, labelName)->text(), QLatin1String(text));
                }
            };
            check("edCompanyZip", "lbCompanyZip", c.zip);
            check("edCompanyState", "lbCompanyState", c.state);
            check("edVATnumber", "lbVATnumber", c.vat);
            EXPECT_EQ(caption(w, "lbCompanyEmail")->text(), QStringLiteral("E-mail:"));
            w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
        });
        EXPECT_EQ(help.contexts(), QList<int>({160}));
    }
}

TEST(CompanyData, HiddenRowsLeaveNoGap) {
    TempDataDir dir;
    Service::Country = QStringLiteral("NZ");
    runWindow<TfmCompany>(kCompany, [](TfmCompany* w) {
        const int address = field(w, "edCompanyAddress")->y();
        const int city = field(w, "edCompanyCity")->y();
        const int phone = field(w, "edCompanyPhone")->y();
        EXPECT_GT(city, address);
        EXPECT_EQ(phone - city, city - address);
        EXPECT_EQ(caption(w, "lbCompanyPhone")->geometry().center().y(),
                  field(w, "edCompanyPhone")->geometry().center().y());
    });
}

TEST(CompanyData, HiddenFieldsAreWrittenBackUnchangedAndOtherSectionsStay) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kCompanyIni),
                  "[Printer]\nTray=2\n[Company]\nName=Old\nZip=1010\nState=Auckland\n");
    Service::Country = QStringLiteral("NZ");
    Service::GetCompany();
    runWindow<TfmCompany>(kCompany, [](TfmCompany* w) {
        EXPECT_EQ(field(w, "edCompanyname")->text(), QStringLiteral("Old"));
        field(w, "edCompanyname")->setText(QStringLiteral("Kiwi Ltd"));
        field(w, "edVATnumber")->setText(QStringLiteral("123-456-789"));
    });
    EXPECT_EQ(stored(dir, "Name"), QStringLiteral("Kiwi Ltd"));
    EXPECT_EQ(stored(dir, "Zip"), QStringLiteral("1010"));
    EXPECT_EQ(stored(dir, "State"), QStringLiteral("Auckland"));
    EXPECT_EQ(stored(dir, "VATnumber"), QStringLiteral("123-456-789"));
    EXPECT_EQ(storedValue(dir.file(QLatin1String(Service::kCompanyIni)), QStringLiteral("Printer"),
                          QStringLiteral("Tray")),
              QStringLiteral("2"));
    // Every key is written, empty ones included.
    EXPECT_EQ(stored(dir, "Fax"), QString());
}

TEST(CompanyData, FieldsComeFromTheGlobalsAndGoBackOnClose) {
    TempDataDir dir;
    // The file says something else: the window shows what the program holds.
    dir.writeFile(QLatin1String(Service::kCompanyIni), "[Company]\nName=In file\n");
    Service::CompanyName = QStringLiteral("In memory");
    Service::CompanyEmail = QStringLiteral("a@b.example");
    runWindow<TfmCompany>(kCompany, [](TfmCompany* w) {
        EXPECT_EQ(field(w, "edCompanyname")->text(), QStringLiteral("In memory"));
        EXPECT_EQ(field(w, "edCompanyEmail")->text(), QStringLiteral("a@b.example"));
        field(w, "edCompanyShortName")->setText(QStringLiteral("IM"));
        field(w, "edCompanyCity")->setText(QStringLiteral("Bath"));
        field(w, "edCompanyPhone")->setText(QStringLiteral("+44 1225 000000"));
    });
    EXPECT_EQ(Service::CompanyName, QStringLiteral("In memory"));
    EXPECT_EQ(Service::CompanyShortName, QStringLiteral("IM"));
    EXPECT_EQ(Service::CompanyCity, QStringLiteral("Bath"));
    EXPECT_EQ(Service::CompanyPhone, QStringLiteral("+44 1225 000000"));
    EXPECT_EQ(stored(dir, "Name"), QStringLiteral("In memory"));
    EXPECT_EQ(stored(dir, "Shortname"), QStringLiteral("IM"));
}

TEST(CompanyData, ABankTextOfThreeLinesSurvivesARestart) {
    TempDataDir dir;
    const QString text =
        QStringLiteral("Example Bank\nIBAN GB00 EXMP 1234 5678 9012 34\nBIC EXMPGB2L");
    runWindow<TfmCompany>(kCompany, [&](TfmCompany* w) { bank(w)->setPlainText(text); });
    EXPECT_EQ(Service::CompanyBank, text);
    const QByteArray content = dir.readFile(QLatin1String(Service::kCompanyIni));
    EXPECT_EQ(content.count("IBAN GB00"), 1);
    EXPECT_FALSE(stored(dir, "Bank").contains(QLatin1Char('\n')));

    // A restart: the globals are filled from the file again.
    Service::CompanyBank.clear();
    Service::GetCompany();
    EXPECT_EQ(Service::CompanyBank, text);
    runWindow<TfmCompany>(kCompany, [&](TfmCompany* w) {
        EXPECT_EQ(bank(w)->document()->blockCount(), 3);
        EXPECT_EQ(bank(w)->toPlainText(), text);
    });
}

TEST(CompanyData, AFileThatCannotBeWrittenIsReportedButTheRunKeepsTheData) {
    TempDataDir dir;
    Service::DataDir = dir.file(QStringLiteral("missing/folder"));
    MessageRecorder messages;
    runWindow<TfmCompany>(kCompany, [](TfmCompany* w) {
        field(w, "edCompanyname")->setText(QStringLiteral("Still here"));
    });
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_EQ(Service::CompanyName, QStringLiteral("Still here"));
}

TEST(CompanyData, ElectronicInvoiceFieldsAreCheckedAndStoredWithTheOthers) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kCompanyIni), "[Company]\nName=Nord GmbH\nKeep=me\n");
    Service::Country = QStringLiteral("DE");
    Service::GetCompany();
    EXPECT_EQ(Service::CompanyCountry, QStringLiteral("DE")) << "the service country by default";
    MessageRecorder messages;
    runWindow<TfmCompany>(kCompany, [&](TfmCompany* w) {
        QLineEdit* iban = field(w, "edCompanyIBAN");
        EXPECT_EQ(field(w, "edCompanyCountry")->text(), QStringLiteral("DE"));
        EXPECT_EQ(field(w, "edCompanyCurrency")->placeholderText(), QStringLiteral("EUR"));
        // A wrong check digit is refused when the window would close, and nothing is stored.
        iban->setText(QStringLiteral("DE89 3704 0044 0532 0130 01"));
        field(w, "edCompanyBIC")->setText(QStringLiteral("COBADEFFXXX"));
        w->close();
        EXPECT_TRUE(w->isVisible());
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("IBAN: ")))
            << messages.texts()[0].toStdString();
        EXPECT_EQ(stored(dir, "IBAN"), QStringLiteral("<missing>"));
        iban->setText(QStringLiteral("de89 3704 0044 0532 0130 00"));
        field(w, "edCompanyCurrency")->setText(QStringLiteral("EU1"));
        w->close();
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(messages.texts().last().startsWith(QStringLiteral("Currency: ")));
        field(w, "edCompanyCurrency")->setText(QStringLiteral("eur"));
        field(w, "edCompanyLegalNo")->setText(QStringLiteral("HRB 12345"));
        const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
        if (!out.isEmpty())
            w->grab().save(out + QStringLiteral("/company.png"));
    });
    EXPECT_EQ(stored(dir, "IBAN"), QStringLiteral("DE89370400440532013000"));
    EXPECT_EQ(stored(dir, "BIC"), QStringLiteral("COBADEFFXXX"));
    EXPECT_EQ(stored(dir, "Currency"), QStringLiteral("EUR"));
    EXPECT_EQ(stored(dir, "LegalRegNo"), QStringLiteral("HRB 12345"));
    EXPECT_EQ(stored(dir, "CountryCode"), QStringLiteral("DE"));
    EXPECT_EQ(stored(dir, "Keep"), QStringLiteral("me")) << "unknown keys stay";
    EXPECT_EQ(Service::CompanyIBAN, QStringLiteral("DE89370400440532013000"));

    EXPECT_TRUE(CompanyData::ibanProblem(QString()).isEmpty());
    EXPECT_FALSE(CompanyData::ibanProblem(QStringLiteral("GB82 WEST 1234 5698 7654 3")).isEmpty());
    EXPECT_FALSE(CompanyData::bicProblem(QStringLiteral("ABC")).isEmpty());
    EXPECT_FALSE(CompanyData::countryCodeProblem(QStringLiteral("XX")).isEmpty());
    EXPECT_TRUE(CompanyData::countryCodeProblem(QStringLiteral("se")).isEmpty());
}
