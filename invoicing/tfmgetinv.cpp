// The document finder and the opening of a stored document in the editor.
#include "invoicing/companions.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "invoicing/documentstore.h"
#include "invoicing/tfminvoice.h"
#include "service/dates.h"
#include "service/service.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kOpenNote = QStringLiteral("Blue = unprinted, gray = archived");
const QString kCollectNote = QStringLiteral("Select documents to be used in the invoice (Ctrl + "
                                            "Click)\nand then press \"Continue\".\nBlue = "
                                            "unprinted, gray = archived");

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfmGetInv::TfmGetInv(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmGetInv"), QStringLiteral("Get document"), 420) {
    fmGetInv = this;
    auto* back = addBackCommand();
    connect(back, &QAction::triggered, this, &QWidget::close);
    addHelpCommand();
    auto* layout = new QVBoxLayout(body());
    // The grid shows the editor's IHead once the editor exists (it is created last).
    gdFaktsok = nullptr;
    lbNote = new QLabel(kOpenNote, body());
    lbNote->setObjectName(QStringLiteral("lbNote"));
    auto* buttons = new QHBoxLayout;
    btnGet = button(body(), "btnGet", QStringLiteral("Get Quotation/Delivery note/Packing slip"));
    btnContinue = button(body(), "btnContinue", QStringLiteral("Continue"));
    btnCancel = button(body(), "btnCancel", QStringLiteral("Cancel"));
    buttons->addWidget(lbNote, 1);
    buttons->addWidget(btnGet);
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnGet, &QPushButton::clicked, this, &TfmGetInv::btnGetClick);
    connect(btnContinue, &QPushButton::clicked, this, &TfmGetInv::btnContinueClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmGetInv::btnCancelClick);
    resize(860, 520);
}

TfmGetInv::~TfmGetInv() {
    if (fmGetInv == this)
        fmGetInv = nullptr;
}

void TfmGetInv::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    if (event->spontaneous())
        return;
    if (!gdFaktsok && fmInvoice) {
        gdFaktsok = new ui::DBGrid(fmInvoice->dbIHead, body());
        gdFaktsok->setObjectName(QStringLiteral("gdFaktsok"));
        gdFaktsok->setReadOnly(true);
        gdFaktsok->setToolTip(QStringLiteral("Doubleclick to fetch"));
        gdFaktsok->setColumns({QStringLiteral("Document"), QStringLiteral("Invoice no"),
                               QStringLiteral("Invoice date"), QStringLiteral("Customer"),
                               QStringLiteral("Customer no"), QStringLiteral("Total")},
                              {QString(), QStringLiteral("No."), QString(), QString(),
                               QStringLiteral("No."), QString()});
        QHeaderView* header = gdFaktsok->horizontalHeader();
        header->setStretchLastSection(false);
        const int widths[] = {110, 90, 100, 240, 80, 120};
        for (int c = 0; c < 6; ++c)
            header->resizeSection(c, widths[c]);
        header->setSectionResizeMode(3, QHeaderView::Stretch);
        gdFaktsok->setRowColor([](const ui::GridRow& row) {
            const bool printed = row.value(QStringLiteral("Printed")).toLongLong() != 0;
            if (!printed)
                return QColor(Qt::blue).lighter(185);
            if (!row.value(QStringLiteral("Archived")).isNull())
                return QColor(Qt::lightGray);
            return QColor();
        });
        gdFaktsok->installEventFilter(this);
        connect(gdFaktsok, &QAbstractItemView::doubleClicked, this, &TfmGetInv::gdFaktsokDblClick);
        connect(gdFaktsok, &ui::DBGrid::titleClick, this, &TfmGetInv::gdFaktsokTitleClick);
        static_cast<QVBoxLayout*>(body()->layout())->insertWidget(0, gdFaktsok, 1);
    }
    setCollectMode(false);
    if (gdFaktsok)
        gdFaktsok->setFocus();
}

void TfmGetInv::setCollectMode(bool on) {
    m_collect = on;
    btnContinue->setVisible(on);
    btnCancel->setVisible(on);
    btnGet->setVisible(!on);
    lbNote->setText(on ? kCollectNote : kOpenNote);
    if (gdFaktsok) {
        gdFaktsok->setMultiSelect(on);
        gdFaktsok->clearSelection();
    }
}

void TfmGetInv::FormClose() {
    if (fmInvoice && fmInvoice->dbIHead->Active()) {
        try {
            fmInvoice->dbIHead->setFiltered(false);
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
    }
    lbNote->setText(kOpenNote);
}

void TfmGetInv::gdFaktsokTitleClick(const QString& field) {
    if (!fmInvoice || !fmInvoice->dbIHead->Active())
        return;
    QString index = QStringLiteral("Invoice date");
    if (field == QLatin1String("Document") || field == QLatin1String("Customer") ||
        field == QLatin1String("Customer no"))
        index = field;
    try {
        fmInvoice->dbIHead->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmGetInv::gdFaktsokDblClick() {
    if (m_collect || !fmInvoice || fmInvoice->dbIHead->IsEmpty())
        return;
    fmInvoice->LoadDocument();
    close();
}

void TfmGetInv::btnGetClick() {
    if (!fmInvoice || !fmInvoice->dbIHead->Active())
        return;
    try {
        fmInvoice->dbIHead->setFilter(
            QStringLiteral("Document ='Delivery note' or Document='Packing slip' or "
                           "Document='Quotation'"));
        fmInvoice->dbIHead->setFiltered(true);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    setCollectMode(true);
}

void TfmGetInv::btnContinueClick() {
    if (!fmInvoice || !gdFaktsok)
        return;
    // Only rows the user selected count: the current row alone is no selection.
    std::vector<db::Bookmark> marks;
    if (!gdFaktsok->selectionModel()->selectedRows().isEmpty())
        marks = gdFaktsok->selectedBookmarks();
    if (marks.empty()) {
        ui::ShowMessage(QStringLiteral("Nothing selected."));
        return;
    }
    TfmInvoice& ed = *fmInvoice;
    db::Table& heads = *ed.dbIHead;
    db::Table& rows = *ed.dbTRow;
    m_selected.clear();
    try {
        ed.RowsCollected = true;
        for (const db::Bookmark& mark : marks) {
            if (!heads.GotoBookmark(mark))
                continue;
            m_selected.push_back(heads.FieldByName(QStringLiteral("ID")).AsInteger());
            auto head = [&heads](const char* f) {
                return heads.FieldByName(QString::fromUtf8(f)).AsString();
            };
            ed.edCustNo->setText(head("Customer no"));
            ed.edCust->setText(head("Customer"));
            ed.edCustAddressLine1->setText(head("Address line 1"));
            ed.edCustAddressLine2->setText(head("Address line 2"));
            ed.edCustAddressLine3->setText(head("Address line 3"));
            ed.edVATNumber->setText(head("VAT No."));
            ed.edYourReference->setText(head("Your reference"));
            ed.edOurReference->setText(head("Our reference"));
            rows.CheckBrowseMode();
            auto textRow = [&rows](const QString& description) {
                rows.Append();
                rows.FieldByName(QStringLiteral("Item")).setAsString(QStringLiteral(" "));
                rows.FieldByName(QStringLiteral("Description")).setAsString(description);
                rows.Post();
            };
            if (rows.RecordCount() > 1)
                textRow(QStringLiteral("-----"));
            if (!head("Your reference").isEmpty())
                textRow(QStringLiteral("Your ref: ") + head("Your reference"));
            textRow(head("Document") + QStringLiteral(": ") + head("Invoice no"));
            db::Table& stored = *ed.dbIRow;
            for (stored.First(); !stored.Eof(); stored.Next()) {
                rows.Append();
                for (const char* f :
                     {"Item", "Code", "Description", "Qty", "Unit", "Price", "Discount", "VAT %"})
                    invoicing::copyFieldValue(stored.FieldByName(QString::fromUtf8(f)),
                                              rows.FieldByName(QString::fromUtf8(f)));
                rows.Post();
            }
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    close();
}

void TfmGetInv::btnCancelClick() {
    close();
}

void TfmGetInv::ArchiveSources() {
    if (m_selected.empty() || !fmInvoice)
        return;
    db::Query archive;
    archive.setSession(&fmInvoice->sIHead);
    archive.setDatabaseName(Service::DataDir);
    archive.setSQL(
        {QStringLiteral("UPDATE IHead SET Archived = :Today, Paid = :Today WHERE ID = :ID")});
    for (qint64 id : m_selected) {
        archive.ParamByName(QStringLiteral("Today")).setAsDate(QDate::currentDate());
        archive.ParamByName(QStringLiteral("ID")).setAsInteger(id);
        archive.ExecSQL();
    }
    m_selected.clear();
    if (gdFaktsok)
        gdFaktsok->clearSelection();
}

bool TfmGetInv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gdFaktsok && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && fmInvoice &&
            !fmInvoice->dbIHead->IsEmpty()) {
            fmInvoice->LoadDocument();
            close();
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

// ---- Opening a stored document --------------------------------------------------------------

void TfmInvoice::LoadDocument() {
    db::Table& h = *dbIHead;
    if (!h.Active() || h.IsEmpty())
        return;
    try {
        DocWasPrinted = false;
        UnlockHead();
        edInvDate->setDate(QDate::currentDate());
        edDueDate->setDate(QDate::currentDate().addDays(TermsDays));
        if (h.FieldByName(QStringLiteral("Printed")).AsBoolean()) {
            const QDate date = h.FieldByName(QStringLiteral("Invoice date")).AsDate();
            const QDate due = h.FieldByName(QStringLiteral("Due")).AsDate();
            if (date.isValid())
                edInvDate->setDate(date);
            if (due.isValid())
                edDueDate->setDate(due);
            edInvNo->setText(h.FieldByName(QStringLiteral("Invoice no")).AsString());
            DocWasPrinted = true;
        }
        DocID = static_cast<int>(h.FieldByName(QStringLiteral("ID")).AsInteger());
        cbDocument->setCurrentIndex(
            cbDocument->findText(h.FieldByName(QStringLiteral("Document")).AsString()));
        auto text = [&h](const char* f) { return h.FieldByName(QString::fromUtf8(f)).AsString(); };
        edCustNo->setText(text("Customer no"));
        edCust->setText(text("Customer"));
        edCustAddressLine1->setText(text("Address line 1"));
        edCustAddressLine2->setText(text("Address line 2"));
        edCustAddressLine3->setText(text("Address line 3"));
        edVATNumber->setText(text("VAT No."));
        edYourReference->setText(text("Your reference"));
        edOurReference->setText(text("Our reference"));

        db::Table& stored = *dbIRow;
        db::Table& rows = *dbTRow;
        bool any = false;
        for (stored.First(); !stored.Eof(); stored.Next()) {
            any = true;
            rows.Append();
            invoicing::copyRow(stored, rows);
            rows.Post();
        }
        if (!any) {
            rows.Append();
            rows.Post();
        }
        rows.First();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    AllRows();
    Totalsums();
    DocSaved = false;
    DocPrinted = false;
    DocIsTemplate = invoicing::isTemplateName(edCust->text());
    DocOpened = true;
    DocLocked = DocWasPrinted && !DocIsTemplate;
}
