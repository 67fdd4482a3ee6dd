#include "pdfsyntax.h"

#include <QTimeZone>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace pdf {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// "0.0000" to "1.0000" for the 256 values of a colour component.
struct ComponentTable {
    char text[256][6];
    ComponentTable() {
        for (int v = 0; v < 256; ++v) {
            const long scaled = std::lround(v / 255.0 * 10000.0);
            text[v][0] = char('0' + scaled / 10000);
            text[v][1] = '.';
            text[v][2] = char('0' + scaled / 1000 % 10);
            text[v][3] = char('0' + scaled / 100 % 10);
            text[v][4] = char('0' + scaled / 10 % 10);
            text[v][5] = char('0' + scaled % 10);
        }
    }
};

bool isLinkTerminator(QChar c) {
    return c.isSpace() || c == u'<' || c == u'>' || c == u'"' || c == u'(' || c == u')';
}

} // namespace

namespace {

// Decimal digits of a value, written forwards.
inline char* writeDigits(char* out, unsigned long long value) {
    int digits = 1;
    for (unsigned long long rest = value; rest >= 10; rest /= 10)
        ++digits;
    char* p = out + digits;
    do {
        *--p = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return out + digits;
}

} // namespace

char* writeNumber(char* out, double value) {
    if (!std::isfinite(value))
        value = 0;
    value = std::clamp(value, -9.0e14, 9.0e14);
    const double x = value * 10000.0;
    long long scaled = static_cast<long long>(x < 0 ? x - 0.5 : x + 0.5);
    if (scaled < 0) {
        *out++ = '-';
        scaled = -scaled;
    }
    out = writeDigits(out, static_cast<unsigned long long>(scaled / 10000));
    const int fraction = int(scaled % 10000);
    out[0] = '.';
    out[1] = char('0' + fraction / 1000);
    out[2] = char('0' + fraction / 100 % 10);
    out[3] = char('0' + fraction / 10 % 10);
    out[4] = char('0' + fraction % 10);
    return out + 5;
}

char* writeInteger(char* out, long long value) {
    if (value < 0) {
        *out++ = '-';
        return writeDigits(out, static_cast<unsigned long long>(-(value + 1)) + 1);
    }
    return writeDigits(out, static_cast<unsigned long long>(value));
}

char* writeColor(char* out, const QColor& color) {
    static const ComponentTable table;
    const QRgb rgb = color.isValid() ? color.rgb() : qRgb(0, 0, 0);
    std::memcpy(out, table.text[qRed(rgb)], 6);
    out[6] = ' ';
    std::memcpy(out + 7, table.text[qGreen(rgb)], 6);
    out[13] = ' ';
    std::memcpy(out + 14, table.text[qBlue(rgb)], 6);
    return out + 20;
}

char* writeLiteralBody(char* out, std::string_view bytes) {
    int column = 0;
    for (const char ch : bytes) {
        switch (ch) {
        case '(':
        case ')':
        case '\\':
            *out++ = '\\';
            *out++ = ch;
            break;
        case '\b':
            *out++ = '\\';
            *out++ = 'b';
            break;
        case '\f':
            *out++ = '\\';
            *out++ = 'f';
            break;
        case '\n':
            *out++ = '\\';
            *out++ = 'n';
            break;
        case '\r':
            *out++ = '\\';
            *out++ = 'r';
            break;
        case '\t': {
            const int blanks = 8 - column % 8;
            std::memset(out, ' ', size_t(blanks));
            out += blanks;
            column += blanks;
            continue;
        }
        default:
            *out++ = ch;
            break;
        }
        ++column;
    }
    return out;
}

void appendNumber(std::string& out, double value) {
    char buffer[24];
    out.append(buffer, size_t(writeNumber(buffer, value) - buffer));
}

std::string formatNumber(double value) {
    std::string s;
    appendNumber(s, value);
    return s;
}

void appendInteger(std::string& out, long long value) {
    char buffer[24];
    out.append(buffer, size_t(writeInteger(buffer, value) - buffer));
}

void appendColor(std::string& out, const QColor& color) {
    char buffer[20];
    out.append(buffer, size_t(writeColor(buffer, color) - buffer));
}

void appendReference(std::string& out, int objectNumber) {
    appendInteger(out, objectNumber);
    out += " 0 R";
}

void appendLiteralBody(std::string& out, std::string_view bytes) {
    const size_t at = out.size();
    out.resize(at + bytes.size() * 8);
    char* end = writeLiteralBody(out.data() + at, bytes);
    out.resize(size_t(end - out.data()));
}

QString expandTabs(const QString& text) {
    if (!text.contains(u'\t'))
        return text;
    QString result;
    result.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == u'\t') {
            const int blanks = 8 - int(result.size() % 8);
            result.append(QString(blanks, u' '));
        } else {
            result.append(c);
        }
    }
    return result;
}

std::string escapeName(const QByteArray& name) {
    std::string out;
    out.reserve(size_t(name.size()) + 8);
    for (const char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool delimiter = std::string_view("()<>[]{}/%#").find(ch) != std::string_view::npos;
        if (delimiter || byte < 0x21 || byte > 0x7E) {
            out.push_back('#');
            out.push_back(kHexDigits[byte >> 4]);
            out.push_back(kHexDigits[byte & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

std::string toHex(const QByteArray& bytes) {
    std::string out;
    out.reserve(size_t(bytes.size()) * 2);
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        out.push_back(kHexDigits[byte >> 4]);
        out.push_back(kHexDigits[byte & 0x0F]);
    }
    return out;
}

QByteArray utf16beWithMark(const QString& text) {
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append(char(0xFE));
    bytes.append(char(0xFF));
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

QString timeZoneFromBias(int biasMinutes) {
    // Zones west of Greenwich have a positive bias. Working on the magnitude keeps zones with
    // less than an hour of offset right (a bias of 30 is "-00'30'", not "+00'-30'").
    const QChar sign = biasMinutes > 0 ? u'-' : u'+';
    const int magnitude = std::abs(biasMinutes);
    return QStringLiteral("%1%2'%3'")
        .arg(sign)
        .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString timeStamp(const QDateTime& localTime) {
    const int bias = -localTime.offsetFromUtc() / 60;
    return QStringLiteral("D:") + localTime.toString(QStringLiteral("yyyyMMddHHmmss")) +
           timeZoneFromBias(bias);
}

QString xmpDate(const QDateTime& localTime) {
    // The zone of timeStamp with a colon, so that the metadata and the document information
    // name one moment in one way.
    QString zone = timeZoneFromBias(-localTime.offsetFromUtc() / 60);
    zone.chop(1);
    zone.replace(u'\'', u':');
    return localTime.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + zone;
}

static bool mayHoldLink(const QString& text) {
    const QChar* c = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = c[i].unicode();
        if (u == u'@')
            return true;
        if (u == u':' && i + 1 < n && (c[i + 1] == u'/' || c[i + 1] == u'\\'))
            return true;
        if ((u == u'w' || u == u'W') && i + 3 < n && (c[i + 1] == u'w' || c[i + 1] == u'W') &&
            (c[i + 2] == u'w' || c[i + 2] == u'W') && c[i + 3] == u'.')
            return true;
    }
    return false;
}

QList<FoundLink> findLinks(const QString& text) {
    QList<FoundLink> links;
    // Nearly every line of an invoice has no address; finding that out must cost little.
    if (!mayHoldLink(text))
        return links;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        while (i < n && isLinkTerminator(text.at(i)))
            ++i;
        int end = i;
        while (end < n && !isLinkTerminator(text.at(end)))
            ++end;
        // A sentence may end right after an address.
        int stop = end;
        while (stop > i && QStringView(u".,;:!?'").contains(text.at(stop - 1)))
            --stop;
        const QString word = text.mid(i, stop - i);
        bool isLink = false;
        if (word.contains(QLatin1String("://")) ||
            word.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ||
            word.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) {
            isLink = word.size() > 4;
        } else if (const int at = int(word.indexOf(u'@')); at > 0) {
            isLink = word.indexOf(u'.', at) > at + 1 && !word.endsWith(u'.');
        } else if (word.size() > 3 && word.at(0).isLetter() && word.at(1) == u':' &&
                   word.at(2) == u'\\') {
            isLink = true;
        }
        if (isLink)
            links.append({i, int(word.size()), word});
        i = end;
    }
    return links;
}

LinkAction linkAction(const QString& target) {
    LinkAction action;
    if (target.contains(QLatin1String(":\\"))) {
        QString path = target;
        path.replace(QLatin1String(":\\"), QLatin1String("/"));
        path.replace(u'\\', u'/');
        if (path.contains(u'/') && !path.contains(QLatin1String("..")) && !path.startsWith(u'/'))
            path.prepend(u'/');
        action.before = "/Type /Action/S /Launch/F ";
        action.stringBytes = path.toUtf8();
        action.hexString = false;
        action.after = " /NewWindow true";
        return action;
    }
    QString uri = target;
    if (target.contains(u'@') && !target.contains(QLatin1String("://"))) {
        if (!target.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            uri = QStringLiteral("mailto:") + target;
    } else if (target.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        // Without a scheme a viewer takes the address for a relative file name.
        uri = QStringLiteral("http://") + target;
    }
    action.before = "/S/URI /URI";
    action.stringBytes = uri.toUtf8();
    action.hexString = true;
    return action;
}

double bezierArcFactor(double angle) {
    const double half = angle / 2.0;
    const double s = std::sin(half);
    if (std::fabs(s) < 1e-12)
        return 0.0;
    return 4.0 / 3.0 * (1.0 - std::cos(half)) / s;
}

void appendArc(std::string& out, double cx, double cy, double rx, double ry, double startDegrees,
               double spanDegrees, bool moveTo) {
    constexpr double kDegree = M_PI / 180.0;
    if (!std::isfinite(startDegrees) || !std::isfinite(spanDegrees))
        return; // no number of segments could be counted
    if (spanDegrees > 360.0)
        spanDegrees = 360.0;
    if (spanDegrees < -360.0)
        spanDegrees = -360.0;
    const int segments = std::max(1, int(std::ceil(std::fabs(spanDegrees) / 90.0 - 1e-9)));
    const double step = spanDegrees * kDegree / segments;
    const double k = bezierArcFactor(step);
    double a = startDegrees * kDegree;
    auto point = [&](double x, double y) {
        appendNumber(out, x);
        out.push_back(' ');
        appendNumber(out, y);
        out.push_back(' ');
    };
    point(cx + rx * std::cos(a), cy + ry * std::sin(a));
    out += moveTo ? "m\r\n" : "l\r\n";
    for (int i = 0; i < segments; ++i) {
        const double b = a + step;
        const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
        point(cx + rx * (ca - k * sa), cy + ry * (sa + k * ca));
        point(cx + rx * (cb + k * sb), cy + ry * (sb - k * cb));
        point(cx + rx * cb, cy + ry * sb);
        out += "c\r\n";
        a = b;
    }
}

} // namespace pdf
