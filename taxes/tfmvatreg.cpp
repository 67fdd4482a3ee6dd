#include "taxes/tfmvatreg.h"

#include "db/table.h"
#include "taxes/taxrules.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/keys.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TfmVATReg::TfmVATReg(QWidget* owner)
    : taxes::RegisterForm(owner, QStringLiteral("TfmVATReg"), QStringLiteral("VAT rates"),
                          kHelpContext, QStringLiteral("VAT")) {
    connect(addMenuCommand(QStringLiteral("mnBack"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmVATReg::mnBackClick);
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));

    gdMomssatser = new ui::DBGrid(m_table, body());
    gdMomssatser->setObjectName(QStringLiteral("gdMomssatser"));
    gdMomssatser->setReadOnly(true);
    gdMomssatser->setFocusPolicy(Qt::ClickFocus);
    m_grid = gdMomssatser;

    dbedVatRates = new ui::DBEdit(m_table, QStringLiteral("VAT %"), body());
    dbedVatRates->setObjectName(QStringLiteral("dbedVatRates"));
    dbedVatRates->setNumberRule(taxes::vatRateRule());
    dbedVatRates->setAlignment(Qt::AlignRight);
    dbedVatRates->setMaximumWidth(90);
    lbVatRates = new QLabel(QStringLiteral("Tax rate"), body());
    lbVatRates->setObjectName(QStringLiteral("lbVatRates"));
    lbVatRates->setBuddy(dbedVatRates);
    m_boxes = {dbedVatRates};
    ui::EnterMovesFocus::install(dbedVatRates);

    btnNy = new QPushButton(QStringLiteral("New"), body());
    btnNy->setObjectName(QStringLiteral("btnNy"));
    btnRadera = new QPushButton(QStringLiteral("Delete"), body());
    btnRadera->setObjectName(QStringLiteral("btnRadera"));
    // Tab reaches "New"; a click on either button leaves the focus in the rate box.
    btnNy->setFocusPolicy(Qt::TabFocus);
    btnRadera->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* b : {btnNy, btnRadera})
        b->setAutoDefault(false);
    connect(btnNy, &QPushButton::clicked, this, &TfmVATReg::btnNyClick);
    connect(btnRadera, &QPushButton::clicked, this, &TfmVATReg::btnRaderaClick);

    lbNote = new QLabel(QStringLiteral("This is the VAT rates you can choose \n"
                                       "between when invoicing."),
                        body());
    lbNote->setObjectName(QStringLiteral("lbNote"));

    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setVerticalSpacing(6);
    layout->addWidget(gdMomssatser, 0, 0, 1, 3);
    layout->addWidget(lbVatRates, 1, 0);
    layout->addWidget(dbedVatRates, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNy);
    buttons->addWidget(btnRadera);
    buttons->addStretch(1);
    layout->addLayout(buttons, 2, 0, 1, 3);
    layout->addWidget(lbNote, 3, 0, 1, 3);
    layout->setRowMinimumHeight(3, 44);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(2, 1);
    resize(300, 360);
}

void TfmVATReg::btnRaderaClick() {
    deleteRecord(taxes::deleteVatRateQuestion);
}

void TfmVATReg::cleanUp(db::Table& table) {
    taxes::removeZeroVatRates(table);
}
