#include "settings/logging.h"

Q_LOGGING_CATEGORY(lcSettings, "merovia.settings", QtCriticalMsg)
