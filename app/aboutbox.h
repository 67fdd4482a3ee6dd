#pragma once

#include "ui/form.h"

class ImageBox;
class QPlainTextEdit;
class QPushButton;

// The About box: the product picture, the maker's contact lines and the version of the
// program and of every loaded add-on.
class TAboutBox : public ui::Form {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);

private:
    ImageBox* Image1;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QPushButton* OKButton;
};
