#include "customers/tfmprodreg.h"

#include "customers/prodrules.h"
#include "db/dberror.h"
#include "db/table.h"
#include "service/service.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/searchrow.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmProdreg::TfmProdreg(QWidget* owner)
    : taxes::RegisterForm(
          owner, QStringLiteral("TfmProdreg"), QStringLiteral("Products"), kHelpContext,
          taxes::RegisterTable{QStringLiteral("Products"), QStringLiteral("dbProdreg"),
                               QStringLiteral("sProdreg"), customers::productsPassword(),
                               QStringLiteral("Code")}) {
    connect(addMenuCommand(QStringLiteral("mnBack"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmProdreg::mnBackClick);
    mnResetStatistics =
        addMenuCommand(QStringLiteral("mnResetStatistics"), QStringLiteral("Reset statistics"));
    connect(mnResetStatistics, &QAction::triggered, this, &TfmProdreg::mnResetStatisticsClick);
    addHelpCommand();

    m_table->BeforePost = [this](db::Table& t) {
        const QString refusal = customers::productRefusal(t);
        if (refusal.isEmpty())
            return;
        ui::ShowError(refusal);
        dbedCode->setFocus();
        dbedCode->selectAll();
        throw db::Abort();
    };

    QHBoxLayout* top = ui::searchRow(body(), &edSearch, &lbSortOrder);
    lbSortOrder->setText(QStringLiteral("Code"));
    edSearch->installEventFilter(this);
    connect(edSearch, &QLineEdit::textChanged, this, &TfmProdreg::edSearchChange);

    gdProdreg = new ui::DBGrid(m_table, body());
    gdProdreg->setObjectName(QStringLiteral("gdProdreg"));
    gdProdreg->setColumns({QStringLiteral("Code"), QStringLiteral("Description"),
                           QStringLiteral("Unit"), QStringLiteral("Price"),
                           QStringLiteral("Stock")});
    gdProdreg->setReadOnly(true);
    gdProdreg->setToolTip(QStringLiteral("Click on the title to sort"));
    gdProdreg->setFocusPolicy(Qt::ClickFocus);
    gdProdreg->horizontalHeader()->setStretchLastSection(false);
    gdProdreg->setColumnWidth(0, 110);
    gdProdreg->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    gdProdreg->setColumnWidth(2, 50);
    gdProdreg->setColumnWidth(3, 90);
    gdProdreg->setColumnWidth(4, 70);
    connect(gdProdreg, &ui::DBGrid::titleClick, this, &TfmProdreg::gdProdregTitleClick);
    m_grid = gdProdreg;

    auto box = [this](const char* name, const QString& field) {
        auto* b = new ui::DBEdit(m_table, field, body());
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    dbedCode = box("dbedCode", QStringLiteral("Code"));
    dbedDescription = box("dbedDescription", QStringLiteral("Description"));
    dbedUnit = box("dbedUnit", QStringLiteral("Unit"));
    dbedPrice = box("dbedPrice", QStringLiteral("Price"));
    dbedPrice->setNumberRule(ui::NumberRule::amount(QStringLiteral("Price")));
    dbedPrice->setAlignment(Qt::AlignRight);
    cbHidden =
        new ui::DBCheckBox(m_table, QStringLiteral("Hidden"),
                           QStringLiteral("Hidden (not offered in the product look-up)"), body());
    cbHidden->setObjectName(QStringLiteral("cbHidden"));
    dbedStock = box("dbedStock", QStringLiteral("Stock"));
    dbedPeriodQty = box("dbedPeriodQty", QStringLiteral("Period qty"));
    dbedPeriodSales = box("dbedPeriodSales", QStringLiteral("Periods sales"));
    dbedLastInvoice = box("dbedLastInvoice", QStringLiteral("Last invoice"));
    // Written by the invoicing only.
    for (ui::DBEdit* shown : {dbedStock, dbedPeriodQty, dbedPeriodSales, dbedLastInvoice}) {
        shown->setReadOnly(true);
        shown->setFocusPolicy(Qt::NoFocus);
    }
    m_boxes = {dbedCode, dbedDescription, dbedUnit, dbedPrice};
    ui::EnterMovesFocus::install({dbedCode, dbedDescription, dbedUnit, dbedPrice});

    btnNew = new QPushButton(QStringLiteral("New"), body());
    btnNew->setObjectName(QStringLiteral("btnNew"));
    btnNew->setToolTip(QStringLiteral("New product"));
    btnDelete = new QPushButton(QStringLiteral("Delete"), body());
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setToolTip(QStringLiteral("Delete the product"));
    for (QPushButton* b : {btnNew, btnDelete}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
    }
    connect(btnNew, &QPushButton::clicked, this, &TfmProdreg::btnNyClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfmProdreg::btnDeleteClick);

    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top, 0, 0, 1, 4);
    layout->addWidget(gdProdreg, 1, 0, 1, 4);
    auto row = [&](int r, int c, const char* name, const QString& text, QWidget* w) {
        auto* l = new QLabel(text, body());
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(w);
        layout->addWidget(l, r, c);
        layout->addWidget(w, r, c + 1);
    };
    row(2, 0, "lbCode", QStringLiteral("Code"), dbedCode);
    row(3, 0, "lbDescription", QStringLiteral("Description"), dbedDescription);
    row(4, 0, "lbUnit", QStringLiteral("Unit"), dbedUnit);
    row(5, 0, "lbPrice", QStringLiteral("Price"), dbedPrice);
    layout->addWidget(cbHidden, 6, 1);
    row(2, 2, "lbStock", QStringLiteral("Stock"), dbedStock);
    row(3, 2, "lbPeriodQty", QStringLiteral("Period qty"), dbedPeriodQty);
    row(4, 2, "lbPeriodSales", QStringLiteral("Periods sales"), dbedPeriodSales);
    row(5, 2, "lbLastInvoice", QStringLiteral("Last invoice"), dbedLastInvoice);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNew);
    buttons->addWidget(btnDelete);
    buttons->addStretch(1);
    layout->addLayout(buttons, 7, 0, 1, 4);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(3, 1);
    resize(760, 560);
}

bool TfmProdreg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edSearch && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            gdProdreg->setFocus();
            return true;
        }
    }
    return taxes::RegisterForm::eventFilter(watched, event);
}

void TfmProdreg::btnDeleteClick() {
    deleteRecord(customers::deleteProductQuestion);
}

void TfmProdreg::edSearchChange(const QString& text) {
    if (!m_table->Active() || text.isEmpty())
        return;
    if (!postRecord())
        return;
    try {
        m_table->Locate(customers::productIndexFor(m_table->IndexName()), text,
                        db::LocateCaseInsensitive | db::LocatePartialKey);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmProdreg::gdProdregTitleClick(const QString& field) {
    if (!m_table->Active() || !postRecord())
        return;
    const QString index = customers::productIndexFor(field);
    try {
        m_table->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    lbSortOrder->setText(index);
}

void TfmProdreg::mnResetStatisticsClick() {
    if (!m_table->Active() || !postRecord())
        return;
    if (!ui::AskYesNo(QStringLiteral("This sets \"Periods sales\" and \"Period qty\" to zero.\n\r"
                                     "It applies to all products!\n\rDo you want to continue?")))
        return;
    try {
        customers::resetProductStatistics(*m_table);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

int TfmProdreg::execute() {
    return ui::showModalKeep(this);
}
