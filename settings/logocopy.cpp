#include "settings/logocopy.h"

#include "service/service.h"
#include "settings/logging.h"
#include "settings/logotype.h"
#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

const QStringList& instructionLines() {
    static const QStringList lines{
        QStringLiteral("A search window will now open. Find the directory that contains the file"),
        QStringLiteral(" \"Standard.bmp\" or \"Logo.bmp\" (or both)."),
        QString(),
        QStringLiteral("This directory is called \"Databases\" and is located under the program "
                       "directory"),
        QStringLiteral("\"Merovia\". The window will open in the right place if you have a "
                       "standard "),
        QStringLiteral("installation, else you will have to locate it. "),
        QString(),
        QStringLiteral("Select \"Standard.bmp\" or \"Logo.bmp\" (any) and press \"Save\"."),
    };
    return lines;
}

// A read-only memo that reads like a block of text on the window.
QPlainTextEdit* textBlock(const QString& objectName, const QStringList& lines, QWidget* parent,
                          bool framed) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(objectName);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!framed) {
        memo->setFrameShape(QFrame::NoFrame);
        memo->viewport()->setAutoFillBackground(false);
    }
    int width = 0;
    for (const QString& line : lines)
        width = qMax(width, memo->fontMetrics().horizontalAdvance(line));
    const int margins = int(memo->document()->documentMargin() * 2) + memo->frameWidth() * 2 + 8;
    memo->setFixedSize(width + margins,
                       memo->fontMetrics().lineSpacing() * int(lines.size()) + margins);
    return memo;
}

QLabel* label(const QString& objectName, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

void hideAll(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets)
        w->hide();
}

QPushButton* button(const QString& objectName, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfmLogoCopy::TfmLogoCopy(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmLogoCopy"), QStringLiteral("Install logotype"),
               kHelpContext) {
    addBackCommand(QStringLiteral("mnBack"), QStringLiteral("Back"));
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));
    buildControls();
    FormCreate();
}

QString TfmLogoCopy::defaultStartPath() {
    // A drive letter means nothing here; the user's own files are where a picture would be.
    return QDir::toNativeSeparators(QDir::homePath());
}

void TfmLogoCopy::buildControls() {
    QWidget* b = body();
    auto* layout = new QVBoxLayout(b);

    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Find logotype in path:"), b);
    edDrive = new QLineEdit(b);
    edDrive->setObjectName(QStringLiteral("edDrive"));
    edDrive->setMinimumWidth(260);
    Label1->setBuddy(edDrive);
    btnSearch = button(QStringLiteral("btnSearch"), QStringLiteral("Search"), b);
    btnCancel = button(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), b);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Label1);
    searchRow->addWidget(edDrive, 1);
    searchRow->addWidget(btnSearch);
    searchRow->addWidget(btnCancel);
    layout->addLayout(searchRow);

    Memo1 = textBlock(QStringLiteral("Memo1"),
                      {QStringLiteral("You can specify the path as thorough as "),
                       QStringLiteral("you wish but the drive is usually enough.")},
                      b, false);
    layout->addWidget(Memo1);

    lbSearchState = label(QStringLiteral("lbSearchState"), QString(), b);
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("No logotype found in that path."), b);
    layout->addWidget(lbSearchState);
    layout->addWidget(Label3);

    Image1 = label(QStringLiteral("Image1"), QString(), b);
    Image1->setFixedSize(240, 160);
    Image1->setScaledContents(true);
    Image1->setFrameShape(QFrame::StyledPanel);
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Install this picture?"), b);
    btnYes = button(QStringLiteral("btnYes"), QStringLiteral("Yes"), b);
    btnNo = button(QStringLiteral("btnNo"), QStringLiteral("No"), b);
    auto* answers = new QVBoxLayout;
    answers->addWidget(Label2);
    answers->addWidget(btnYes);
    answers->addWidget(btnNo);
    answers->addStretch(1);
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(Image1);
    pictureRow->addSpacing(12);
    pictureRow->addLayout(answers);
    pictureRow->addStretch(1);
    layout->addLayout(pictureRow);

    pnlInfo = new QFrame(b);
    pnlInfo->setObjectName(QStringLiteral("pnlInfo"));
    pnlInfo->setFrameShape(QFrame::StyledPanel);
    Memo2 = textBlock(QStringLiteral("Memo2"), instructionLines(), pnlInfo, true);
    btnOK = button(QStringLiteral("btnOK"), QStringLiteral("OK"), pnlInfo);
    auto* infoLayout = new QVBoxLayout(pnlInfo);
    infoLayout->addWidget(Memo2);
    infoLayout->addWidget(btnOK, 0, Qt::AlignRight);
    layout->addWidget(pnlInfo);

    Label4 = label(QStringLiteral("Label4"), QStringLiteral("Logotype installed!"), b);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    layout->addWidget(Label4);
    layout->addStretch(1);

    connect(btnSearch, &QPushButton::clicked, this, &TfmLogoCopy::btnSearchClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmLogoCopy::btnCancelClick);
    connect(btnYes, &QPushButton::clicked, this, &TfmLogoCopy::btnYesClick);
    connect(btnNo, &QPushButton::clicked, this, &TfmLogoCopy::btnNoClick);
    connect(btnOK, &QPushButton::clicked, this, &TfmLogoCopy::btnOKClick);
    connect(edDrive, &QLineEdit::returnPressed, this, &TfmLogoCopy::btnSearchClick);
}

void TfmLogoCopy::FormCreate() {
    sdMapp.initialDir = Service::DataDir;
    sdMapp.filter = QStringLiteral("bmp|*.bmp");
    edDrive->setText(defaultStartPath());
    hideAll({Label3, Label4, Label2, btnYes, btnNo, pnlInfo, Image1, btnCancel, lbSearchState});
}

void TfmLogoCopy::FormClose() {
    if (m_search)
        m_search->cancel();
}

void TfmLogoCopy::setSearching(bool searching) {
    btnSearch->setEnabled(!searching);
    edDrive->setReadOnly(searching);
    btnCancel->setVisible(searching);
    lbSearchState->setText(searching ? QStringLiteral("Searching...") : QString());
    lbSearchState->setVisible(searching);
}

void TfmLogoCopy::btnSearchClick() {
    if (m_search)
        return;
    FFoundLogo.clear();
    // Nothing of an earlier result may stay on show: no question without its picture.
    hideAll({Label3, Image1, Label2, btnYes, btnNo, pnlInfo, Label4});
    Image1->clear();

    FileSearch search{QLatin1String(kLogotypeSearchName)};
    search.setProgress([] {
        QCoreApplication::processEvents();
        return true;
    });
    m_search = &search;
    setSearching(true);
    const QString folder = search.find(edDrive->text());
    m_search = nullptr;
    setSearching(false);
    qCDebug(lcSettings) << "logotype search looked into" << search.foldersSearched() << "folders";

    if (search.wasCancelled()) {
        lbSearchState->setText(QStringLiteral("Search cancelled."));
        lbSearchState->show();
        return;
    }
    if (folder.isEmpty()) {
        Label3->show();
        return;
    }
    showFoundLogo(QDir(folder).filePath(QLatin1String(kLogotypeSearchName)));
}

void TfmLogoCopy::showFoundLogo(const QString& path) {
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        ui::ShowError(QStringLiteral("%1 was found, but it is not a picture that can be shown "
                                     "(%2), so it cannot be installed as the logotype.")
                          .arg(QDir::toNativeSeparators(path), reader.errorString()));
        return;
    }
    FFoundLogo = path;
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->show();
    Label2->show();
    btnYes->show();
    btnNo->show();
}

void TfmLogoCopy::btnCancelClick() {
    if (m_search)
        m_search->cancel();
}

void TfmLogoCopy::btnYesClick() {
    pnlInfo->show();
}

void TfmLogoCopy::btnNoClick() {
    edDrive->setText(defaultStartPath());
    hideAll({Label3, Label4, Image1, Label2, btnYes, btnNo, pnlInfo});
}

void TfmLogoCopy::btnOKClick() {
    const QString chosen =
        ui::getOpenFileName(this, QString(), sdMapp.initialDir, QString(), sdMapp.filter);
    if (chosen.isEmpty())
        return;
    pnlInfo->hide();
    QString error;
    if (installLogotype(FFoundLogo, QFileInfo(chosen).absolutePath(), &error)) {
        Label4->show();
        return;
    }
    qCWarning(lcSettings) << error;
    ui::ShowError(QStringLiteral("The logotype was not installed.\n%1").arg(error));
}
