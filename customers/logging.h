#pragma once

#include <QLoggingCategory>

// The customer module's logging category; silent unless enabled with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcCustomers)
