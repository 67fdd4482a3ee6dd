#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A titled group of radio buttons chosen by index, one button per item, stacked downwards.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& objectName, const QString& title, const QStringList& items,
               QWidget* parent = nullptr);

    // -1 when no item is chosen.
    int itemIndex() const;
    // An index outside the items chooses none.
    void setItemIndex(int index);
    int count() const;
    QRadioButton* button(int index) const;

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* m_group;
};
