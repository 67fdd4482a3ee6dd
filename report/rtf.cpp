#include "report/rtf.h"

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

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // 0: the element's own size
    int unicodeSkip = 1;
    bool skip = false; // inside a destination that is not text
};

enum class Align { Left, Center, Right, Justify };

// Destinations whose content is never shown.
bool isIgnoredDestination(const QByteArray& word) {
    static const char* const names[] = {"fonttbl",
                                        "colortbl",
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
                groupStart = true;
                ++pos;
                continue;
            }
            if (c == '}') {
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
                    } else if (ok && !state.skip) {
                        append(cp1252(static_cast<unsigned char>(value)), state);
                    }
                    groupStart = false;
                    continue;
                }
                if (d == '*') {
                    // {\* ...}: an optional destination this reader does not know.
                    if (groupStart)
                        state.skip = true;
                    ++pos;
                    continue;
                }
                if (!isalpha(static_cast<unsigned char>(d))) {
                    ++pos;
                    groupStart = false;
                    if (state.skip)
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
                        paragraph();
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
                if (atGroupStart && isIgnoredDestination(word))
                    state.skip = true;
                if (state.skip)
                    continue;
                control(word, hasParam, param, state, pendingSkip);
                continue;
            }
            groupStart = false;
            ++pos;
            if (state.skip)
                continue;
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            append(cp1252(static_cast<unsigned char>(c)), state);
        }
        // A closing \par ends the last paragraph; only text after it makes another one.
        if (m_spanOpen || !m_current.isEmpty())
            paragraph();
        return QStringLiteral("<html><body>") + m_paragraphs.join(QString()) +
               QStringLiteral("</body></html>");
    }

private:
    void control(const QByteArray& word, bool hasParam, int param, CharState& state,
                 int& pendingSkip) {
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            paragraph();
        } else if (word == "line") {
            flushSpan();
            m_current += QStringLiteral("<br/>");
        } else if (word == "tab") {
            append(QLatin1Char(' '), state);
        } else if (word == "pard") {
            m_align = Align::Left;
        } else if (word == "plain") {
            const int skip = state.unicodeSkip;
            state = CharState();
            state.unicodeSkip = skip;
        } else if (word == "b") {
            state.bold = on;
        } else if (word == "i") {
            state.italic = on;
        } else if (word == "ul") {
            state.underline = on;
        } else if (word == "ulnone") {
            state.underline = false;
        } else if (word == "fs") {
            state.halfPoints = hasParam && param > 0 ? param : 0;
        } else if (word == "qc") {
            m_align = Align::Center;
        } else if (word == "qr") {
            m_align = Align::Right;
        } else if (word == "ql") {
            m_align = Align::Left;
        } else if (word == "qj") {
            m_align = Align::Justify;
        } else if (word == "uc") {
            state.unicodeSkip = hasParam && param >= 0 ? param : 1;
        } else if (word == "u" && hasParam) {
            const int code = param < 0 ? param + 65536 : param;
            append(QChar(static_cast<char16_t>(code)), state);
            pendingSkip = state.unicodeSkip;
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
        if (!m_spanOpen || !sameFormat(state)) {
            flushSpan();
            m_spanState = state;
            m_spanOpen = true;
        }
        m_spanText += ch;
    }

    bool sameFormat(const CharState& s) const {
        return s.bold == m_spanState.bold && s.italic == m_spanState.italic &&
               s.underline == m_spanState.underline && s.halfPoints == m_spanState.halfPoints;
    }

    void flushSpan() {
        if (!m_spanOpen)
            return;
        m_spanOpen = false;
        if (m_spanText.isEmpty())
            return;
        QStringList style;
        if (m_spanState.bold)
            style << QStringLiteral("font-weight:bold");
        if (m_spanState.italic)
            style << QStringLiteral("font-style:italic");
        if (m_spanState.underline)
            style << QStringLiteral("text-decoration:underline");
        if (m_spanState.halfPoints > 0)
            style << QStringLiteral("font-size:%1pt").arg(m_spanState.halfPoints / 2.0);
        QString text = m_spanText.toHtmlEscaped();
        text.replace(QStringLiteral("  "), QStringLiteral("&nbsp; "));
        if (style.isEmpty())
            m_current += text;
        else
            m_current += QStringLiteral("<span style=\"%1\">%2</span>")
                             .arg(style.join(QLatin1Char(';')), text);
        m_spanText.clear();
    }

    void paragraph() {
        flushSpan();
        QString align;
        switch (m_align) {
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
        m_paragraphs << QStringLiteral("<p style=\"margin:0\"%1>%2</p>")
                            .arg(align, m_current.isEmpty() ? QStringLiteral("&nbsp;") : m_current);
        m_current.clear();
    }

    QByteArray m_in;
    QStringList m_paragraphs;
    QString m_current;
    QString m_spanText;
    CharState m_spanState;
    bool m_spanOpen = false;
    Align m_align = Align::Left;
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
