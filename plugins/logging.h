#pragma once

#include <QLoggingCategory>

// The plug-in library's logging category; silent unless enabled with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcPlugins)
