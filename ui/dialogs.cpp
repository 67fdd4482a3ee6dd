#include "ui/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>
#include <QStringList>

namespace ui {

namespace {

MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}

ModalHook& modalHook() {
    static ModalHook hook;
    return hook;
}

FileHook& fileHook() {
    static FileHook hook;
    return hook;
}

PrinterHook& printerHook() {
    static PrinterHook hook;
    return hook;
}

QSet<const QWidget*>& modalWindows() {
    static QSet<const QWidget*> windows;
    return windows;
}

QString defaultCaption(MsgType type) {
    switch (type) {
    case MsgType::Warning:
        return QStringLiteral("Warning");
    case MsgType::Error:
        return QStringLiteral("Error");
    case MsgType::Information:
        return QStringLiteral("Information");
    case MsgType::Confirmation:
        return QStringLiteral("Confirm");
    case MsgType::Custom:
        break;
    }
    return QApplication::applicationName();
}

// Ends a modal loop when its window is closed or destroyed.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QWidget* window, QEventLoop* loop)
        : m_window(window)
        , m_loop(loop) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, loop, &QEventLoop::quit);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Hide && !m_window->isVisible())
            m_loop->quit();
        return false;
    }

private:
    QWidget* m_window;
    QEventLoop* m_loop;
};

// Runs one modal showing of a window; the caller decides what happens to it afterwards.
int runModal(QWidget* window) {
    QPointer<QWidget> guard(window);
    modalWindows().insert(window);
    struct Unmark {
        const QWidget* w;
        ~Unmark() { modalWindows().remove(w); }
    } unmark{window};

    if (modalHook()) {
        window->show();
        // Let the window settle (layouts, activation) before the test acts on it.
        QCoreApplication::processEvents();
        modalHook()(window);
        if (guard && guard->isVisible())
            guard->close();
        if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
            return dialog->result();
        return 0;
    }
    if (auto* dialog = qobject_cast<QDialog*>(window))
        return dialog->exec();
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    CloseWatcher watcher(window, &loop);
    window->show();
    loop.exec(QEventLoop::DialogExec);
    return 0;
}

} // namespace

QString displayText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

MessageHook setMessageHook(MessageHook hook) {
    MessageHook old = std::move(messageHook());
    messageHook() = std::move(hook);
    return old;
}

MsgButton MessageDlg(const QString& text, MsgType type, MsgButtons buttons,
                     const QString& caption) {
    if (buttons == MsgButtons())
        buttons = MsgButton::OK;
    const QString title = caption.isEmpty() ? defaultCaption(type) : caption;
    if (messageHook())
        return messageHook()(MessageRequest{text, title, type, buttons});

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(displayText(text));
    switch (type) {
    case MsgType::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgType::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgType::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgType::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgType::Custom:
        break;
    }
    QMessageBox::StandardButtons qtButtons;
    if (buttons & MsgButton::Yes)
        qtButtons |= QMessageBox::Yes;
    if (buttons & MsgButton::No)
        qtButtons |= QMessageBox::No;
    if (buttons & MsgButton::OK)
        qtButtons |= QMessageBox::Ok;
    if (buttons & MsgButton::Cancel)
        qtButtons |= QMessageBox::Cancel;
    box.setStandardButtons(qtButtons);
    if (buttons & MsgButton::Yes)
        box.setDefaultButton(QMessageBox::Yes);
    if (buttons & MsgButton::No)
        box.setEscapeButton(QMessageBox::No);
    else if (buttons & MsgButton::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgButton::Yes;
    case QMessageBox::No:
        return MsgButton::No;
    case QMessageBox::Ok:
        return MsgButton::OK;
    case QMessageBox::Cancel:
        return MsgButton::Cancel;
    default:
        return (buttons & MsgButton::No) ? MsgButton::No : MsgButton::Cancel;
    }
}

void ShowMessage(const QString& text) {
    MessageDlg(text, MsgType::Information, MsgButton::OK);
}

void ShowError(const QString& text, const QString& caption) {
    MessageDlg(text, MsgType::Error, MsgButton::OK, caption);
}

bool AskYesNo(const QString& text, MsgType type, const QString& caption) {
    return MessageDlg(text, type, MsgButton::Yes | MsgButton::No, caption) == MsgButton::Yes;
}

ModalHook setModalHook(ModalHook hook) {
    ModalHook old = std::move(modalHook());
    modalHook() = std::move(hook);
    return old;
}

bool isShownModally(const QWidget* window) {
    return modalWindows().contains(window);
}

int showModal(std::unique_ptr<QWidget> window) {
    if (!window)
        return 0;
    // The window is ours until we return; a parent must not delete it behind our back, and
    // the unique_ptr releases it on every way out, exceptions included.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    return runModal(window.get());
}

int showModalKeep(QWidget* window) {
    if (!window)
        return 0;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    const int result = runModal(window);
    if (window->isVisible())
        window->hide();
    return result;
}

QString toQtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        if (description.contains(QLatin1Char('(')))
            out << description;
        else
            out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QLatin1String(";;"));
}

FileHook setFileHook(FileHook hook) {
    FileHook old = std::move(fileHook());
    fileHook() = std::move(hook);
    return old;
}

namespace {

QString runFileDialog(QWidget* parent, const FileRequest& request) {
    if (fileHook())
        return fileHook()(request);
    QString start = request.directory;
    if (!request.fileName.isEmpty())
        start = start.isEmpty() ? request.fileName : start + QLatin1Char('/') + request.fileName;
    if (request.kind == FileRequest::Folder)
        return QFileDialog::getExistingDirectory(parent, request.caption, start);
    const QString filter = toQtFilter(request.filter);
    if (request.kind == FileRequest::Save)
        return QFileDialog::getSaveFileName(parent, request.caption, start, filter);
    return QFileDialog::getOpenFileName(parent, request.caption, start, filter);
}

} // namespace

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                        const QString& fileName, const QString& filter) {
    return runFileDialog(parent,
                         FileRequest{FileRequest::Save, caption, directory, fileName, filter});
}

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                        const QString& fileName, const QString& filter) {
    return runFileDialog(parent,
                         FileRequest{FileRequest::Open, caption, directory, fileName, filter});
}

QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory) {
    return runFileDialog(parent, FileRequest{FileRequest::Folder, caption, directory, {}, {}});
}

PrinterHook setPrinterHook(PrinterHook hook) {
    PrinterHook old = std::move(printerHook());
    printerHook() = std::move(hook);
    return old;
}

bool choosePrinter(QPrinter& printer, QWidget* parent) {
    if (printerHook())
        return printerHook()(printer);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace ui
