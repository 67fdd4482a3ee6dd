#include "settings/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& objectName, const QString& title, const QStringList& items,
                       QWidget* parent)
    : QGroupBox(title, parent)
    , m_group(new QButtonGroup(this)) {
    setObjectName(objectName);
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("%1Item%2").arg(objectName).arg(i));
        m_group->addButton(b, i);
        layout->addWidget(b);
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = m_group->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button, so exclusivity is lifted for a moment.
    if (QAbstractButton* current = m_group->checkedButton()) {
        m_group->setExclusive(false);
        current->setChecked(false);
        m_group->setExclusive(true);
        emit itemIndexChanged(-1);
    }
}

int RadioGroup::count() const {
    return int(m_group->buttons().size());
}

QRadioButton* RadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(m_group->button(index));
}
