#include "service/service.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/help.h"
#include "ui/keys.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class CountingForm : public ui::Form {
public:
    CountingForm(QWidget* owner, int* closes)
        : ui::Form(owner, QStringLiteral("TfmCounting"), QStringLiteral("Counting"), 123)
        , m_closes(closes) {
        addBackCommand();
        addHelpCommand();
    }

protected:
    void FormClose() override { ++*m_closes; }

private:
    int* m_closes;
};

} // namespace

TEST(Messages, HookReceivesTextTypeAndButtonsExactly) {
    MessageRecorder messages;
    messages.answer(ui::MsgButton::Yes);
    const QString text = QStringLiteral(
        "This program does not work well\r\rwith less screen resolution than 800 x 600");
    EXPECT_EQ(
        ui::MessageDlg(text, ui::MsgType::Confirmation, ui::MsgButton::Yes | ui::MsgButton::No),
        ui::MsgButton::Yes);
    EXPECT_FALSE(ui::AskYesNo(QStringLiteral("Exit program?")));
    ui::ShowError(QStringLiteral("Bad"), QStringLiteral("Error"));
    ASSERT_EQ(messages.messages().size(), 3u);
    EXPECT_EQ(messages.messages()[0].text, text);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Confirmation);
    EXPECT_EQ(messages.messages()[1].buttons, ui::MsgButton::Yes | ui::MsgButton::No);
    EXPECT_EQ(messages.messages()[2].caption, QStringLiteral("Error"));
    EXPECT_EQ(ui::displayText(text),
              QStringLiteral(
                  "This program does not work well\n\nwith less screen resolution than 800 x 600"));
    EXPECT_EQ(ui::displayText(QStringLiteral("a\n\rb\r\nc")), QStringLiteral("a\nb\nc"));
}

TEST(ModalWindows, TheHookActsInsideAndTheWindowIsReleasedAfterClosing) {
    ModalScript script;
    HelpRecorder help;
    int closes = 0;
    QPointer<QWidget> seen;
    script.on(QStringLiteral("TfmCounting"), [&](QWidget* w) {
        seen = w;
        EXPECT_TRUE(ui::isShownModally(w));
        w->findChild<QAction*>(QStringLiteral("mnHelp"))->trigger();
        w->findChild<QAction*>(QStringLiteral("mnBack"))->trigger();
    });
    ui::execModal<CountingForm>(nullptr, &closes);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(seen.isNull()); // released
    EXPECT_EQ(help.contexts(), QList<int>({123}));
    // A window the hook leaves open is closed, and FormClose still runs.
    ui::execModal<CountingForm>(nullptr, &closes);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(script.shown(),
              QStringList({QStringLiteral("TfmCounting"), QStringLiteral("TfmCounting")}));
}

TEST(ModalWindows, AnErrorLeavingTheModalLoopStillReleasesTheWindow) {
    ModalScript script;
    int closes = 0;
    QPointer<QWidget> seen;
    script.on(QStringLiteral("TfmCounting"), [&](QWidget* w) {
        seen = w;
        throw std::runtime_error("failure inside the window");
    });
    EXPECT_THROW(ui::execModal<CountingForm>(nullptr, &closes), std::runtime_error);
    EXPECT_TRUE(seen.isNull());
}

TEST(FileDialogs, FiltersAreTranslatedAndTheHookAnswers) {
    EXPECT_EQ(ui::toQtFilter(QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|")),
              QStringLiteral("Adobe PDF Files (*.pdf)"));
    EXPECT_EQ(ui::toQtFilter(QStringLiteral("bmp|*.bmp")), QStringLiteral("bmp (*.bmp)"));
    EXPECT_EQ(ui::toQtFilter(QStringLiteral("Text (*.txt);;All (*)")),
              QStringLiteral("Text (*.txt);;All (*)"));
    FileDialogScript files;
    files.answer(QStringLiteral("/tmp/Invoice1023.pdf"));
    EXPECT_EQ(ui::getSaveFileName(nullptr, QString(), QString(), QStringLiteral("Invoice1023.pdf"),
                                  QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|")),
              QStringLiteral("/tmp/Invoice1023.pdf"));
    EXPECT_EQ(ui::getOpenFileName(nullptr, QString(), QString(), QString(), QString()), QString());
    ASSERT_EQ(files.requests().size(), 2u);
    EXPECT_EQ(files.requests()[0].fileName, QStringLiteral("Invoice1023.pdf"));
    EXPECT_EQ(files.requests()[1].kind, ui::FileRequest::Open);
}

TEST(Help, TopicsArePagesInTheHelpFolderAndAMissingOneIsReported) {
    TempDataDir dir;
    Service::HelpDir = dir.path();
    dir.writeFile(QStringLiteral("700.html"), "<h1>Start</h1>");
    EXPECT_EQ(ui::helpTopicPath(700), dir.file(QStringLiteral("700.html")));
    EXPECT_EQ(ui::helpTopicPath(701), QString());
    MessageRecorder messages;
    ui::showHelp(701);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("701")));
}

TEST(Keys, EnterMovesTheFocusToTheNextBox) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* a = new QLineEdit(&window);
    auto* hidden = new QLineEdit(&window);
    auto* b = new QLineEdit(&window);
    layout->addWidget(a);
    layout->addWidget(hidden);
    layout->addWidget(b);
    hidden->hide();
    ui::EnterMovesFocus::install({a, b});
    window.show();
    QApplication::setActiveWindow(&window);
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(b->hasFocus());
}

TEST(ModalWindows, HidingAWindowForAWhileKeepsItsModalShowing) {
    ui::Form form(nullptr, QStringLiteral("TfmAside"), QStringLiteral("Aside"));
    bool hiddenInside = false;
    bool visibleAfter = false;
    QTimer::singleShot(0, &form, [&] {
        form.hideWhile([&] { hiddenInside = !form.isVisible(); });
        // Runs only if the modal loop is still going.
        QTimer::singleShot(0, &form, [&] {
            visibleAfter = form.isVisible();
            form.close();
        });
    });
    form.exec();
    EXPECT_TRUE(hiddenInside);
    EXPECT_TRUE(visibleAfter);
    // A plain hide still ends the showing.
    QTimer::singleShot(0, &form, [&] { form.hide(); });
    form.exec();
    EXPECT_FALSE(form.isVisible());
}
