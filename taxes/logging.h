#pragma once

#include <QLoggingCategory>

// The tax registers' logging category; silent unless enabled with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcTaxes)
