#include "settings/documentdata.h"
#include "settings/freetexts.h"
#include "settings/fritext.h"
#include "settings/richtextediting.h"
#include "settings/ruler.h"

#include "db/datasetup.h"
#include "db/table.h"
#include "printing/designtestprint.h"
#include "printing/tfmqrtryinvoice.h"
#include "report/preview.h"
#include "report/rtf.h"
#include "report/textlayout.h"
#include "service/service.h"

#include "settingstest.h"
#include "support/testenv.h"
#include "support/uihooks.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kWindow = QStringLiteral("TfmFriText");

// A data directory with every table and the given free texts (name, text), in this order.
class FreeTextTest : public ::testing::Test {
protected:
    void checkEveryToolbarAttributePrints();
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
    }

    std::unique_ptr<db::Table> table() {
        auto t = std::make_unique<db::Table>();
        FreeTexts::open(*t, dir.path());
        return t;
    }

    void addTexts(const std::vector<std::pair<QString, QString>>& texts) {
        auto t = table();
        for (const auto& [name, text] : texts) {
            t->Append();
            t->FieldByName(QStringLiteral("Name")).setAsString(name);
            t->FieldByName(QStringLiteral("Text")).setAsString(text);
            t->Post();
        }
    }

    // The texts as stored: name and text of every record, in primary order.
    std::vector<std::pair<QString, QString>> stored() {
        auto t = table();
        std::vector<std::pair<QString, QString>> out;
        for (t->First(); !t->Eof(); t->Next())
            out.emplace_back(t->FieldByName(QStringLiteral("Name")).AsString(),
                             t->FieldByName(QStringLiteral("Text")).AsString());
        return out;
    }

    // Opens the editor modally (owned by owner), lets act work in it, then leaves by "Back".
    void run(const std::function<void(TfmFriText*)>& act, QWidget* owner = nullptr) {
        ModalScript script;
        bool shown = false;
        script.on(kWindow, [&](QWidget* w) {
            shown = true;
            act(static_cast<TfmFriText*>(w));
            w->findChild<QAction*>(QStringLiteral("mnAter"))->trigger();
        });
        ui::execModal<TfmFriText>(owner);
        ASSERT_TRUE(shown);
    }

    TempDataDir dir;
};

QString currentName(TfmFriText* w) {
    return w->table()->FieldByName(QStringLiteral("Name")).AsString();
}

QTextEdit* editor(TfmFriText* w) {
    return control<QTextEdit>(w, "dbreText");
}

QToolButton* button(TfmFriText* w, const char* name) {
    return control<QToolButton>(w, name);
}

QString rtf(const char* body) {
    return QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") +
           QLatin1String(body) + QLatin1Char('}');
}

// The first record of the table whose "Name" is the name.
void moveTo(TfmFriText* w, const QString& name) {
    ASSERT_TRUE(FreeTexts::locate(*w->table(), name)) << name.toStdString();
}

void selectAll(TfmFriText* w) {
    QTextEdit* e = editor(w);
    e->selectAll();
}

} // namespace

TEST_F(FreeTextTest, OpensOnTheSelectedTextAndFindsTheFirstOfTwoThatDifferInCase) {
    addTexts({{"Alpha", rtf("alpha")}, {"standard", rtf("lower")}, {"Standard", rtf("upper")}});
    Service::FriTextNamn = QStringLiteral("STANDARD");
    HelpRecorder help;
    run([](TfmFriText* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Free text on documents"));
        EXPECT_EQ(currentName(w), QStringLiteral("standard"));
        EXPECT_EQ(editor(w)->toPlainText(), QStringLiteral("lower"));
        // The toolbar shows, and typing takes, the format of the text where the cursor is.
        EXPECT_EQ(control<QComboBox>(w, "FontName")->currentText(), QStringLiteral("Arial"));
        EXPECT_EQ(control<QSpinBox>(w, "FontSize")->value(), 10);
        EXPECT_EQ(w->table()->State(), db::DataSetState::Edit) << "typing edits at once";
        EXPECT_TRUE(control<QLabel>(w, "Label2")->isHidden());
        EXPECT_TRUE(control<QPlainTextEdit>(w, "Memo1")->isReadOnly());
        EXPECT_EQ(control<QPlainTextEdit>(w, "Memo1")->document()->blockCount(), 3);
        EXPECT_GT(control<QComboBox>(w, "FontName")->count(), 0);
        EXPECT_EQ(control<Ruler>(w, "Ruler")->text().count(QStringLiteral("\t|")), 100);
        EXPECT_EQ(editor(w)->document()->documentMargin(), 6) << "the text rectangle";
        w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
        // Moving to another record puts that one into edit mode too.
        w->table()->Next();
        EXPECT_EQ(currentName(w), QStringLiteral("Standard"));
        EXPECT_EQ(w->table()->State(), db::DataSetState::Edit);
        EXPECT_EQ(editor(w)->toPlainText(), QStringLiteral("upper"));
    });
    EXPECT_EQ(help.contexts(), QList<int>({395}));

    // A name that matches nothing leaves the window on the first record.
    Service::FriTextNamn = QStringLiteral("Nothing like it");
    run([](TfmFriText* w) { EXPECT_EQ(currentName(w), QStringLiteral("Alpha")); });
}

TEST_F(FreeTextTest, EditsAreStoredAsRtfWhenTheRecordIsLeftOrTheWindowCloses) {
    addTexts({{"First", rtf("one")}, {"Second", QStringLiteral("<p>two as <b>html</b></p>")}});
    run([](TfmFriText* w) {
        QTextEdit* e = editor(w);
        e->moveCursor(QTextCursor::End);
        QTest::keyClicks(e, QStringLiteral(" more"));
        w->table()->Next(); // posts the first record
        EXPECT_EQ(e->toPlainText(), QStringLiteral("two as html")) << "older texts still show";
        e->moveCursor(QTextCursor::End);
        e->moveCursor(QTextCursor::StartOfWord, QTextCursor::KeepAnchor);
        button(w, "ItalicButton")->click();
    });
    const auto texts = stored();
    ASSERT_EQ(texts.size(), 2u);
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(report::isRtf(text)) << text.toStdString();
    }
    QTextDocument first, second;
    first.setHtml(report::rtfToHtml(texts[0].second.toLatin1()));
    second.setHtml(report::rtfToHtml(texts[1].second.toLatin1()));
    EXPECT_EQ(first.toPlainText(), QStringLiteral("one more"));
    EXPECT_EQ(second.toPlainText(), QStringLiteral("two as html"));
    QTextCursor html(&second);
    html.movePosition(QTextCursor::End);
    EXPECT_TRUE(html.charFormat().fontItalic());
    EXPECT_EQ(html.charFormat().fontWeight(), QFont::Bold) << "the older text's bold is kept";
}

TEST_F(FreeTextTest, SelectSetsTheGlobalAtOnceAndTheSettingsFileOnlyWithTheProgramSetup) {
    addTexts({{"Standard", rtf("standard")}, {"Reminder", rtf("reminder")}});
    dir.writeFile(QLatin1String(Service::kInvoiceIni), "[Invoice]\nFreeText=Standard\n");
    Service::FriTextNamn = QStringLiteral("Standard");
    const QString ini = dir.file(QLatin1String(Service::kInvoiceIni));

    // From the invoice editor (any window): the global changes for the rest of the run.
    QWidget invoiceEditor;
    run(
        [](TfmFriText* w) {
            moveTo(w, QStringLiteral("Reminder"));
            control<QPushButton>(w, "btnValj")->click();
            EXPECT_FALSE(control<QLabel>(w, "Label2")->isHidden());
        },
        &invoiceEditor);
    EXPECT_EQ(Service::FriTextNamn, QStringLiteral("Reminder"));
    EXPECT_EQ(storedValue(ini, QStringLiteral("Invoice"), QStringLiteral("FreeText")),
              QStringLiteral("Standard"));

    // From the program setup: its box shows the choice, and closing the setup stores it.
    ModalScript script;
    script.on(QStringLiteral("TfmDocumentdata"), [](QWidget* setup) {
        control<QPushButton>(setup, "Button1")->click();
        EXPECT_EQ(control<QLineEdit>(setup, "edFreeText")->text(), QStringLiteral("Standard"));
        setup->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
    });
    script.on(kWindow, [](QWidget* w) {
        auto* fm = static_cast<TfmFriText*>(w);
        EXPECT_EQ(currentName(fm), QStringLiteral("Reminder")) << "the selected text";
        moveTo(fm, QStringLiteral("Standard"));
        control<QPushButton>(w, "btnValj")->click();
        EXPECT_EQ(control<QLineEdit>(w->parentWidget(), "edFreeText")->text(),
                  QStringLiteral("Standard"));
    });
    ui::execModal<TfmDocumentdata>(nullptr);
    EXPECT_EQ(script.shown(), QStringList({QStringLiteral("TfmDocumentdata"), kWindow}));
    EXPECT_EQ(storedValue(ini, QStringLiteral("Invoice"), QStringLiteral("FreeText")),
              QStringLiteral("Standard"));
}

TEST_F(FreeTextTest, LookingWithoutTypingChangesNoText) {
    // Neither an empty table nor a stored text is written by only opening and closing, even
    // where the editor sets its page margin and fonts on the document.
    run([](TfmFriText* w) { EXPECT_TRUE(w->table()->IsEmpty()); });
    EXPECT_TRUE(stored().empty());
    addTexts({{"Html", QStringLiteral("<p>kept <b>as it is</b></p>")}, {"Plain", "plain"}});
    run([](TfmFriText* w) {
        w->table()->Next();
        w->resize(w->width() + 40, w->height());
        QApplication::processEvents();
    });
    EXPECT_EQ(stored(),
              (std::vector<std::pair<QString, QString>>{
                  {"Html", QStringLiteral("<p>kept <b>as it is</b></p>")}, {"Plain", "plain"}}));
}

TEST_F(FreeTextTest, NewDeleteAndAnEmptyTable) {
    addTexts({{"Keep", rtf("keep")}, {"Drop", rtf("drop")}});
    MessageRecorder messages;
    run([&](TfmFriText* w) {
        // A new record nobody typed into is not stored.
        control<QPushButton>(w, "btnNy")->click();
        EXPECT_EQ(w->table()->State(), db::DataSetState::Insert);
        EXPECT_TRUE(control<QWidget>(w, "gdFritext")->hasFocus() || !w->isActiveWindow());
        EXPECT_TRUE(editor(w)->toPlainText().isEmpty());
        moveTo(w, QStringLiteral("Drop"));
        messages.answer(ui::MsgButton::No);
        control<QPushButton>(w, "btnRadera")->click();
        EXPECT_EQ(currentName(w), QStringLiteral("Drop"));
        messages.answer(ui::MsgButton::Yes);
        control<QPushButton>(w, "btnRadera")->click();
        EXPECT_EQ(currentName(w), QStringLiteral("Keep"));
        EXPECT_EQ(w->table()->State(), db::DataSetState::Edit);
        // A new one that gets a name and a text is stored.
        control<QPushButton>(w, "btnNy")->click();
        w->table()->FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Fresh"));
        QTest::keyClicks(editor(w), QStringLiteral("fresh text"));
    });
    EXPECT_EQ(messages.texts(), QStringList(2, QStringLiteral("Do you want to delete?")));
    auto texts = stored();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].first, QStringLiteral("Keep"));
    EXPECT_EQ(texts[1].first, QStringLiteral("Fresh"));
    QTextDocument fresh;
    fresh.setHtml(report::rtfToHtml(texts[1].second.toLatin1()));
    EXPECT_EQ(fresh.toPlainText(), QStringLiteral("fresh text"));

    // Deleting everything, then deleting again and closing on an empty table.
    messages.clear();
    messages.setDefaultAnswer(ui::MsgButton::Yes);
    run([](TfmFriText* w) {
        for (int i = 0; i < 3; ++i)
            control<QPushButton>(w, "btnRadera")->click();
        EXPECT_TRUE(w->table()->IsEmpty());
        control<QPushButton>(w, "btnValj")->click();
    });
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(messages.messages().size(), 3u);
    EXPECT_EQ(Service::FriTextNamn, QString());
}

TEST_F(FreeTextTest, DeletingTheSelectedTextLeavesItsNameWithoutAText) {
    addTexts({{"Standard", rtf("standard")}, {"Gone", rtf("gone")}});
    Service::FriTextNamn = QStringLiteral("Gone");
    MessageRecorder messages(ui::MsgButton::Yes);
    run([](TfmFriText* w) {
        EXPECT_EQ(currentName(w), QStringLiteral("Gone"));
        control<QPushButton>(w, "btnRadera")->click();
    });
    EXPECT_EQ(Service::FriTextNamn, QStringLiteral("Gone"));
    EXPECT_FALSE(FreeTexts::storedText(dir.path(), Service::FriTextNamn).has_value());
    EXPECT_EQ(FreeTexts::storedText(dir.path(), QStringLiteral("STANDARD")), rtf("standard"));
}

TEST_F(FreeTextTest, TestPrintShowsTheStoredTextAndStoresPendingEditsAfterwards) {
    addTexts({{"Standard", rtf("stored")}, {"Other", rtf("other")}});
    Service::FriTextNamn = QStringLiteral("Standard");
    Service::DesignFile = dir.file(QStringLiteral("Classic.ini"));
    std::vector<printing::TestPrintRequest> requests;
    QString storedDuringPrint, owner;
    const auto previous = printing::setTestPrintHandler([&](const printing::TestPrintRequest& r) {
        requests.push_back(r);
        owner = r.owner ? r.owner->objectName() : QString();
        storedDuringPrint = FreeTexts::storedText(dir.path(), QStringLiteral("Standard")).value();
    });
    run([](TfmFriText* w) {
        editor(w)->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor(w), QStringLiteral(" and typed"));
        w->findChild<QAction*>(QStringLiteral("Utskrift1"))->trigger();
        EXPECT_EQ(currentName(w), QStringLiteral("Standard")) << "back on the record";
        EXPECT_EQ(w->table()->State(), db::DataSetState::Edit);
        EXPECT_EQ(editor(w)->toPlainText(), QStringLiteral("stored and typed"));
    });
    printing::setTestPrintHandler(previous);
    ASSERT_EQ(requests.size(), 1u);
    const printing::TestPrintRequest& r = requests[0];
    EXPECT_EQ(r.source, printing::TestPrintRequest::Source::FreeTextEditor);
    EXPECT_EQ(owner, kWindow);
    EXPECT_EQ(r.designFile, Service::DesignFile);
    EXPECT_EQ(r.freeTextName, QStringLiteral("Standard"));
    EXPECT_EQ(r.freeText, rtf("stored")) << "edits not stored yet are not printed";
    EXPECT_EQ(storedDuringPrint, rtf("stored"));
    QTextDocument after;
    after.setHtml(report::rtfToHtml(stored()[0].second.toLatin1()));
    EXPECT_EQ(after.toPlainText(), QStringLiteral("stored and typed")) << "stored afterwards";
}

TEST_F(FreeTextTest, AFontSizeThatIsNotAWholeNumberIsRefused) {
    addTexts({{"Standard", rtf("text")}});
    MessageRecorder messages;
    run([&](TfmFriText* w) {
        auto* size = control<QSpinBox>(w, "FontSize");
        selectAll(w);
        size->setValue(14);
        EXPECT_EQ(editor(w)->currentCharFormat().fontPointSize(), 14);
        size->findChild<QLineEdit*>()->setText(QString());
        QTest::keyClick(size, Qt::Key_Return);
        EXPECT_EQ(size->value(), 14);
        EXPECT_EQ(editor(w)->currentCharFormat().fontPointSize(), 14);
    });
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.texts()[0], QStringLiteral("'' is not a valid integer value"));
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
}

TEST_F(FreeTextTest, PastedTextKeepsOnlyWhatPrints) {
    addTexts({{"Standard", QString()}});
    run([](TfmFriText* w) {
        auto* e = static_cast<FreeTextEdit*>(editor(w));
        // Pasting and dropping both insert through insertFromMimeData.
        auto* html = new QMimeData;
        html->setHtml(QStringLiteral("<p style='color:red; background:yellow'><b>Red</b> "
                                     "<img src='x.png'/><span style='font-size:20pt'>big</span>"
                                     "</p><table><tr><td>cell</td></tr></table>"));
        QApplication::clipboard()->setMimeData(html);
        e->paste();
        const QString text = e->document()->toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("Red"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("cell")));
        EXPECT_FALSE(text.contains(QChar::ObjectReplacementCharacter)) << "no pictures";
        bool bold = false, big = false;
        for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next())
            for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush)) << "no colours";
                EXPECT_FALSE(f.hasProperty(QTextFormat::BackgroundBrush));
                bold = bold || f.fontWeight() == QFont::Bold;
                big = big || f.fontPointSize() == 20;
            }
        EXPECT_TRUE(bold && big) << "what prints is kept";
        auto* plain = new QMimeData;
        plain->setText(QStringLiteral("a\tb"));
        QApplication::clipboard()->setMimeData(plain);
        e->moveCursor(QTextCursor::End);
        e->paste();
        EXPECT_TRUE(e->document()->toPlainText().endsWith(QStringLiteral("a b")));
    });
}

TEST_F(FreeTextTest, TheRulerFollowsTheEditorsWidth) {
    addTexts({{"Standard", rtf("\\ri600 text")}});
    run([](TfmFriText* w) {
        w->show();
        auto* ruler = control<Ruler>(w, "Ruler");
        QTextEdit* e = editor(w);
        for (const int width : {900, 1000}) {
            w->resize(width, 600);
            QApplication::processEvents();
            EXPECT_EQ(ruler->clientWidth(), e->viewport()->width());
            EXPECT_EQ(ruler->RightInd->left(),
                      RichTextEditing::Ruler::rightIndLeft({0, 0, 30}, e->viewport()->width()));
            EXPECT_EQ(ruler->RightInd->mapTo(w, QPoint()).x() - ruler->RightInd->left(),
                      e->viewport()->mapTo(w, QPoint()).x())
                << "the ruler stands over the text";
        }
    });
}

TEST_F(FreeTextTest, RendersTheWindowWhenAsked) {
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    if (out.isEmpty())
        GTEST_SKIP() << "MEROVIA_RENDER_DIR not set";
    QString error;
    ASSERT_TRUE(db::fillDemo(dir.path(), &error)) << error.toStdString();
    Service::FriTextNamn = QStringLiteral("Standard");
    for (const QSize screen : {QSize(1280, 800), QSize(1024, 768)}) {
        TfmFriText w(nullptr);
        w.show();
        w.move(0, 0);
        w.raise();
        w.activateWindow();
        QTest::qWait(200);
        QTextEdit* e = editor(&w);
        e->setFocus();
        QTextCursor c = e->textCursor();
        c.movePosition(QTextCursor::End);
        c.insertBlock();
        e->setTextCursor(c);
        button(&w, "BulletsButton")->click();
        QTest::keyClicks(e, QStringLiteral("Bullet point in bold"));
        e->selectAll();
        QTest::qWait(200);
        const QString name = QStringLiteral("%1/fritext-%2x%3.png")
                                 .arg(out)
                                 .arg(screen.width())
                                 .arg(screen.height());
        EXPECT_TRUE(w.grab().save(name));
        EXPECT_LE(w.width(), screen.width());
        EXPECT_LE(w.frameGeometry().height(), screen.height());
        w.close();
    }
}

namespace {

// Drags a ruler marker: pressed at its middle, moved by dx pixels, let go.
void drag(TfmFriText* w, RulerMarker* marker, int dx) {
    const int middle = marker->left() + marker->width() / 2;
    w->RulerItemMouseDown(marker, middle);
    w->RulerItemMouseMove(marker, middle + dx / 2);
    w->RulerItemMouseMove(marker, middle + dx);
    if (marker->objectName() == QLatin1String("FirstInd"))
        w->FirstIndMouseUp();
    else if (marker->objectName() == QLatin1String("LeftInd"))
        w->LeftIndMouseUp();
    else
        w->RightIndMouseUp();
}

void typeParagraph(QTextEdit* e, const QString& text) {
    QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClicks(e, text);
}

void selectParagraph(QTextEdit* e) {
    QTextCursor c = e->textCursor();
    c.movePosition(QTextCursor::StartOfBlock);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    e->setTextCursor(c);
}

} // namespace

// Writes a text with every attribute of the toolbar and compares the runs the test print laid
// out with the editor's own layout of the same text.
void FreeTextTest::checkEveryToolbarAttributePrints() {
    // The default place of the free text (600 units wide), made tall enough for all of it.
    Service::DesignFile =
        dir.writeFile(QStringLiteral("Tall.ini"), "[Totals]\nqrMemo1.Height=300\n");
    ModalScript script;
    report::PreparedDocument printed;
    int previews = 0;
    QString editorHtml;
    script.on(QStringLiteral("FontDialog1"), [](QWidget* d) {
        QFont f(QStringLiteral("Liberation Mono"), 11);
        f.setStrikeOut(true);
        static_cast<QFontDialog*>(d)->setCurrentFont(f);
        static_cast<QFontDialog*>(d)->accept();
    });
    const QString out = QString::fromLocal8Bit(qgetenv("MEROVIA_RENDER_DIR"));
    script.on(QStringLiteral("ReportPreview"), [&](QWidget* p) {
        ++previews;
        printed = static_cast<report::PreviewWindow*>(p)->document();
        if (!out.isEmpty()) {
            p->setWindowState(Qt::WindowNoState);
            p->resize(1000, 420);
            p->show();
            QTest::qWait(200);
            p->grab().save(out + QStringLiteral("/fritext-testprint.png"));
            p->parentWidget()->grab().save(out + QStringLiteral("/fritext-all.png"));
        }
    });
    script.on(kWindow, [&](QWidget* window) {
        auto* w = static_cast<TfmFriText*>(window);
        control<QPushButton>(w, "btnNy")->click();
        w->table()->FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("All"));
        QTextEdit* e = editor(w);
        e->setFocus();
        auto* size = control<QSpinBox>(w, "FontSize");

        QTest::keyClicks(e, QStringLiteral("Terms of payment"));
        selectParagraph(e);
        w->FontNameChange(QStringLiteral("Liberation Serif"));
        size->setValue(16);
        button(w, "BoldButton")->click();
        button(w, "CenterAlign")->click();
        EXPECT_TRUE(button(w, "BoldButton")->isChecked());
        e->moveCursor(QTextCursor::End);

        typeParagraph(e, QStringLiteral("Plain, "));
        button(w, "LeftAlign")->click();
        button(w, "BoldButton")->click(); // off again for what follows
        w->FontNameChange(QStringLiteral("Liberation Sans"));
        size->setValue(10);
        button(w, "ItalicButton")->click();
        QTest::keyClicks(e, QStringLiteral("italic, "));
        button(w, "ItalicButton")->click();
        button(w, "UnderlineButton")->click();
        QTest::keyClicks(e, QStringLiteral("underlined"));
        button(w, "UnderlineButton")->click();
        control<QToolButton>(w, "ToolButton3")->click(); // the font dialog: strike-out
        QTest::keyClicks(e, QStringLiteral(" and a long run in the font of the dialog that "
                                           "wraps onto the next lines of the paragraph"));
        // Indents by the ruler: the first line in, the others further, the right side in.
        auto* ruler = control<Ruler>(w, "Ruler");
        drag(w, ruler->FirstInd, 40);
        drag(w, ruler->LeftInd, 80);
        drag(w, ruler->RightInd, -60);
        const RichTextEditing::Indents indents =
            RichTextEditing::indentsOf(e->textCursor().block());
        EXPECT_EQ(indents.first, 30);
        EXPECT_EQ(indents.first + indents.left, 60);
        EXPECT_EQ(indents.right, 45);

        typeParagraph(e, QStringLiteral("First point"));
        button(w, "BulletsButton")->click();
        EXPECT_TRUE(button(w, "BulletsButton")->isChecked());
        typeParagraph(e, QStringLiteral("Second point"));
        typeParagraph(e, QStringLiteral("Right aligned"));
        button(w, "BulletsButton")->click();
        button(w, "RightAlign")->click();
        EXPECT_FALSE(button(w, "BulletsButton")->isChecked());

        editorHtml = e->document()->toHtml();
        // Stored when the record is left, then printed.
        w->table()->First();
        w->findChild<QAction*>(QStringLiteral("Utskrift1"))->trigger();
        w->findChild<QAction*>(QStringLiteral("mnAter"))->trigger();
    });
    ui::execModal<TfmFriText>(nullptr);
    ASSERT_EQ(previews, 1);
    ASSERT_GE(printed.pageCount(), 1);

    const report::PlacedElement* text = nullptr;
    for (const report::PreparedPage& page : printed.pages)
        for (const report::PlacedElement& e : page.elements)
            if (e.name == QLatin1String("dataFreeText") && e.visible)
                text = &e;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->rect.width(), 600);
    EXPECT_FALSE(text->clip) << "all of it is seen";
    const report::TextBlock shown =
        report::layoutRichText(editorHtml, text->font, text->rect.width());
    ASSERT_EQ(shown.runs.size(), text->runs.size());
    QStringList texts;
    for (size_t i = 0; i < shown.runs.size(); ++i) {
        const report::TextRun& a = shown.runs[i];
        const report::TextRun& b = text->runs[i];
        SCOPED_TRACE(a.text.toStdString());
        texts << b.text.trimmed();
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(a.font, b.font) << a.font.describe().toStdString() << " / "
                                  << b.font.describe().toStdString();
        EXPECT_NEAR(a.origin.x(), b.origin.x() - text->rect.left(), 0.01);
        EXPECT_NEAR(a.origin.y(), b.origin.y() - text->rect.top(), 0.01);
    }
    // Every attribute is there: fonts, sizes, styles, the bullets.
    auto fontOf = [&](const QString& t) {
        for (const report::TextRun& r : text->runs)
            if (r.text.contains(t))
                return r.font;
        ADD_FAILURE() << "no run with " << t.toStdString();
        return report::FontSpec();
    };
    EXPECT_EQ(fontOf(QStringLiteral("Terms")),
              (report::FontSpec{QStringLiteral("Liberation Serif"), 16, true}));
    EXPECT_TRUE(fontOf(QStringLiteral("italic")).italic);
    EXPECT_TRUE(fontOf(QStringLiteral("underlined")).underline);
    EXPECT_EQ(fontOf(QStringLiteral("dialog")),
              (report::FontSpec{QStringLiteral("Liberation Mono"), 11, false, false, false, true}));
    EXPECT_EQ(texts.count(QString(QChar(0x2022))), 2) << texts.join('|').toStdString();
    EXPECT_FALSE(fontOf(QString(QChar(0x2022))).strikeOut) << "the bullet of a struck text";
}

TEST_F(FreeTextTest, EveryToolbarAttributePrintsInTheTestPrintAsTheEditorShowsIt) {
    checkEveryToolbarAttributePrints();
}

TEST_F(FreeTextTest, EveryToolbarAttributePrintsInTheDocumentTestPrintAsTheEditorShowsIt) {
    // The test print of the program: the whole document with its sample rows.
    const printing::TestPrintHandler before = printing::setTestPrintHandler(nullptr);
    printing::installTryInvoice();
    checkEveryToolbarAttributePrints();
    printing::setTestPrintHandler(before);
}

TEST_F(FreeTextTest, ANameBeingTypedInTheGridIsKept) {
    addTexts({{"Old name", rtf("text")}});
    run([](TfmFriText* w) {
        auto* grid = control<QAbstractItemView>(w, "gdFritext");
        w->show();
        const QModelIndex cell = grid->model()->index(0, 0);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* box = grid->findChild<QLineEdit*>();
        ASSERT_NE(box, nullptr);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("New name"));
    });
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0].first, QStringLiteral("New name"));
}
