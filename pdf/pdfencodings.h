#pragma once

#include <QHash>

#include "pdftypes.h"

#include <array>

namespace pdf {

// One of PDF's single-byte encodings: which character each code 0..255 stands for. Text that an
// encoding cannot hold goes through a composite font instead, so no character is ever replaced.
class SingleByteEncoding {
public:
    static const SingleByteEncoding& get(TgtFontEncoding encoding);

    // The encoding's PDF name without the slash ("WinAnsiEncoding").
    const char* pdfName() const { return m_name; }
    // The character of a code, 0 when the code is unused.
    char16_t toUnicode(unsigned char code) const { return m_toUnicode[code]; }
    // Whether printable ASCII characters are their own codes.
    bool keepsAscii() const { return m_keepsAscii; }
    // The code of a character, -1 when the encoding has none.
    int fromUnicode(char32_t c) const {
        if (c < 0x80 && c >= 0x20 && m_toUnicode[c] == c)
            return int(c);
        return lookUp(c);
    }

private:
    SingleByteEncoding(const char* name, const std::array<char16_t, 256>& table);
    int lookUp(char32_t c) const;

    const char* m_name;
    bool m_keepsAscii = true;
    std::array<char16_t, 256> m_toUnicode;
    QHash<char32_t, unsigned char> m_fromUnicode;
};

} // namespace pdf
