#pragma once

class QObject;
class QWidget;

// The windows the customer and product add-ons open. The add-ons link nothing but the core, so
// the registers are offered by name in the class registry ("TfmCustreg", "TfmProdreg"); the
// factory makes the window with the window of the chosen menu item as its owner, and the
// add-on shows it with its invokable execute() and releases it.
namespace customers {

// The window a menu item belongs to (the active window when it has none).
QWidget* ownerOf(QObject* sender);

} // namespace customers
