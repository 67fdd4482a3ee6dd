#pragma once

#include <QDialog>

class QTextBrowser;

namespace ui {

// A small browser for the help pages, with "Contents" and "Back". One window serves every help
// request; it stays open beside the program's windows.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    static void open(const QString& path);
    static HelpWindow* instance();
    QString currentPage() const;

private:
    explicit HelpWindow(QWidget* parent);
    QTextBrowser* m_browser;
};

} // namespace ui
