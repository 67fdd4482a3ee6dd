#include "customers/tfmcustout.h"

#include "customers/custrules.h"
#include "customers/logging.h"
#include "customers/tfmqrcustout.h"
#include "db/dberror.h"
#include "db/table.h"
#include "report/pdfexport.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/dates.h"
#include "service/service.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmCustOut::TfmCustOut(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmCustOut"),
               QStringLiteral("Printouts from customer database"), kHelpContext) {
    addBackCommand();
    addHelpCommand();

    sCustOut.AddPassword(QString::fromLatin1(customers::kCustomersPassword));
    dbCustOut = new db::Table(this);
    dbCustOut->setObjectName(QStringLiteral("dbCustOut"));
    dbCustOut->setSession(&sCustOut);
    dbCustOut->setDatabaseName(Service::DataDir);
    dbCustOut->setTableName(QStringLiteral("Customers"));
    try {
        dbCustOut->setIndexName(QStringLiteral("Company"));
        dbCustOut->Open();
    } catch (const db::EngineError& e) {
        qCWarning(lcCustomers) << "cannot open Customers" << e.message();
        ui::ShowError(e.message());
    }
    m_marks = std::make_unique<customers::CustomerMarks>(*dbCustOut);

    gdCustOut = new ui::DBGrid(dbCustOut, body());
    gdCustOut->setObjectName(QStringLiteral("gdCustOut"));
    gdCustOut->setReadOnly(true);
    gdCustOut->setToolTip(QStringLiteral("Click on the title to sort"));
    gdCustOut->setColumns(
        {QStringLiteral("Cust. no"), QStringLiteral("Company"), QStringLiteral("Reference")});
    gdCustOut->setColumnWidth(0, 100);
    gdCustOut->setColumnWidth(1, 220);
    gdCustOut->setColumnWidth(2, 180);
    // Marked customers stand out in the selection colour; every text in the window's.
    gdCustOut->setRowColor([this](const ui::GridRow& row) {
        return row.value(QStringLiteral("Mark")).toBool() ? palette().color(QPalette::Highlight)
                                                          : palette().color(QPalette::Base);
    });
    gdCustOut->setRowTextColor(
        [this](const ui::GridRow&) { return palette().color(QPalette::WindowText); });
    // The marks are the selection here; the grid's own selection would look like one, so the
    // current row shows only by its focus frame.
    gdCustOut->setSelectionMode(QAbstractItemView::NoSelection);
    connect(gdCustOut->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (gdCustOut->selectionModel()->hasSelection())
            gdCustOut->selectionModel()->clearSelection();
    });
    gdCustOut->viewport()->installEventFilter(this);
    connect(gdCustOut, &ui::DBGrid::titleClick, this, &TfmCustOut::gdCustOutTitleClick);

    pnlPrint = new QFrame(body());
    pnlPrint->setObjectName(QStringLiteral("pnlPrint"));
    mNote = new QPlainTextEdit(pnlPrint);
    mNote->setObjectName(QStringLiteral("mNote"));
    mNote->setReadOnly(true);
    mNote->setPlainText(
        QStringLiteral("Select customers by clicking on them while pressing the Ctrl key \n"
                       "or by clicking on first and last while pressing the Shift key.\n"
                       "Start printing with a button"));
    mNote->setLineWrapMode(QPlainTextEdit::NoWrap);
    mNote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mNote->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(mNote->font());
    mNote->setFixedSize(metrics.horizontalAdvance(QStringLiteral(
                            "or by clicking on first and last while pressing the Shift key.")) +
                            24,
                        metrics.lineSpacing() * 3 + 14);
    auto button = [this](const char* name, const QString& caption, List list) {
        auto* b = new QPushButton(caption, pnlPrint);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, list] { printList(list); });
        return b;
    };
    btnTelefon = button("btnTelefon", QStringLiteral("Phone list"), List::Phone);
    btnAdress = button("btnAdress", QStringLiteral("Address list"), List::Address);
    btnForsaljning = button("btnForsaljning", QStringLiteral("Sales"), List::Sales);
    btnAllt = button("btnAllt", QStringLiteral("All data"), List::All);
    cbPdfPrints = new QCheckBox(QStringLiteral("pdf prints"), pnlPrint);
    cbPdfPrints->setObjectName(QStringLiteral("cbPdfPrints"));
    cbAll = new QCheckBox(QStringLiteral("All customers"), pnlPrint);
    cbAll->setObjectName(QStringLiteral("cbAll"));

    auto* panel = new QVBoxLayout(pnlPrint);
    panel->addWidget(mNote);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnTelefon, btnAdress, btnForsaljning, btnAllt})
        buttons->addWidget(b);
    panel->addLayout(buttons);
    auto* checks = new QHBoxLayout;
    checks->addWidget(cbPdfPrints);
    checks->addWidget(cbAll);
    checks->addStretch(1);
    panel->addLayout(checks);

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(gdCustOut, 1);
    layout->addWidget(pnlPrint, 0, Qt::AlignHCenter);
    resize(620, 560);
}

TfmCustOut::~TfmCustOut() {
    sCustOut.RemovePassword(QString::fromLatin1(customers::kCustomersPassword));
}

bool TfmCustOut::eventFilter(QObject* watched, QEvent* event) {
    // The press has moved the table to the clicked row; the release decides the marks.
    if (watched == gdCustOut->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            gdCustOut->indexAt(mouse->position().toPoint()).isValid())
            gdCustOutCellClick(mouse->modifiers());
    }
    return ui::Form::eventFilter(watched, event);
}

void TfmCustOut::gdCustOutCellClick(Qt::KeyboardModifiers modifiers) {
    try {
        m_marks->click(modifiers);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    gdCustOut->viewport()->update();
}

void TfmCustOut::gdCustOutTitleClick(const QString& field) {
    if (!dbCustOut->Active())
        return;
    QString index = QStringLiteral("Cust. no");
    if (field == QLatin1String("Company") || field == QLatin1String("Reference"))
        index = field;
    try {
        dbCustOut->setIndexName(index);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

QString TfmCustOut::pdfFileName(List list, const QDate& day) {
    QString date = QLocale().toString(day, Dates::shortFormat());
    // A date written with slashes would name folders instead of a file.
    for (QChar c : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        date.replace(c, QLatin1Char('-'));
    switch (list) {
    case List::Phone:
        return QStringLiteral("Customers phone list %1.pdf").arg(date);
    case List::Address:
        return QStringLiteral("Customers address list %1.pdf").arg(date);
    case List::Sales:
        return QStringLiteral("Customers sales list %1.pdf").arg(date);
    case List::All:
        break;
    }
    return QStringLiteral("Customers all data %1.pdf").arg(date);
}

std::unique_ptr<TfmqrCustOutBase> TfmCustOut::createReport(List list) {
    std::unique_ptr<TfmqrCustOutBase> form;
    switch (list) {
    case List::Phone:
        form = std::make_unique<TfmqrCustOutPhone>(this);
        break;
    case List::Address:
        form = std::make_unique<TfmqrCustOutAddress>(this);
        break;
    case List::Sales:
        form = std::make_unique<TfmqrCustOutSales>(this);
        break;
    case List::All:
        form = std::make_unique<TfmqrCustOutAll>(this);
        break;
    }
    form->setDataSet(dbCustOut);
    form->setCompanyName(Service::CompanyName);
    return form;
}

void TfmCustOut::exportPdf(List list) {
    const QString file =
        ui::getSaveFileName(this, QString(), QString(), pdfFileName(list, QDate::currentDate()),
                            QStringLiteral("Adobe PDF Files (*.pdf)|*.pdf|"));
    if (file.isEmpty())
        return;
    {
        std::unique_ptr<TfmqrCustOutBase> form = createReport(list);
        auto filter = std::make_unique<report::TQRPDFDocumentFilter>(file);
        if (!form->report()->exportToFilter(*filter, false)) {
            // Failure is never reported as a printout.
            ui::ShowError(filter->errorString().isEmpty()
                              ? QStringLiteral("The PDF file could not be written.")
                              : filter->errorString());
            return;
        }
    }
    if (!ui::AskYesNo(QStringLiteral("Dokument printed.\n\rView?")))
        return;
    if (Service::ExecuteFile(QStringLiteral("Acrord32"), file, QString(), 1) > 32)
        return;
    if (Service::ExecuteFile(QStringLiteral("Acrobat"), file, QString(), 1) > 32)
        return;
    ui::ShowError(QStringLiteral(
        "There is no Acrobat program on this computer.\r\nThe document can not be read."));
}

void TfmCustOut::printList(List list) {
    if (!dbCustOut->Active())
        return;
    try {
        if (cbAll->isChecked())
            m_marks->markAll();
        dbCustOut->setFilter(QStringLiteral("MARK = True"));
        dbCustOut->setFiltered(true);
        if (cbPdfPrints->isChecked()) {
            exportPdf(list);
        } else {
            std::unique_ptr<TfmqrCustOutBase> form = createReport(list);
            hideWhile([&] { report::previewReport(*form->report(), this); });
        }
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    // Whatever happened, the selection is used up.
    try {
        dbCustOut->setFiltered(false);
        m_marks->clearAll();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    gdCustOut->viewport()->update();
}

void TfmCustOut::FormClose() {
    dbCustOut->Close();
    sCustOut.RemovePassword(QString::fromLatin1(customers::kCustomersPassword));
}
