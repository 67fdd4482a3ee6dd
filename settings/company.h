#pragma once

#include "ui/form.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// "Company data": edits the company's own name, address and bank details printed on every
// document. The fields are filled from the company globals; whatever closes the window writes
// them, hidden ones included, to section "Company" of MRV.ini and back into the globals, so
// the next document shows them.
//
// Open it with ui::execModal<TfmCompany>(owner).
class TfmCompany : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 160;

    explicit TfmCompany(QWidget* owner);

protected:
    bool FormCloseQuery() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The reason the box's text cannot be taken, or an empty text.
    QString problemOf(const QLineEdit* box) const;
    void FormCreate();
    QLineEdit* addField(const QString& objectName, const QString& labelName,
                        const QString& caption);

    QFormLayout* m_fields = nullptr;
    QLineEdit* edCompanyname = nullptr;
    QLineEdit* edCompanyShortName = nullptr;
    QLineEdit* edCompanyAddress = nullptr;
    QLineEdit* edCompanyCity = nullptr;
    QLineEdit* edCompanyZip = nullptr;
    QLineEdit* edCompanyState = nullptr;
    QLineEdit* edCompanyPhone = nullptr;
    QLineEdit* edCompanyFax = nullptr;
    QLineEdit* edCompanyEmail = nullptr;
    QPlainTextEdit* mCompanyBank = nullptr;
    QLineEdit* edVATnumber = nullptr;
    QLineEdit* edCompanyIBAN = nullptr;
    QLineEdit* edCompanyBIC = nullptr;
    QLineEdit* edCompanyCountry = nullptr;
    QLineEdit* edCompanyLegalNo = nullptr;
    QLineEdit* edCompanyCurrency = nullptr;
    bool m_checking = false;
};
