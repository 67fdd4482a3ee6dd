#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace db {
class DataSet;
}

namespace ui {

// A row of buttons over a dataset: first, prior, next and last move its cursor; insert only
// tells the window (clicked), which decides what a new record means there. Each button's
// objectName is "btn" + its name ("btnFirst", ... "btnInsert").
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert };

    DBNavigator(db::DataSet* dataSet, QWidget* parent = nullptr);

    QToolButton* button(Button which) const;

signals:
    // After the button's own move, if any.
    void clicked(ui::DBNavigator::Button button);

private:
    void press(Button which);
    QPointer<db::DataSet> m_set;
};

} // namespace ui
