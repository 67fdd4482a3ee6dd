#include "finance/logging.h"

Q_LOGGING_CATEGORY(lcFinance, "merovia.finance", QtCriticalMsg)
