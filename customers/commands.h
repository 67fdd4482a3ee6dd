#pragma once

class QObject;
class QWidget;

// The menu commands of the customer and product add-ons. The sender is the menu item that was
// chosen; the window it belongs to owns the register.
namespace customers {

// The window a menu item belongs to (the active window when it has none).
QWidget* ownerOf(QObject* sender);

// "Customer register" under "&Customers".
void openCustomerRegister(QObject* sender);
// "Product register" under "&Products".
void openProductRegister(QObject* sender);

} // namespace customers
