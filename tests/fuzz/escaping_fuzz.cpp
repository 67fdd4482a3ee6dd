// Text escaping: any text, escaped, is one line of printable characters that unescapes to the
// same text; any text unescapes without harm.

#include "fuzztarget.h"

#include "service/textroutines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytes(data, size);
    const QString texts[] = {
        QString::fromUtf8(bytes),
        QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2),
    };
    for (const QString& text : texts) {
        const QString escaped = StrStringToEscaped(text);
        for (QChar c : escaped)
            fuzz::check(c.unicode() >= 0x20 && c.unicode() != 0x7F,
                        "an escaped text holds a control character", escaped);
        const QString back = StrEscapedToString(escaped);
        fuzz::check(back == text, "escaping does not round-trip",
                    StrStringToEscaped(text) + QStringLiteral(" -> ") + StrStringToEscaped(back));
        (void)StrEscapedToString(text);
    }
    return 0;
}
