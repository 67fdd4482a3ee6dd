#pragma once

#include <QString>

#include <functional>

namespace ui {

// Help topics are HTML pages in Service::HelpDir: "<context>.html" for each help context and
// "index.html" for the contents. showHelp opens one in the help window; a missing topic gives
// a clear message instead.
void showHelp(int context);
// The page of a help context, or an empty text when there is none.
QString helpTopicPath(int context);

using HelpHook = std::function<void(int context)>;
// Test seam: receives every help request instead of the help window.
HelpHook setHelpHook(HelpHook hook);

} // namespace ui
