#include "finance/tfminvreg.h"

#include "db/dberror.h"
#include "db/query.h"
#include "finance/logging.h"
#include "plugins/upfintf.h"
#include "service/dates.h"
#include "service/service.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"
#include "ui/numberbox.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The add-on "InvModule" opens the register by this name: it links nothing but the core.
const bool registered = [] {
    upfRegisterClass(QStringLiteral("TfmInvReg"), [](QObject* owner) -> QObject* {
        // The menu item's nearest window that is not a popup: the main window.
        QWidget* parent = nullptr;
        for (QObject* o = owner; o; o = o->parent())
            if (o->isWidgetType())
                parent = static_cast<QWidget*>(o);
        return new TfmInvReg(parent);
    });
    return true;
}();

} // namespace

TfmInvReg::TfmInvReg(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmInvReg"), QStringLiteral("Invoice register"), kHelpContext)
    , m_book(sInvReg, Service::DataDir) {
    (void)registered;
    sInvReg.AddPassword(QStringLiteral("GRAND"));
    qyInvoices = new db::Query(this);
    qyInvoices->setObjectName(QStringLiteral("qyInvoices"));
    qyInvoices->setSession(&sInvReg);
    qyInvoices->setDatabaseName(Service::DataDir);
    qyPayments = new db::Query(this);
    qyPayments->setObjectName(QStringLiteral("qyPayments"));
    qyPayments->setSession(&sInvReg);
    qyPayments->setDatabaseName(Service::DataDir);
    buildWindow();
    qyInvoices->AfterScroll = [this](db::DataSet&) { SelectInvoice(); };
    List();
}

TfmInvReg::~TfmInvReg() = default;

void TfmInvReg::buildWindow() {
    connect(addBackCommand(), &QAction::triggered, this, &TfmInvReg::close);
    addHelpCommand();

    cbFilter = new QComboBox(body());
    cbFilter->setObjectName(QStringLiteral("cbFilter"));
    cbFilter->addItems(finance::registerFilterNames());
    connect(cbFilter, &QComboBox::currentIndexChanged, this, &TfmInvReg::cbFilterChange);
    auto* lbFilter = new QLabel(QStringLiteral("Show"), body());
    lbFilter->setBuddy(cbFilter);

    gdInvoices = new ui::DBGrid(qyInvoices, body());
    gdInvoices->setObjectName(QStringLiteral("gdInvoices"));
    gdInvoices->setColumns(finance::registerColumns());
    gdInvoices->setReadOnly(true);
    gdInvoices->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(gdInvoices, &ui::DBGrid::titleClick, this, &TfmInvReg::gdInvoicesTitleClick);

    lbSelected = new QLabel(body());
    lbSelected->setObjectName(QStringLiteral("lbSelected"));
    gdPayments = new ui::DBGrid(qyPayments, body());
    gdPayments->setObjectName(QStringLiteral("gdPayments"));
    gdPayments->setColumns({QStringLiteral("Date"), QStringLiteral("Amount"),
                            QStringLiteral("Note"), QStringLiteral("Reversed")});
    gdPayments->setReadOnly(true);
    gdPayments->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    edPayDate = new QDateEdit(QDate::currentDate(), body());
    edPayDate->setObjectName(QStringLiteral("edPayDate"));
    edPayDate->setCalendarPopup(true);
    edPayDate->setDisplayFormat(Dates::shortFormat());
    edPayAmount = new ui::NumberEdit(
        ui::NumberRule::amount(QStringLiteral("Amount")).allowEmpty(false), body());
    edPayAmount->setObjectName(QStringLiteral("edPayAmount"));
    edPayAmount->setAlignment(Qt::AlignRight);
    edPayNote = new QLineEdit(body());
    edPayNote->setObjectName(QStringLiteral("edPayNote"));
    edPayNote->setMaxLength(100);
    btnRecord = new QPushButton(QStringLiteral("Record payment"), body());
    btnRecord->setObjectName(QStringLiteral("btnRecord"));
    btnReverse = new QPushButton(QStringLiteral("Reverse payment"), body());
    btnReverse->setObjectName(QStringLiteral("btnReverse"));
    for (QPushButton* b : {btnRecord, btnReverse}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(btnRecord, &QPushButton::clicked, this, &TfmInvReg::btnRecordClick);
    connect(btnReverse, &QPushButton::clicked, this, &TfmInvReg::btnReverseClick);

    auto* top = new QHBoxLayout;
    top->addWidget(lbFilter);
    top->addWidget(cbFilter);
    top->addStretch();

    auto* entry = new QGridLayout;
    auto add = [&](int row, const QString& caption, QWidget* box) {
        auto* label = new QLabel(caption, body());
        label->setBuddy(box);
        entry->addWidget(label, row, 0);
        entry->addWidget(box, row, 1);
    };
    add(0, QStringLiteral("Payment date"), edPayDate);
    add(1, QStringLiteral("Amount"), edPayAmount);
    add(2, QStringLiteral("Note"), edPayNote);
    entry->addWidget(btnRecord, 3, 1);
    entry->addWidget(btnReverse, 4, 1);
    entry->setRowStretch(5, 1);

    auto* lower = new QHBoxLayout;
    auto* history = new QVBoxLayout;
    history->addWidget(lbSelected);
    history->addWidget(gdPayments);
    lower->addLayout(history, 2);
    lower->addLayout(entry, 1);

    auto* layout = new QVBoxLayout(body());
    layout->addLayout(top);
    layout->addWidget(gdInvoices, 3);
    layout->addLayout(lower, 2);
    resize(820, 600);
}

finance::RegisterFilter TfmInvReg::filter() const {
    return static_cast<finance::RegisterFilter>(std::max(0, cbFilter->currentIndex()));
}

void TfmInvReg::List() {
    const qint64 keep = m_head;
    try {
        qyInvoices->Close();
        qyInvoices->setSQL(finance::registerSql(filter(), m_sortField, m_descending));
        if (filter() == finance::RegisterFilter::Overdue)
            qyInvoices->ParamByName(QStringLiteral("Today")).setAsDate(QDate::currentDate());
        qyInvoices->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcFinance) << "register" << e.message();
        ui::ShowError(e.message());
    }
    if (keep == 0 || !selectHead(keep))
        SelectInvoice();
}

bool TfmInvReg::selectHead(qint64 headId) {
    if (!qyInvoices->Active())
        return false;
    qyInvoices->First();
    while (!qyInvoices->Eof()) {
        if (qyInvoices->FieldByName(QStringLiteral("ID")).AsInteger() == headId)
            return true;
        qyInvoices->Next();
    }
    qyInvoices->First();
    return false;
}

void TfmInvReg::SelectInvoice() {
    const bool any = qyInvoices->Active() && !qyInvoices->IsEmpty();
    m_head = any ? qyInvoices->FieldByName(QStringLiteral("ID")).AsInteger() : 0;
    btnRecord->setEnabled(any);
    lbSelected->setText(
        any ? QStringLiteral("Payments of %1 %2")
                  .arg(qyInvoices->FieldByName(QStringLiteral("Document")).AsString().toLower(),
                       qyInvoices->FieldByName(QStringLiteral("Invoice no")).AsString())
            : QString());
    try {
        qyPayments->Close();
        qyPayments->setSQL({QStringLiteral("SELECT ID, \"Date\", Amount, Note, Reversed"),
                            QStringLiteral("FROM Payments WHERE Head = :Head"),
                            QStringLiteral("ORDER BY \"Date\", ID")});
        qyPayments->ParamByName(QStringLiteral("Head")).setAsInteger(m_head);
        qyPayments->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcFinance) << "payments" << e.message();
        ui::ShowError(e.message());
    }
    btnReverse->setEnabled(qyPayments->Active() && !qyPayments->IsEmpty());
}

void TfmInvReg::cbFilterChange() {
    List();
}

void TfmInvReg::gdInvoicesTitleClick(const QString& field) {
    if (!finance::registerColumns().contains(field))
        return;
    // The same title again turns the order round.
    m_descending = field == m_sortField && !m_descending;
    m_sortField = field;
    List();
}

void TfmInvReg::btnRecordClick() {
    if (m_head == 0)
        return;
    const ui::NumberReading amount = edPayAmount->reading();
    if (!amount) {
        ui::refuseInBox(edPayAmount, amount.message);
        return;
    }
    QString error;
    try {
        if (!m_book.record(m_head, edPayDate->date(), amount.amount, edPayNote->text(), &error)) {
            ui::ShowError(error);
            return;
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(QStringLiteral("The payment was not recorded:\n") + e.message());
        return;
    }
    edPayAmount->setAcceptedText(QString());
    edPayNote->clear();
    List();
}

void TfmInvReg::btnReverseClick() {
    if (!qyPayments->Active() || qyPayments->IsEmpty())
        return;
    const qint64 id = qyPayments->FieldByName(QStringLiteral("ID")).AsInteger();
    const QString question =
        QStringLiteral("Reverse the payment of %1 of %2?")
            .arg(qyPayments->FieldByName(QStringLiteral("Amount"))
                     .AsCurrency()
                     .format(Service::Decimals),
                 Dates::toShortText(qyPayments->FieldByName(QStringLiteral("Date")).AsDate()));
    if (!ui::AskYesNo(question))
        return;
    QString error;
    try {
        if (!m_book.reverse(id, QDate::currentDate(), &error)) {
            ui::ShowError(error);
            return;
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(QStringLiteral("The payment was not reversed:\n") + e.message());
        return;
    }
    List();
}

int TfmInvReg::execute() {
    return ui::showModalKeep(this);
}

void TfmInvReg::FormClose() {
    qyPayments->Close();
    qyInvoices->Close();
    sInvReg.RemovePassword(QStringLiteral("GRAND"));
}
