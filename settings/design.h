#pragma once

#include "settings/designlist.h"
#include "ui/form.h"

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

// "Invoice design": lists the designs of Design.ini, previews one in the design test print
// and saves the choice. Saving sets Service::DesignFile at once (the next document prints
// with it) and hands name and file to the open program setup, which stores them when it
// closes.
//
// Open it with ui::execModal<TfmDesign>(owner).
class TfmDesign : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 550;

    explicit TfmDesign(QWidget* owner);

    // The design file last chosen for viewing; empty until "View selected".
    QString FViewFile;

public slots:
    void btnValClick();
    void btnViewClick();
    void lbDesignsEnter();

protected:
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // The entry selected in the list, or null.
    const DesignList::Entry* selected() const;

    QListWidget* lbDesigns = nullptr;
    QPushButton* btnVal = nullptr;
    QPushButton* btnView = nullptr;
    QLabel* Label1 = nullptr;
    std::vector<DesignList::Entry> m_lines;
};
