#pragma once

#include "ui/form.h"

class QListWidget;

// "Select language": the document language for printing, chosen by a double click, which
// writes the choice to the language file at once.
class TfmLangSelect : public ui::Form {
    Q_OBJECT
public:
    explicit TfmLangSelect(QWidget* owner);

public slots:
    void lbLanguagesDblClick();

private:
    QListWidget* m_list = nullptr;
};
