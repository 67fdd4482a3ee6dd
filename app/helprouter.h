#pragma once

#include <QObject>
#include <QString>

// Sends F1 and the help commands of the main window to the help pages. The help file names
// where the help lives; the pages themselves are found by context in the help folder.
class THelpRouter : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString HelpFile READ HelpFile WRITE setHelpFile)
    Q_PROPERTY(QString HelpType READ HelpType WRITE setHelpType)
    Q_PROPERTY(QString CSHelpFile READ CSHelpFile WRITE setCSHelpFile)
public:
    explicit THelpRouter(QObject* parent = nullptr);

    QString HelpFile() const { return m_helpFile; }
    void setHelpFile(const QString& file) { m_helpFile = file; }
    QString HelpType() const { return m_helpType; }
    void setHelpType(const QString& type) { m_helpType = type; }
    // Topic list for context popups.
    QString CSHelpFile() const { return m_csHelpFile; }
    void setCSHelpFile(const QString& file) { m_csHelpFile = file; }

    void ShowContext(int context);

private:
    QString m_helpFile;
    QString m_helpType = QStringLiteral("htHTMLhelp");
    QString m_csHelpFile = QStringLiteral("CSHelp.txt");
};
