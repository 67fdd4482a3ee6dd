#include "pdfsyntax.h"

#include <QTimeZone>

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace pdf {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void appendUnsigned(std::string& out, unsigned long long value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        out.push_back(digits[--n]);
}

bool isLinkTerminator(QChar c) {
    return c.isSpace() || c == u'<' || c == u'>' || c == u'"' || c == u'(' || c == u')';
}

} // namespace

void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 9.0e14) {
        out += std::isfinite(value) ? (value < 0 ? "-900000000000000.0000" : "900000000000000.0000")
                                    : "0.0000";
        return;
    }
    long long scaled = std::llround(value * 10000.0);
    if (scaled < 0) {
        out.push_back('-');
        scaled = -scaled;
    }
    appendUnsigned(out, static_cast<unsigned long long>(scaled / 10000));
    const int fraction = int(scaled % 10000);
    const char tail[5] = {'.', char('0' + fraction / 1000), char('0' + fraction / 100 % 10),
                          char('0' + fraction / 10 % 10), char('0' + fraction % 10)};
    out.append(tail, 5);
}

std::string formatNumber(double value) {
    std::string s;
    appendNumber(s, value);
    return s;
}

void appendInteger(std::string& out, long long value) {
    if (value < 0) {
        out.push_back('-');
        appendUnsigned(out, static_cast<unsigned long long>(-(value + 1)) + 1);
    } else {
        appendUnsigned(out, static_cast<unsigned long long>(value));
    }
}

void appendColor(std::string& out, const QColor& color) {
    const QColor rgb = color.isValid() ? color.toRgb() : QColor(Qt::black);
    appendNumber(out, rgb.red() / 255.0);
    out.push_back(' ');
    appendNumber(out, rgb.green() / 255.0);
    out.push_back(' ');
    appendNumber(out, rgb.blue() / 255.0);
}

void appendReference(std::string& out, int objectNumber) {
    appendInteger(out, objectNumber);
    out += " 0 R";
}

void appendLiteralBody(std::string& out, std::string_view bytes) {
    int column = 0;
    for (const char ch : bytes) {
        switch (ch) {
        case '(':
        case ')':
        case '\\':
            out.push_back('\\');
            out.push_back(ch);
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t': {
            const int blanks = 8 - column % 8;
            out.append(size_t(blanks), ' ');
            column += blanks;
            continue;
        }
        default:
            out.push_back(ch);
            break;
        }
        ++column;
    }
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

QList<FoundLink> findLinks(const QString& text) {
    QList<FoundLink> links;
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
