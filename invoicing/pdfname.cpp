#include "invoicing/pdfname.h"

namespace invoicing {

QString safeFileNameComponent(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool reserved = c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' ||
                              c == u'"' || c == u'<' || c == u'>' || c == u'|';
        out += reserved || c.category() == QChar::Other_Control ? QChar(u'-') : c;
    }
    // A name of dots alone would name the folder or its parent; leading dots would hide it.
    while (out.startsWith(u'.'))
        out.remove(0, 1);
    out = out.trimmed();
    return out.isEmpty() ? QStringLiteral("Document") : out;
}

QString proposedPdfFileName(const QString& kind, const QString& number) {
    return safeFileNameComponent(kind + number) + QStringLiteral(".pdf");
}

} // namespace invoicing
