#include "invoicing/companions.h"

#include "customers/tfmcustreg.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "invoicing/customerfill.h"
#include "invoicing/logging.h"
#include "invoicing/rowsgrid.h"
#include "invoicing/tfminvoice.h"
#include "service/service.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dbnavigator.h"
#include "ui/dialogs.h"
#include "ui/keys.h"
#include "ui/searchrow.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

TfmTaxget* fmTaxget = nullptr;
TfmCustGet* fmCustGet = nullptr;
TfmProdGet* fmProdGet = nullptr;
TfmGetInv* fmGetInv = nullptr;

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void openOrWarn(db::Table* t) {
    try {
        t->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcInvoicing) << "cannot open" << t->TableName() << e.message();
        ui::ShowError(e.message());
    }
}

// The working row of the editor, in edit mode (an empty table starts its first row).
db::Table* editorRowForEdit() {
    if (!fmInvoice || !fmInvoice->dbTRow->Active())
        return nullptr;
    db::Table* rows = fmInvoice->dbTRow;
    if (rows->IsEmpty())
        rows->Append();
    else if (rows->State() == db::DataSetState::Browse)
        rows->Edit();
    return rows;
}

// Column widths of a look-up grid: one column takes the room that is left.
void sizeColumns(ui::DBGrid* grid, std::initializer_list<int> widths, int stretching) {
    QHeaderView* header = grid->horizontalHeader();
    header->setStretchLastSection(false);
    int column = 0;
    for (int w : widths)
        header->resizeSection(column++, w);
    header->setSectionResizeMode(stretching, QHeaderView::Stretch);
}

// Locates the leading part of the text in the field of the current index, ignoring case.
void searchLeading(db::Table* table, const QString& field, const QString& text) {
    if (!table->Active() || text.isEmpty())
        return;
    try {
        table->Locate(field, text, db::LocateCaseInsensitive | db::LocatePartialKey);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

} // namespace

// ---- Tax pick list --------------------------------------------------------------------------

TfmTaxget::TfmTaxget(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmTaxget"), QStringLiteral("Taxes")) {
    fmTaxget = this;
    dbTaxes = new db::Table(this);
    dbTaxes->setObjectName(QStringLiteral("dbTaxes"));
    dbTaxes->setDatabaseName(Service::DataDir);
    dbTaxes->setTableName(QStringLiteral("Taxes"));
    dbTaxes->setIndexName(QStringLiteral("Description"));
    openOrWarn(dbTaxes);

    auto* layout = new QVBoxLayout(body());
    gdTaxes = new ui::DBGrid(dbTaxes, body());
    gdTaxes->setObjectName(QStringLiteral("gdTaxes"));
    gdTaxes->setReadOnly(true);
    gdTaxes->setColumns({QStringLiteral("Description"), QStringLiteral("Percent")});
    gdTaxes->horizontalHeader()->setStretchLastSection(false);
    gdTaxes->horizontalHeader()->resizeSection(1, 80);
    gdTaxes->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    gdTaxes->installEventFilter(this);
    connect(gdTaxes, &QAbstractItemView::doubleClicked, this, &TfmTaxget::TakeTax);
    layout->addWidget(gdTaxes, 2);
    btnClose = button(body(), "btnClose", QStringLiteral("Close"));
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnClose);
    bottom->addStretch();
    layout->addStretch(1);
    layout->addLayout(bottom);

    // A third of the screen each way, at the top right.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        setGeometry(s.left() + s.width() * 2 / 3, s.top(), s.width() / 3, s.height() / 3);
    }
}

TfmTaxget::~TfmTaxget() {
    if (fmTaxget == this)
        fmTaxget = nullptr;
}

void TfmTaxget::TakeTax() {
    if (!dbTaxes->Active() || dbTaxes->IsEmpty())
        return;
    try {
        if (db::Table* row = editorRowForEdit()) {
            row->FieldByName(QStringLiteral("Code")).setAsString(QStringLiteral("Tax"));
            row->FieldByName(QStringLiteral("Description"))
                .setAsString(dbTaxes->FieldByName(QStringLiteral("Description")).AsString());
            row->FieldByName(QStringLiteral("Qty"))
                .setAsFloat(dbTaxes->FieldByName(QStringLiteral("Percent")).AsFloat());
            row->FieldByName(QStringLiteral("Unit")).setAsString(QStringLiteral("%"));
            row->Post();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    close();
}

bool TfmTaxget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gdTaxes && isEnter(event)) {
        TakeTax();
        return true;
    }
    return ui::Form::eventFilter(watched, event);
}

// ---- Customer look-up -----------------------------------------------------------------------

TfmCustGet::TfmCustGet(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmCustGet"), QStringLiteral("Get customer"), 27) {
    fmCustGet = this;
    auto* close = addMenuCommand(QStringLiteral("mnClose"), QStringLiteral("Close"));
    connect(close, &QAction::triggered, this, &QWidget::close);
    dbCustGet = new db::Table(this);
    dbCustGet->setObjectName(QStringLiteral("dbCustGet"));
    dbCustGet->setSession(&sCustGet);
    dbCustGet->setDatabaseName(Service::DataDir);
    dbCustGet->setTableName(QStringLiteral("Customers"));

    auto* layout = new QVBoxLayout(body());
    QHBoxLayout* top = ui::searchRow(body(), &edSearch, &lbSortOrder);
    btnNew = button(body(), "btnNew", QStringLiteral("Customer register"));
    btnNew->setToolTip(QStringLiteral("Add, change and delete customers"));
    top->addWidget(btnNew);
    layout->addLayout(top);
    dbnCustGet = new ui::DBNavigator(dbCustGet, body());
    dbnCustGet->setObjectName(QStringLiteral("dbnCustGet"));
    connect(btnNew, &QPushButton::clicked, this, &TfmCustGet::btnNewClick);
    connect(dbnCustGet, &ui::DBNavigator::clicked, this,
            [this](ui::DBNavigator::Button b) { dbnCustGetClick(static_cast<int>(b)); });
    gdCustGet = new ui::DBGrid(dbCustGet, body());
    gdCustGet->setObjectName(QStringLiteral("gdCustGet"));
    gdCustGet->setReadOnly(true);
    gdCustGet->setToolTip(QStringLiteral("Double click to fetch customer"));
    gdCustGet->setColumns({QStringLiteral("Cust. no"), QStringLiteral("Company"),
                           QStringLiteral("Reference"), QStringLiteral("Note")});
    layout->addWidget(gdCustGet, 1);
    layout->addWidget(dbnCustGet, 0, Qt::AlignLeft);
    gdCustGet->installEventFilter(this);
    edSearch->installEventFilter(this);
    connect(gdCustGet, &QAbstractItemView::doubleClicked, this, &TfmCustGet::TakeCustomer);
    connect(gdCustGet, &ui::DBGrid::titleClick, this, &TfmCustGet::gdCustGetTitleClick);
    connect(edSearch, &QLineEdit::textChanged, this, &TfmCustGet::edSearchChange);
    resize(720, 460);
}

TfmCustGet::~TfmCustGet() {
    if (fmCustGet == this)
        fmCustGet = nullptr;
}

void TfmCustGet::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    if (event->spontaneous())
        return;
    if (!dbCustGet->Active()) {
        sCustGet.AddPassword(QStringLiteral("PLOV81"));
        dbCustGet->setIndexName(QStringLiteral("Company"));
        openOrWarn(dbCustGet);
        gdCustGet->setColumns({QStringLiteral("Cust. no"), QStringLiteral("Company"),
                               QStringLiteral("Reference"), QStringLiteral("Note")});
        sizeColumns(gdCustGet, {90, 240, 160, 160}, 1);
        lbSortOrder->setText(QStringLiteral("Company"));
    }
    edSearch->setFocus();
}

void TfmCustGet::FormClose() {
    dbCustGet->Close();
    sCustGet.RemovePassword(QStringLiteral("PLOV81"));
}

void TfmCustGet::edSearchChange(const QString& text) {
    const QString index = dbCustGet->IndexName();
    searchLeading(dbCustGet, index.isEmpty() ? QStringLiteral("Company") : index, text);
}

void TfmCustGet::gdCustGetTitleClick(const QString& field) {
    if (!dbCustGet->Active())
        return;
    QString index = QStringLiteral("Company");
    if (field == QLatin1String("Cust. no") || field == QLatin1String("Reference"))
        index = field;
    try {
        dbCustGet->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    lbSortOrder->setText(index);
}

void TfmCustGet::btnNewClick() {
    ui::execModal<TfmCustreg>(this);
    // The register may have added, changed or removed customers.
    if (dbCustGet->Active()) {
        try {
            dbCustGet->Refresh();
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
    }
    edSearch->setFocus();
}

void TfmCustGet::dbnCustGetClick(int button) {
    if (button == static_cast<int>(ui::DBNavigator::Button::Insert))
        btnNewClick();
}

void TfmCustGet::TakeCustomer() {
    if (!fmInvoice || !dbCustGet->Active() || dbCustGet->IsEmpty())
        return;
    const invoicing::HeadAddress h =
        invoicing::fillFromLookup(invoicing::customerFrom(*dbCustGet), Service::Country);
    fmInvoice->edCustNo->setText(h.customerNo);
    fmInvoice->edCust->setText(h.customer);
    fmInvoice->edYourReference->setText(h.yourReference);
    fmInvoice->edCustAddressLine1->setText(h.line1);
    fmInvoice->edCustAddressLine2->setText(h.line2);
    if (h.line3Set)
        fmInvoice->edCustAddressLine3->setText(h.line3);
    if (h.vatNo)
        fmInvoice->edVATNumber->setText(*h.vatNo);
    close();
    fmInvoice->CustomerPicked = true;
    fmInvoice->edInvDate->setFocus();
}

bool TfmCustGet::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        if (watched == edSearch) {
            gdCustGet->setFocus();
            return true;
        }
        if (watched == gdCustGet) {
            TakeCustomer();
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

// ---- Product look-up ------------------------------------------------------------------------

TfmProdGet::TfmProdGet(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmProdGet"), QStringLiteral("Search for product"), 430) {
    fmProdGet = this;
    auto* back = addBackCommand();
    connect(back, &QAction::triggered, this, &QWidget::close);
    dbArtsok = new db::Table(this);
    dbArtsok->setObjectName(QStringLiteral("dbArtsok"));
    dbArtsok->setSession(&sArtsok);
    dbArtsok->setDatabaseName(Service::DataDir);
    dbArtsok->setTableName(QStringLiteral("Products"));

    auto* layout = new QVBoxLayout(body());
    QHBoxLayout* top = ui::searchRow(body(), &edSearch, &lbSortOrder);
    btnNewProduct = button(body(), "btnNewProduct", QStringLiteral("Register new product"));
    top->addWidget(btnNewProduct);
    layout->addLayout(top);
    gdArtsok = new ui::DBGrid(dbArtsok, body());
    gdArtsok->setObjectName(QStringLiteral("gdArtsok"));
    gdArtsok->setReadOnly(true);
    gdArtsok->setToolTip(QStringLiteral("Double click to fetch product"));
    layout->addWidget(gdArtsok, 1);

    pnlNewProduct = new QFrame(body());
    pnlNewProduct->setObjectName(QStringLiteral("pnlNewProduct"));
    pnlNewProduct->setFrameShape(QFrame::StyledPanel);
    auto* form = new QFormLayout(pnlNewProduct);
    dbedCode = new ui::DBEdit(dbArtsok, QStringLiteral("Code"), pnlNewProduct);
    dbedCode->setObjectName(QStringLiteral("dbedCode"));
    dbedDescription = new ui::DBEdit(dbArtsok, QStringLiteral("Description"), pnlNewProduct);
    dbedDescription->setObjectName(QStringLiteral("dbedDescription"));
    dbedUnit = new ui::DBEdit(dbArtsok, QStringLiteral("Unit"), pnlNewProduct);
    dbedUnit->setObjectName(QStringLiteral("dbedUnit"));
    dbedPrice = new ui::DBEdit(dbArtsok, QStringLiteral("Price"), pnlNewProduct);
    dbedPrice->setObjectName(QStringLiteral("dbedPrice"));
    form->addRow(QStringLiteral("Code"), dbedCode);
    form->addRow(QStringLiteral("Description"), dbedDescription);
    form->addRow(QStringLiteral("Unit"), dbedUnit);
    form->addRow(QStringLiteral("Price"), dbedPrice);
    ui::EnterMovesFocus::install({dbedCode, dbedDescription, dbedUnit, dbedPrice});
    auto* buttons = new QHBoxLayout;
    btnSave = button(pnlNewProduct, "btnSave", QStringLiteral("Save"));
    btnCancel = button(pnlNewProduct, "btnCancel", QStringLiteral("Cancel"));
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    form->addRow(buttons);
    pnlNewProduct->hide();
    layout->addWidget(pnlNewProduct);

    gdArtsok->installEventFilter(this);
    edSearch->installEventFilter(this);
    connect(gdArtsok, &QAbstractItemView::doubleClicked, this, &TfmProdGet::TakeProduct);
    connect(gdArtsok, &ui::DBGrid::titleClick, this, &TfmProdGet::gdArtsokTitleClick);
    connect(edSearch, &QLineEdit::textChanged, this, &TfmProdGet::edSearchChange);
    connect(btnNewProduct, &QPushButton::clicked, this, &TfmProdGet::btnNewProductClick);
    connect(btnSave, &QPushButton::clicked, this, &TfmProdGet::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmProdGet::btnCancelClick);
    resize(720, 480);
}

TfmProdGet::~TfmProdGet() {
    if (fmProdGet == this)
        fmProdGet = nullptr;
}

void TfmProdGet::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    if (event->spontaneous())
        return;
    if (!dbArtsok->Active()) {
        sArtsok.AddPassword(QString::fromUtf16(u"PX\u00C452K"));
        dbArtsok->setIndexName(QStringLiteral("Code"));
        dbArtsok->setFilter(QStringLiteral("Hidden <> True"));
        dbArtsok->setFiltered(true);
        openOrWarn(dbArtsok);
        gdArtsok->setColumns({QStringLiteral("Code"), QStringLiteral("Description"),
                              QStringLiteral("Unit"), QStringLiteral("Price")});
        sizeColumns(gdArtsok, {120, 300, 60, 110}, 1);
        lbSortOrder->setText(QStringLiteral("Code"));
    }
    edSearch->setFocus();
}

void TfmProdGet::FormClose() {
    pnlNewProduct->hide();
    dbArtsok->Close();
    sArtsok.RemovePassword(QString::fromUtf16(u"PX\u00C452K"));
}

void TfmProdGet::edSearchChange(const QString& text) {
    const QString index = dbArtsok->IndexName();
    searchLeading(dbArtsok, index.isEmpty() ? QStringLiteral("Code") : index, text);
}

void TfmProdGet::gdArtsokTitleClick(const QString& field) {
    if (!dbArtsok->Active())
        return;
    const QString index = field == QLatin1String("Description") ? field : QStringLiteral("Code");
    try {
        dbArtsok->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    lbSortOrder->setText(index);
}

void TfmProdGet::TakeProduct() {
    if (!dbArtsok->Active() || dbArtsok->IsEmpty() || pnlNewProduct->isVisible())
        return;
    try {
        if (db::Table* row = editorRowForEdit()) {
            for (const char* f : {"Code", "Description", "Unit", "Price"})
                row->FieldByName(QString::fromUtf8(f))
                    .setAsString(dbArtsok->FieldByName(QString::fromUtf8(f)).AsString());
            row->Post();
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    close();
    if (fmInvoice)
        fmInvoice->focusRows(invoicing::ColQty);
}

void TfmProdGet::btnNewProductClick() {
    if (!dbArtsok->Active())
        return;
    try {
        dbArtsok->Append();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    pnlNewProduct->show();
    dbedCode->setFocus();
}

void TfmProdGet::btnSaveClick() {
    for (ui::DBEdit* box : {dbedCode, dbedDescription, dbedUnit, dbedPrice})
        if (!box->commit())
            return;
    try {
        if (dbArtsok->State() != db::DataSetState::Browse && !dbArtsok->Post())
            return;
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    pnlNewProduct->hide();
    gdArtsok->setFocus();
}

void TfmProdGet::btnCancelClick() {
    if (dbArtsok->State() != db::DataSetState::Browse)
        dbArtsok->Cancel();
    pnlNewProduct->hide();
    gdArtsok->setFocus();
}

bool TfmProdGet::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        if (watched == edSearch) {
            gdArtsok->setFocus();
            return true;
        }
        if (watched == gdArtsok) {
            TakeProduct();
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

// ---- Five windows together ------------------------------------------------------------------

InvoicingWindows::InvoicingWindows(QWidget* owner, EditorOwner ownerKind) {
    taxget = std::make_unique<TfmTaxget>(owner);
    custget = std::make_unique<TfmCustGet>(owner);
    getinv = std::make_unique<TfmGetInv>(owner);
    prodget = std::make_unique<TfmProdGet>(owner);
    editor = std::make_unique<TfmInvoice>(owner, ownerKind);
}

InvoicingWindows::~InvoicingWindows() {
    // The editor first: its closing may still reach its companions.
    editor.reset();
    prodget.reset();
    getinv.reset();
    custget.reset();
    taxget.reset();
}

void InvoicingWindows::showEditor() {
    ui::showModalKeep(editor.get());
}

void writeInvoice(QWidget* owner) {
    InvoicingWindows windows(owner, EditorOwner::MainWindow);
    if (owner)
        owner->hide();
    windows.showEditor();
    if (owner)
        owner->show();
}
