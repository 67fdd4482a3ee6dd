#include "settings/documentdata.h"
#include "settings/programsetup.h"
#include "settings/radiogroup.h"

#include "db/datasetup.h"
#include "db/session.h"
#include "db/table.h"
#include "service/service.h"
#include "service/settingsfile.h"

#include "settingstest.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QApplication>
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

// Replaces what a box holds, as typing would.
void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Leaves a box the way Tab does.
void leave(QLineEdit* edit) {
    QTest::keyClick(edit, Qt::Key_Tab);
}

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

TEST(ProgramSetup, ClearedNextInvoiceNumberIsRefusedAndTheCounterKept) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nAutonum=2\nLastTotalSeqNo=41\nLastDaySeqNo=7\n"
                  "LastDate=2026-03-01\n[Other]\nKeep=me\n");
    MessageRecorder messages;
    runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
        EXPECT_EQ(invoiceNumbers(w)->itemIndex(), 2);
        EXPECT_FALSE(lineEdit(w, "edNextInvNo")->isHidden());
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->text(), QStringLiteral("42"));
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->focusPolicy(), Qt::ClickFocus);
        lineEdit(w, "edNextInvNo")->clear();
        w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(messages.texts(), QStringList({"Next invoice number: a number is needed."}));
        lineEdit(w, "edNextInvNo")->setText(QStringLiteral("42"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("LastTotalSeqNo"), QStringLiteral("41"));
    // Keys and sections of other writers stay.
    EXPECT_EQ(file.value("LastDaySeqNo"), QStringLiteral("7"));
    EXPECT_EQ(file.value("LastDate"), QStringLiteral("2026-03-01"));
    EXPECT_EQ(storedValue(file.path(), QStringLiteral("Other"), QStringLiteral("Keep")),
              QStringLiteral("me"));
}

TEST(ProgramSetup, UnreadableStoredNumbersShowTheirDefaults) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nAutonum=9\nTerms=abc\nCopies=\nLastCustNo=x\nReminder2Days=1.5\n"
                  "LastTotalSeqNo=2147483647\n");
    runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
        EXPECT_EQ(invoiceNumbers(w)->itemIndex(), 0);
        EXPECT_EQ(lineEdit(w, "edTerms")->text(), QStringLiteral("0"));
        EXPECT_EQ(lineEdit(w, "edCopies")->text(), QStringLiteral("1"));
        EXPECT_EQ(lineEdit(w, "edRemind2Days")->text(), QStringLiteral("20"));
        EXPECT_EQ(lineEdit(w, "edNextCustNo")->text(), QStringLiteral("1"));
        // A counter at the top of the range shows the number after it, and is kept as it was.
        EXPECT_EQ(lineEdit(w, "edNextInvNo")->text(), QStringLiteral("2147483648"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("Autonum"), QStringLiteral("0"));
    EXPECT_EQ(file.value("Copies"), QStringLiteral("1"));
    EXPECT_EQ(file.value("Terms"), QStringLiteral("0"));
    EXPECT_EQ(file.value("LastCustNo"), QStringLiteral("0"));
    EXPECT_EQ(file.value("Reminder2Days"), QStringLiteral("20"));
    EXPECT_EQ(file.value("LastTotalSeqNo"), QStringLiteral("2147483647"));
}

TEST(ProgramSetup, NumberRulesOfTheBoxes) {
    using ProgramSetup::NumberBox;
    const QLocale c = QLocale::c();
    auto reads = [&](NumberBox box, const char* text) {
        return ProgramSetup::numberRule(box).read(QLatin1String(text), c).ok;
    };
    EXPECT_TRUE(reads(NumberBox::NextInvNo, "1"));
    EXPECT_TRUE(reads(NumberBox::NextInvNo, "2147483647"));
    EXPECT_FALSE(reads(NumberBox::NextInvNo, "0"));
    EXPECT_FALSE(reads(NumberBox::NextInvNo, "2147483648"));
    EXPECT_FALSE(reads(NumberBox::NextInvNo, ""));
    EXPECT_FALSE(reads(NumberBox::NextCustNo, "-5"));
    EXPECT_TRUE(reads(NumberBox::Terms, ""));
    EXPECT_TRUE(reads(NumberBox::Copies, "99"));
    EXPECT_FALSE(reads(NumberBox::Copies, "100"));
    EXPECT_FALSE(reads(NumberBox::Copies, "0"));
    EXPECT_TRUE(reads(NumberBox::Remind1Days, "0"));
    EXPECT_FALSE(reads(NumberBox::Remind3Days, ""));
    EXPECT_TRUE(reads(NumberBox::InterestRate, ""));
    EXPECT_TRUE(reads(NumberBox::InterestRate, "8.25"));
    EXPECT_FALSE(reads(NumberBox::InterestRate, "-7.5"));
    EXPECT_FALSE(reads(NumberBox::InterestRate, "101"));
    EXPECT_TRUE(reads(NumberBox::InvoiceCharge, "25.5"));
    EXPECT_FALSE(reads(NumberBox::InvoiceCharge, "0.00001"));
    EXPECT_FALSE(reads(NumberBox::Threshold, "-1"));

    ProgramSetup::Values v;
    v.terms = QStringLiteral(" ");
    v.interestRate.clear();
    v.copies = QStringLiteral("2");
    ProgramSetup::normalize(v);
    EXPECT_EQ(v.terms, QStringLiteral("0"));
    EXPECT_EQ(v.interestRate, QStringLiteral("0"));
    EXPECT_EQ(v.copies, QStringLiteral("2"));
    EXPECT_TRUE(v.nextInvNo.isEmpty()); // not for boxes that must hold a number
}

TEST(ProgramSetup, TypedTextThatIsNotANumberIsRefusedAndTheStoredValueStays) {
    LocaleGuard guard;
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    TempDataDir dir;
    const QByteArray before = "[Invoice]\nAutonum=2\nLastTotalSeqNo=11\nInterestrate=8\n"
                              "InvoiceCharge=25\nReminder1Days=10\nCopies=2\n";
    dir.writeFile(QLatin1String(Service::kInvoiceIni), before);
    MessageRecorder messages;
    runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
        QApplication::setActiveWindow(w);
        struct Case {
            const char* box;
            const char* typed;
            const char* message;
            const char* stored;
        };
        for (const Case& c :
             {Case{"edNextInvNo", "A12", "Next invoice number: \"A12\" is not a whole number.",
                   "12"},
              Case{"edInterestrate", "-7,5abc", "Interest rate: \"-7,5abc\" is not a number.", "8"},
              Case{"edInvCharge", "Z", "Invoice charge: \"Z\" is not a number.", "25"},
              Case{"edRemind1Days", "1e3", "First reminder after: \"1e3\" is not a whole number.",
                   "10"},
              Case{"edCopies", "0", "Invoice copies: 0 is outside 1 to 99.", "2"}}) {
            SCOPED_TRACE(c.box);
            messages.clear();
            QLineEdit* box = lineEdit(w, c.box);
            // Leaving the box: refused, and the user is back in the box with the text.
            type(box, QLatin1String(c.typed));
            leave(box);
            EXPECT_EQ(messages.texts(), QStringList({QLatin1String(c.message)}));
            EXPECT_TRUE(box->hasFocus());
            EXPECT_EQ(box->text(), QLatin1String(c.typed));
            // Closing: refused the same way, nothing is written.
            w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(messages.messages().size(), 2u);
            EXPECT_TRUE(box->hasFocus());
            EXPECT_EQ(dir.readFile(QLatin1String(Service::kInvoiceIni)), before);
            // Escape brings back the value the setting has.
            QTest::keyClick(box, Qt::Key_Escape);
            EXPECT_EQ(box->text(), QLatin1String(c.stored));
        }
        // Refused at closing even when the box was never left.
        messages.clear();
        lineEdit(w, "edThreshold")->setText(QStringLiteral("1.000,00"));
        w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
        EXPECT_EQ(messages.texts(), QStringList({"Lowest amount: \"1.000,00\" is not a number."}));
        EXPECT_TRUE(lineEdit(w, "edThreshold")->hasFocus());
        lineEdit(w, "edThreshold")->setText(QStringLiteral("1000,50"));
    });
    const SetupFile file(dir);
    EXPECT_EQ(file.value("LastTotalSeqNo"), QStringLiteral("11"));
    EXPECT_EQ(file.value("Interestrate"), QStringLiteral("8"));
    EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("25"));
    EXPECT_EQ(file.value("Reminder1Days"), QStringLiteral("10"));
    EXPECT_EQ(file.value("Copies"), QStringLiteral("2"));
    EXPECT_EQ(file.value("Threshold"), QStringLiteral("1000,50"));
}

TEST(ProgramSetup, ANextInvoiceNumberAlreadyUsedAsksFirst) {
    TempDataDir dir;
    QString error;
    ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
    EXPECT_FALSE(ProgramSetup::highestInvoiceNumber(dir.path()));
    {
        db::Session session(QStringLiteral("sTest"));
        session.AddPassword(QStringLiteral("GRAND"));
        db::Table heads;
        heads.setSession(&session);
        heads.setDatabaseName(dir.path());
        heads.setTableName(QStringLiteral("IHead"));
        heads.Open();
        for (const char* number : {"99", "100", "A-7", "", "0042", "12x"}) {
            heads.Append();
            heads.FieldByName(QStringLiteral("Invoice no")).setAsString(QLatin1String(number));
            heads.Post();
        }
    }
    EXPECT_EQ(ProgramSetup::highestInvoiceNumber(dir.path()), 100);
    EXPECT_TRUE(ProgramSetup::usedInvoiceNumberQuestion(101, 100).isEmpty());
    EXPECT_TRUE(ProgramSetup::usedInvoiceNumberQuestion(5, std::nullopt).isEmpty());

    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nAutonum=2\nLastTotalSeqNo=100\n");
    MessageRecorder messages;
    runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
        QApplication::setActiveWindow(w);
        QLineEdit* next = lineEdit(w, "edNextInvNo");
        EXPECT_EQ(next->text(), QStringLiteral("101"));
        type(next, QStringLiteral("150"));
        leave(next);
        EXPECT_TRUE(messages.empty()); // above every number used: nothing to ask
        type(next, QStringLiteral("50"));
        messages.answer(ui::MsgButton::No);
        leave(next);
        ASSERT_EQ(messages.messages().size(), 1u);
        EXPECT_EQ(messages.messages()[0].buttons, ui::MsgButton::Yes | ui::MsgButton::No);
        EXPECT_EQ(messages.texts()[0], ProgramSetup::usedInvoiceNumberQuestion(50, 100));
        EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("100")));
        EXPECT_TRUE(next->hasFocus());
        // No keeps the window open at closing too; Yes accepts the number, asked only once.
        messages.answer(ui::MsgButton::No);
        w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
        EXPECT_TRUE(w->isVisible());
        messages.answer(ui::MsgButton::Yes);
        leave(next);
        EXPECT_EQ(messages.messages().size(), 3u);
    });
    EXPECT_EQ(messages.messages().size(), 3u);
    EXPECT_EQ(SetupFile(dir).value("LastTotalSeqNo"), QStringLiteral("49"));
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
    MessageRecorder messages;
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
        typeAndClose(QStringLiteral("8,5"), QStringLiteral("50"), QStringLiteral("1000,00"));
        const SetupFile file(dir);
        EXPECT_EQ(file.value("Interestrate"), QStringLiteral("8,5"));
        EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("50"));
        EXPECT_EQ(file.value("Threshold"), QStringLiteral("1000,00"));
        // Read back as typed, not reformatted.
        runWindow<TfmDocumentdata>(kSetup, [](TfmDocumentdata* w) {
            EXPECT_EQ(lineEdit(w, "edInterestrate")->text(), QStringLiteral("8,5"));
        });
    }
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TempDataDir dir;
        typeAndClose(QStringLiteral("8.5"), QStringLiteral("12.50"), QStringLiteral(""));
        const SetupFile file(dir);
        EXPECT_EQ(file.value("Interestrate"), QStringLiteral("8.5"));
        EXPECT_EQ(file.value("InvoiceCharge"), QStringLiteral("12.50"));
        EXPECT_EQ(file.value("Threshold"), QStringLiteral("0"));
        // A decimal comma where the point is the separator is refused, never stored as 0.
        runWindow<TfmDocumentdata>(kSetup, [&](TfmDocumentdata* w) {
            lineEdit(w, "edInterestrate")->setText(QStringLiteral("8,5"));
            w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(messages.texts(), QStringList({"Interest rate: \"8,5\" is not a number."}));
            QTest::keyClick(lineEdit(w, "edInterestrate"), Qt::Key_Escape);
        });
        EXPECT_EQ(SetupFile(dir).value("Interestrate"), QStringLiteral("8.5"));
    }
    EXPECT_EQ(messages.messages().size(), 1u);
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
        EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("btnInvoiceDesign"))->isEnabled());
        EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("Button1"))->isEnabled());
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
