#include "db/dberror.h"
#include "db/sqlsyntax.h"

namespace db::sql::detail {

[[noreturn]] void syntaxError(const QString& what, int pos) {
    throw EngineError(SqlSyntax,
                      QStringLiteral("SQL error at position %1: %2").arg(pos + 1).arg(what));
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    int i = 0;
    const int n = s.size();
    auto isIdentStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    // Numbers are written in ASCII digits; QChar::isDigit also takes the digits of other
    // scripts, which SQLite does not read as a number.
    auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    auto isIdentChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    // SQLite reads a statement only up to its first NUL, so one anywhere (in a text, a name,
    // a comment that becomes part of a column's name) would cut the rewritten statement short.
    if (const qsizetype nul = s.indexOf(QChar(0)); nul >= 0)
        syntaxError(QStringLiteral("the text holds the character NUL"), int(nul));
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const int end = s.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                syntaxError(QStringLiteral("unterminated comment"), i);
            i = end + 2;
            continue;
        }
        Token t;
        t.pos = i;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[') ||
            c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            t.kind = c == QLatin1Char('\'') ? Token::String : Token::QuotedIdent;
            ++i;
            QString text;
            bool closed = false;
            while (i < n) {
                if (s[i] == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && s[i + 1] == close) {
                        text += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += s[i++];
            }
            if (!closed)
                syntaxError(t.kind == Token::String ? QStringLiteral("unterminated text")
                                                    : QStringLiteral("unterminated name"),
                            t.pos);
            t.text = text;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(s[i + 1]))) {
            t.kind = Token::Number;
            int j = i;
            while (j < n && isDigit(s[j]))
                ++j;
            if (j < n && s[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(s[j]))
                    ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && isDigit(s[k])) {
                    while (k < n && isDigit(s[k]))
                        ++k;
                    j = k;
                }
            }
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && isIdentStart(s[i + 1])) {
            t.kind = Token::Param;
            int j = i + 1;
            while (j < n && isIdentChar(s[j]))
                ++j;
            t.text = s.mid(i + 1, j - i - 1);
            i = j;
        } else if (isIdentStart(c)) {
            t.kind = Token::Ident;
            int j = i;
            while (j < n && isIdentChar(s[j]))
                ++j;
            t.text = s.mid(i, j - i);
            i = j;
        } else {
            t.kind = Token::Op;
            static const char* const two[] = {"<>", "!=", "<=", ">=", "==", "||"};
            bool matched = false;
            for (const char* op : two) {
                if (s.mid(i, 2) == QLatin1String(op)) {
                    t.text = QLatin1String(op);
                    i += 2;
                    matched = true;
                    break;
                }
            }
            if (!matched) {
                static const QString single = QStringLiteral("=<>+-*/%(),.;");
                if (!single.contains(c))
                    syntaxError(QStringLiteral("unexpected character '%1'").arg(c), i);
                t.text = QString(c);
                ++i;
            }
        }
        out.push_back(t);
    }
    Token end;
    end.pos = n;
    out.push_back(end);
    return out;
}

const QSet<QString>& reservedWords() {
    static const QSet<QString> words = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"),     QStringLiteral("WHERE"),
        QStringLiteral("GROUP"),  QStringLiteral("BY"),       QStringLiteral("ORDER"),
        QStringLiteral("HAVING"), QStringLiteral("LIMIT"),    QStringLiteral("OFFSET"),
        QStringLiteral("AS"),     QStringLiteral("AND"),      QStringLiteral("OR"),
        QStringLiteral("NOT"),    QStringLiteral("IS"),       QStringLiteral("IN"),
        QStringLiteral("LIKE"),   QStringLiteral("BETWEEN"),  QStringLiteral("NULL"),
        QStringLiteral("TRUE"),   QStringLiteral("FALSE"),    QStringLiteral("ON"),
        QStringLiteral("JOIN"),   QStringLiteral("LEFT"),     QStringLiteral("INNER"),
        QStringLiteral("OUTER"),  QStringLiteral("CROSS"),    QStringLiteral("UNION"),
        QStringLiteral("ASC"),    QStringLiteral("DESC"),     QStringLiteral("CASE"),
        QStringLiteral("WHEN"),   QStringLiteral("THEN"),     QStringLiteral("ELSE"),
        QStringLiteral("END"),    QStringLiteral("SET"),      QStringLiteral("VALUES"),
        QStringLiteral("INTO"),   QStringLiteral("DISTINCT"), QStringLiteral("ALL"),
        QStringLiteral("EXISTS"), QStringLiteral("CAST"),     QStringLiteral("COLLATE"),
        QStringLiteral("ESCAPE"), QStringLiteral("GLOB"),     QStringLiteral("UPDATE"),
        QStringLiteral("DELETE"), QStringLiteral("INSERT")};
    return words;
}

} // namespace db::sql::detail
