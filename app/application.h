#pragma once

#include <QString>

// Program-wide start-up settings made once by the program entry.
namespace Application {

// The program's title, as the desktop shows it for the program as a whole.
void SetTitle(const QString& title);
QString Title();

// Whether controls and menu items show their hints (off until the program entry switches
// them on, so that tests see plain windows).
void SetShowHint(bool on);
bool ShowHint();

} // namespace Application
