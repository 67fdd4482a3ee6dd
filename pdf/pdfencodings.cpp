#include "pdfencodings.h"

#include <initializer_list>

namespace pdf {

namespace {

using Table = std::array<char16_t, 256>;

Table asciiTable() {
    Table t{};
    for (int c = 0x20; c < 0x7F; ++c)
        t[size_t(c)] = char16_t(c);
    return t;
}

void fillRow(Table& t, int first, std::initializer_list<char16_t> codes) {
    int c = first;
    for (const char16_t u : codes)
        t[size_t(c++)] = u;
}

Table winAnsiTable() {
    Table t = asciiTable();
    fillRow(t, 0x80,
            {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
             0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
             0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178});
    for (int c = 0xA0; c <= 0xFF; ++c)
        t[size_t(c)] = char16_t(c);
    return t;
}

// PDF's own variant: the mathematical signs of the Mac character set are not part of it.
Table macRomanTable() {
    Table t = asciiTable();
    fillRow(t, 0x80,
            {0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4,
             0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF,
             0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020,
             0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4,
             0x00A8, 0,      0x00C6, 0x00D8, 0,      0x00B1, 0,      0,      0x00A5, 0x00B5, 0,
             0,      0,      0,      0,      0x00AA, 0x00BA, 0,      0x00E6, 0x00F8, 0x00BF, 0x00A1,
             0x00AC, 0,      0x0192, 0,      0,      0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3,
             0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0,
             0x00FF, 0x0178, 0x2044, 0x00A4, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A,
             0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC,
             0x00D3, 0x00D4, 0,      0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF,
             0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7});
    return t;
}

Table standardTable() {
    Table t = asciiTable();
    t[0x27] = 0x2019;
    t[0x60] = 0x2018;
    fillRow(t, 0xA1,
            {0x00A1, 0x00A2, 0x00A3, 0x2044, 0x00A5, 0x0192, 0x00A7, 0x00A4, 0x0027, 0x201C, 0x00AB,
             0x2039, 0x203A, 0xFB01, 0xFB02});
    fillRow(t, 0xB1,
            {0x2013, 0x2020, 0x2021, 0x00B7, 0, 0x00B6, 0x2022, 0x201A, 0x201E, 0x201D, 0x00BB,
             0x2026, 0x2030, 0, 0x00BF});
    fillRow(t, 0xC1,
            {0x0060, 0x00B4, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x00A8, 0, 0x02DA, 0x00B8, 0,
             0x02DD, 0x02DB, 0x02C7, 0x2014});
    t[0xE1] = 0x00C6;
    t[0xE3] = 0x00AA;
    fillRow(t, 0xE8, {0x0141, 0x00D8, 0x0152, 0x00BA});
    t[0xF1] = 0x00E6;
    t[0xF5] = 0x0131;
    fillRow(t, 0xF8, {0x0142, 0x00F8, 0x0153, 0x00DF});
    return t;
}

Table pdfDocTable() {
    Table t = asciiTable();
    fillRow(t, 0x80,
            {0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
             0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
             0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0});
    t[0xA0] = 0x20AC;
    for (int c = 0xA1; c <= 0xFF; ++c)
        t[size_t(c)] = c == 0xAD ? 0 : char16_t(c);
    return t;
}

// The expert set holds small capitals, fractions and old-style figures that have no plain
// Unicode letters; only its blank, punctuation and figures are used for ordinary text.
Table macExpertTable() {
    Table t{};
    t[0x20] = u' ';
    fillRow(t, 0x2C,
            {u',', u'-', u'.', 0x2044, u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9',
             u':', u';'});
    return t;
}

} // namespace

SingleByteEncoding::SingleByteEncoding(const char* name, const std::array<char16_t, 256>& table)
    : m_name(name)
    , m_toUnicode(table) {
    for (int c = 0x20; c < 0x7F; ++c)
        m_keepsAscii = m_keepsAscii && m_toUnicode[size_t(c)] == c;
    // Later codes never replace earlier ones, so a character found twice keeps its first code.
    for (int code = 0xFF; code >= 0x20; --code) {
        if (m_toUnicode[size_t(code)] != 0)
            m_fromUnicode.insert(m_toUnicode[size_t(code)], static_cast<unsigned char>(code));
    }
}

int SingleByteEncoding::lookUp(char32_t c) const {
    const auto it = m_fromUnicode.constFind(c);
    return it == m_fromUnicode.constEnd() ? -1 : int(it.value());
}

const SingleByteEncoding& SingleByteEncoding::get(TgtFontEncoding encoding) {
    static const SingleByteEncoding winAnsi("WinAnsiEncoding", winAnsiTable());
    static const SingleByteEncoding macRoman("MacRomanEncoding", macRomanTable());
    static const SingleByteEncoding macExpert("MacExpertEncoding", macExpertTable());
    static const SingleByteEncoding standard("StandardEncoding", standardTable());
    static const SingleByteEncoding pdfDoc("PDFDocEncoding", pdfDocTable());
    switch (encoding) {
    case feMacRomanEncoding:
        return macRoman;
    case feMacExpertEncoding:
        return macExpert;
    case feStandardEncoding:
        return standard;
    case fePDFDocEncoding:
        return pdfDoc;
    case feWinAnsiEncoding:
        break;
    }
    return winAnsi;
}

} // namespace pdf
