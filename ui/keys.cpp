#include "ui/keys.h"

#include <QKeyEvent>
#include <QWidget>

namespace ui {

void EnterMovesFocus::install(QWidget* box) {
    box->installEventFilter(new EnterMovesFocus(box));
}

void EnterMovesFocus::install(std::initializer_list<QWidget*> boxes) {
    for (QWidget* box : boxes)
        install(box);
}

bool EnterMovesFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (auto* widget = qobject_cast<QWidget*>(watched)) {
                QWidget* next = widget->nextInFocusChain();
                while (next && next != widget &&
                       (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() ||
                        !next->isEnabled()))
                    next = next->nextInFocusChain();
                if (next && next != widget)
                    next->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool leavesTheBox(const QFocusEvent* event) {
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

} // namespace ui
