#include "customersfixture.h"

#include "customers/custmarks.h"
#include "customers/tfmcustinvoices.h"
#include "customers/tfmcustout.h"
#include "customers/tfmcustreg.h"
#include "customers/tfmprodreg.h"
#include "report/preview.h"
#include "service/dates.h"

#include "../pdf/pdftestsupport.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

namespace {

QStringList marked(db::Table& t) {
    QStringList out;
    for (t.First(); !t.Eof(); t.Next())
        if (t.FieldByName(QStringLiteral("Mark")).AsBoolean())
            out << t.FieldByName(QStringLiteral("Company")).AsString();
    return out;
}

QString pdfText(const QString& file) {
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), file, QStringLiteral("-")})
        .output;
}

bool locate(db::Table& t, const QString& company) {
    return t.Locate(QStringLiteral("Company"), company);
}

} // namespace

class CustOutTest : public CustomersTest {
protected:
    void SetUp() override {
        CustomersTest::SetUp();
        addCustomers({{"1", "Alpha", "Ann"},
                      {"2", "Beta", "Bob"},
                      {"3", "Cappa", "Cid"},
                      {"4", "Delta", "Dan"},
                      {"5", "Echo", "Eve"}});
    }
};

TEST_F(CustOutTest, CtrlAndShiftMarkWithTheAnchorRules) {
    TfmCustOut w(nullptr);
    db::Table& t = *w.dbCustOut;
    EXPECT_EQ(t.IndexName(), QStringLiteral("Company"));
    // Ctrl on Beta, Shift on Delta: Beta, Cappa and Delta; Beta stays the anchor.
    locate(t, "Beta");
    w.gdCustOutCellClick(Qt::ControlModifier);
    locate(t, "Delta");
    w.gdCustOutCellClick(Qt::ShiftModifier);
    EXPECT_EQ(marked(t), (QStringList{"Beta", "Cappa", "Delta"}));
    EXPECT_EQ(w.marks().anchor(), QStringLiteral("Beta"));
    // Shift above the anchor marks from the clicked customer down to the anchor.
    locate(t, "Alpha");
    w.gdCustOutCellClick(Qt::ShiftModifier);
    EXPECT_EQ(marked(t), (QStringList{"Alpha", "Beta", "Cappa", "Delta"}));
    // Ctrl on a marked customer unmarks it and forgets the anchor; the next Shift-click then
    // marks only its customer, which becomes the anchor.
    locate(t, "Cappa");
    w.gdCustOutCellClick(Qt::ControlModifier);
    EXPECT_FALSE(w.marks().hasAnchor());
    EXPECT_EQ(marked(t), (QStringList{"Alpha", "Beta", "Delta"}));
    locate(t, "Echo");
    w.gdCustOutCellClick(Qt::ShiftModifier);
    EXPECT_EQ(marked(t), (QStringList{"Alpha", "Beta", "Delta", "Echo"}));
    EXPECT_EQ(w.marks().anchor(), QStringLiteral("Echo"));
    // A plain click changes nothing.
    locate(t, "Cappa");
    w.gdCustOutCellClick(Qt::NoModifier);
    EXPECT_EQ(marked(t), (QStringList{"Alpha", "Beta", "Delta", "Echo"}));
    // After a change of sort the anchor (a company) is compared with numbers: the range runs
    // to the end of the table and stops there.
    w.gdCustOutTitleClick(QStringLiteral("Cust. no"));
    t.First();
    t.Next(); // "2"
    w.gdCustOutCellClick(Qt::ShiftModifier);
    EXPECT_EQ(marked(t), (QStringList{"Alpha", "Beta", "Cappa", "Delta", "Echo"}));
    w.close();
}

TEST_F(CustOutTest, AllCustomersPrintInThePreviewAndNoMarkIsLeft) {
    TfmCustOut w(nullptr);
    locate(*w.dbCustOut, "Beta");
    w.gdCustOutCellClick(Qt::ControlModifier);
    ModalScript modal;
    QStringList texts;
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) { texts = previewTexts(p); });
    // Only the marked one is listed.
    w.btnTelefon->click();
    EXPECT_TRUE(texts.contains(QStringLiteral("Beta")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Alpha")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Customers - phone list")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Acme AB")));
    auto t = open(QStringLiteral("Customers"));
    EXPECT_TRUE(marked(*t).isEmpty());
    // Nothing marked: the title and footer only.
    texts.clear();
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) { texts = previewTexts(p); });
    w.btnForsaljning->click();
    EXPECT_TRUE(texts.contains(QStringLiteral("Customers - sales")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Customer no.")));
    // All customers.
    w.cbAll->setChecked(true);
    modal.on(QStringLiteral("ReportPreview"), [&](QWidget* p) { texts = previewTexts(p); });
    w.btnForsaljning->click();
    for (const char* c : {"Alpha", "Beta", "Cappa", "Delta", "Echo"})
        EXPECT_TRUE(texts.contains(QLatin1String(c))) << c;
    EXPECT_TRUE(marked(*t).isEmpty());
    EXPECT_FALSE(w.dbCustOut->Filtered());
    w.close();
}

TEST_F(CustOutTest, ListsGoToPdfWithTheirFileNamesAndTheViewerFallback) {
    if (!haveTool(QStringLiteral("pdftotext")) || !haveTool(QStringLiteral("qpdf")))
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    Service::Country = QStringLiteral("US");
    {
        auto t = open(QStringLiteral("Customers"));
        locate(*t, "Echo");
        t->Edit();
        t->FieldByName(QStringLiteral("E-invoice")).setAsBoolean(true);
        t->FieldByName(QStringLiteral("Zip")).setAsString(QStringLiteral("90210"));
        t->FieldByName(QStringLiteral("Note")).setAsString(QStringLiteral("Calls on Fridays"));
        t->Post();
    }
    TfmCustOut w(nullptr);
    w.cbPdfPrints->setChecked(true);
    w.cbAll->setChecked(true);
    FileDialogScript files;
    QStringList started;
    Service::setExecuteFileHook(
        [&](const QString& program, const QString& file, const QString&, int mode) {
            started << program + QLatin1Char(' ') + QFileInfo(file).fileName() + QLatin1Char(' ') +
                           QString::number(mode);
            return 2; // no viewer
        });
    const QString file = dir.file(QStringLiteral("all.pdf"));
    files.answer(file);
    messages.answer(ui::MsgButton::Yes);
    w.btnAllt->click();
    Service::setExecuteFileHook(nullptr);

    ASSERT_EQ(files.requests().size(), 1u);
    EXPECT_EQ(files.requests()[0].fileName,
              TfmCustOut::pdfFileName(TfmCustOut::List::All, QDate::currentDate()));
    EXPECT_EQ(files.requests()[0].filter, QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));
    EXPECT_EQ(messages.texts(),
              (QStringList{"Dokument printed.\n\rView?",
                           "There is no Acrobat program on this computer.\r\nThe document can "
                           "not be read."}));
    EXPECT_EQ(started, (QStringList{"Acrord32 all.pdf 1", "Acrobat all.pdf 1"}));
    const ToolRun check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), file});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
    const QString text = pdfText(file);
    for (const char* expected : {"Customers - all data", "Alpha", "Echo", "Zip", "90210", "State",
                                 "Calls on Fridays", "YES", "NO", "E-mail invoices"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    // The US list has no second address line.
    EXPECT_FALSE(text.contains(QStringLiteral("Address line 2")));
    auto t = open(QStringLiteral("Customers"));
    EXPECT_TRUE(marked(*t).isEmpty());

    // Cancelling the file dialog prints nothing and still clears the marks.
    messages.clear();
    locate(*w.dbCustOut, "Alpha");
    w.cbAll->setChecked(false);
    w.gdCustOutCellClick(Qt::ControlModifier);
    files.answer(QString());
    w.btnTelefon->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(marked(*t).isEmpty());

    // The phone list in New Zealand's address rules: no postcode.
    Service::Country = QStringLiteral("NZ");
    const QString address = dir.file(QStringLiteral("address.pdf"));
    w.cbAll->setChecked(true);
    files.answer(address);
    messages.answer(ui::MsgButton::No);
    w.btnAdress->click();
    EXPECT_EQ(runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), address}).exitCode, 0);
    const QString addressText = pdfText(address);
    EXPECT_TRUE(addressText.contains(QStringLiteral("Customers - addresses")));
    EXPECT_TRUE(addressText.contains(QStringLiteral("Address line 2")));
    EXPECT_FALSE(addressText.contains(QStringLiteral("Postcode")));
    EXPECT_FALSE(addressText.contains(QStringLiteral("Zip")));
    w.close();
}

TEST_F(CustOutTest, PdfFileNamesCarryTheShortDateAndNeverAFolder) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDate eve(2026, 12, 24);
    const QString date = QLocale().toString(eve, Dates::shortFormat());
    EXPECT_EQ(TfmCustOut::pdfFileName(TfmCustOut::List::Phone, eve),
              QStringLiteral("Customers phone list ") + date + QStringLiteral(".pdf"));
    EXPECT_TRUE(date.startsWith(QStringLiteral("24.12.")));
    EXPECT_EQ(TfmCustOut::pdfFileName(TfmCustOut::List::Address, eve),
              QStringLiteral("Customers address list ") + date + QStringLiteral(".pdf"));
    EXPECT_EQ(TfmCustOut::pdfFileName(TfmCustOut::List::Sales, eve),
              QStringLiteral("Customers sales list ") + date + QStringLiteral(".pdf"));
    // A short date with slashes would name folders.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString us = TfmCustOut::pdfFileName(TfmCustOut::List::All, eve);
    EXPECT_FALSE(us.contains(QLatin1Char('/'))) << us.toStdString();
    EXPECT_TRUE(us.startsWith(QStringLiteral("Customers all data 12-24-")));
    QLocale::setDefault(before);
}

TEST_F(CustOutTest, RendersTheWindowsWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    auto grab = [&](QWidget* w, const char* name) {
        w->show();
        w->raise();
        w->activateWindow();
        QTest::qWait(200);
        EXPECT_TRUE(w->grab().save(out + QLatin1Char('/') + QLatin1String(name)));
    };
    ModalScript modal;
    {
        TfmCustreg w(nullptr);
        grab(&w, "custreg.png");
        w.close();
    }
    {
        TfmCustOut w(nullptr);
        locate(*w.dbCustOut, "Beta");
        w.gdCustOutCellClick(Qt::ControlModifier);
        grab(&w, "custout.png");
        w.cbAll->setChecked(true);
        for (QPushButton* b : {w.btnTelefon, w.btnAdress}) {
            const QString name = b->objectName() + QStringLiteral(".png");
            modal.on(QStringLiteral("ReportPreview"), [&grab, name](QWidget* p) {
                p->resize(900, 1000);
                grab(p, name.toLatin1().constData());
            });
            b->click();
        }
        w.close();
    }
    addHead({"Invoice", "1", "1001", "500", true, "200"});
    addHead({"Invoice", "1", "", "300", false});
    TfmCustInvoices h(nullptr, "1", "Alpha");
    grab(&h, "custinvoices.png");
    h.close();
    TfmProdreg p(nullptr);
    grab(&p, "prodreg.png");
    p.close();
}
