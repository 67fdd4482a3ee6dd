#include "ui/form.h"

#include "ui/help.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

namespace ui {

namespace {
constexpr const char* kHelpContextProperty = "helpContext";
}

Form::Form(QWidget* owner, const QString& objectName, const QString& caption, int helpContext)
    : QDialog(owner)
    , m_helpContext(helpContext) {
    setObjectName(objectName);
    setWindowTitle(caption);
    // Plain windows with a title bar, not the small dialog frame.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    root->setMenuBar(m_menuBar);
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    root->addWidget(m_body, 1);
}

QAction* Form::addMenuCommand(const QString& objectName, const QString& caption) {
    auto* action = m_menuBar->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

QAction* Form::addBackCommand(const QString& objectName, const QString& caption) {
    auto* action = addMenuCommand(objectName, caption);
    connect(action, &QAction::triggered, this, &QWidget::close);
    return action;
}

QAction* Form::addHelpCommand(const QString& objectName, const QString& caption) {
    auto* action = addMenuCommand(objectName, caption);
    connect(action, &QAction::triggered, this, [this] { showHelp(m_helpContext); });
    return action;
}

void Form::showContextHelp() {
    int context = 0;
    for (const QWidget* w = QApplication::focusWidget(); w && !context && w != this;
         w = w->parentWidget())
        context = controlHelpContext(w);
    showHelp(context ? context : m_helpContext);
}

void Form::hideWhile(const std::function<void()>& action) {
    struct Restore {
        Form* form;
        bool wasVisible;
        ~Restore() {
            form->m_hiddenForAWhile = false;
            if (wasVisible)
                form->show();
        }
    } restore{this, isVisible()};
    m_hiddenForAWhile = true;
    hide();
    action();
}

void Form::setVisible(bool visible) {
    // QDialog ends its modal loop when hidden; a window stepping aside for a while must not.
    if (!visible && m_hiddenForAWhile) {
        QWidget::setVisible(false);
        return;
    }
    QDialog::setVisible(visible);
}

void Form::closeEvent(QCloseEvent* event) {
    // A close asked for while the window is still deciding (its message is up) waits for
    // that answer.
    if (m_querying) {
        event->ignore();
        return;
    }
    if (!m_closing) {
        m_querying = true;
        const bool mayClose = FormCloseQuery();
        m_querying = false;
        if (!mayClose) {
            event->ignore();
            return;
        }
    }
    // FormClose may ask questions or post records; it runs once per closing. Once the window
    // agreed, the event is accepted: closing keeps what was entered, there is no cancel.
    // QDialog's own handler is bypassed because it would reject() and so close a second time.
    if (!m_closing) {
        m_closing = true;
        FormClose();
        m_closing = false;
    }
    event->accept();
}

void Form::reject() {
    // Escape and the close box both close through closeEvent, so FormClose always runs.
    close();
}

void Form::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        showContextHelp();
        return;
    }
    // Enter does not close a window of this program; controls decide what it does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void setControlHelpContext(QWidget* control, int context) {
    control->setProperty(kHelpContextProperty, context);
}

int controlHelpContext(const QWidget* control) {
    return control->property(kHelpContextProperty).toInt();
}

} // namespace ui
