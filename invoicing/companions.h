#pragma once

#include "db/session.h"
#include "ui/form.h"

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;
class QShowEvent;

namespace db {
class Table;
}
namespace ui {
class DBEdit;
class DBGrid;
class DBNavigator;
} // namespace ui

class TfmInvoice;
enum class EditorOwner;

// The tax pick list: adds a percentage charge from the tax register to the current row.
class TfmTaxget : public ui::Form {
    Q_OBJECT
public:
    explicit TfmTaxget(QWidget* owner);
    ~TfmTaxget() override;

    db::Table* dbTaxes = nullptr;
    ui::DBGrid* gdTaxes = nullptr;
    QPushButton* btnClose = nullptr;

public slots:
    void TakeTax();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The customer look-up: finds a customer by the leading part of the current index's field
// and copies it into the editor's head.
class TfmCustGet : public ui::Form {
    Q_OBJECT
public:
    explicit TfmCustGet(QWidget* owner);
    ~TfmCustGet() override;

    db::Session sCustGet{QStringLiteral("sCustGet")};
    db::Table* dbCustGet = nullptr;
    ui::DBGrid* gdCustGet = nullptr;
    QLineEdit* edSearch = nullptr;
    QLabel* lbSortOrder = nullptr;
    QPushButton* btnNew = nullptr;
    ui::DBNavigator* dbnCustGet = nullptr;

public slots:
    void TakeCustomer();
    void edSearchChange(const QString& text);
    void gdCustGetTitleClick(const QString& field);
    // Open the customer register (modally) and show the table as it left it.
    void btnNewClick();
    // The navigator's insert button opens the register; its other buttons only move.
    void dbnCustGetClick(int button);

protected:
    // Each showing starts afresh (its table opened on the index "Company"); the work is done
    // when the window is shown, not when the desktop gets round to activating it.
    void showEvent(QShowEvent* event) override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The product look-up: finds a product by the leading part of its code or description, copies
// it into the editor's current row, and registers a new product on the spot.
class TfmProdGet : public ui::Form {
    Q_OBJECT
public:
    explicit TfmProdGet(QWidget* owner);
    ~TfmProdGet() override;

    db::Session sArtsok{QStringLiteral("sArtsok")};
    db::Table* dbArtsok = nullptr;
    ui::DBGrid* gdArtsok = nullptr;
    QLineEdit* edSearch = nullptr;
    QLabel* lbSortOrder = nullptr;
    QPushButton* btnNewProduct = nullptr;
    QFrame* pnlNewProduct = nullptr;
    ui::DBEdit* dbedCode = nullptr;
    ui::DBEdit* dbedDescription = nullptr;
    ui::DBEdit* dbedUnit = nullptr;
    ui::DBEdit* dbedPrice = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    void TakeProduct();
    void edSearchChange(const QString& text);
    void gdArtsokTitleClick(const QString& field);
    void btnNewProductClick();
    void btnSaveClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The document finder: opens a stored document in the editor, or collects the rows of
// quotations, delivery notes and packing slips into the invoice being written.
class TfmGetInv : public ui::Form {
    Q_OBJECT
public:
    explicit TfmGetInv(QWidget* owner);
    ~TfmGetInv() override;

    ui::DBGrid* gdFaktsok = nullptr;
    QLabel* lbNote = nullptr;
    QPushButton* btnGet = nullptr;
    QPushButton* btnContinue = nullptr;
    QPushButton* btnCancel = nullptr;
    bool collectMode() const { return m_collect; }

    // Archives and marks paid the documents whose rows were collected (inside the editor's
    // save), then forgets them.
    void ArchiveSources();
    // The documents of the last collection, in the order their rows were collected.
    const std::vector<qint64>& collected() const { return m_selected; }

public slots:
    void btnGetClick();
    void btnContinueClick();
    void btnCancelClick();
    void gdFaktsokTitleClick(const QString& field);
    void gdFaktsokDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCollectMode(bool on);
    bool m_collect = false;
    std::vector<qint64> m_selected; // the documents of the last collection
};

extern TfmTaxget* fmTaxget;
extern TfmCustGet* fmCustGet;
extern TfmProdGet* fmProdGet;
extern TfmGetInv* fmGetInv;

// The editor and its four companions, created together with one owner and released together.
struct InvoicingWindows {
    std::unique_ptr<TfmInvoice> editor;
    std::unique_ptr<TfmTaxget> taxget;
    std::unique_ptr<TfmCustGet> custget;
    std::unique_ptr<TfmGetInv> getinv;
    std::unique_ptr<TfmProdGet> prodget;

    InvoicingWindows(QWidget* owner, EditorOwner ownerKind);
    ~InvoicingWindows();
    InvoicingWindows(const InvoicingWindows&) = delete;
    InvoicingWindows& operator=(const InvoicingWindows&) = delete;

    // Shows the editor modally; the windows stay until this object goes.
    void showEditor();
};

// "Write invoice": creates the five windows, hides the owner while the editor is shown
// modally, shows the owner again and releases all five.
void writeInvoice(QWidget* owner);
