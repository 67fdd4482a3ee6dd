#include "settings/design.h"

#include "printing/designtestprint.h"
#include "service/service.h"
#include "settings/documentdata.h"
#include "settings/freetexts.h"
#include "ui/dialogs.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfmDesign::TfmDesign(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmDesign"), QStringLiteral("Invoice design"), kHelpContext) {
    addBackCommand(QStringLiteral("mnAter"), QStringLiteral("Back"));
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));

    QWidget* b = body();
    lbDesigns = new QListWidget(b);
    lbDesigns->setObjectName(QStringLiteral("lbDesigns"));
    lbDesigns->installEventFilter(this);
    btnVal = new QPushButton(QStringLiteral("Save selected"), b);
    btnVal->setObjectName(QStringLiteral("btnVal"));
    btnView = new QPushButton(QStringLiteral("View selected"), b);
    btnView->setObjectName(QStringLiteral("btnView"));
    Label1 = new QLabel(QStringLiteral("Design saved"), b);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont savedFont = Label1->font();
    savedFont.setBold(true);
    Label1->setFont(savedFont);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnVal);
    buttons->addWidget(btnView);
    buttons->addSpacing(12);
    buttons->addWidget(Label1);
    buttons->addStretch(1);
    auto* columns = new QHBoxLayout(b);
    columns->addWidget(lbDesigns, 1);
    columns->addLayout(buttons);
    resize(460, 300);

    connect(btnVal, &QPushButton::clicked, this, &TfmDesign::btnValClick);
    connect(btnView, &QPushButton::clicked, this, &TfmDesign::btnViewClick);
    FormCreate();
}

void TfmDesign::FormCreate() {
    FViewFile.clear();
    m_lines = DesignList::read(Service::DataDir);
    for (const DesignList::Entry& e : m_lines)
        lbDesigns->addItem(e.name);
    if (lbDesigns->count() > 0)
        lbDesigns->setCurrentRow(0);
    Label1->hide();
    setHelpContext(kHelpContext);
}

const DesignList::Entry* TfmDesign::selected() const {
    const int row = lbDesigns->currentRow();
    if (row < 0 || size_t(row) >= m_lines.size() || !lbDesigns->item(row)->isSelected())
        return nullptr;
    return &m_lines[size_t(row)];
}

void TfmDesign::btnValClick() {
    if (const DesignList::Entry* e = selected()) {
        Service::DesignFile = DesignList::designFilePath(Service::DataDir, e->base);
        if (fmDocumentdata) {
            fmDocumentdata->FDesignFile = Service::DesignFile;
            fmDocumentdata->FDesignName = e->name;
        }
    }
    Label1->show();
}

void TfmDesign::lbDesignsEnter() {
    Label1->hide();
}

void TfmDesign::btnViewClick() {
    if (const DesignList::Entry* e = selected())
        FViewFile = DesignList::designFilePath(Service::DataDir, e->base);
    const QString saved = fmDocumentdata ? fmDocumentdata->FDesignFile : Service::DesignFile;
    if (saved.isEmpty()) {
        ui::ShowMessage(QStringLiteral("No design selected.\r\nYou must save a design first."));
        return;
    }
    printing::TestPrintRequest request;
    request.source = printing::TestPrintRequest::Source::DesignSelection;
    request.owner = this;
    // Nothing chosen for viewing (an empty list): the saved design.
    request.designFile = FViewFile.isEmpty() ? saved : FViewFile;
    request.freeTextName = Service::FriTextNamn;
    request.freeText =
        FreeTexts::storedText(Service::DataDir, Service::FriTextNamn).value_or(QString());
    printing::runTestPrint(request);
}

bool TfmDesign::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbDesigns && event->type() == QEvent::FocusIn)
        lbDesignsEnter();
    return ui::Form::eventFilter(watched, event);
}

void TfmDesign::FormClose() {
    if (fmDocumentdata)
        fmDocumentdata->showDesignAndFreeText();
    m_lines.clear();
}
