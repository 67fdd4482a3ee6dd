#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A sectioned text settings file ("[Section]" lines, then "Key=Value" lines), used for every
// settings file of the program. The file is read whole when the object is made and written
// back whole by updateFile(), keeping every section, key, comment and odd line it did not
// change, in their order. Section and key names match without regard to case.
//
// Reading never fails: a missing file reads as empty, a missing or unreadable value gives the
// caller's default. Text that is not valid UTF-8 is read as Windows-1252, so files written by
// older Windows installations keep their accented letters. Writing replaces the file
// atomically through SaveFile (temporary file, then rename), so a crash or a full disk never
// leaves half a file behind; a failed write keeps the old file and says why.
//
// Files are written as UTF-8, which cannot hold a lone UTF-16 surrogate (half of a character
// outside the Basic Multilingual Plane, as a value cut in the middle of such a character may
// hold): it is written, and so read back, as "?". Whole characters of every plane keep.
class SettingsFile {
public:
    explicit SettingsFile(const QString& fileName, const QLocale& locale = QLocale());

    const QString& fileName() const { return m_fileName; }
    // Whether the file existed (and could be read) when it was loaded.
    bool existed() const { return m_existed; }
    bool isModified() const { return m_modified; }

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    double readFloat(const QString& section, const QString& key, double defaultValue) const;
    QDate readDate(const QString& section, const QString& key, const QDate& defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeFloat(const QString& section, const QString& key, double value);
    void writeDate(const QString& section, const QString& key, const QDate& value);

    // Key names of a section, in file order (first occurrence of duplicates only).
    QStringList readSection(const QString& section) const;
    // "Key=Value" lines of a section, in file order.
    QStringList readSectionValues(const QString& section) const;
    QStringList sections() const;

    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);

    // Writes the whole file back. Returns false (with a message) when it could not be written;
    // the old file is then left as it was.
    bool updateFile(QString* errorMessage = nullptr);

    // Test seam: called after the new content is written to the temporary file and before it
    // replaces the old file.
    static void setBeforeCommitHook(std::function<void()> hook);

    // Decodes file bytes: UTF-8 when valid (a leading byte-order mark dropped), else
    // Windows-1252.
    static QString decode(const QByteArray& bytes);

private:
    struct Line {
        enum Kind { Other, Section, Value } kind = Other;
        QString text;  // the whole line for Other and Section lines
        QString name;  // section or key name
        QString value; // value of a Value line
        bool deleted = false;
    };
    struct Section {
        QString name;
        int headerLine = -1; // -1 for the lines before the first section header
        std::vector<int> lines;
    };

    int findSection(const QString& name) const;
    int findValueLine(const Section& section, const QString& key) const;
    Section& ensureSection(const QString& name);

    QString m_fileName;
    QLocale m_locale;
    bool m_existed = false;
    bool m_modified = false;
    QString m_newline = QStringLiteral("\n");
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;
};
