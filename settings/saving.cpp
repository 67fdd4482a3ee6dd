#include "settings/saving.h"

#include "service/settingsfile.h"
#include "settings/logging.h"
#include "ui/dialogs.h"

bool saveOrReport(SettingsFile& file, const QString& failureText) {
    QString error;
    if (file.updateFile(&error))
        return true;
    qCWarning(lcSettings) << error;
    ui::ShowError(failureText + QLatin1Char('\n') + error);
    return false;
}
