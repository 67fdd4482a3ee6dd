#include "ui/searchrow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace ui {

QHBoxLayout* searchRow(QWidget* parent, QLineEdit** search, QLabel** sortOrder) {
    auto* row = new QHBoxLayout;
    auto* sortCaption = new QLabel(QStringLiteral("Sort order:"), parent);
    sortCaption->setObjectName(QStringLiteral("lbSortCaption"));
    *sortOrder = new QLabel(parent);
    (*sortOrder)->setObjectName(QStringLiteral("lbSortOrder"));
    auto* searchCaption = new QLabel(QStringLiteral("Search:"), parent);
    searchCaption->setObjectName(QStringLiteral("lbSearch"));
    *search = new QLineEdit(parent);
    (*search)->setObjectName(QStringLiteral("edSearch"));
    searchCaption->setBuddy(*search);
    row->addWidget(sortCaption);
    row->addWidget(*sortOrder);
    row->addSpacing(20);
    row->addWidget(searchCaption);
    row->addWidget(*search, 1);
    return row;
}

} // namespace ui
