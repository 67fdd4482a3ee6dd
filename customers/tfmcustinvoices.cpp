#include "customers/tfmcustinvoices.h"

#include "customers/custhistory.h"
#include "customers/custrules.h"
#include "customers/logging.h"
#include "customers/tfmqrcustinv.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/table.h"
#include "report/preview.h"
#include "service/service.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

void sizeColumns(ui::DBGrid* grid, const QList<QPair<int, int>>& widths) {
    for (const auto& [column, width] : widths)
        grid->setColumnWidth(column, width);
}

} // namespace

TfmCustInvoices::TfmCustInvoices(QWidget* owner, const QString& custNo, const QString& company)
    : ui::Form(owner, QStringLiteral("TfmCustInvoices"), QStringLiteral("Customers invoices"),
               kHelpContext)
    , m_custNo(custNo)
    , m_company(company) {
    addBackCommand();
    connect(addMenuCommand(QStringLiteral("mnPrint"), QStringLiteral("Print")), &QAction::triggered,
            this, &TfmCustInvoices::mnPrintClick);
    addHelpCommand();

    sInvoices.AddPassword(QString::fromLatin1(customers::kHeadsPassword));
    sRows.AddPassword(QString::fromLatin1(customers::kRowsPassword));
    qInvoices = new db::Query(this);
    qInvoices->setObjectName(QStringLiteral("qInvoices"));
    qInvoices->setSession(&sInvoices);
    qInvoices->setDatabaseName(Service::DataDir);
    dbRows = new db::Table(this);
    dbRows->setObjectName(QStringLiteral("dbRows"));
    dbRows->setSession(&sRows);
    dbRows->setDatabaseName(Service::DataDir);
    dbRows->setTableName(QStringLiteral("IROW"));
    dbRows->setIndexName(QStringLiteral("ID"));
    dbRows->setMasterSource(qInvoices, QStringLiteral("ID"), QStringLiteral("ID"));

    gdInvoices = new ui::DBGrid(qInvoices, body());
    gdInvoices->setObjectName(QStringLiteral("gdInvoices"));
    gdInvoices->setReadOnly(true);
    gdInvoices->setColumns({QStringLiteral("Document"), QStringLiteral("Invoice no"),
                            QStringLiteral("Invoice date"), QStringLiteral("Total"),
                            QStringLiteral("Rest"), QStringLiteral("Due"), QStringLiteral("Paid"),
                            QStringLiteral("Delay")});
    sizeColumns(gdInvoices, {{0, 70}, {3, 120}, {4, 120}, {7, 35}});
    gdInvoices->setRowTextColor([](const ui::GridRow& row) {
        if (!row.value(QStringLiteral("Printed")).toBool())
            return QColor(Qt::blue);
        if (!row.text(QStringLiteral("Archived")).isEmpty())
            return QColor(Qt::gray);
        return QColor(Qt::black);
    });

    gdRows = new ui::DBGrid(dbRows, body());
    gdRows->setObjectName(QStringLiteral("gdRows"));
    gdRows->setColumns({QStringLiteral("Item"), QStringLiteral("Code"),
                        QStringLiteral("Description"), QStringLiteral("Qty"),
                        QStringLiteral("Unit"), QStringLiteral("Price"), QStringLiteral("Discount"),
                        QStringLiteral("Sum")},
                       {QString(), QString(), QString(), QString(), QString(), QString(),
                        QStringLiteral("-%"), QString()});
    // Stored documents are not changed from here.
    gdRows->setReadOnly(true);
    sizeColumns(gdRows,
                {{0, 30}, {1, 80}, {2, 170}, {3, 50}, {4, 40}, {5, 120}, {6, 30}, {7, 120}});

    mExplain = new QPlainTextEdit(body());
    mExplain->setObjectName(QStringLiteral("mExplain"));
    mExplain->setReadOnly(true);
    mExplain->setPlainText(QStringList{
        QStringLiteral("Note!"),
        QStringLiteral("A figure in the Rest kolumn means that this sum is outstanding even if "
                       "the Paid column has a date. "),
        QStringLiteral("The invoice is settled if the figure in the Rest column is 0 (paid in "
                       "steps)."),
        QStringLiteral("Invoiced Packing slips, Quotes and Delivery notes are marked with the "
                       "invoice date in the Paid column. "),
        QString(),
        QStringLiteral("Summation is only on invoices and receipts!! (not credit "
                       "invoices)")}
                               .join(QLatin1Char('\n')));

    edPaid = new QLineEdit(body());
    edPaid->setObjectName(QStringLiteral("edPaid"));
    edUnpaid = new QLineEdit(body());
    edUnpaid->setObjectName(QStringLiteral("edUnpaid"));
    for (QLineEdit* e : {edPaid, edUnpaid}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
    }

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(gdInvoices, 1);
    layout->addWidget(gdRows, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(mExplain, 1);
    auto* sums = new QHBoxLayout;
    auto* lbPaid = new QLabel(QStringLiteral("Paid:"), body());
    lbPaid->setObjectName(QStringLiteral("lbPaid"));
    auto* lbUnpaid = new QLabel(QStringLiteral("Unpaid:"), body());
    lbUnpaid->setObjectName(QStringLiteral("lbUnpaid"));
    sums->addWidget(lbPaid);
    sums->addWidget(edPaid);
    sums->addWidget(lbUnpaid);
    sums->addWidget(edUnpaid);
    bottom->addLayout(sums);
    layout->addLayout(bottom, 1);

    fmqrCustInv = std::make_unique<TfmqrCustInv>(this);
    fmqrCustInv->setDataSet(qInvoices);
    resize(900, 640);
}

TfmCustInvoices::~TfmCustInvoices() {
    sInvoices.RemovePassword(QString::fromLatin1(customers::kHeadsPassword));
    sRows.RemovePassword(QString::fromLatin1(customers::kRowsPassword));
}

void TfmCustInvoices::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    if (!event->spontaneous())
        loadHistory();
}

void TfmCustInvoices::loadHistory() {
    try {
        const customers::HistorySums sums =
            customers::historySums(sInvoices, Service::DataDir, m_custNo);
        edPaid->setText(customers::formatSum(sums.paid));
        edUnpaid->setText(customers::formatSum(sums.unpaid));
        customers::openHistoryList(*qInvoices, m_custNo);
        if (!dbRows->Active())
            dbRows->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcCustomers) << "cannot read the history of" << m_custNo << e.message();
        ui::ShowError(e.message());
    }
}

void TfmCustInvoices::mnPrintClick() {
    fmqrCustInv->setTexts(m_custNo, m_company, edPaid->text(), edUnpaid->text());
    try {
        report::previewReport(*fmqrCustInv->qrCustInv, this);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    close();
}

void TfmCustInvoices::FormClose() {
    dbRows->Close();
    qInvoices->Close();
    sInvoices.RemovePassword(QString::fromLatin1(customers::kHeadsPassword));
    sRows.RemovePassword(QString::fromLatin1(customers::kRowsPassword));
}
