#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// The rules the main window applies at start-up, kept apart from the window so that they can
// be checked without one.

// Number of top-level items of the main menu; add-ons name them by position 0 to 12.
inline constexpr int kTopLevelMenuCount = 13;
inline constexpr int kMinimumScreenWidth = 800;

// The tax caption for a country: "GST" in New Zealand, Australia and Singapore, "GST/HST" in
// Canada, "VAT" everywhere else.
QString TaxCaptionForCountry(const QString& country);
// "VAT rates" is offered everywhere but in the United States.
bool VATRatesShownFor(const QString& country);

// Which menus the loaded add-on modules open up.
struct ModuleMenuStates {
    bool financeVisible = false;    // "Finance charging": InvModule
    bool productsEnabled = false;   // "&Products": ProdModule
    bool stockEnabled = false;      // "&Stock": StockModule
    bool customersEnabled = false;  // "&Customers": CustModule
    bool accountingEnabled = false; // "&Accounting": AccModule
    bool utilitiesEnabled = false;  // "&Utilities": UteModule or CalcModule
};
// Module tags match whole entries, letter case ignored.
ModuleMenuStates ModuleMenuStatesFor(const QStringList& modules);

// Raised for a menu position an add-on names that is not a whole number or not 0 to 12.
class EMenuPositionError : public std::runtime_error {
public:
    explicit EMenuPositionError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

// The top-level menu position a plug-in names, as a number; raises EMenuPositionError.
int TopLevelMenuPosition(const QString& text);
