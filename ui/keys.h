#pragma once

#include <QObject>

#include <initializer_list>

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

} // namespace ui
