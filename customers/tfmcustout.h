#pragma once

#include "customers/custmarks.h"
#include "db/session.h"
#include "ui/form.h"

#include <memory>

class QCheckBox;
class QFrame;
class QPlainTextEdit;
class QPushButton;
class TfmqrCustOutBase;

namespace db {
class Table;
}
namespace ui {
class DBGrid;
}

// "Printouts from customer database": the customers to print are marked in the grid (Ctrl
// and Shift with a click) or all of them by "All customers"; each of the four buttons prints
// its list in the preview, or as a PDF file with "pdf prints". The marks are cleared after
// every printout.
//
// Open it with ui::execModal<TfmCustOut>(owner).
class TfmCustOut : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 270;
    enum class List { Phone, Address, Sales, All };

    explicit TfmCustOut(QWidget* owner);
    ~TfmCustOut() override;

    db::Session sCustOut{QStringLiteral("sCustOut")};
    db::Table* dbCustOut = nullptr;
    ui::DBGrid* gdCustOut = nullptr;
    QFrame* pnlPrint = nullptr;
    QPlainTextEdit* mNote = nullptr;
    QPushButton* btnTelefon = nullptr;
    QPushButton* btnAdress = nullptr;
    QPushButton* btnForsaljning = nullptr;
    QPushButton* btnAllt = nullptr;
    QCheckBox* cbPdfPrints = nullptr;
    QCheckBox* cbAll = nullptr;

    const customers::CustomerMarks& marks() const { return *m_marks; }

    // The PDF file name offered for a list on a day.
    static QString pdfFileName(List list, const QDate& day);
    // A report form of the list, bound to the customers.
    std::unique_ptr<TfmqrCustOutBase> createReport(List list);

public slots:
    // A click on the grid's current row with these keys held.
    void gdCustOutCellClick(Qt::KeyboardModifiers modifiers);
    void gdCustOutTitleClick(const QString& field);
    void printList(List list);

protected:
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void exportPdf(List list);
    std::unique_ptr<customers::CustomerMarks> m_marks;
};
