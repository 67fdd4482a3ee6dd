#pragma once

#include <QObject>

#include <initializer_list>

class QFocusEvent;
class QWidget;

namespace ui {

// Pressing Enter in a head box or register box moves the focus to the next control, as Tab
// does (the handler the windows call "Press"). Installed on each box that behaves so.
class EnterMovesFocus : public QObject {
    Q_OBJECT
public:
    explicit EnterMovesFocus(QObject* parent = nullptr)
        : QObject(parent) {}
    static void install(QWidget* box);
    static void install(std::initializer_list<QWidget*> boxes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Whether a focus change means the user left the box (Tab, a click elsewhere, Enter moving on,
// the program moving the focus), as opposed to the window losing the focus to another window,
// a menu or a popup: only leaving a box checks what it holds.
bool leavesTheBox(const QFocusEvent* event);

} // namespace ui
