#include "printing/languages.h"
#include "printing/tfmlangselect.h"
#include "printing/tfmlanguage.h"
#include "printing/tfmqrinvlang.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using printing::LanguageFile;

namespace {

QListWidget* list(QWidget* w, const char* name) {
    return w->findChild<QListWidget*>(QLatin1String(name));
}
QLineEdit* edit(QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(QLatin1String(name));
}
QStringList entries(QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}
void click(QListWidget* l, int row) {
    l->setCurrentRow(row);
    emit l->itemClicked(l->item(row));
}
void trigger(QWidget* w, const char* name) {
    auto* a = w->findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
}

} // namespace

TEST(LanguageSetup, OpensWithEnglishDefaultsWithoutAFile) {
    TempDataDir dir;
    MessageRecorder messages;
    HelpRecorder help;
    ModalScript script;
    script.on("TfmLanguage", [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Language setup");
        EXPECT_EQ(entries(list(w, "ListBoxCurrent")), QStringList{"English"});
        EXPECT_EQ(list(w, "ListBoxCurrent")->currentRow(), 0);
        for (const auto& t : printing::languageTexts()) {
            QLineEdit* e = edit(w, t.edit);
            ASSERT_NE(e, nullptr) << t.edit;
            EXPECT_EQ(e->text(), QLatin1String(t.defaultText));
            auto* label = w->findChild<QLabel*>(QStringLiteral("lb") + QLatin1String(t.edit + 2));
            ASSERT_NE(label, nullptr) << t.edit;
            EXPECT_EQ(label->text(), QLatin1String(t.setupCaption));
        }
        EXPECT_EQ(edit(w, "edCustomerNo")->text(), "Customer no");
        EXPECT_NE(w->findChild<QPushButton*>("btnCreate"), nullptr);
        EXPECT_NE(edit(w, "edLanguage"), nullptr);
        EXPECT_FALSE(static_cast<TfmLanguage*>(w)->isModified());
        trigger(w, "mnHelp");
    });
    ui::execModal<TfmLanguage>(nullptr);
    EXPECT_EQ(help.contexts(), QList<int>{600});
    EXPECT_TRUE(messages.empty()); // nothing changed, nothing asked
    EXPECT_FALSE(LanguageFile(dir.path()).exists());
}

TEST(LanguageSetup, EditingAndClosingAsksToSave) {
    TempDataDir dir;
    MessageRecorder messages(ui::MsgButton::Yes);
    ModalScript script;
    script.on("TfmLanguage", [&](QWidget* w) { edit(w, "edInvoice")->setText("Bill"); });
    ui::execModal<TfmLanguage>(nullptr);
    EXPECT_EQ(messages.texts(), QStringList{"Save the translations?"});
    LanguageFile file(dir.path());
    EXPECT_EQ(file.texts("English").first(), "Bill");
    EXPECT_EQ(file.numberOfLanguages(), 1);

    // Answering No keeps the file as it was.
    messages.clear();
    messages.setDefaultAnswer(ui::MsgButton::No);
    script.on("TfmLanguage", [&](QWidget* w) { edit(w, "edInvoice")->setText("Invoice!"); });
    ui::execModal<TfmLanguage>(nullptr);
    EXPECT_EQ(messages.texts(), QStringList{"Save the translations?"});
    EXPECT_EQ(LanguageFile(dir.path()).texts("English").first(), "Bill");
}

TEST(LanguageSetup, CreatingALanguageTwiceGivesTwoEntries) {
    TempDataDir dir;
    MessageRecorder messages(ui::MsgButton::Yes);
    ModalScript script;
    script.on("TfmLanguage", [&](QWidget* w) {
        auto* fm = static_cast<TfmLanguage*>(w);
        fm->btnCreateClick();
        EXPECT_EQ(messages.texts(), QStringList{"Language must be set."});
        EXPECT_EQ(entries(list(w, "ListBoxCurrent")), QStringList{"English"});
        EXPECT_FALSE(fm->isModified());
        edit(w, "edLanguage")->setText("   ");
        fm->btnCreateClick();
        EXPECT_EQ(messages.texts().size(), 2);

        edit(w, "edLanguage")->setText("Deutsch");
        fm->btnCreateClick();
        // The first creation saves first, which writes the file.
        EXPECT_TRUE(LanguageFile(dir.path()).exists());
        EXPECT_EQ(fm->currentLanguage(), "Deutsch");
        EXPECT_TRUE(fm->isModified());
        EXPECT_EQ(edit(w, "edInvoice")->text(), "");
        edit(w, "edInvoice")->setText("Rechnung");
        fm->btnCreateClick();
        EXPECT_EQ(entries(list(w, "ListBoxCurrent")),
                  (QStringList{"English", "Deutsch", "Deutsch"}));
        EXPECT_EQ(list(w, "ListBoxCurrent")->currentRow(), 1);
        EXPECT_EQ(edit(w, "edInvoice")->text(), "");
        edit(w, "edInvoice")->setText("Rechnung");
    });
    ui::execModal<TfmLanguage>(nullptr);
    LanguageFile file(dir.path());
    EXPECT_EQ(file.currentLanguage(), "Deutsch");
    EXPECT_EQ(file.languages(), (QStringList{"English", "Deutsch", "Deutsch"}));
    EXPECT_EQ(file.texts("Deutsch").first(), "Rechnung");
    EXPECT_EQ(file.texts("English").first(), "Invoice");
}

TEST(LanguageSetup, ChoosingWithoutSavingLeavesTheFile) {
    TempDataDir dir;
    QStringList texts;
    for (const auto& t : printing::languageTexts())
        texts << QLatin1String(t.defaultText);
    QStringList german = texts;
    german[0] = "Rechnung";
    ASSERT_TRUE(LanguageFile(dir.path()).save("Deutsch", {"English", "Deutsch"}, german));
    ASSERT_TRUE(LanguageFile(dir.path()).save("English", {"English", "Deutsch"}, texts));
    const QByteArray before = dir.readFile("MRVLang.ini");

    MessageRecorder messages(ui::MsgButton::No);
    ModalScript script;
    script.on("TfmLanguage", [&](QWidget* w) {
        auto* fm = static_cast<TfmLanguage*>(w);
        click(list(w, "ListBoxCurrent"), 1);
        EXPECT_TRUE(messages.empty()); // nothing was changed yet
        EXPECT_EQ(fm->currentLanguage(), "Deutsch");
        EXPECT_EQ(edit(w, "edInvoice")->text(), "Rechnung");
        EXPECT_TRUE(fm->isModified());
        // Going back with a pending change and answering No: the selection returns.
        click(list(w, "ListBoxCurrent"), 0);
        EXPECT_EQ(messages.texts(), QStringList{"Save changes?"});
        EXPECT_EQ(list(w, "ListBoxCurrent")->currentRow(), 1);
        EXPECT_FALSE(fm->isModified());
        EXPECT_EQ(edit(w, "edInvoice")->text(), "Rechnung");
        edit(w, "edInvoice")->setText("Faktura");
    });
    ui::execModal<TfmLanguage>(nullptr);
    EXPECT_EQ(messages.texts(), (QStringList{"Save changes?", "Save the translations?"}));
    EXPECT_EQ(dir.readFile("MRVLang.ini"), before);
    EXPECT_EQ(LanguageFile(dir.path()).currentLanguage(), "English");
}

TEST(LanguageSetup, PrintedListShowsTheEditTexts) {
    TempDataDir dir;
    Service::CompanyName = "Northwind Trading Ltd";
    MessageRecorder messages(ui::MsgButton::No);
    ModalScript script;
    report::PreparedDocument printed;
    script.on("ReportPreview", [&](QWidget* w) {
        printed = static_cast<report::PreviewWindow*>(w)->document();
        EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    });
    script.on("TfmLanguage", [&](QWidget* w) {
        edit(w, "edCustomerNo")->setText("Kundennummer");
        trigger(w, "mnPrint");
    });
    ui::execModal<TfmLanguage>(nullptr);
    ASSERT_EQ(printed.pageCount(), 1);
    const report::PreparedPage& page = printed.pages[0];
    EXPECT_EQ(page.find("qrlbCustomerno1")->text, "Cutomer no");
    EXPECT_EQ(page.find("qrlbCustomerno2")->text, "Kundennummer");
    EXPECT_EQ(page.find("qrlbInvoice2")->text, "Invoice");
    EXPECT_EQ(page.find("qrlbPending2")->text, "Pending");
    EXPECT_EQ(page.find("qrlbPrintedDate1")->text, "Printed");
    EXPECT_EQ(page.find("qrlbCreditInvoice1")->text, "Credit Invoice");
    EXPECT_EQ(page.find("QRLabel1")->text, "Translations");
    EXPECT_EQ(page.find("QRLabel2")->text, "English");
    EXPECT_EQ(page.find("qrlbCompanyName")->text, "Northwind Trading Ltd");
    EXPECT_TRUE(page.find("Logga")->picture.isNull());
    int values = 0;
    for (const auto& e : page.elements)
        values += e.name.startsWith("qrlb") && e.name.endsWith('2') ? 1 : 0;
    EXPECT_EQ(values, 38);
    // Every text is really printed: sized to its text and inside the paper.
    for (const auto& e : page.elements) {
        if (e.text.isEmpty() || !e.visible)
            continue;
        EXPECT_GT(e.rect.width(), 0) << e.name.toStdString();
        EXPECT_FALSE(e.clip) << e.name.toStdString();
        EXPECT_LE(e.rect.right(), page.size.width()) << e.name.toStdString();
    }
}

TEST(LanguageSetup, PrintedListTakesTheServiceMargins) {
    TempDataDir dir;
    Service::TopMargin = 12;
    Service::BottomMargin = 14;
    Service::LeftMargin = 25;
    Service::RightMargin = 8;
    TfmqrInvLang fm(nullptr);
    EXPECT_EQ(fm.qrInvLang->objectName(), "qrInvLang");
    EXPECT_EQ(fm.qrInvLang->topMargin(), 12);
    EXPECT_EQ(fm.qrInvLang->bottomMargin(), 14);
    EXPECT_EQ(fm.qrInvLang->leftMargin(), 25);
    EXPECT_EQ(fm.qrInvLang->rightMargin(), 8);
}

TEST(LanguageSelect, DoubleClickWritesAtOnce) {
    TempDataDir dir;
    QStringList texts;
    for (const auto& t : printing::languageTexts())
        texts << QLatin1String(t.defaultText);
    ASSERT_TRUE(LanguageFile(dir.path()).save("English", {"English", "Deutsch", "Svenska"}, texts));
    ModalScript script;
    script.on("TfmLangSelect", [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Select language");
        QListWidget* l = list(w, "lbLanguages");
        EXPECT_EQ(entries(l), (QStringList{"English", "Deutsch", "Svenska"}));
        l->clearSelection();
        static_cast<TfmLangSelect*>(w)->lbLanguagesDblClick(); // nothing selected: no change
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(LanguageFile(dir.path()).currentLanguage(), "English");
        l->setCurrentRow(2);
        emit l->itemDoubleClicked(l->item(2));
        EXPECT_EQ(LanguageFile(dir.path()).currentLanguage(), "Svenska");
        EXPECT_FALSE(w->isVisible());
    });
    ui::execModal<TfmLangSelect>(nullptr);
    // Back changes nothing.
    script.on("TfmLangSelect", [&](QWidget* w) {
        list(w, "lbLanguages")->setCurrentRow(1);
        trigger(w, "mnBack");
    });
    ui::execModal<TfmLangSelect>(nullptr);
    EXPECT_EQ(LanguageFile(dir.path()).currentLanguage(), "Svenska");
}
