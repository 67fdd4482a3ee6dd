#pragma once

#include <QFlags>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QPrinter;

// Every message box, modal window and file dialog of the program goes through here, so that a
// test can answer them through a hook and nothing ever waits for a person.
namespace ui {

// ---- Message boxes ---------------------------------------------------------------------

enum class MsgType { Warning, Error, Information, Confirmation, Custom };

enum class MsgButton { None = 0, Yes = 1, No = 2, OK = 4, Cancel = 8 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

struct MessageRequest {
    QString text;    // exactly as given, "\r" and "\n" included
    QString caption; // empty: the type's own caption ("Warning", "Error", "Information", "Confirm")
    MsgType type = MsgType::Information;
    MsgButtons buttons = MsgButton::OK;
};

// Shows a message and returns the button chosen (Escape or the close box give No for Yes/No
// questions, Cancel or OK otherwise).
MsgButton MessageDlg(const QString& text, MsgType type, MsgButtons buttons,
                     const QString& caption = QString());
// An information message with an OK button.
void ShowMessage(const QString& text);
// An error message with an OK button.
void ShowError(const QString& text, const QString& caption = QString());
// A confirmation with Yes and No; true for Yes.
bool AskYesNo(const QString& text, MsgType type = MsgType::Confirmation,
              const QString& caption = QString());

// The text as the message box shows it: "\r\n", "\n\r", "\r" and "\n" each break a line.
QString displayText(const QString& text);

using MessageHook = std::function<MsgButton(const MessageRequest&)>;
// Installs a hook that receives every message instead of a real message box; returns the
// previous hook. Pass nullptr to show real message boxes again.
MessageHook setMessageHook(MessageHook hook);

// ---- Modal windows -----------------------------------------------------------------------

// Called with a window while it is shown modally; the hook acts inside it and may close it.
// A window the hook leaves open is closed when the hook returns.
using ModalHook = std::function<void(QWidget* window)>;
ModalHook setModalHook(ModalHook hook);

// Shows the window modally (it must have been created with its owner as parent) and returns
// when it has closed. The window is released afterwards, also when an error leaves the modal
// loop. Returns the dialog result for QDialog windows, 0 otherwise.
int showModal(std::unique_ptr<QWidget> window);
// Shows the window modally without taking ownership (for windows that live longer than one
// showing, such as the invoice editor's companions). The window is hidden afterwards.
int showModalKeep(QWidget* window);

// Creates a window of type T with the owner as parent, shows it modally and releases it.
template <typename T, typename... Args>
int execModal(QWidget* owner, Args&&... args) {
    return showModal(std::make_unique<T>(owner, std::forward<Args>(args)...));
}

// Whether a window is being shown modally by showModal/showModalKeep right now.
bool isShownModally(const QWidget* window);

// ---- File dialogs ------------------------------------------------------------------------

struct FileRequest {
    enum Kind { Save, Open, Folder } kind = Save;
    QString caption;
    QString directory;
    QString fileName; // proposed name (save) or preselected file (open)
    QString filter;   // in the program's form "Description (*.ext)|*.ext|..." or Qt's form
};

// The chosen file name, or an empty text when the user cancels.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                        const QString& fileName, const QString& filter);
QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                        const QString& fileName, const QString& filter);

// The chosen folder, or an empty text when the user cancels.
QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory);

// Turns a filter of the form "Adobe PDF Files (*.pdf)|*.pdf|" or "bmp|*.bmp" into Qt's form
// ("Adobe PDF Files (*.pdf)", "bmp (*.bmp)"); a Qt filter passes unchanged.
QString toQtFilter(const QString& filter);

using FileHook = std::function<QString(const FileRequest&)>;
FileHook setFileHook(FileHook hook);

// ---- Print dialog ------------------------------------------------------------------------

// Shows the system's print dialog for the printer (copies, pages, printer choice) and returns
// whether the user confirmed.
bool choosePrinter(QPrinter& printer, QWidget* parent);

// Receives the printer instead of the dialog; may set it up (for example to write a PDF file)
// and returns whether printing goes ahead.
using PrinterHook = std::function<bool(QPrinter& printer)>;
PrinterHook setPrinterHook(PrinterHook hook);

} // namespace ui
