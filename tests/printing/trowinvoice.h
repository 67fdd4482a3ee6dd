#pragma once

#include "db/session.h"
#include "db/table.h"
#include "printing/tfmqrinvoice.h"
#include "report/prepared.h"
#include "report/report.h"

#include "support/layoutcheck.h"
#include "support/testenv.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

// A document as the invoice editor hands it to the print: its rows in TRow of a fresh data
// directory and its head values on the labels. The report window is made when first asked
// for, so that a test sets the company, the design and the switches first.
class TRowInvoice {
public:
    struct Row {
        QString item;
        QString code;
        QString description;
        double qty = 1;
        QString unit = QStringLiteral("pcs");
        double price = 0;
        double discount = 0;
        double vat = 20;
        bool longDesc = false;
        QString ldesc;
    };

    explicit TRowInvoice(const QString& kind = QStringLiteral("Invoice"));

    void add(const Row& row);
    void add(const QString& item, const QString& code, const QString& description, double qty,
             const QString& unit, double price, double discount = 0, double vat = 20,
             bool longDesc = false, const QString& ldesc = QString());
    // Rows "1".."n" with the description "Row <n> ..." and a price, each its own.
    void addNumbered(int count, int first = 1);

    // Head values; set before form() is first called.
    QMap<QString, QString> head;
    QString kind;

    TfmqrInvoice& form();
    report::PreparedDocument prepare() { return form().qrInvoice->prepare(); }
    QString file(const QString& name) const { return dir.file(name); }

    TempDataDir dir;
    db::Session session{QStringLiteral("sInvoiceTest")};
    db::Table rows;

private:
    std::unique_ptr<TfmqrInvoice> m_form;
};

// A small firm's company data in the service globals, with VAT.
void setTestCompany();
// The shipped design of that base name ("Classic", "Heading", "Letter").
QString shippedDesign(const QString& base);
