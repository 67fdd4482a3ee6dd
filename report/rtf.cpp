#include "report/rtf.h"

#include <QHash>
#include <QStringList>

#include <vector>

namespace report {

namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar cp1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(byte);
}

// Where the characters of a group go.
enum class Dest {
    Text,      // the document's text
    Skip,      // a destination that is not shown
    FontTable, // font names
    Numbering, // the paragraph numbering of {\*\pn ...}: bullets or numbers
};

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 0; // 0: the element's own size
    int font = -1;      // number in the font table; -1: the element's own font
    int unicodeSkip = 1;
    Dest dest = Dest::Text;
    bool starred = false; // the group began with \*: skipped unless it is one this reader knows
};

enum class Align { Left, Center, Right, Justify };
enum class ListKind { None, Bullet, Numbered };

// Paragraph properties last until \pard, as writers expect of them.
struct ParaState {
    Align align = Align::Left;
    int leftTwips = 0;  // \li: every line
    int firstTwips = 0; // \fi: the first line, from \li
    int rightTwips = 0; // \ri
    ListKind list = ListKind::None;
};

// Qt rich text measures in pixels of a 96-dpi screen, RTF in twips (1/1440 inch).
constexpr double kTwipsPerPixel = 15;
// The item text of a Qt list starts one indent step (40 pixels) in from the list's margin.
constexpr double kListIndentPixels = 40;

// Destinations whose content is never shown.
bool isIgnoredDestination(const QByteArray& word) {
    static const char* const names[] = {"colortbl",
                                        "stylesheet",
                                        "info",
                                        "pict",
                                        "object",
                                        "header",
                                        "footer",
                                        "headerl",
                                        "headerr",
                                        "headerf",
                                        "footerl",
                                        "footerr",
                                        "footerf",
                                        "listtable",
                                        "listoverridetable",
                                        "listtext",
                                        "pntext",
                                        "pnseclvl",
                                        "rsidtbl",
                                        "generator",
                                        "xmlnstbl",
                                        "themedata",
                                        "colorschememapping",
                                        "datastore",
                                        "latentstyles",
                                        "filetbl",
                                        "revtbl",
                                        "pgdsctbl",
                                        "mmathPr",
                                        "fldinst",
                                        "bkmkstart",
                                        "bkmkend",
                                        "footnote",
                                        "annotation",
                                        "field"};
    for (const char* n : names)
        if (word == n)
            return true;
    return false;
}

QString pixels(double twips) {
    return QString::number(twips / kTwipsPerPixel, 'g', 8) + QStringLiteral("px");
}

class Reader {
public:
    explicit Reader(const QByteArray& rtf)
        : m_in(rtf) {}

    QString run() {
        std::vector<CharState> stack;
        CharState state;
        int pos = 0;
        const int n = m_in.size();
        int pendingSkip = 0; // characters still to drop after a \u escape
        bool groupStart = false;
        while (pos < n) {
            const char c = m_in[pos];
            if (c == '{') {
                stack.push_back(state);
                state.starred = false;
                groupStart = true;
                ++pos;
                continue;
            }
            if (c == '}') {
                if (state.dest == Dest::FontTable)
                    endFontName();
                if (!stack.empty()) {
                    state = stack.back();
                    stack.pop_back();
                }
                groupStart = false;
                pendingSkip = 0;
                ++pos;
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++pos;
                continue;
            }
            if (c == '\\') {
                ++pos;
                if (pos >= n)
                    break;
                const char d = m_in[pos];
                if (d == '\'') {
                    // \'hh: one byte of the document's code page.
                    bool ok = false;
                    const unsigned value = m_in.mid(pos + 1, 2).toUInt(&ok, 16);
                    pos += 3;
                    if (pendingSkip > 0) {
                        --pendingSkip;
                    } else if (ok) {
                        append(cp1252(static_cast<unsigned char>(value)), state);
                    }
                    groupStart = false;
                    continue;
                }
                if (d == '*') {
                    // {\* ...}: an optional destination, skipped unless the next word is one
                    // this reader knows.
                    if (groupStart && state.dest != Dest::Skip) {
                        state.dest = Dest::Skip;
                        state.starred = true;
                    }
                    ++pos;
                    continue;
                }
                if (!isalpha(static_cast<unsigned char>(d))) {
                    ++pos;
                    groupStart = false;
                    if (state.dest == Dest::Skip)
                        continue;
                    if (pendingSkip > 0) {
                        --pendingSkip;
                        continue;
                    }
                    switch (d) {
                    case '\\':
                    case '{':
                    case '}':
                        append(QChar::fromLatin1(d), state);
                        break;
                    case '~':
                        append(QChar(0x00A0), state);
                        break;
                    case '_':
                        append(QChar(0x2011), state);
                        break;
                    case '\n':
                    case '\r':
                        if (state.dest == Dest::Text)
                            paragraph(state);
                        break;
                    default: // \- optional hyphen and anything unknown
                        break;
                    }
                    continue;
                }
                int start = pos;
                while (pos < n && isalpha(static_cast<unsigned char>(m_in[pos])))
                    ++pos;
                const QByteArray word = m_in.mid(start, pos - start);
                bool hasParam = false;
                int param = 0;
                if (pos < n &&
                    (m_in[pos] == '-' || isdigit(static_cast<unsigned char>(m_in[pos])))) {
                    start = pos;
                    ++pos;
                    while (pos < n && isdigit(static_cast<unsigned char>(m_in[pos])))
                        ++pos;
                    param = m_in.mid(start, pos - start).toInt(&hasParam);
                }
                if (pos < n && m_in[pos] == ' ')
                    ++pos; // the delimiter blank belongs to the control word
                const bool atGroupStart = groupStart;
                groupStart = false;
                if (atGroupStart)
                    enterDestination(word, state);
                if (state.dest == Dest::Skip)
                    continue;
                control(word, hasParam, param, state, pendingSkip);
                continue;
            }
            groupStart = false;
            ++pos;
            if (state.dest == Dest::Skip)
                continue;
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            append(cp1252(static_cast<unsigned char>(c)), state);
        }
        // A closing \par ends the last paragraph; only text after it makes another one.
        if (m_spanOpen || !m_current.isEmpty())
            paragraph(state);
        closeList();
        return QStringLiteral("<html><body>") + m_paragraphs.join(QString()) +
               QStringLiteral("</body></html>");
    }

private:
    // The first control word of a group may make it a destination.
    void enterDestination(const QByteArray& word, CharState& state) {
        if (word == "pn" && (state.starred || state.dest == Dest::Text)) {
            state.dest = Dest::Numbering;
            state.starred = false;
        } else if (state.dest != Dest::Text) {
            return;
        } else if (word == "fonttbl") {
            state.dest = Dest::FontTable;
            m_fontNumber = -1;
        } else if (isIgnoredDestination(word)) {
            state.dest = Dest::Skip;
        }
    }

    void control(const QByteArray& word, bool hasParam, int param, CharState& state,
                 int& pendingSkip) {
        if (word == "u" && hasParam) {
            const int code = param < 0 ? param + 65536 : param;
            append(QChar(static_cast<char16_t>(code)), state);
            pendingSkip = state.unicodeSkip;
            return;
        }
        if (word == "uc") {
            state.unicodeSkip = hasParam && param >= 0 ? param : 1;
            return;
        }
        if (state.dest == Dest::FontTable) {
            if (word == "f" && hasParam) {
                endFontName();
                m_fontNumber = param;
            }
            return;
        }
        if (state.dest == Dest::Numbering) {
            if (word == "pnlvlblt")
                m_para.list = ListKind::Bullet;
            else if (word == "pnlvlbody")
                m_para.list = ListKind::Numbered;
            return;
        }
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            paragraph(state);
        } else if (word == "line") {
            // In the run's format, so that a line of its own has the height of its font.
            append(QChar::LineSeparator, state);
        } else if (word == "tab") {
            append(QLatin1Char(' '), state);
        } else if (word == "pard") {
            m_para = ParaState();
        } else if (word == "plain") {
            const CharState keep = state;
            state = CharState();
            state.unicodeSkip = keep.unicodeSkip;
            state.dest = keep.dest;
        } else if (word == "b") {
            state.bold = on;
        } else if (word == "i") {
            state.italic = on;
        } else if (word == "ul") {
            state.underline = on;
        } else if (word == "ulnone") {
            state.underline = false;
        } else if (word == "strike" || word == "striked") {
            state.strike = on;
        } else if (word == "fs") {
            state.halfPoints = hasParam && param > 0 ? param : 0;
        } else if (word == "f") {
            state.font = hasParam ? param : -1;
        } else if (word == "qc") {
            m_para.align = Align::Center;
        } else if (word == "qr") {
            m_para.align = Align::Right;
        } else if (word == "ql") {
            m_para.align = Align::Left;
        } else if (word == "qj") {
            m_para.align = Align::Justify;
        } else if (word == "li" || word == "lin") {
            m_para.leftTwips = hasParam ? param : 0;
        } else if (word == "fi") {
            m_para.firstTwips = hasParam ? param : 0;
        } else if (word == "ri" || word == "rin") {
            m_para.rightTwips = hasParam ? param : 0;
        } else if (word == "ls") {
            // A list of the newer kind; its look is in the list table, read as bullets.
            if (hasParam && param > 0 && m_para.list == ListKind::None)
                m_para.list = ListKind::Bullet;
        } else if (word == "emdash") {
            append(QChar(0x2014), state);
        } else if (word == "endash") {
            append(QChar(0x2013), state);
        } else if (word == "bullet") {
            append(QChar(0x2022), state);
        } else if (word == "lquote") {
            append(QChar(0x2018), state);
        } else if (word == "rquote") {
            append(QChar(0x2019), state);
        } else if (word == "ldblquote") {
            append(QChar(0x201C), state);
        } else if (word == "rdblquote") {
            append(QChar(0x201D), state);
        }
    }

    void append(QChar ch, const CharState& state) {
        if (state.dest == Dest::FontTable) {
            if (ch == QLatin1Char(';'))
                endFontName();
            else
                m_fontName += ch;
            return;
        }
        if (state.dest != Dest::Text)
            return;
        if (!m_spanOpen || !sameFormat(state)) {
            flushSpan();
            m_spanState = state;
            m_spanOpen = true;
        }
        m_spanText += ch;
    }

    void endFontName() {
        const QString name = m_fontName.trimmed();
        if (m_fontNumber >= 0 && !name.isEmpty() && !m_fonts.contains(m_fontNumber))
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    bool sameFormat(const CharState& s) const {
        return s.bold == m_spanState.bold && s.italic == m_spanState.italic &&
               s.underline == m_spanState.underline && s.strike == m_spanState.strike &&
               s.halfPoints == m_spanState.halfPoints && s.font == m_spanState.font;
    }

    // The CSS of a character format; only what differs from the element's own font.
    QStringList charStyle(const CharState& s) const {
        QStringList style;
        if (s.bold)
            style << QStringLiteral("font-weight:bold");
        if (s.italic)
            style << QStringLiteral("font-style:italic");
        if (s.underline && s.strike)
            style << QStringLiteral("text-decoration:underline line-through");
        else if (s.underline)
            style << QStringLiteral("text-decoration:underline");
        else if (s.strike)
            style << QStringLiteral("text-decoration:line-through");
        if (s.halfPoints > 0)
            style << QStringLiteral("font-size:%1pt").arg(s.halfPoints / 2.0);
        if (const auto font = m_fonts.constFind(s.font); font != m_fonts.cend()) {
            QString family = *font;
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            style << QStringLiteral("font-family:'%1'").arg(family.toHtmlEscaped());
        }
        return style;
    }

    void flushSpan() {
        if (!m_spanOpen)
            return;
        m_spanOpen = false;
        if (m_spanText.isEmpty())
            return;
        const QStringList style = charStyle(m_spanState);
        const QString text = m_spanText.toHtmlEscaped();
        if (style.isEmpty())
            m_current += text;
        else
            m_current += QStringLiteral("<span style=\"%1\">%2</span>")
                             .arg(style.join(QLatin1Char(';')), text);
        m_spanText.clear();
    }

    void closeList() {
        if (m_openList == ListKind::Bullet)
            m_paragraphs << QStringLiteral("</ul>");
        else if (m_openList == ListKind::Numbered)
            m_paragraphs << QStringLiteral("</ol>");
        m_openList = ListKind::None;
    }

    // Ends a paragraph; state is the format of its end mark, which gives an empty paragraph
    // its height.
    void paragraph(const CharState& state) {
        flushSpan();
        QString align;
        switch (m_para.align) {
        case Align::Center:
            align = QStringLiteral(" align=\"center\"");
            break;
        case Align::Right:
            align = QStringLiteral(" align=\"right\"");
            break;
        case Align::Justify:
            align = QStringLiteral(" align=\"justify\"");
            break;
        case Align::Left:
            break;
        }
        const bool item = m_para.list != ListKind::None;
        if (m_para.list != m_openList) {
            closeList();
            if (m_para.list == ListKind::Bullet)
                m_paragraphs << QStringLiteral("<ul style=\"margin:0;-qt-list-indent:1\">");
            else if (m_para.list == ListKind::Numbered)
                m_paragraphs << QStringLiteral("<ol style=\"margin:0;-qt-list-indent:1\">");
            m_openList = m_para.list;
        }
        // Blanks are kept as typed, also at the ends of a line and several in a row.
        QStringList style{QStringLiteral("margin:0"), QStringLiteral("white-space:pre-wrap")};
        // \li is where the lines start; a list item's text starts one list indent in.
        const double left = m_para.leftTwips - (item ? kListIndentPixels * kTwipsPerPixel : 0.0);
        if (left != 0)
            style << QStringLiteral("margin-left:") + pixels(left);
        if (m_para.firstTwips != 0)
            style << QStringLiteral("text-indent:") + pixels(m_para.firstTwips);
        if (m_para.rightTwips != 0)
            style << QStringLiteral("margin-right:") + pixels(m_para.rightTwips);
        QString content = m_current;
        if (content.isEmpty()) {
            style << QStringLiteral("-qt-paragraph-type:empty") << charStyle(state);
            content = QStringLiteral("<br/>");
        }
        const QString tag = item ? QStringLiteral("li") : QStringLiteral("p");
        m_paragraphs << QStringLiteral("<%1 style=\"%2\"%3>%4</%1>")
                            .arg(tag, style.join(QLatin1Char(';')), align, content);
        m_current.clear();
    }

    QByteArray m_in;
    QStringList m_paragraphs;
    QString m_current;
    QString m_spanText;
    CharState m_spanState;
    bool m_spanOpen = false;
    ParaState m_para;
    ListKind m_openList = ListKind::None;
    QHash<int, QString> m_fonts;
    int m_fontNumber = -1;
    QString m_fontName;
};

} // namespace

bool isRtf(const QByteArray& content) {
    return content.trimmed().startsWith("{\\rtf");
}

bool isRtf(const QString& content) {
    return content.trimmed().startsWith(QLatin1String("{\\rtf"));
}

QString rtfToHtml(const QByteArray& rtf) {
    return Reader(rtf).run();
}

} // namespace report
