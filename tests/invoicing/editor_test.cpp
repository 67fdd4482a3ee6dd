#include "editorfixture.h"

#include "app/fmstart.h"
#include "service/dates.h"
#include "ui/dbgrid.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

TEST_F(EditorTest, CreationLocksTheHeadAndFollowsTheSwitches) {
    TfmInvoice& ed = editor();
    EXPECT_EQ(ed.windowTitle(), QStringLiteral("Invoicing"));
    EXPECT_EQ(ed.helpContext(), 830);
    EXPECT_TRUE(ed.DocSaved);
    EXPECT_TRUE(ed.DocPrinted);
    EXPECT_FALSE(ed.DocOpened || ed.DocLocked || ed.DocIsTemplate);
    EXPECT_TRUE(ed.headLocked());
    EXPECT_FALSE(ed.edCustNo->isEnabled());
    EXPECT_TRUE(ed.gdInvoiceRows->isReadOnly());
    EXPECT_EQ(ed.edInvDate->date(), QDate::currentDate());
    EXPECT_EQ(ed.cbDocument->itemText(0), QStringLiteral("Invoice"));
    EXPECT_EQ(ed.cbDocument->count(), 6);
    EXPECT_FALSE(ed.edVATNumber->isVisibleTo(&ed));
    EXPECT_TRUE(ed.btnPdf->isVisibleTo(&ed));
    EXPECT_EQ(ed.edInvNo->maxLength(), 15);
    EXPECT_EQ(ed.edCustNo->maxLength(), 25);
    EXPECT_EQ(ed.edCust->maxLength(), 50);
    EXPECT_EQ(ed.edYourReference->maxLength(), 25);
    // An empty VAT table gets its one rate of 0, which is the choice list.
    EXPECT_EQ(ed.vatChoices, QStringList{QStringLiteral("0")});
    EXPECT_EQ(ed.gdInvoiceRows->model()->headerData(7, Qt::Horizontal).toString(),
              QStringLiteral("VAT%"));
    EXPECT_EQ(ed.gdInvoiceRows->model()->headerData(6, Qt::Horizontal).toString(),
              QStringLiteral("-%"));
    for (const char* name : {"edInvNo",
                             "edCustNo",
                             "edCust",
                             "edCustAddressLine1",
                             "edCustAddressLine2",
                             "edCustAddressLine3",
                             "edVATNumber",
                             "edInvDate",
                             "edDueDate",
                             "edYourReference",
                             "edOurReference",
                             "lbDays",
                             "edSum",
                             "edVAT",
                             "edTotal",
                             "gdInvoiceRows",
                             "mTotal",
                             "pnlCustreg",
                             "pnlDesc",
                             "gdInvoicenumbers",
                             "btnSave1",
                             "btnAbort1"})
        EXPECT_NE(ed.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(EditorTest, TaxInvoiceIsOfferedWhereTheCountryHasOne) {
    Service::Country = QStringLiteral("AU");
    TfmInvoice& ed = editor();
    EXPECT_EQ(ed.cbDocument->itemText(0), QStringLiteral("Tax invoice"));
    EXPECT_EQ(ed.cbDocument->count(), 7);
    EXPECT_FALSE(ed.pnlCustreg->findChild<QLabel*>(QStringLiteral("lbNewState"))->isHidden());
}

TEST_F(EditorTest, NumberingGivesANumberUntilItIsPrinted) {
    setting(QStringLiteral("Autonum"), QStringLiteral("2"));
    setting(QStringLiteral("LastTotalSeqNo"), QStringLiteral("41"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("42"));
    ed.DocSaved = true;
    ed.btnNewInvoiceClick();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("42")) << "a number never printed is given again";
    // Once a document carries 42, the scheme moves on.
    auto h = heads();
    h->Append();
    h->FieldByName(QStringLiteral("Invoice no")).setAsString(QStringLiteral("42"));
    h->FieldByName(QStringLiteral("Printed")).setAsBoolean(true);
    h->Post();
    ed.DocSaved = true;
    ed.btnNewInvoiceClick();
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("43"));
}

TEST_F(EditorTest, DateAndSerialNumbersFollowTheShortDateFormat) {
    setting(QStringLiteral("Autonum"), QStringLiteral("1"));
    setting(QStringLiteral("LastDaySeqNo"), QStringLiteral("7"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    QString date = QDate::currentDate().toString(Dates::shortFormat());
    date.remove(QLatin1Char('-'));
    EXPECT_EQ(ed.edInvNo->text(), date + QStringLiteral("8"));
}

TEST_F(EditorTest, ANumberInUseIsRefused) {
    auto h = heads();
    h->Append();
    h->FieldByName(QStringLiteral("Invoice no")).setAsString(QStringLiteral("A-100"));
    h->Post();
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    bool listShown = false;
    ui::MessageHook previous = ui::setMessageHook([&](const ui::MessageRequest& r) {
        listShown = ed.gdInvoicenumbers->isVisible();
        EXPECT_EQ(r.text, QStringLiteral("Invoice number in use, set another number!"));
        EXPECT_EQ(r.type, ui::MsgType::Error);
        return ui::MsgButton::OK;
    });
    ed.edInvNo->setText(QStringLiteral("a-100"));
    ed.edInvNoExit(); // letter case counts
    EXPECT_FALSE(listShown);
    EXPECT_EQ(ed.edInvNo->text(), QStringLiteral("a-100"));
    ed.edInvNo->setText(QStringLiteral("A-100"));
    ed.edInvNoExit();
    EXPECT_TRUE(listShown);
    EXPECT_FALSE(ed.gdInvoicenumbers->isVisible());
    EXPECT_TRUE(ed.edInvNo->text().isEmpty());
    ui::setMessageHook(previous);
}

TEST_F(EditorTest, KindsDatesAndTerms) {
    setting(QStringLiteral("Terms"), QStringLiteral("30"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    EXPECT_EQ(ed.edDueDate->date(), ed.edInvDate->date().addDays(30));
    EXPECT_EQ(ed.lbInvDate->text(), QStringLiteral("Invoice date"));
    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Receipt")));
    EXPECT_TRUE(ed.edDueDate->isHidden());
    EXPECT_EQ(ed.lbInvDate->text(), QStringLiteral("Date"));
    ed.edInvDate->setDate(QDate(2026, 3, 1));
    ed.edInvDateExit();
    EXPECT_EQ(ed.edDueDate->date(), QDate(2026, 3, 1));
    ed.cbDocument->setCurrentIndex(ed.cbDocument->findText(QStringLiteral("Invoice")));
    ed.edInvDateExit();
    EXPECT_EQ(ed.edDueDate->date(), QDate(2026, 3, 31));
    ed.edDueDate->setDate(QDate(2026, 3, 15));
    ed.edDueDateExit();
    EXPECT_EQ(ed.TermsDays, 14);
    EXPECT_EQ(ed.lbDays->text(), QStringLiteral("14"));
}

TEST_F(EditorTest, TheCustomerByNumberAndTheNameBoxThatLooksUpTheNumber) {
    addCustomer(QStringLiteral("17"), QStringLiteral("Acme"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.edCust->setText(QStringLiteral("Acme"));
    ed.edCustExit();
    EXPECT_TRUE(ed.edCustAddressLine1->text().isEmpty()) << "a name alone finds nothing";
    ed.edCustNo->setText(QStringLiteral("17"));
    ed.edCustExit();
    EXPECT_EQ(ed.edCustAddressLine1->text(), QStringLiteral("Street 1"));
    ed.EmptyHead();
    ed.edCustNo->setText(QStringLiteral("17"));
    ed.edCustNoExit();
    EXPECT_EQ(ed.edCust->text(), QStringLiteral("Acme"));
    EXPECT_EQ(ed.edCustAddressLine3->text(), QStringLiteral("22100 Lund"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(EditorTest, CreditLimitWarnsAboveThreeQuarters) {
    addCustomer(QStringLiteral("17"), QStringLiteral("Acme"), "1000");
    auto h = heads();
    auto invoice = [&](const char* total, const char* rest, bool printed, const char* kind,
                       bool archived) {
        h->Append();
        h->FieldByName(QStringLiteral("Document")).setAsString(QString::fromLatin1(kind));
        h->FieldByName(QStringLiteral("Customer no")).setAsString(QStringLiteral("17"));
        h->FieldByName(QStringLiteral("Total")).setAsCurrency(money(total));
        if (rest)
            h->FieldByName(QStringLiteral("Rest")).setAsCurrency(money(rest));
        h->FieldByName(QStringLiteral("Printed")).setAsBoolean(printed);
        if (archived)
            h->FieldByName(QStringLiteral("Archived")).setAsDate(QDate(2026, 1, 1));
        h->Post();
    };
    invoice("500", nullptr, true, "Invoice", false);  // counts its total
    invoice("900", "250", true, "Invoice", false);    // counts its rest
    invoice("900", nullptr, false, "Invoice", false); // unprinted
    invoice("900", nullptr, true, "Quotation", false);
    invoice("900", nullptr, true, "Invoice", true); // archived
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.edCustNo->setText(QStringLiteral("17"));
    ed.edCustNoExit();
    EXPECT_TRUE(messages.empty()) << "750 of 1 000 is not more than three quarters";
    invoice("0.0001", nullptr, true, "Invoice", false);
    ed.edCustNoExit();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(
        messages.texts()[0].startsWith(QStringLiteral("75% of credit limit used\n\r(Limit = ")));
}

TEST_F(EditorTest, NewCustomerPanelNumbersAndStoresTheCustomer) {
    setting(QStringLiteral("AutoCust"), QStringLiteral("1"));
    setting(QStringLiteral("LastCustNo"), QStringLiteral("9"));
    addCustomer(QStringLiteral("5"), QStringLiteral("Existing"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.edCust->setText(QStringLiteral("Newcomer AB"));
    ed.edCustAddressLine1->setText(QStringLiteral("Harbour 3"));
    ed.edCustAddressLine2->setText(QStringLiteral("Box 12"));
    ed.edYourReference->setText(QStringLiteral("Eva"));
    ed.gdInvoiceRows->setSelectedIndex(0);
    messages.answer(ui::MsgButton::Yes);
    ed.edOurReferenceExit();
    ASSERT_GE(messages.texts().size(), 2);
    EXPECT_EQ(
        messages.texts()[0],
        QStringLiteral("Customer not in Customer database.\n\rDo you want do add this customer?"));
    EXPECT_EQ(messages.texts()[1], QStringLiteral("Please add Postcode and City."));
    EXPECT_TRUE(ed.pnlCustreg->isVisibleTo(&ed));
    EXPECT_EQ(ed.edNewCustNo->text(), QStringLiteral("10"));
    EXPECT_EQ(settingValue(QStringLiteral("LastCustNo")), QStringLiteral("10"))
        << "written at once";
    EXPECT_EQ(ed.edNewCompany->text(), QStringLiteral("Newcomer AB"));
    EXPECT_EQ(ed.edNewAddress2->text(), QStringLiteral("Box 12"));

    // A number in use is refused; an empty one too.
    messages.clear();
    ed.edNewCustNo->setText(QStringLiteral("5"));
    ed.edNewCustNoExit();
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Customer number already in use, set another.")});
    EXPECT_TRUE(ed.edNewCustNo->text().isEmpty());
    ed.btnSave1Click();
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Customer number must have a value."));

    ed.edNewCustNo->setText(QStringLiteral("10"));
    ed.edNewCity->setText(QStringLiteral("Malmö"));
    ed.edNewCreditLimit->setText(QStringLiteral("lots"));
    // The electronic invoice data: a country code that is not two letters is refused.
    EXPECT_EQ(ed.edNewCountryCode->text(), Service::CompanyCountry.toUpper());
    ed.edNewCountryCode->setText(QStringLiteral("S1"));
    messages.clear();
    ed.btnSave1Click();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Country code: \"S1\"")));
    EXPECT_TRUE(ed.pnlCustreg->isVisibleTo(&ed));
    ed.edNewCountryCode->setText(QStringLiteral("se"));
    ed.edNewBuyerReference->setText(QStringLiteral("991-12345-06"));
    ASSERT_EQ(ed.cbNewEInvoiceFormat->itemText(1), QStringLiteral("Factur-X"));
    ed.cbNewEInvoiceFormat->setCurrentIndex(1);
    // A credit limit that is not an amount is refused, not stored as no limit.
    messages.clear();
    ed.btnSave1Click();
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("Credit limit")))
        << messages.texts()[0].toStdString();
    EXPECT_TRUE(ed.pnlCustreg->isVisibleTo(&ed));
    EXPECT_FALSE(customers()->Locate(QStringLiteral("Cust. no"), QStringLiteral("10")));
    ed.edNewCreditLimit->setText(QStringLiteral("1500"));
    messages.clear();
    ed.btnSave1Click();
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'|').toStdString();
    EXPECT_FALSE(ed.pnlCustreg->isVisibleTo(&ed));
    EXPECT_EQ(ed.edCustNo->text(), QStringLiteral("10"));
    auto c = customers();
    ASSERT_TRUE(c->Locate(QStringLiteral("Cust. no"), QStringLiteral("10")));
    EXPECT_EQ(c->FieldByName(QStringLiteral("City")).AsString(), QStringLiteral("Malmö"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Reference")).AsString(), QStringLiteral("Eva"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Credit limit")).AsCurrency(), money("1500"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Registered")).AsDate(), QDate::currentDate());
    EXPECT_EQ(c->FieldByName(QStringLiteral("Country code")).AsString(), QStringLiteral("SE"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("Buyer reference")).AsString(),
              QStringLiteral("991-12345-06"));
    EXPECT_EQ(c->FieldByName(QStringLiteral("E-invoice format")).AsString(),
              QStringLiteral("Factur-X"));
    EXPECT_TRUE(ed.edNewCompany->text().isEmpty()) << "the panel is emptied";
    EXPECT_EQ(ed.cbNewEInvoiceFormat->currentIndex(), 0);
}

TEST_F(EditorTest, AbortAndNewAskToSaveWhatIsPending) {
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    EXPECT_FALSE(ed.headLocked());
    EXPECT_FALSE(ed.DocSaved);
    ed.edCust->setText(QStringLiteral("Walk-in"));
    messages.answer(ui::MsgButton::Yes);
    ed.btnNewInvoiceClick();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Save the document?")});
    auto h = heads();
    ASSERT_EQ(h->RecordCount(), 1);
    EXPECT_EQ(h->FieldByName(QStringLiteral("Customer")).AsString(), QStringLiteral("Walk-in"));
    EXPECT_FALSE(h->FieldByName(QStringLiteral("Printed")).AsBoolean());
    EXPECT_TRUE(ed.edCust->text().isEmpty());

    ed.edCust->setText(QStringLiteral("Other"));
    ed.btnAbortClick();
    EXPECT_TRUE(ed.DocSaved);
    EXPECT_TRUE(ed.DocPrinted);
    EXPECT_TRUE(ed.edCust->text().isEmpty());
    messages.clear();
    ed.btnNewInvoiceClick();
    EXPECT_TRUE(messages.empty());
}

TEST_F(EditorTest, ClosingWritesTheCountersAndEmptiesTheRows) {
    setting(QStringLiteral("LastTotalSeqNo"), QStringLiteral("5"));
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    addRow(QStringLiteral("A"), QStringLiteral("a"), 1, "1");
    ed.LastTotalSeqNo = 6;
    messages.setDefaultAnswer(ui::MsgButton::No);
    ed.close();
    EXPECT_EQ(settingValue(QStringLiteral("LastTotalSeqNo")), QStringLiteral("6"));
    EXPECT_FALSE(settingValue(QStringLiteral("LastDate")).isEmpty());
    EXPECT_TRUE(workColumn(QStringLiteral("Code")).isEmpty());
}

TEST_F(EditorTest, WriteInvoiceHidesTheMainWindowWhileTheEditorIsOpen) {
    TfmStart start;
    start.show();
    bool hidden = false;
    ModalScript modal;
    modal.on(QStringLiteral("TfmInvoice"), [&](QWidget* w) {
        hidden = !start.isVisible();
        EXPECT_NE(fmCustGet, nullptr);
        EXPECT_NE(fmProdGet, nullptr);
        EXPECT_NE(fmTaxget, nullptr);
        EXPECT_NE(fmGetInv, nullptr);
        EXPECT_EQ(fmInvoice, w);
    });
    start.mnWriteInvoiceClick();
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(start.isVisible());
    EXPECT_EQ(fmInvoice, nullptr) << "all five are released";
    EXPECT_EQ(fmCustGet, nullptr);
}

TEST_F(EditorTest, RendersTheWindowsWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    QString error;
    ASSERT_TRUE(db::fillDemo(dir.path(), &error)) << error.toStdString();
    Service::CompanyName = QStringLiteral("Acme Trading Ltd");
    Service::CompanyAddress = QStringLiteral("Long Harbour Road 1234");
    Service::CompanyCity = QStringLiteral("Great Yarmouth-on-Sea");
    Service::CompanyZip = QStringLiteral("NR30 1AB");
    Service::CompanyPhone = QStringLiteral("+44 1493 000000");
    Service::CompanyIBAN = QStringLiteral("DE89370400440532013000");
    Service::CompanyCurrency = QStringLiteral("EUR");
    Service::CompanyBank =
        QStringLiteral("Barclays 20-00-00 12345678\nIBAN GB33BUKB20201555555555");
    QImage logo(600, 150, QImage::Format_RGB32);
    logo.fill(QColor(30, 90, 160));
    logo.save(dir.file(QStringLiteral("Logo.bmp")), "BMP");
    Service::DesignFile = Service::firstListedDesign(dir.path());
    TfmInvoice& ed = editor();
    ed.btnNewInvoiceClick();
    ed.dbTRow->EmptyTable();
    ed.edCustNo->setText(QStringLiteral("2"));
    ed.edCustNoExit();
    ed.edCust->setText(ed.edCust->text() + QStringLiteral(" with a rather long company name Ltd"));
    addRow(QStringLiteral("P-100"), QStringLiteral("Consulting, senior, per hour"), 12.5, "1250.00",
           25, 10, QStringLiteral("h"));
    addRow(QStringLiteral("P-200"), QStringLiteral("Travel"), 1, "480.00", 25, 0,
           QStringLiteral("pcs"));
    ed.AllRows();
    ed.Totalsums();
    for (const QSize size : {QSize(1280, 800), QSize(1024, 768)}) {
        ed.resize(size);
        ed.show();
        ed.activateWindow();
        QTest::qWait(200);
        EXPECT_TRUE(ed.grab().save(
            out + QStringLiteral("/editor-%1x%2.png").arg(size.width()).arg(size.height())));
    }
    ed.edOurReference->setText(QStringLiteral("x"));
    ed.showNewCustomerPanel();
    QTest::qWait(100);
    EXPECT_TRUE(ed.grab().save(out + QStringLiteral("/editor-newcustomer.png")));
    ed.pnlCustreg->hide();
    // The printed document, as a PDF and as pictures of its pages.
    {
        FileDialogScript dialog;
        const QString pdf = out + QStringLiteral("/editor-invoice.pdf");
        dialog.answer(pdf);
        messages.answer(ui::MsgButton::No);
        ed.btnPdfClick();
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"), pdf,
                           out + QStringLiteral("/editor-invoice")});
        ed.btnNewInvoiceClick();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{fmCustGet, fmProdGet, fmTaxget, fmGetInv}) {
        ModalScript modal;
        modal.on(w->objectName(), [&](QWidget* shown) {
            QTest::qWait(200);
            EXPECT_TRUE(shown->grab().save(out + QLatin1Char('/') + shown->objectName() +
                                           QStringLiteral(".png")));
        });
        ui::showModalKeep(w);
    }
}
