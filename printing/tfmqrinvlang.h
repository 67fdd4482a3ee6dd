#pragma once

#include "ui/form.h"

#include <QStringList>

namespace report {
class Report;
}

// The printed list of translations: company, date, the language name and the 38 texts, each
// beside its fixed English caption.
class TfmqrInvLang : public ui::Form {
    Q_OBJECT
public:
    explicit TfmqrInvLang(QWidget* owner);

    report::Report* qrInvLang = nullptr;

    // The language name and the 38 texts, in the order of the language file.
    void setTranslations(const QString& language, const QStringList& texts);
};
