#include "taxes/tfmtaxes.h"

#include "db/dberror.h"
#include "db/table.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"
#include "taxes/taxrules.h"
#include "taxes/tfmqrtaxprint.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/keys.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfmTaxes::TfmTaxes(QWidget* owner)
    : taxes::RegisterForm(owner, QStringLiteral("TfmTaxes"), QStringLiteral("Taxes"), kHelpContext,
                          QStringLiteral("Taxes")) {
    connect(addMenuCommand(QStringLiteral("mnBack"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmTaxes::mnBackClick);
    connect(addMenuCommand(QStringLiteral("mnPrint"), QStringLiteral("Print")), &QAction::triggered,
            this, &TfmTaxes::mnPrintClick);
    addHelpCommand(QStringLiteral("mnHjalp"), QStringLiteral("Help"));

    gdTaxes = new ui::DBGrid(m_table, body());
    gdTaxes->setObjectName(QStringLiteral("gdTaxes"));
    gdTaxes->setColumns({QStringLiteral("Description"), QStringLiteral("Percent")});
    gdTaxes->setReadOnly(true);
    gdTaxes->setFocusPolicy(Qt::ClickFocus);
    gdTaxes->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    gdTaxes->horizontalHeader()->setStretchLastSection(false);
    gdTaxes->setColumnWidth(1, 80);
    m_grid = gdTaxes;

    lbInstruction1 = new QLabel(QStringLiteral("Select post in the list"), body());
    lbInstruction1->setObjectName(QStringLiteral("lbInstruction1"));
    lbInstruction2 = new QLabel(QStringLiteral("and change or delete in the edit fields"), body());
    lbInstruction2->setObjectName(QStringLiteral("lbInstruction2"));

    dbedDescription = new ui::DBEdit(m_table, QStringLiteral("Description"), body());
    dbedDescription->setObjectName(QStringLiteral("dbedDescription"));
    lbDescription = new QLabel(QStringLiteral("Description"), body());
    lbDescription->setObjectName(QStringLiteral("lbDescription"));
    lbDescription->setBuddy(dbedDescription);
    dbedPercent = new ui::DBEdit(m_table, QStringLiteral("Percent"), body());
    dbedPercent->setObjectName(QStringLiteral("dbedPercent"));
    dbedPercent->setNumberRule(taxes::taxPercentRule());
    dbedPercent->setAlignment(Qt::AlignRight);
    dbedPercent->setMaximumWidth(90);
    lbPercent = new QLabel(QStringLiteral("%"), body());
    lbPercent->setObjectName(QStringLiteral("lbPercent"));
    lbPercent->setBuddy(dbedPercent);
    m_boxes = {dbedDescription, dbedPercent};
    ui::EnterMovesFocus::install({dbedDescription, dbedPercent});

    btnNy = new QPushButton(QStringLiteral("New post"), body());
    btnNy->setObjectName(QStringLiteral("btnNy"));
    btnRadera = new QPushButton(QStringLiteral("Delete post"), body());
    btnRadera->setObjectName(QStringLiteral("btnRadera"));
    for (QPushButton* b : {btnNy, btnRadera}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }
    connect(btnNy, &QPushButton::clicked, this, &TfmTaxes::btnNyClick);
    connect(btnRadera, &QPushButton::clicked, this, &TfmTaxes::btnRaderaClick);

    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setVerticalSpacing(6);
    layout->addWidget(gdTaxes, 0, 0, 1, 3);
    // The two instruction lines read as one sentence.
    auto* instructions = new QVBoxLayout;
    instructions->setSpacing(0);
    instructions->setContentsMargins(0, 4, 0, 4);
    instructions->addWidget(lbInstruction1);
    instructions->addWidget(lbInstruction2);
    layout->addLayout(instructions, 1, 0, 2, 3);
    layout->addWidget(lbDescription, 3, 0);
    layout->addWidget(dbedDescription, 3, 1, 1, 2);
    layout->addWidget(lbPercent, 4, 0);
    layout->addWidget(dbedPercent, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNy);
    buttons->addWidget(btnRadera);
    buttons->addStretch(1);
    layout->addLayout(buttons, 5, 0, 1, 3);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(2, 1);
    resize(440, 420);
}

void TfmTaxes::btnRaderaClick() {
    deleteRecord(taxes::deleteTaxQuestion);
}

void TfmTaxes::mnPrintClick() {
    if (!postRecord())
        return;
    const db::Bookmark current = m_table->Active() ? m_table->GetBookmark() : db::Bookmark{};
    auto form = std::make_unique<TfmqrTaxPrint>(this);
    form->setDataSet(m_table);
    form->setCompanyName(Service::CompanyName);
    try {
        hideWhile([&] { report::previewReport(*form->qrTaxPrint, this); });
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    // The list walked the table; the register goes back to the tax it showed.
    try {
        if (current.valid)
            m_table->GotoBookmark(current);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmTaxes::cleanUp(db::Table& table) {
    taxes::removeTaxesWithoutDescription(table);
}
