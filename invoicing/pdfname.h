#pragma once

#include <QString>

namespace invoicing {

// The file name proposed for a document's PDF: the kind, the number and ".pdf", with every
// character a file name cannot hold (path separators, reserved characters, control characters)
// replaced, so that a number such as "../../x" never leads out of the chosen folder.
QString proposedPdfFileName(const QString& kind, const QString& number);
// A text made safe as one file name component (never empty, never "." or "..").
QString safeFileNameComponent(const QString& text);

} // namespace invoicing
