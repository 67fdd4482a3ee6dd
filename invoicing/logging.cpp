#include "invoicing/logging.h"

Q_LOGGING_CATEGORY(lcInvoicing, "merovia.invoicing", QtCriticalMsg)
