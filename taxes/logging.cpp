#include "taxes/logging.h"

Q_LOGGING_CATEGORY(lcTaxes, "merovia.taxes", QtCriticalMsg)
