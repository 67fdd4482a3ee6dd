#pragma once

#include "printing/languages.h"
#include "ui/form.h"

#include <QList>

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

// "Language setup": the 38 texts of the current document language, the list of languages to
// choose from, creating a new language and printing the list of translations.
class TfmLanguage : public ui::Form {
    Q_OBJECT
public:
    explicit TfmLanguage(QWidget* owner);
    ~TfmLanguage() override;

    QString currentLanguage() const { return m_current; }
    bool isModified() const { return m_modified; }
    // The texts of the edit fields, in the order of the language file.
    QStringList editTexts() const;

public slots:
    void ListBoxCurrentClick();
    void btnCreateClick();
    void mnPrintClick();
    // Writes the list and the current language's texts to the language file.
    void SaveTranslations();

protected:
    void FormClose() override;

private:
    void FormCreate();
    void loadTexts(const QString& language);
    void selectCurrent();
    void editChanged();

    std::unique_ptr<printing::LanguageFile> m_file;
    QString m_current;
    bool m_modified = false;
    bool m_loading = false;
    QList<QLineEdit*> m_edits;
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
};
