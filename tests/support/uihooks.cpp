#include "uihooks.h"

#include <QPrinter>

MessageRecorder::MessageRecorder(ui::MsgButton defaultAnswer)
    : m_default(defaultAnswer) {
    m_previous = ui::setMessageHook([this](const ui::MessageRequest& request) {
        m_messages.push_back(request);
        if (!m_answers.empty()) {
            const ui::MsgButton b = m_answers.front();
            m_answers.pop_front();
            return b;
        }
        if (request.buttons & m_default)
            return m_default;
        for (ui::MsgButton b : {ui::MsgButton::OK, ui::MsgButton::No, ui::MsgButton::Cancel})
            if (request.buttons & b)
                return b;
        return ui::MsgButton::OK;
    });
}

MessageRecorder::~MessageRecorder() {
    ui::setMessageHook(std::move(m_previous));
}

QStringList MessageRecorder::texts() const {
    QStringList out;
    for (const auto& m : m_messages)
        out << m.text;
    return out;
}

ModalScript::ModalScript() {
    m_previous = ui::setModalHook([this](QWidget* window) {
        m_shown << window->objectName();
        auto it = m_actions.find(window->objectName());
        if (it == m_actions.end() || it->second.empty())
            return;
        auto action = std::move(it->second.front());
        it->second.pop_front();
        action(window);
    });
}

ModalScript::~ModalScript() {
    ui::setModalHook(std::move(m_previous));
}

void ModalScript::on(const QString& objectName, std::function<void(QWidget*)> action) {
    m_actions[objectName].push_back(std::move(action));
}

FileDialogScript::FileDialogScript() {
    m_previous = ui::setFileHook([this](const ui::FileRequest& request) {
        m_requests.push_back(request);
        if (m_answers.empty())
            return QString();
        const QString name = m_answers.front();
        m_answers.pop_front();
        return name;
    });
}

FileDialogScript::~FileDialogScript() {
    ui::setFileHook(std::move(m_previous));
}

HelpRecorder::HelpRecorder() {
    m_previous = ui::setHelpHook([this](int context) { m_contexts << context; });
}

HelpRecorder::~HelpRecorder() {
    ui::setHelpHook(std::move(m_previous));
}

PrintDialogScript::PrintDialogScript() {
    m_previous = ui::setPrinterHook([this](QPrinter& printer) {
        m_copies.push_back(printer.copyCount());
        if (m_answers.empty())
            return false;
        const QString file = m_answers.front();
        m_answers.pop_front();
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    });
}

PrintDialogScript::~PrintDialogScript() {
    ui::setPrinterHook(std::move(m_previous));
}
