#pragma once

#include "taxes/registerform.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class DBCheckBox;
}

// "Products": the product register. Products are listed by code or description, found by the
// leading part of either as it is typed, added, edited and deleted; the sales of the period
// are shown and can be reset for all products. Codes are unique.
//
// Open it with ui::execModal<TfmProdreg>(owner).
class TfmProdreg : public taxes::RegisterForm {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 440;

    explicit TfmProdreg(QWidget* owner);

    ui::DBGrid* gdProdreg = nullptr;
    QLineEdit* edSearch = nullptr;
    QLabel* lbSortOrder = nullptr;
    ui::DBEdit* dbedCode = nullptr;
    ui::DBEdit* dbedDescription = nullptr;
    ui::DBEdit* dbedUnit = nullptr;
    ui::DBEdit* dbedPrice = nullptr;
    ui::DBCheckBox* cbHidden = nullptr;
    ui::DBEdit* dbedStock = nullptr;
    ui::DBEdit* dbedPeriodQty = nullptr;
    ui::DBEdit* dbedPeriodSales = nullptr;
    ui::DBEdit* dbedLastInvoice = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnDelete = nullptr;
    QAction* mnResetStatistics = nullptr;

    // Shows the window modally (the add-on's menu command); the caller releases it.
    Q_INVOKABLE int execute();

public slots:
    void btnDeleteClick();
    void edSearchChange(const QString& text);
    void gdProdregTitleClick(const QString& field);
    void mnResetStatisticsClick();

protected:
    void cleanUp(db::Table&) override {}
    bool eventFilter(QObject* watched, QEvent* event) override;
};
