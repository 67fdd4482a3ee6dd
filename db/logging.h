#pragma once

#include <QLoggingCategory>

// The table layer's logging category; silent unless enabled with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcDb)
