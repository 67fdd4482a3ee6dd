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
    void FormClose() override;

private:
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
};
