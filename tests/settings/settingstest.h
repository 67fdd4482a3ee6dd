#pragma once

#include "support/uihooks.h"

#include "service/settingsfile.h"

#include <QAction>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Shows window T modally through the ui hooks, lets `act` work inside it, then closes it the
// way the user does, with "Back".
template <typename T>
void runWindow(const QString& objectName, const std::function<void(T*)>& act) {
    ModalScript script;
    bool shown = false;
    script.on(objectName, [&](QWidget* w) {
        shown = true;
        act(static_cast<T*>(w));
        if (auto* back = w->findChild<QAction*>(QStringLiteral("mnBack")))
            back->trigger();
    });
    ui::execModal<T>(nullptr);
    ASSERT_TRUE(shown) << objectName.toStdString();
}

// A control of a window by objectName and type; a missing one fails the test.
template <typename T>
T* control(QWidget* window, const char* name) {
    auto* c = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// One value of a settings file as it stands on disk.
inline QString storedValue(const QString& file, const QString& section, const QString& key) {
    return SettingsFile(file).readString(section, key, QStringLiteral("<missing>"));
}
