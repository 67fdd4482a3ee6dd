#include "service/textroutines.h"

#include <QStringList>

QString StrStringToEscaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += ch;
        }
    }
    return out;
}

QString StrEscapedToString(const QString& escaped) {
    QString out;
    out.reserve(escaped.size());
    for (int i = 0; i < escaped.size(); ++i) {
        const QChar ch = escaped[i];
        if (ch != QLatin1Char('\\') || i + 1 >= escaped.size()) {
            out += ch;
            continue;
        }
        const QChar next = escaped[i + 1];
        switch (next.unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            ++i;
            break;
        case 'r':
            out += QLatin1Char('\r');
            ++i;
            break;
        case 'n':
            out += QLatin1Char('\n');
            ++i;
            break;
        case 't':
            out += QLatin1Char('\t');
            ++i;
            break;
        case 'x': {
            bool ok = false;
            const uint code = escaped.mid(i + 2, 2).toUInt(&ok, 16);
            if (ok && escaped.mid(i + 2, 2).size() == 2) {
                out += QChar(char16_t(code));
                i += 3;
            } else {
                out += ch; // not one of ours: keep the backslash as it stands
            }
            break;
        }
        default:
            out += ch;
        }
    }
    return out;
}

QString RemoveBefore(const QString& s, const QString& sub) {
    const int at = s.indexOf(sub);
    return at < 0 ? s : s.mid(at + sub.size());
}

QString RemoveAfter(const QString& s, const QString& sub) {
    const int at = s.indexOf(sub);
    return at < 0 ? s : s.left(at);
}

int CountSign(const QString& s, const QString& sub) {
    if (sub.isEmpty())
        return 0;
    int count = 0;
    for (int at = s.indexOf(sub); at >= 0; at = s.indexOf(sub, at + sub.size()))
        ++count;
    return count;
}

int Longrows(const QString& s, int n) {
    if (n <= 0)
        return 0;
    int extra = 0;
    const QStringList lines = s.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.size() > n)
            extra += (line.size() - n) / n;
    }
    return extra;
}

QString ShortenString(const QString& s, int n) {
    return n <= 0 ? QString() : s.left(n);
}

FontStyles SetStyles(const QString& styleText) {
    QString text = styleText.trimmed();
    if (text.startsWith(QLatin1Char('[')))
        text.remove(0, 1);
    if (text.endsWith(QLatin1Char(']')))
        text.chop(1);
    FontStyles styles;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (name.compare(QLatin1String("fsBold"), Qt::CaseInsensitive) == 0)
            styles |= FontStyle::Bold;
        else if (name.compare(QLatin1String("fsItalic"), Qt::CaseInsensitive) == 0)
            styles |= FontStyle::Italic;
        else if (name.compare(QLatin1String("fsUnderline"), Qt::CaseInsensitive) == 0)
            styles |= FontStyle::Underline;
        else if (name.compare(QLatin1String("fsStrikeOut"), Qt::CaseInsensitive) == 0)
            styles |= FontStyle::StrikeOut;
    }
    return styles;
}
