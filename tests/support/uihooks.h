#pragma once

#include "ui/dialogs.h"
#include "ui/help.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>
#include <vector>

// Answers every message box while alive and records what was asked. Queued answers are used
// in order; without one, the default answer is given when the box offers it, else OK, No or
// Cancel, whichever the box has.
class MessageRecorder {
public:
    explicit MessageRecorder(ui::MsgButton defaultAnswer = ui::MsgButton::OK);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void answer(ui::MsgButton button) { m_answers.push_back(button); }
    void setDefaultAnswer(ui::MsgButton button) { m_default = button; }
    const std::vector<ui::MessageRequest>& messages() const { return m_messages; }
    QStringList texts() const;
    bool empty() const { return m_messages.empty(); }
    void clear() { m_messages.clear(); }

private:
    std::deque<ui::MsgButton> m_answers;
    ui::MsgButton m_default;
    std::vector<ui::MessageRequest> m_messages;
    ui::MessageHook m_previous;
};

// Acts inside modal windows while alive: an action is registered for a window's objectName and
// used once, in order; a window without an action is closed at once. Every window shown is
// recorded by objectName.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void on(const QString& objectName, std::function<void(QWidget*)> action);
    const QStringList& shown() const { return m_shown; }

private:
    std::map<QString, std::deque<std::function<void(QWidget*)>>> m_actions;
    QStringList m_shown;
    ui::ModalHook m_previous;
};

// Answers file dialogs with queued names (an empty name cancels) and records the requests.
class FileDialogScript {
public:
    FileDialogScript();
    ~FileDialogScript();
    void answer(const QString& fileName) { m_answers.push_back(fileName); }
    const std::vector<ui::FileRequest>& requests() const { return m_requests; }

private:
    std::deque<QString> m_answers;
    std::vector<ui::FileRequest> m_requests;
    ui::FileHook m_previous;
};

// Answers print dialogs while alive: each one is confirmed (or cancelled) in turn and, when
// confirmed, the printer writes a PDF file of the given name instead of using a real printer.
class PrintDialogScript {
public:
    PrintDialogScript();
    ~PrintDialogScript();
    PrintDialogScript(const PrintDialogScript&) = delete;
    PrintDialogScript& operator=(const PrintDialogScript&) = delete;

    // Queues a confirmation that prints into the PDF file; an empty name cancels.
    void answer(const QString& pdfFile) { m_answers.push_back(pdfFile); }
    // How many print dialogs were shown, and the copy count each one was offered.
    int shown() const { return static_cast<int>(m_copies.size()); }
    const std::vector<int>& offeredCopies() const { return m_copies; }

private:
    std::deque<QString> m_answers;
    std::vector<int> m_copies;
    ui::PrinterHook m_previous;
};

// Records help requests instead of opening the help window.
class HelpRecorder {
public:
    HelpRecorder();
    ~HelpRecorder();
    const QList<int>& contexts() const { return m_contexts; }

private:
    QList<int> m_contexts;
    ui::HelpHook m_previous;
};

// Finds a child by objectName and type, failing the test when it is missing.
template <typename T>
T* child(QObject* parent, const QString& name) {
    return parent->findChild<T*>(name);
}
