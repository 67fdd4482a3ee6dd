#include "ui/dbnavigator.h"

#include "db/dataset.h"
#include "db/dberror.h"
#include "ui/dialogs.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace ui {

DBNavigator::DBNavigator(db::DataSet* dataSet, QWidget* parent)
    : QWidget(parent)
    , m_set(dataSet) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const struct {
        Button which;
        const char* name;
        const char* text;
        const char* hint;
    } buttons[] = {{Button::First, "btnFirst", "|<", "First record"},
                   {Button::Prior, "btnPrior", "<", "Prior record"},
                   {Button::Next, "btnNext", ">", "Next record"},
                   {Button::Last, "btnLast", ">|", "Last record"},
                   {Button::Insert, "btnInsert", "+", "New record"}};
    for (const auto& b : buttons) {
        auto* tool = new QToolButton(this);
        tool->setObjectName(QString::fromLatin1(b.name));
        tool->setText(QString::fromLatin1(b.text));
        tool->setToolTip(QString::fromLatin1(b.hint));
        tool->setFocusPolicy(Qt::NoFocus);
        const Button which = b.which;
        connect(tool, &QToolButton::clicked, this, [this, which] { press(which); });
        layout->addWidget(tool);
    }
}

QToolButton* DBNavigator::button(Button which) const {
    static const char* const names[] = {"btnFirst", "btnPrior", "btnNext", "btnLast", "btnInsert"};
    return findChild<QToolButton*>(QLatin1String(names[static_cast<int>(which)]));
}

void DBNavigator::press(Button which) {
    if (m_set && m_set->Active()) {
        try {
            switch (which) {
            case Button::First:
                m_set->First();
                break;
            case Button::Prior:
                m_set->Prior();
                break;
            case Button::Next:
                m_set->Next();
                break;
            case Button::Last:
                m_set->Last();
                break;
            case Button::Insert:
                break;
            }
        } catch (const db::EngineError& e) {
            ShowError(e.message());
        }
    }
    emit clicked(which);
}

} // namespace ui
