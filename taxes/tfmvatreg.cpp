#include "taxes/tfmvatreg.h"

#include "db/table.h"
#include "taxes/taxrules.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/keys.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

// Only the category codes can be typed, in either letter case; they are kept in capitals.
class CategoryValidator : public QRegularExpressionValidator {
public:
    explicit CategoryValidator(QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral("S|Z|E|AE|K|G|O")),
                                      parent) {}
    State validate(QString& input, int& pos) const override {
        input = input.toUpper();
        return QRegularExpressionValidator::validate(input, pos);
    }
};

} // namespace

TfmVATReg::TfmVATReg(QWidget* owner)
    : taxes::RegisterForm(owner, QStringLiteral("TfmVATReg"), QStringLiteral("VAT rates"),
                          kHelpContext, QStringLiteral("VAT")) {
    connect(addMenuCommand(QStringLiteral("mnBack"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmVATReg::mnBackClick);
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));

    gdMomssatser = new ui::DBGrid(m_table, body());
    gdMomssatser->setObjectName(QStringLiteral("gdMomssatser"));
    gdMomssatser->setReadOnly(true);
    gdMomssatser->setFocusPolicy(Qt::ClickFocus);
    m_grid = gdMomssatser;

    dbedVatRates = new ui::DBEdit(m_table, QStringLiteral("VAT %"), body());
    dbedVatRates->setObjectName(QStringLiteral("dbedVatRates"));
    dbedVatRates->setNumberRule(taxes::vatRateRule());
    dbedVatRates->setAlignment(Qt::AlignRight);
    dbedVatRates->setMaximumWidth(90);
    lbVatRates = new QLabel(QStringLiteral("Tax rate"), body());
    lbVatRates->setObjectName(QStringLiteral("lbVatRates"));
    lbVatRates->setBuddy(dbedVatRates);
    dbedCategory = new ui::DBEdit(m_table, QStringLiteral("Category"), body());
    dbedCategory->setObjectName(QStringLiteral("dbedCategory"));
    dbedCategory->setValidator(new CategoryValidator(dbedCategory));
    dbedCategory->setMaximumWidth(90);
    dbedCategory->setToolTip(QStringLiteral("S standard rate, Z zero rated, E exempt, AE reverse "
                                            "charge, K intra-community supply, G export, O outside "
                                            "the scope of VAT. Empty: Z for 0 %, else S."));
    lbCategory = new QLabel(QStringLiteral("Category"), body());
    lbCategory->setObjectName(QStringLiteral("lbCategory"));
    lbCategory->setBuddy(dbedCategory);
    dbedExemption = new ui::DBEdit(m_table, QStringLiteral("Exemption reason"), body());
    dbedExemption->setObjectName(QStringLiteral("dbedExemption"));
    dbedExemption->setMaxLength(100);
    dbedExemption->setToolTip(QStringLiteral("Why no VAT is charged (categories E, AE, K, G, O)"));
    lbExemption = new QLabel(QStringLiteral("Exemption reason"), body());
    lbExemption->setObjectName(QStringLiteral("lbExemption"));
    lbExemption->setBuddy(dbedExemption);
    m_boxes = {dbedVatRates, dbedCategory, dbedExemption};
    for (ui::DBEdit* box : m_boxes)
        ui::EnterMovesFocus::install(box);

    btnNy = new QPushButton(QStringLiteral("New"), body());
    btnNy->setObjectName(QStringLiteral("btnNy"));
    btnRadera = new QPushButton(QStringLiteral("Delete"), body());
    btnRadera->setObjectName(QStringLiteral("btnRadera"));
    // Tab reaches "New"; a click on either button leaves the focus in the rate box.
    btnNy->setFocusPolicy(Qt::TabFocus);
    btnRadera->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* b : {btnNy, btnRadera})
        b->setAutoDefault(false);
    connect(btnNy, &QPushButton::clicked, this, &TfmVATReg::btnNyClick);
    connect(btnRadera, &QPushButton::clicked, this, &TfmVATReg::btnRaderaClick);

    lbNote = new QLabel(QStringLiteral("This is the VAT rates you can choose \n"
                                       "between when invoicing."),
                        body());
    lbNote->setObjectName(QStringLiteral("lbNote"));

    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setVerticalSpacing(6);
    layout->addWidget(gdMomssatser, 0, 0, 1, 3);
    layout->addWidget(lbVatRates, 1, 0);
    layout->addWidget(dbedVatRates, 1, 1);
    layout->addWidget(lbCategory, 2, 0);
    layout->addWidget(dbedCategory, 2, 1);
    layout->addWidget(lbExemption, 3, 0);
    layout->addWidget(dbedExemption, 3, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNy);
    buttons->addWidget(btnRadera);
    buttons->addStretch(1);
    layout->addLayout(buttons, 4, 0, 1, 3);
    layout->addWidget(lbNote, 5, 0, 1, 3);
    layout->setRowMinimumHeight(5, 44);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(2, 1);
    resize(380, 420);
}

void TfmVATReg::btnRaderaClick() {
    deleteRecord(taxes::deleteVatRateQuestion);
}

void TfmVATReg::cleanUp(db::Table& table) {
    taxes::removeZeroVatRates(table);
}
