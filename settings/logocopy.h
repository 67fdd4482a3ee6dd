#pragma once

#include "ui/form.h"

#include <QString>

class FileSearch;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Install logotype": finds a prepared picture named Logotype.bmp below a start folder (the
// user's home folder at first), shows it, and on request copies it as Logo.bmp into the folder
// of a file the user picks, which is meant to be the data directory. The search keeps the
// window responsive and can be cancelled.
//
// Open it with ui::execModal<TfmLogoCopy>(owner).
class TfmLogoCopy : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 620;

    explicit TfmLogoCopy(QWidget* owner);

    // Full path of the Logotype.bmp found by the last search; empty before a search and after
    // a failed one.
    const QString& foundLogo() const { return FFoundLogo; }
    bool isSearching() const { return m_search != nullptr; }

    // Where the search starts when the window opens and after "No".
    static QString defaultStartPath();

public slots:
    void btnSearchClick();
    void btnCancelClick();
    void btnYesClick();
    void btnNoClick();
    void btnOKClick();

protected:
    void FormClose() override;

private:
    void buildControls();
    void FormCreate();
    void showFoundLogo(const QString& path);
    void setSearching(bool searching);

    // The open dialog that points at the target folder.
    struct FileDialogSettings {
        QString initialDir;
        QString filter;
    } sdMapp;

    QString FFoundLogo;
    FileSearch* m_search = nullptr;

    QLabel* Label1 = nullptr;
    QLineEdit* edDrive = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lbSearchState = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* btnYes = nullptr;
    QPushButton* btnNo = nullptr;
    QFrame* pnlInfo = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* btnOK = nullptr;
    QLabel* Label4 = nullptr;
};
