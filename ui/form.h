#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QMenu;
class QMenuBar;
class QAction;
class QVBoxLayout;

namespace ui {

// Base of every window of the program except the main window: a dialog with a menu bar on
// top, a body the window lays out its controls in, a help context for F1 and "Help", and the
// moments a window reacts to: FormCreate (the window calls it at the end of its own
// constructor), FormActivate (each time the window becomes active), FormCloseQuery (whatever
// closes the window asks it first; a window holding something it cannot store, such as a
// refused entry, says no and stays open) and FormClose (the window is closing; there is no
// cancel).
class Form : public QDialog {
    Q_OBJECT
public:
    Form(QWidget* owner, const QString& objectName, const QString& caption, int helpContext = 0);

    int helpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }

    QMenuBar* menuBar() const { return m_menuBar; }
    QWidget* body() const { return m_body; }

    // Adds a top-level menu command with the given objectName and caption.
    QAction* addMenuCommand(const QString& objectName, const QString& caption);
    // The usual "Back" (closes the window) and "Help" (opens this window's help context).
    QAction* addBackCommand(const QString& objectName = QStringLiteral("mnBack"),
                            const QString& caption = QStringLiteral("Back"));
    QAction* addHelpCommand(const QString& objectName = QStringLiteral("mnHelp"),
                            const QString& caption = QStringLiteral("Help"));

    // Opens the help context of the focused control, or the window's own.
    void showContextHelp();

    // Hides the window while action runs (another window, such as a print preview, takes its
    // place) and shows it again afterwards, without ending its modal showing.
    void hideWhile(const std::function<void()>& action);
    void setVisible(bool visible) override;

protected:
    virtual void FormActivate() {}
    // False keeps the window open; the window has said why and put the user where to act.
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    int m_helpContext = 0;
    bool m_closing = false;
    bool m_querying = false;
    bool m_hiddenForAWhile = false;
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_body = nullptr;
};

// Help context of one control (F1 while it has the focus); 0 means "the window's".
void setControlHelpContext(QWidget* control, int context);
int controlHelpContext(const QWidget* control);

} // namespace ui
