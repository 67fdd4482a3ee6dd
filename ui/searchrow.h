#pragma once

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace ui {

// "Sort order:" with the name of the current index (lbSortOrder), then "Search:" with its box
// (edSearch), in one row, as the look-ups and registers put them above their grids.
QHBoxLayout* searchRow(QWidget* parent, QLineEdit** search, QLabel** sortOrder);

} // namespace ui
