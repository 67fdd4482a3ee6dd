#pragma once

#include "service/settingsfile.h"

#include <QString>
#include <QStringList>

#include <array>

namespace report {
class Report;
}

namespace printing {

// One of the texts a document language holds.
struct LanguageText {
    const char* key;          // key in the language's section
    const char* defaultText;  // English, used when the key is missing
    const char* edit;         // edit field of the setup window
    const char* setupCaption; // caption beside it
    const char* listCaption;  // fixed English caption on the printed list of translations
    const char* listValue;    // value label on that list
};

inline constexpr int kLanguageTextCount = 38;
const std::array<LanguageText, kLanguageTextCount>& languageTexts();
// Index of a key in languageTexts(), -1 when unknown.
int languageTextIndex(const QString& key);

// The document language file MRVLang.ini in the data directory: the current language, the
// list of languages and 38 texts per language. A missing file, section or key gives the
// defaults.
class LanguageFile {
public:
    explicit LanguageFile(const QString& dataDir);

    static QString path(const QString& dataDir);
    // Whether the file is on disk (it is written only by saving).
    bool exists() const;

    QString currentLanguage() const;
    int numberOfLanguages() const;
    // The list as the windows show it: the LangList entries, or only the current language
    // when the file holds none.
    QStringList languages() const;
    // The 38 texts of a language, in table order, defaults where missing.
    QStringList texts(const QString& language) const;
    QString text(const QString& language, const char* key) const;

    // Writes, in this order: the current language and the number of languages, the list, and
    // the 38 texts into the current language's section; then the file to disk.
    bool save(const QString& current, const QStringList& languages, const QStringList& texts,
              QString* error = nullptr);
    // Records only a new current language and writes the file.
    bool saveCurrentLanguage(const QString& language, QString* error = nullptr);

private:
    SettingsFile m_file;
};

// The language texts on the invoice print, for the document kind the editor has chosen.
// Nothing happens when the language file does not exist.
void applyInvoiceLanguageTexts(report::Report& report, const QString& documentKind,
                               const QString& dataDir);

} // namespace printing
