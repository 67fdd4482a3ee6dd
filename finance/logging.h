#pragma once

#include <QLoggingCategory>

// Finance charging's and the invoice register's logging category; silent unless enabled with
// QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcFinance)
