#include "settings/documentdata.h"
#include "settings/programsetup.h"
#include "settings/radiogroup.h"

#include "service/service.h"
#include "service/settingsfile.h"

#include "settingstest.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kSetup = QStringLiteral("TfmDocumentdata");
const QString kInvoice = QStringLiteral("Invoice");

QLineEdit* lineEdit(QWidget* w, const char* name) {
    return control<QLineEdit>(w, name);
}

QCheckBox* box(QWidget* w, const char* name) {
    return control<QCheckBox>(w, name);
}

QPlainTextEdit* memo(QWidget* w, const char* name) {
    return control<QPlainTextEdit>(w, name);
}

RadioGroup* invoiceNumbers(QWidget* w) {
    return w->findChild<RadioGroup*>(QStringLiteral("rgInvNo"));
}

class SetupFile {
public:
    explicit SetupFile(const TempDataDir& dir)
        : m_path(dir.file(QLatin1String(Service::kInvoiceIni))) {}
    QString value(const char* key) const {
        return storedValue(m_path, QStringLiteral("Invoice"), QLatin1String(key));
    }
    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// Restores the default locale however a test ends.
struct LocaleGuard {
    QLocale saved;
    ~LocaleGuard() { QLocale::setDefault(saved); }
};

} // namespace

TEST(ProgramSetup, MissingOrEmptyFileShowsDefaultsAndClosingWritesEveryKey) {
    for (const bool emptyFile : {false, true}) {
        SCOPED_TRACE(emptyFile ? "empty file" : "missing file");
        TempDataDir dir;
        if (emptyFile)
            dir.writeFile(QLatin1String(Service::kInvoiceIni), "");
        runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
            EXPECT_EQ(invoiceNumbers(w)->itemIndex(), 0);
            EXPECT_EQ(lineEdit(w, "edNextInvNo")->text(), QStringLiteral("1"));
            EXPECT_TRUE(lineEdit(w, "edNextInvNo")->isHidden());
            EXPECT_EQ(lineEdit(w, "edTerms")->text(), QStringLiteral("0"));
            EXPECT_EQ(lineEdit(w, "edCopies")->text(), QStringLiteral("1"));
            EXPECT_EQ(lineEdit(w, "edRemind1Days")->text(), QStringLiteral("10"));
            EXPECT_EQ(lineEdit(w, "edRemind2Days")->text(), QStringLiteral("20"));
            EXPECT_EQ(lineEdit(w, "edRemind3Days")->text(), QStringLiteral("30"));
            EXPECT_EQ(memo(w, "mRemind1Text")->toPlainText(),
                      ProgramSetup::kDefaultReminderTexts[0]);
            EXPECT_EQ(memo(w, "mRemind3Text")->toPlainText(),
                      ProgramSetup::kDefaultReminderTexts[2]);
            EXPECT_TRUE(lineEdit(w, "edInterestrate")->text().isEmpty());
            EXPECT_TRUE(lineEdit(w, "edInvCharge")->text().isEmpty());
            EXPECT_TRUE(lineEdit(w, "edThreshold")->text().isEmpty());
            EXPECT_EQ(lineEdit(w, "edNextCustNo")->text(), QStringLiteral("1"));
            EXPECT_TRUE(lineEdit(w, "edNextCustNo")->isHidden());
            EXPECT_FALSE(box(w, "cbVAT")->isChecked());
            EXPECT_TRUE(box(w, "cbPrices")->isHidden());
        });
        const SetupFile file(dir);
        const QStringList expected{"Autonum=0",
                                   "LastTotalSeqNo=0",
                                   "Terms=0",
                                   "Copies=1",
                                   "pdf=0",
                                   "Disc=0",
                                   "VAT=0",
                                   "VATinPrice=0",
                                   "Rounding=0",
                                   "AutoCust=0",
                                   "LastCustNo=0",
                                   "Reminder1Days=10",
                                   "Reminder2Days=20",
                                   "Reminder3Days=30",
                                   "Interestrate=0",
                                   "InvoiceCharge=0",
                                   "Threshold=0",
                                   "DesignName=",
                                   "DesignFile=",
                                   "FreeText="};
        const QStringList written = SettingsFile(file.path()).readSectionValues(kInvoice);
        for (const QString& line : expected)
            EXPECT_TRUE(written.contains(line)) << line.toStdString();
        EXPECT_EQ(file.value("Reminder2Text"), ProgramSetup::kDefaultReminderTexts[1]);
        EXPECT_EQ(written.size(), expected.size() + 3);
    }
}

TEST(ProgramSetup, ClearedNextInvoiceNumberStoresMinusOneAndShowsZeroNextTime) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nAutonum=2\nLastTotalSeqNo=41\nLastDaySeqNo=7\n"
                  "LastDate=2026-03-01\n[Other]\nKeep=me\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_EQ(invoiceNumbers(w)->itemIndex(), 2);
        EXPECT_FALSE(lineEdit(w, "edNextInvNo")->isHidden());
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->text(), QStringLiteral("42"));
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->focusPolicy(), Qt::ClickFocus);
        lineEdit(w, "edNextInvNo")->clear();
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("LastTotalSeqNo"), QStringLiteral("-1"));
    // Keys and sections of other writers stay.
    EXPECT_EQ(file.value("LastDaySeqNo"), QStringLiteral("7"));
    EXPECT_EQ(file.value("LastDate"), QStringLiteral("2026-03-01"));
    EXPECT_EQ(storedValue(file.path(), QStringLiteral("Other"), QStringLiteral("Keep")),
              QStringLiteral("me"));
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->text(), QStringLiteral("0"));
    });
}

TEST(ProgramSetup, InvalidNumbersAreReplacedAndTheReplacementIsWritten) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nAutonum=9\nTerms=abc\nCopies=\nLastCustNo=x\nReminder2Days=1.5\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        // Unreadable values show their defaults.
        EXPECT_EQ(invoiceNumbers(w)->itemIndex(), 0);
        EXPECT_EQ(lineEdit(w, "edTerms")->text(), QStringLiteral("0"));
        EXPECT_EQ(lineEdit(w, "edCopies")->text(), QStringLiteral("1"));
        EXPECT_EQ(lineEdit(w, "edRemind2Days")->text(), QStringLiteral("20"));
        // Leaving the copies box puts right what is not a whole number at once.
        lineEdit(w, "edCopies")->setText(QStringLiteral("two"));
        w->edCopiesExit();
        EXPECT_EQ(lineEdit(w, "edCopies")->text(), QStringLiteral("1"));
        lineEdit(w, "edCopies")->setText(QStringLiteral("3x"));
        lineEdit(w, "edTerms")->clear();
        lineEdit(w, "edNextCustNo")->clear();
        lineEdit(w, "edRemind1Days")->setText(QStringLiteral("ten"));
        lineEdit(w, "edRemind3Days")->setText(QStringLiteral(" 45 "));
        lineEdit(w, "edInvCharge")->setText(QStringLiteral("abc"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("Autonum"), QStringLiteral("0"));
    EXPECT_EQ(file.value("Copies"), QStringLiteral("1"));
    EXPECT_EQ(file.value("Terms"), QStringLiteral("0"));
    EXPECT_EQ(file.value("LastCustNo"), QStringLiteral("-1"));
    EXPECT_EQ(file.value("Reminder1Days"), QStringLiteral("0"));
    EXPECT_EQ(file.value("Reminder3Days"), QStringLiteral("45"));
    EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("0"));

    // A counter at the bottom of the range has no "next number - 1" and is replaced too.
    EXPECT_EQ(ProgramSetup::wholeNumberOr(QStringLiteral("-2147483648"), QStringLiteral("0"), -1),
              QStringLiteral("0"));
    EXPECT_EQ(ProgramSetup::wholeNumberOr(QStringLiteral("-2147483647"), QStringLiteral("0"), -1),
              QStringLiteral("-2147483647"));
    EXPECT_EQ(ProgramSetup::wholeNumberOr(QStringLiteral("99999999999"), QStringLiteral("1")),
              QStringLiteral("1"));
}

TEST(ProgramSetup, MasksTakeOnlyTheirDigits) {
    TempDataDir dir;
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        QLineEdit* terms = lineEdit(w, "edTerms");
        terms->clear();
        QTest::keyClicks(terms, QStringLiteral("3a-07"));
        EXPECT_EQ(terms->text(), QStringLiteral("30"));
        box(w, "cbAutoCustNo")->setChecked(true);
        QLineEdit* customer = lineEdit(w, "edNextCustNo");
        customer->clear();
        QTest::keyClicks(customer, QStringLiteral("12x345678"));
        EXPECT_EQ(customer->text(), QStringLiteral("12345"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("Terms"), QStringLiteral("30"));
    EXPECT_EQ(file.value("AutoCust"), QStringLiteral("1"));
    EXPECT_EQ(file.value("LastCustNo"), QStringLiteral("12344"));
}

TEST(ProgramSetup, StoredValuesLongerThanTheMaskAreNotCut) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nTerms=120\nAutoCust=1\nLastCustNo=123456\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_EQ(lineEdit(w, "edTerms")->text(), QStringLiteral("120"));
        EXPECT_EQ(lineEdit(w, "edNextCustNo")->text(), QStringLiteral("123457"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("Terms"), QStringLiteral("120"));
    EXPECT_EQ(file.value("LastCustNo"), QStringLiteral("123456"));
}

TEST(ProgramSetup, SwitchesShowTheirControlsAndChangeTheGlobalsAtOnce) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nVAT=1\nVATinPrice=1\npdf=0\nDisc=5\nAutoCust=1\nLastCustNo=99\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_TRUE(Service::VAT);
        EXPECT_TRUE(Service::VATinPrice);
        EXPECT_TRUE(Service::Disc); // any non-zero integer is true
        EXPECT_FALSE(lineEdit(w, "edNextCustNo")->isHidden());
        EXPECT_EQ(lineEdit(w, "edNextCustNo")->text(), QStringLiteral("100"));

        box(w, "cbPdf")->click();
        EXPECT_TRUE(Service::Pdf);
        box(w, "cbDisc")->click();
        EXPECT_FALSE(Service::Disc);
        box(w, "cbVAT")->click();
        EXPECT_FALSE(Service::VAT);
        EXPECT_TRUE(box(w, "cbPrices")->isHidden());
        EXPECT_TRUE(box(w, "cbPrices")->isChecked());
        box(w, "cbVAT")->click();
        EXPECT_FALSE(box(w, "cbPrices")->isHidden());
        box(w, "cbPrices")->click();
        EXPECT_FALSE(Service::VATinPrice);
        box(w, "cbPrices")->click();
        box(w, "cbVAT")->click();

        invoiceNumbers(w)->button(2)->click();
        EXPECT_FALSE(lineEdit(w, "edNextInvNo")->isHidden());
        invoiceNumbers(w)->button(1)->click();
        EXPECT_TRUE(lineEdit(w, "edNextInvNo")->isHidden());
        box(w, "cbAutoCustNo")->click();
        EXPECT_TRUE(lineEdit(w, "edNextCustNo")->isHidden());
    });
    const SetupFile file(dir);
    // The prices box is hidden with VAT off, but its state is still what gets stored.
    EXPECT_EQ(file.value("VAT"), QStringLiteral("0"));
    EXPECT_EQ(file.value("VATinPrice"), QStringLiteral("1"));
    EXPECT_EQ(file.value("pdf"), QStringLiteral("1"));
    EXPECT_EQ(file.value("Disc"), QStringLiteral("0"));
    EXPECT_EQ(file.value("Autonum"), QStringLiteral("1"));
    EXPECT_EQ(file.value("AutoCust"), QStringLiteral("0"));
    EXPECT_EQ(file.value("LastCustNo"), QStringLiteral("99"));
}

TEST(ProgramSetup, TaxCaptionsFollowTheCountryAndUsHasNoVat) {
    struct Case {
        const char* country;
        const char* vat;
        const char* hint;
        const char* prices;
    };
    for (const Case& c :
         {Case{"CA", "Use GST/HST", "Suggest GST/HST when invoicing", "Prices incl. GST/HST"},
          Case{"NZ", "Use GST", "Suggest GST when invoicing", "Prices incl. GST"},
          Case{"AU", "Use GST", "Suggest GST when invoicing", "Prices incl. GST"},
          Case{"SG", "Use GST", "Suggest GST when invoicing", "Prices incl. GST"},
          Case{"GB", "Use VAT", "Suggest VAT when invoicing", "Prices incl. VAT"},
          Case{"SE", "Use VAT", "Suggest VAT when invoicing", "Prices incl. VAT"}}) {
        SCOPED_TRACE(c.country);
        TempDataDir dir;
        Service::Country = QLatin1String(c.country);
        dir.writeFile(QLatin1String(Service::kInvoiceIni), "[Invoice]\nVAT=1\n");
        runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
            EXPECT_EQ(box(w, "cbVAT")->text(), QLatin1String(c.vat));
            EXPECT_EQ(box(w, "cbVAT")->toolTip(), QLatin1String(c.hint));
            EXPECT_EQ(box(w, "cbPrices")->text(), QLatin1String(c.prices));
            EXPECT_EQ(box(w, "cbPrices")->toolTip(),
                      QStringLiteral("The price of an article incudes tax."));
            EXPECT_FALSE(box(w, "cbVAT")->isHidden());
        });
        EXPECT_EQ(SetupFile(dir).value("VAT"), QStringLiteral("1"));
    }

    TempDataDir dir;
    Service::Country = QStringLiteral("US");
    dir.writeFile(QLatin1String(Service::kInvoiceIni), "[Invoice]\nVAT=1\nVATinPrice=1\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_TRUE(box(w, "cbVAT")->isHidden());
        EXPECT_TRUE(box(w, "cbPrices")->isHidden());
        EXPECT_FALSE(Service::VAT);
    });
    EXPECT_EQ(SetupFile(dir).value("VAT"), QStringLiteral("0"));
    EXPECT_FALSE(Service::VAT);
}

TEST(ProgramSetup, RemindersOfSeveralLinesComeBackUnchanged) {
    TempDataDir dir;
    const QString first = QStringLiteral("Dear customer,\n\nplease pay C:\\Invoices\\n1 now.\n");
    const QString third = QStringLiteral("Last\tone\nfinal line");
    runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
        memo(w, "mRemind1Text")->setPlainText(first);
        memo(w, "mRemind2Text")->clear();
        memo(w, "mRemind3Text")->setPlainText(third);
    });
    // Each text is one line of the file.
    EXPECT_FALSE(SetupFile(dir).value("Reminder1Text").contains(QLatin1Char('\n')));
    EXPECT_EQ(dir.readFile(QLatin1String(Service::kInvoiceIni)).count('\n'), 24);
    // An emptied text stays empty rather than falling back to the default.
    EXPECT_EQ(SetupFile(dir).value("Reminder2Text"), QString());
    runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
        EXPECT_EQ(memo(w, "mRemind1Text")->toPlainText(), first);
        EXPECT_EQ(memo(w, "mRemind2Text")->toPlainText(), QString());
        EXPECT_EQ(memo(w, "mRemind3Text")->toPlainText(), third);
    });
}

TEST(ProgramSetup, DecimalFieldsFollowTheDesktopNumberFormat) {
    LocaleGuard guard;
    auto typeAndClose = [](const QString& rate, const QString& charge, const QString& threshold) {
        runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
            lineEdit(w, "edInterestrate")->setText(rate);
            lineEdit(w, "edInvCharge")->setText(charge);
            lineEdit(w, "edThreshold")->setText(threshold);
        });
    };
    {
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        TempDataDir dir;
        typeAndClose(QStringLiteral("8,5"), QStringLiteral("50"), QStringLiteral("1.000,00"));
        const SetupFile file(dir);
        EXPECT_EQ(file.value("Interestrate"), QStringLiteral("8,5"));
        EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("50"));
        EXPECT_EQ(file.value("Threshold"), QStringLiteral("0"));
        // Read back as typed, not reformatted.
        runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
            EXPECT_EQ(lineEdit(w, "edInterestrate")->text(), QStringLiteral("8,5"));
        });
    }
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TempDataDir dir;
        typeAndClose(QStringLiteral("8,5"), QStringLiteral("12.50"), QStringLiteral(""));
        const SetupFile file(dir);
        EXPECT_EQ(file.value("Interestrate"), QStringLiteral("0"));
        EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("12.50"));
        EXPECT_EQ(file.value("Threshold"), QStringLiteral("0"));
    }
}

TEST(ProgramSetup, DesignAndFreeTextGoThroughTheOpenWindow) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nDesignName=Classic\nDesignFile=/old/Classic.ini\nFreeText=Stored\n");
    Service::FriTextNamn = QStringLiteral("Chosen");
    HelpRecorder help;
    EXPECT_EQ(fmDocumentdata, nullptr);
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        ASSERT_EQ(fmDocumentdata, w);
        EXPECT_EQ(lineEdit(w, "edInvoiceDesign")->text(), QStringLiteral("Classic"));
        EXPECT_EQ(w->FDesignFile, QStringLiteral("/old/Classic.ini"));
        // The free text box shows the selection of this run, not the stored name.
        EXPECT_EQ(lineEdit(w, "edFreeText")->text(), QStringLiteral("Chosen"));
        EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("btnInvoiceDesign"))->isEnabled());
        EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("Button1"))->isEnabled());
        // What the design selection does when it saves a choice.
        fmDocumentdata->FDesignName = QStringLiteral("Modern");
        fmDocumentdata->FDesignFile = QStringLiteral("/data/Modern.ini");
        fmDocumentdata->showDesignAndFreeText();
        EXPECT_EQ(lineEdit(w, "edInvoiceDesign")->text(), QStringLiteral("Modern"));
        w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
    });
    EXPECT_EQ(fmDocumentdata, nullptr);
    EXPECT_EQ(help.contexts(), QList<int>({330}));
    const SetupFile file(dir);
    EXPECT_EQ(file.value("DesignName"), QStringLiteral("Modern"));
    EXPECT_EQ(file.value("DesignFile"), QStringLiteral("/data/Modern.ini"));
    EXPECT_EQ(file.value("FreeText"), QStringLiteral("Chosen"));
}

TEST(ProgramSetup, AFileThatCannotBeWrittenIsReported) {
    TempDataDir dir;
    Service::DataDir = dir.file(QStringLiteral("no/such/folder"));
    MessageRecorder messages;
    runWindow<TfmDocumentdata>(
        kSetup, [](TfmDocumentdata* w) { lineEdit(w, "edTerms")->setText(QStringLiteral("30")); });
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("The program settings could not")));
}
