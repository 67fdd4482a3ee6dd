#pragma once

#include <QString>

class SettingsFile;

// Writes a settings file back. A failure is logged and shown to the user as the given text
// followed by the reason; what the user entered stays in effect for this run.
bool saveOrReport(SettingsFile& file, const QString& failureText);
