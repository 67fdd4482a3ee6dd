#include "customers/logging.h"

Q_LOGGING_CATEGORY(lcCustomers, "merovia.customers", QtCriticalMsg)
