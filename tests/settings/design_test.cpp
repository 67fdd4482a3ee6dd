#include "settings/design.h"
#include "settings/designlist.h"
#include "settings/documentdata.h"
#include "settings/freetexts.h"

#include "db/datasetup.h"
#include "printing/designtestprint.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"

#include "settingstest.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kSetup = QStringLiteral("TfmDocumentdata");
const QString kDesign = QStringLiteral("TfmDesign");

const QByteArray kList = "; the designs\n[Invoice]\nClassic=Classic\nCompany in heading=Heading\n"
                         "Letter=Letter\n";

QListWidget* list(QWidget* w) {
    return control<QListWidget>(w, "lbDesigns");
}

void click(QWidget* w, const char* name) {
    control<QPushButton>(w, name)->click();
}

// Records what the test print is asked for while alive.
class TestPrintRecorder {
public:
    TestPrintRecorder() {
        m_previous = printing::setTestPrintHandler([this](const printing::TestPrintRequest& r) {
            m_requests.push_back(r);
            m_owners << (r.owner ? r.owner->objectName() : QString());
        });
    }
    ~TestPrintRecorder() { printing::setTestPrintHandler(m_previous); }
    const std::vector<printing::TestPrintRequest>& requests() const { return m_requests; }
    const QStringList& owners() const { return m_owners; }

private:
    std::vector<printing::TestPrintRequest> m_requests;
    QStringList m_owners;
    printing::TestPrintHandler m_previous;
};

// Opens the program setup, and from it the design selection, in which act works.
void inSetup(const std::function<void(TfmDesign*)>& act) {
    ModalScript script;
    script.on(kSetup, [](QWidget* setup) {
        click(setup, "btnInvoiceDesign");
        setup->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
    });
    script.on(kDesign, [&](QWidget* w) {
        act(static_cast<TfmDesign*>(w));
        w->findChild<QAction*>(QStringLiteral("mnAter"))->trigger();
    });
    ui::execModal<TfmDocumentdata>(nullptr);
    ASSERT_EQ(script.shown(), QStringList({kSetup, kDesign}));
}

} // namespace

TEST(DesignSelection, SavingTheSelectedDesignChangesPrintingAtOnceAndTheFileWithTheSetup) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(DesignList::kFileName), kList);
    HelpRecorder help;
    QString shownInSetup;
    inSetup([&](TfmDesign* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Invoice design"));
        ASSERT_EQ(list(w)->count(), 3);
        EXPECT_EQ(list(w)->item(1)->text(), QStringLiteral("Company in heading"));
        EXPECT_EQ(list(w)->currentRow(), 0) << "the first entry is selected";
        EXPECT_TRUE(control<QLabel>(w, "Label1")->isHidden());
        EXPECT_TRUE(w->FViewFile.isEmpty());
        list(w)->setCurrentRow(1);
        click(w, "btnVal");
        EXPECT_FALSE(control<QLabel>(w, "Label1")->isHidden());
        EXPECT_EQ(Service::DesignFile, dir.file(QStringLiteral("Heading.ini")));
        EXPECT_EQ(fmDocumentdata->FDesignName, QStringLiteral("Company in heading"));
        EXPECT_EQ(fmDocumentdata->FDesignFile, Service::DesignFile);
        // Entering the list again hides "Design saved".
        list(w)->setFocus();
        w->lbDesignsEnter();
        EXPECT_TRUE(control<QLabel>(w, "Label1")->isHidden());
        w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
    });
    EXPECT_EQ(help.contexts(), QList<int>({550}));
    const QString ini = dir.file(QLatin1String(Service::kInvoiceIni));
    EXPECT_EQ(storedValue(ini, QStringLiteral("Invoice"), QStringLiteral("DesignName")),
              QStringLiteral("Company in heading"));
    EXPECT_EQ(storedValue(ini, QStringLiteral("Invoice"), QStringLiteral("DesignFile")),
              dir.file(QStringLiteral("Heading.ini")));
}

TEST(DesignSelection, AnEmptyOrMissingListSavesNothing) {
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty list" : "missing list");
        TempDataDir dir;
        if (empty)
            dir.writeFile(QLatin1String(DesignList::kFileName), "[Invoice]\n");
        dir.writeFile(QLatin1String(Service::kInvoiceIni),
                      "[Invoice]\nDesignName=Old\nDesignFile=/old/Old.ini\n");
        Service::DesignFile = QStringLiteral("/old/Old.ini");
        TestPrintRecorder prints;
        inSetup([](TfmDesign* w) {
            EXPECT_EQ(list(w)->count(), 0);
            click(w, "btnVal");
            EXPECT_FALSE(control<QLabel>(w, "Label1")->isHidden());
            EXPECT_EQ(fmDocumentdata->FDesignName, QStringLiteral("Old"));
            // Nothing to view: the saved design is shown.
            click(w, "btnView");
        });
        EXPECT_EQ(Service::DesignFile, QStringLiteral("/old/Old.ini"));
        ASSERT_EQ(prints.requests().size(), 1u);
        EXPECT_EQ(prints.requests()[0].designFile, QStringLiteral("/old/Old.ini"));
    }
}

TEST(DesignSelection, ViewShowsTheSelectedDesignNotTheSavedOne) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(DesignList::kFileName), kList);
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nDesignName=Classic\nDesignFile=" +
                      dir.file(QStringLiteral("Classic.ini")).toUtf8() + "\n");
    TestPrintRecorder prints;
    inSetup([](TfmDesign* w) {
        list(w)->setCurrentRow(2);
        click(w, "btnView");
        EXPECT_EQ(w->FViewFile, Service::filePath(Service::DataDir, QStringLiteral("Letter.ini")));
    });
    ASSERT_EQ(prints.requests().size(), 1u);
    const printing::TestPrintRequest& r = prints.requests()[0];
    EXPECT_EQ(r.source, printing::TestPrintRequest::Source::DesignSelection);
    EXPECT_EQ(prints.owners(), QStringList({kDesign}));
    EXPECT_EQ(r.designFile, dir.file(QStringLiteral("Letter.ini")));
}

TEST(DesignSelection, WithNothingSavedViewAsksToSaveFirst) {
    TempDataDir dir;
    dir.writeFile(QLatin1String(DesignList::kFileName), kList);
    TestPrintRecorder prints;
    MessageRecorder messages;
    inSetup([](TfmDesign* w) {
        EXPECT_EQ(list(w)->currentRow(), 0);
        click(w, "btnView");
    });
    EXPECT_TRUE(prints.requests().empty());
    EXPECT_EQ(
        messages.texts(),
        QStringList({QStringLiteral("No design selected.\r\nYou must save a design first.")}));
}

TEST(DesignSelection, ANameGivenTwiceKeepsEachNameWithItsOwnFile) {
    // Names and files are read from the same lines, so the list never shows one design and
    // saves another.
    TempDataDir dir;
    dir.writeFile(QLatin1String(DesignList::kFileName),
                  "[Invoice]\nClassic=Classic\nCLASSIC=Other\nLetter=Letter\nodd line\n"
                  "Plain = Plain\n");
    const std::vector<DesignList::Entry> entries = DesignList::read(dir.path());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].name, QStringLiteral("Letter"));
    EXPECT_EQ(entries[1].base, QStringLiteral("Letter"));
    EXPECT_EQ(entries[2].name, QStringLiteral("Plain"));
    EXPECT_EQ(entries[2].base, QStringLiteral("Plain"));
    inSetup([](TfmDesign* w) {
        ASSERT_EQ(list(w)->count(), 3);
        list(w)->setCurrentRow(1);
        click(w, "btnVal");
    });
    EXPECT_EQ(Service::DesignFile, dir.file(QStringLiteral("Letter.ini")));
}

TEST(DesignSelection, TheInterimTestPrintShowsTheViewedDesign) {
    // Until the test print window is there, the design is previewed without rows.
    TempDataDir dir;
    ASSERT_TRUE(Service::copyShippedDataFiles(dir.path()));
    dir.writeFile(QLatin1String(Service::kInvoiceIni),
                  "[Invoice]\nDesignName=Classic\nDesignFile=" +
                      dir.file(QStringLiteral("Classic.ini")).toUtf8() + "\n");
    Service::CompanyName = QStringLiteral("Northwind Trading Ltd");
    std::vector<report::PreparedDocument> previews;
    ModalScript script;
    script.on(kSetup, [](QWidget* setup) {
        click(setup, "btnInvoiceDesign");
        setup->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
    });
    script.on(kDesign, [&](QWidget* w) {
        const QList<QListWidgetItem*> letter =
            list(w)->findItems(QStringLiteral("Letter"), Qt::MatchExactly);
        ASSERT_EQ(letter.size(), 1);
        list(w)->setCurrentItem(letter[0]);
        click(w, "btnView");
        w->findChild<QAction*>(QStringLiteral("mnAter"))->trigger();
    });
    script.on(QStringLiteral("ReportPreview"), [&](QWidget* p) {
        previews.push_back(static_cast<report::PreviewWindow*>(p)->document());
    });
    ui::execModal<TfmDocumentdata>(nullptr);
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].paperSize, report::PaperSize::Letter) << "the Letter design";
    bool company = false;
    for (const report::PlacedElement& e : previews[0].pages.at(0).elements)
        company = company || (e.visible && e.text == Service::CompanyName);
    EXPECT_TRUE(company);
}

TEST(DesignSelection, RendersTheWindowAndTheInterimTestPrintsWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    TempDataDir dir;
    QString error;
    ASSERT_TRUE(db::prepareDataDir(dir.path(), true, &error)) << error.toStdString();
    Service::GetCompany();
    Service::UserDefaultValues();
    auto grab = [&](QWidget* w, const QString& name) {
        w->show();
        w->raise();
        w->activateWindow();
        QTest::qWait(200);
        EXPECT_TRUE(w->grab().save(out + QLatin1Char('/') + name));
    };
    ModalScript script;
    script.on(QStringLiteral("ReportPreview"), [&](QWidget* p) {
        p->setWindowState(Qt::WindowNoState);
        p->resize(1000, 760);
        grab(p, QStringLiteral("design-preview.png"));
    });
    {
        TfmDesign w(nullptr);
        grab(&w, QStringLiteral("design.png"));
        list(&w)->setCurrentRow(1);
        click(&w, "btnView");
        w.close();
    }
    script.on(QStringLiteral("ReportPreview"), [&](QWidget* p) {
        p->setWindowState(Qt::WindowNoState);
        p->resize(1000, 500);
        grab(p, QStringLiteral("freetext-preview.png"));
    });
    printing::TestPrintRequest request;
    request.source = printing::TestPrintRequest::Source::FreeTextEditor;
    request.designFile = Service::DesignFile;
    request.freeText = FreeTexts::storedText(dir.path(), Service::FriTextNamn).value_or(QString());
    printing::runTestPrint(request);
}
