#include "db/sqlrewriter.h"

#include "db/dberror.h"

#include "service/currency.h"

#include <QSet>

#include <memory>

namespace db::sql {

ValueType valueTypeOf(FieldType type) {
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return ValueType::Text;
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::AutoInc:
        return ValueType::Integer;
    case FieldType::Float:
        return ValueType::Float;
    case FieldType::Currency:
        return ValueType::Currency;
    case FieldType::Date:
        return ValueType::Date;
    case FieldType::Boolean:
        return ValueType::Boolean;
    }
    return ValueType::Unknown;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Tokens

struct Token {
    enum Kind { End, Ident, QuotedIdent, String, Number, Param, Op };
    Kind kind = End;
    QString text; // identifier without quotes, string without quotes, operator, number
    int pos = 0;
};

[[noreturn]] void syntaxError(const QString& what, int pos) {
    throw EngineError(SqlSyntax,
                      QStringLiteral("SQL error at position %1: %2").arg(pos + 1).arg(what));
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    int i = 0;
    const int n = s.size();
    auto isIdentStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isIdentChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
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
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            t.kind = Token::Number;
            int j = i;
            while (j < n && s[j].isDigit())
                ++j;
            if (j < n && s[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && s[j].isDigit())
                    ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && s[k].isDigit()) {
                    while (k < n && s[k].isDigit())
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

// ---------------------------------------------------------------------------------------------
// Syntax tree

struct Select;

struct Node {
    enum Kind {
        Number,
        String,
        Null,
        Bool,
        Param,
        Column,
        Unary,
        Binary,
        Compare,
        IsTest,
        Like,
        Between,
        InList,
        InSelect,
        Func,
        Case,
        Cast,
        Subquery,
        Exists,
        Star
    };
    Kind kind;
    QString text;      // literal, parameter or function name, operator, column name
    QString qualifier; // table or alias of a column
    bool negated = false;
    bool distinct = false; // COUNT(DISTINCT x)
    std::vector<std::unique_ptr<Node>> args;
    std::unique_ptr<Select> select;
    ValueType type = ValueType::Unknown;
    int pos = 0;
};
using NodePtr = std::unique_ptr<Node>;

struct TableRef {
    const TableInfo* table = nullptr;
    QString alias;
    QString joinKind; // "", "," or "LEFT JOIN" etc. for all but the first
    NodePtr on;
};

struct SelectItem {
    NodePtr expr;   // null for a star
    QString starOf; // qualifier of "t.*"
    bool star = false;
    QString alias;
    QString source; // the item as written, used as its name when it has no alias
};

struct OrderItem {
    NodePtr expr;
    QString direction;
};

struct Select {
    bool distinct = false;
    std::vector<SelectItem> items;
    std::vector<TableRef> from;
    NodePtr where;
    std::vector<NodePtr> groupBy;
    NodePtr having;
    std::vector<OrderItem> orderBy;
    NodePtr limit;
    NodePtr offset;
    std::unique_ptr<Select> unionWith;
    QString unionKind;
};

struct Scope {
    std::vector<const TableRef*> tables;
    const Scope* outer = nullptr;
};

bool isKnown(ValueType t) {
    return t != ValueType::Unknown && t != ValueType::Null;
}

// ---------------------------------------------------------------------------------------------
// Parser

class Parser {
public:
    Parser(const QString& text, const SchemaLookup* schema, const TableInfo* single)
        : m_text(text)
        , m_tokens(tokenize(text))
        , m_schema(schema)
        , m_single(single) {}

    const Token& peek(int ahead = 0) const {
        const size_t i = std::min(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens[i];
    }
    bool isWord(const Token& t, const char* w) const {
        return t.kind == Token::Ident && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool atWord(const char* w, int ahead = 0) const { return isWord(peek(ahead), w); }
    bool atOp(const char* op) const {
        return peek().kind == Token::Op && peek().text == QLatin1String(op);
    }
    bool acceptWord(const char* w) {
        if (!atWord(w))
            return false;
        ++m_pos;
        return true;
    }
    bool acceptOp(const char* op) {
        if (!atOp(op))
            return false;
        ++m_pos;
        return true;
    }
    void expectWord(const char* w) {
        if (!acceptWord(w))
            syntaxError(QStringLiteral("%1 expected").arg(QLatin1String(w)), peek().pos);
    }
    void expectOp(const char* op) {
        if (!acceptOp(op))
            syntaxError(QStringLiteral("'%1' expected").arg(QLatin1String(op)), peek().pos);
    }
    bool atEnd() const {
        return peek().kind == Token::End ||
               (peek().kind == Token::Op && peek().text == QLatin1String(";") &&
                peek(1).kind == Token::End);
    }
    void expectEnd() {
        acceptOp(";");
        if (peek().kind != Token::End)
            syntaxError(QStringLiteral("unexpected '%1'").arg(peek().text), peek().pos);
    }
    bool isReserved(const Token& t) const {
        return t.kind == Token::Ident && reservedWords().contains(t.text.toUpper());
    }
    QString name() {
        const Token& t = peek();
        if ((t.kind == Token::Ident && !isReserved(t)) || t.kind == Token::QuotedIdent) {
            ++m_pos;
            return t.text;
        }
        syntaxError(QStringLiteral("a name expected"), t.pos);
    }
    const TableInfo* table(const QString& n, int pos) {
        const TableInfo* t = m_schema ? m_schema->findTable(n) : nullptr;
        if (!t)
            throw EngineError(TableNotFound, QStringLiteral("Table %1 does not exist").arg(n));
        Q_UNUSED(pos);
        return t;
    }

    // --- expressions ---
    NodePtr expr() { return orExpr(); }

    NodePtr make(Node::Kind k, const QString& text, int pos) {
        auto node = std::make_unique<Node>();
        node->kind = k;
        node->text = text;
        node->pos = pos;
        return node;
    }
    NodePtr binary(Node::Kind k, const QString& op, NodePtr l, NodePtr r) {
        auto node = make(k, op, l->pos);
        node->args.push_back(std::move(l));
        node->args.push_back(std::move(r));
        return node;
    }

    NodePtr orExpr() {
        NodePtr l = andExpr();
        while (atWord("OR")) {
            ++m_pos;
            l = binary(Node::Binary, QStringLiteral("OR"), std::move(l), andExpr());
        }
        return l;
    }
    NodePtr andExpr() {
        NodePtr l = notExpr();
        while (atWord("AND")) {
            ++m_pos;
            l = binary(Node::Binary, QStringLiteral("AND"), std::move(l), notExpr());
        }
        return l;
    }
    NodePtr notExpr() {
        if (atWord("NOT")) {
            const int pos = peek().pos;
            ++m_pos;
            auto node = make(Node::Unary, QStringLiteral("NOT"), pos);
            node->args.push_back(notExpr());
            return node;
        }
        return compareExpr();
    }
    NodePtr compareExpr() {
        NodePtr l = addExpr();
        for (;;) {
            const Token& t = peek();
            if (t.kind == Token::Op &&
                (t.text == QLatin1String("=") || t.text == QLatin1String("==") ||
                 t.text == QLatin1String("<>") || t.text == QLatin1String("!=") ||
                 t.text == QLatin1String("<") || t.text == QLatin1String("<=") ||
                 t.text == QLatin1String(">") || t.text == QLatin1String(">="))) {
                ++m_pos;
                QString op = t.text;
                if (op == QLatin1String("=="))
                    op = QStringLiteral("=");
                if (op == QLatin1String("!="))
                    op = QStringLiteral("<>");
                l = binary(Node::Compare, op, std::move(l), addExpr());
                continue;
            }
            if (atWord("IS")) {
                ++m_pos;
                const bool neg = acceptWord("NOT");
                l = binary(Node::IsTest, QString(), std::move(l), addExpr());
                l->negated = neg;
                continue;
            }
            bool neg = false;
            if (atWord("NOT") && (atWord("LIKE", 1) || atWord("IN", 1) || atWord("BETWEEN", 1) ||
                                  atWord("GLOB", 1))) {
                ++m_pos;
                neg = true;
            }
            if (atWord("LIKE") || atWord("GLOB")) {
                const QString op = peek().text.toUpper();
                ++m_pos;
                l = binary(Node::Like, op, std::move(l), addExpr());
                l->negated = neg;
                if (acceptWord("ESCAPE"))
                    l->args.push_back(addExpr());
                continue;
            }
            if (acceptWord("BETWEEN")) {
                auto node = make(Node::Between, QString(), l->pos);
                node->negated = neg;
                node->args.push_back(std::move(l));
                node->args.push_back(addExpr());
                expectWord("AND");
                node->args.push_back(addExpr());
                l = std::move(node);
                continue;
            }
            if (acceptWord("IN")) {
                expectOp("(");
                if (atWord("SELECT")) {
                    auto node = make(Node::InSelect, QString(), l->pos);
                    node->negated = neg;
                    node->args.push_back(std::move(l));
                    node->select = selectStmt();
                    expectOp(")");
                    l = std::move(node);
                } else {
                    auto node = make(Node::InList, QString(), l->pos);
                    node->negated = neg;
                    node->args.push_back(std::move(l));
                    if (!atOp(")")) {
                        do
                            node->args.push_back(expr());
                        while (acceptOp(","));
                    }
                    expectOp(")");
                    l = std::move(node);
                }
                continue;
            }
            if (neg)
                syntaxError(QStringLiteral("LIKE, IN or BETWEEN expected"), peek().pos);
            return l;
        }
    }
    NodePtr addExpr() {
        NodePtr l = mulExpr();
        while (atOp("+") || atOp("-")) {
            const QString op = peek().text;
            ++m_pos;
            l = binary(Node::Binary, op, std::move(l), mulExpr());
        }
        return l;
    }
    NodePtr mulExpr() {
        NodePtr l = concatExpr();
        while (atOp("*") || atOp("/") || atOp("%")) {
            const QString op = peek().text;
            ++m_pos;
            l = binary(Node::Binary, op, std::move(l), concatExpr());
        }
        return l;
    }
    NodePtr concatExpr() {
        NodePtr l = unaryExpr();
        while (atOp("||")) {
            ++m_pos;
            l = binary(Node::Binary, QStringLiteral("||"), std::move(l), unaryExpr());
        }
        return l;
    }
    NodePtr unaryExpr() {
        if (atOp("-") || atOp("+")) {
            const Token t = peek();
            ++m_pos;
            auto node = make(Node::Unary, t.text, t.pos);
            node->args.push_back(unaryExpr());
            return node;
        }
        NodePtr p = primary();
        if (acceptWord("COLLATE"))
            p->qualifier = QLatin1String("COLLATE ") + name(); // kept for Column only
        return p;
    }
    NodePtr primary() {
        const Token t = peek();
        switch (t.kind) {
        case Token::Number:
            ++m_pos;
            return make(Node::Number, t.text, t.pos);
        case Token::String:
            ++m_pos;
            return make(Node::String, t.text, t.pos);
        case Token::Param: {
            ++m_pos;
            if (m_single)
                syntaxError(QStringLiteral("parameters are not allowed here"), t.pos);
            return make(Node::Param, t.text, t.pos);
        }
        case Token::QuotedIdent:
            return columnRef();
        case Token::Op:
            if (t.text == QLatin1String("(")) {
                ++m_pos;
                if (atWord("SELECT")) {
                    auto node = make(Node::Subquery, QString(), t.pos);
                    node->select = selectStmt();
                    expectOp(")");
                    return node;
                }
                NodePtr inner = expr();
                expectOp(")");
                auto node = make(Node::Unary, QStringLiteral("()"), t.pos);
                node->args.push_back(std::move(inner));
                return node;
            }
            if (t.text == QLatin1String("*")) {
                ++m_pos;
                return make(Node::Star, QStringLiteral("*"), t.pos);
            }
            syntaxError(QStringLiteral("unexpected '%1'").arg(t.text), t.pos);
        case Token::Ident: {
            const QString up = t.text.toUpper();
            if (up == QLatin1String("NULL")) {
                ++m_pos;
                return make(Node::Null, QString(), t.pos);
            }
            if (up == QLatin1String("TRUE") || up == QLatin1String("FALSE")) {
                ++m_pos;
                return make(Node::Bool, up, t.pos);
            }
            if (up == QLatin1String("CASE"))
                return caseExpr();
            if (up == QLatin1String("EXISTS")) {
                ++m_pos;
                expectOp("(");
                auto node = make(Node::Exists, QString(), t.pos);
                node->select = selectStmt();
                expectOp(")");
                return node;
            }
            if (up == QLatin1String("CAST")) {
                ++m_pos;
                expectOp("(");
                auto node = make(Node::Cast, QString(), t.pos);
                node->args.push_back(expr());
                expectWord("AS");
                QString type = name();
                while (peek().kind == Token::Ident && !isReserved(peek()))
                    type += QLatin1Char(' ') + name();
                node->text = type;
                expectOp(")");
                return node;
            }
            if (peek(1).kind == Token::Op && peek(1).text == QLatin1String("(") && !isReserved(t)) {
                m_pos += 2;
                auto node = make(Node::Func, up, t.pos);
                if (acceptWord("DISTINCT"))
                    node->distinct = true;
                if (!atOp(")")) {
                    do
                        node->args.push_back(expr());
                    while (acceptOp(","));
                }
                expectOp(")");
                return node;
            }
            if (isReserved(t))
                syntaxError(QStringLiteral("unexpected %1").arg(t.text), t.pos);
            return columnRef();
        }
        case Token::End:
            syntaxError(QStringLiteral("unexpected end of text"), t.pos);
        }
        syntaxError(QStringLiteral("unexpected '%1'").arg(t.text), t.pos);
    }
    NodePtr columnRef() {
        const int pos = peek().pos;
        QString first = name();
        if (atOp(".")) {
            ++m_pos;
            if (atOp("*")) {
                ++m_pos;
                auto node = make(Node::Star, QStringLiteral("*"), pos);
                node->qualifier = first;
                return node;
            }
            auto node = make(Node::Column, name(), pos);
            node->qualifier = first;
            return node;
        }
        return make(Node::Column, first, pos);
    }
    NodePtr caseExpr() {
        auto node = make(Node::Case, QString(), peek().pos);
        expectWord("CASE");
        // args: [subject or null marker], then pairs, then else
        if (!atWord("WHEN"))
            node->args.push_back(expr());
        else
            node->args.push_back(nullptr);
        while (acceptWord("WHEN")) {
            node->args.push_back(expr());
            expectWord("THEN");
            node->args.push_back(expr());
        }
        if (acceptWord("ELSE")) {
            node->args.push_back(expr());
            node->negated = true; // has an ELSE branch
        }
        expectWord("END");
        return node;
    }

    // --- statements ---
    std::unique_ptr<Select> selectStmt() {
        auto s = std::make_unique<Select>();
        expectWord("SELECT");
        if (acceptWord("DISTINCT"))
            s->distinct = true;
        else
            acceptWord("ALL");
        do {
            SelectItem item;
            const int start = peek().pos;
            if (atOp("*")) {
                ++m_pos;
                item.star = true;
            } else if ((peek().kind == Token::Ident || peek().kind == Token::QuotedIdent) &&
                       peek(1).kind == Token::Op && peek(1).text == QLatin1String(".") &&
                       peek(2).kind == Token::Op && peek(2).text == QLatin1String("*")) {
                item.star = true;
                item.starOf = peek().text;
                m_pos += 3;
            } else {
                item.expr = expr();
                const int end = peek().pos;
                item.source = m_text.mid(start, end - start).trimmed();
                if (acceptWord("AS"))
                    item.alias = aliasName();
                else if ((peek().kind == Token::Ident && !isReserved(peek())) ||
                         peek().kind == Token::QuotedIdent)
                    item.alias = name();
            }
            s->items.push_back(std::move(item));
        } while (acceptOp(","));
        if (acceptWord("FROM")) {
            s->from.push_back(tableRef());
            for (;;) {
                if (acceptOp(",")) {
                    TableRef r = tableRef();
                    r.joinKind = QStringLiteral(",");
                    s->from.push_back(std::move(r));
                    continue;
                }
                QString kind;
                if (atWord("JOIN") || atWord("INNER") || atWord("LEFT") || atWord("CROSS")) {
                    while (!atWord("JOIN")) {
                        kind += peek().text.toUpper() + QLatin1Char(' ');
                        ++m_pos;
                        if (peek().kind == Token::End)
                            syntaxError(QStringLiteral("JOIN expected"), peek().pos);
                    }
                    ++m_pos;
                    TableRef r = tableRef();
                    r.joinKind = kind + QStringLiteral("JOIN");
                    if (acceptWord("ON"))
                        r.on = expr();
                    s->from.push_back(std::move(r));
                    continue;
                }
                break;
            }
        }
        if (acceptWord("WHERE"))
            s->where = expr();
        if (acceptWord("GROUP")) {
            expectWord("BY");
            do
                s->groupBy.push_back(expr());
            while (acceptOp(","));
        }
        if (acceptWord("HAVING"))
            s->having = expr();
        if (atWord("UNION")) {
            ++m_pos;
            s->unionKind =
                acceptWord("ALL") ? QStringLiteral("UNION ALL") : QStringLiteral("UNION");
            s->unionWith = selectStmt();
            return s; // ORDER BY and LIMIT belong to the last part
        }
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do {
                OrderItem o;
                o.expr = expr();
                if (acceptWord("ASC"))
                    o.direction = QStringLiteral("ASC");
                else if (acceptWord("DESC"))
                    o.direction = QStringLiteral("DESC");
                s->orderBy.push_back(std::move(o));
            } while (acceptOp(","));
        }
        if (acceptWord("LIMIT")) {
            s->limit = expr();
            if (acceptWord("OFFSET") || acceptOp(","))
                s->offset = expr();
        }
        return s;
    }
    QString aliasName() {
        if (peek().kind == Token::String) {
            ++m_pos;
            return peek(-1).text;
        }
        return name();
    }
    TableRef tableRef() {
        TableRef r;
        const int pos = peek().pos;
        r.table = table(name(), pos);
        if (acceptWord("AS"))
            r.alias = name();
        else if ((peek().kind == Token::Ident && !isReserved(peek())) ||
                 peek().kind == Token::QuotedIdent)
            r.alias = name();
        return r;
    }

    const QString& text() const { return m_text; }
    size_t m_pos = 0;

private:
    QString m_text;
    std::vector<Token> m_tokens;
    const SchemaLookup* m_schema;
    const TableInfo* m_single;
};

// ---------------------------------------------------------------------------------------------
// Typing and writing

QString quote(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString quoteString(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

struct Context {
    ValueType type = ValueType::Unknown;
    bool ordering = false;
};

class Writer {
public:
    explicit Writer(Rewritten& out)
        : m_out(out) {}

    void noteTable(const TableInfo* t) {
        if (!m_out.tables.contains(t->name))
            m_out.tables << t->name;
    }

    // Resolves columns and computes every node's type (bottom up).
    void type(Node* n, const Scope& scope) {
        if (!n)
            return;
        for (auto& a : n->args)
            type(a.get(), scope);
        switch (n->kind) {
        case Node::Number:
            n->type = n->text.contains(QLatin1Char('.')) ||
                              n->text.contains(QLatin1Char('e'), Qt::CaseInsensitive)
                          ? ValueType::Float
                          : ValueType::Integer;
            break;
        case Node::String:
            n->type = ValueType::Text;
            break;
        case Node::Null:
            n->type = ValueType::Null;
            break;
        case Node::Bool:
            n->type = ValueType::Boolean;
            break;
        case Node::Param:
            n->type = ValueType::Unknown;
            break;
        case Node::Column:
            resolve(n, scope);
            break;
        case Node::Unary:
            n->type = n->text == QLatin1String("NOT") ? ValueType::Boolean : n->args[0]->type;
            break;
        case Node::Binary: {
            const QString& op = n->text;
            const ValueType l = n->args[0]->type, r = n->args[1]->type;
            if (op == QLatin1String("AND") || op == QLatin1String("OR"))
                n->type = ValueType::Boolean;
            else if (op == QLatin1String("||"))
                n->type = ValueType::Text;
            else if ((op == QLatin1String("-")) && l == ValueType::Date && r == ValueType::Date)
                n->type = ValueType::Float;
            else if ((op == QLatin1String("+") || op == QLatin1String("-")) &&
                     (l == ValueType::Date || r == ValueType::Date))
                n->type = ValueType::Date;
            else if (op == QLatin1String("/") && l == ValueType::Currency &&
                     r == ValueType::Currency)
                n->type = ValueType::Float;
            else if (op == QLatin1String("/") && r == ValueType::Currency)
                n->type = ValueType::Float;
            else if (l == ValueType::Currency || r == ValueType::Currency)
                n->type = ValueType::Currency;
            else if (l == ValueType::Float || r == ValueType::Float || op == QLatin1String("/"))
                n->type = (l == ValueType::Unknown && r == ValueType::Unknown) ? ValueType::Unknown
                                                                               : ValueType::Float;
            else if (l == ValueType::Integer && r == ValueType::Integer)
                n->type = ValueType::Integer;
            else
                n->type = ValueType::Unknown;
            break;
        }
        case Node::Compare:
        case Node::IsTest:
        case Node::Like:
        case Node::Between:
        case Node::InList:
        case Node::InSelect:
        case Node::Exists:
            if (n->select)
                typeSelect(n->select.get(), &scope);
            n->type = ValueType::Boolean;
            break;
        case Node::Func: {
            const QString& f = n->text;
            if (f == QLatin1String("COUNT") || f == QLatin1String("LENGTH") ||
                f == QLatin1String("INSTR"))
                n->type = ValueType::Integer;
            else if (f == QLatin1String("SUM") || f == QLatin1String("MIN") ||
                     f == QLatin1String("MAX") || f == QLatin1String("ABS") ||
                     f == QLatin1String("AVG") || f == QLatin1String("TOTAL") ||
                     f == QLatin1String("ROUND"))
                n->type = n->args.empty() ? ValueType::Unknown : n->args[0]->type;
            else if (f == QLatin1String("COALESCE") || f == QLatin1String("IFNULL") ||
                     f == QLatin1String("NULLIF")) {
                n->type = ValueType::Unknown;
                for (auto& a : n->args)
                    if (isKnown(a->type)) {
                        n->type = a->type;
                        break;
                    }
            } else if (f == QLatin1String("UPPER") || f == QLatin1String("LOWER") ||
                       f == QLatin1String("TRIM") || f == QLatin1String("SUBSTR") ||
                       f == QLatin1String("REPLACE"))
                n->type = ValueType::Text;
            else if (f == QLatin1String("DATE"))
                n->type = ValueType::Date;
            else
                n->type = ValueType::Unknown;
            if (f == QLatin1String("AVG") && n->type == ValueType::Integer)
                n->type = ValueType::Float;
            break;
        }
        case Node::Case: {
            n->type = ValueType::Unknown;
            for (size_t i = 2; i < n->args.size(); i += 2)
                if (n->args[i] && isKnown(n->args[i]->type)) {
                    n->type = n->args[i]->type;
                    break;
                }
            if (n->type == ValueType::Unknown && n->negated && isKnown(n->args.back()->type))
                n->type = n->args.back()->type;
            break;
        }
        case Node::Cast: {
            const QString t = n->text.toUpper();
            n->type = t.contains(QLatin1String("INT")) ? ValueType::Integer
                      : t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT"))
                          ? ValueType::Text
                          : ValueType::Float;
            break;
        }
        case Node::Subquery:
            typeSelect(n->select.get(), &scope);
            n->type = n->select->items.empty() || !n->select->items[0].expr
                          ? ValueType::Unknown
                          : n->select->items[0].expr->type;
            break;
        case Node::Star:
            n->type = ValueType::Unknown;
            break;
        }
    }

    void resolve(Node* n, const Scope& scope) {
        for (const Scope* s = &scope; s; s = s->outer) {
            for (const TableRef* ref : s->tables) {
                if (!n->qualifier.isEmpty() &&
                    !n->qualifier.startsWith(QLatin1String("COLLATE ")) &&
                    n->qualifier.compare(ref->alias.isEmpty() ? ref->table->name : ref->alias,
                                         Qt::CaseInsensitive) != 0 &&
                    n->qualifier.compare(ref->table->name, Qt::CaseInsensitive) != 0)
                    continue;
                const int i = ref->table->fieldIndex(n->text);
                if (i >= 0) {
                    n->text = ref->table->fields[i].name;
                    n->type = valueTypeOf(ref->table->fields[i].type);
                    return;
                }
            }
        }
        n->type = ValueType::Unknown; // an alias of a result column, or an error SQLite reports
    }

    void typeSelect(Select* s, const Scope* outer) {
        Scope scope;
        scope.outer = outer;
        for (const TableRef& r : s->from) {
            scope.tables.push_back(&r);
            noteTable(r.table);
        }
        for (TableRef& r : s->from)
            type(r.on.get(), scope);
        for (SelectItem& item : s->items)
            type(item.expr.get(), scope);
        type(s->where.get(), scope);
        for (auto& g : s->groupBy)
            type(g.get(), scope);
        type(s->having.get(), scope);
        for (auto& o : s->orderBy)
            type(o.expr.get(), scope);
        type(s->limit.get(), scope);
        type(s->offset.get(), scope);
        if (s->unionWith)
            typeSelect(s->unionWith.get(), outer);
    }

    // Numbers meeting currency are written in ten-thousandths.
    QString number(const Node* n, const Context& ctx) {
        if (ctx.type == ValueType::Currency) {
            bool ok = false;
            const long double v = n->text.toDouble(&ok);
            if (ok)
                return QString::number(Currency::fromDouble(v).raw());
        }
        return n->text;
    }

    QString param(const Node* n, const Context& ctx) {
        m_out.paramSlots.push_back({n->text, ctx.type, ctx.ordering});
        bool known = false;
        for (const QString& p : m_out.paramNames)
            if (p.compare(n->text, Qt::CaseInsensitive) == 0)
                known = true;
        if (!known)
            m_out.paramNames << n->text;
        return QStringLiteral("?%1").arg(m_out.paramSlots.size());
    }

    // Writes an operand that meets a value of type `other`.
    QString operand(const Node* n, ValueType other, bool ordering) {
        Context ctx{other, ordering};
        if (other == ValueType::Currency && n->type != ValueType::Currency &&
            (n->type == ValueType::Integer || n->type == ValueType::Float) &&
            n->kind != Node::Number && !isLiteralTree(n))
            return QLatin1Char('(') + write(n, {}) + QLatin1String(" * 10000)");
        return write(n, ctx);
    }

    static bool isLiteralTree(const Node* n) {
        if (n->kind == Node::Number || n->kind == Node::Param)
            return true;
        if (n->kind == Node::Unary && n->text != QLatin1String("NOT"))
            return isLiteralTree(n->args[0].get());
        if (n->kind == Node::Binary &&
            (n->text == QLatin1String("+") || n->text == QLatin1String("-") ||
             n->text == QLatin1String("*") || n->text == QLatin1String("/")))
            return isLiteralTree(n->args[0].get()) && isLiteralTree(n->args[1].get());
        return false;
    }

    QString write(const Node* n, const Context& ctx) {
        switch (n->kind) {
        case Node::Number:
            return number(n, ctx);
        case Node::String:
            return quoteString(n->text);
        case Node::Null:
            return QStringLiteral("NULL");
        case Node::Bool:
            return n->text == QLatin1String("TRUE") ? QStringLiteral("1") : QStringLiteral("0");
        case Node::Param:
            return param(n, ctx);
        case Node::Column: {
            QString s;
            if (!n->qualifier.isEmpty() && !n->qualifier.startsWith(QLatin1String("COLLATE ")))
                s = quote(n->qualifier) + QLatin1Char('.');
            s += quote(n->text);
            if (n->qualifier.startsWith(QLatin1String("COLLATE ")))
                s += QLatin1Char(' ') + n->qualifier;
            return s;
        }
        case Node::Star:
            return n->qualifier.isEmpty() ? QStringLiteral("*")
                                          : quote(n->qualifier) + QStringLiteral(".*");
        case Node::Unary:
            if (n->text == QLatin1String("NOT"))
                return QLatin1String("NOT ") + write(n->args[0].get(), {});
            if (n->text == QLatin1String("()")) {
                const Node* inner = n->args[0].get();
                const QString body = write(inner, ctx);
                switch (inner->kind) {
                case Node::Compare:
                case Node::IsTest:
                case Node::Like:
                case Node::Between:
                case Node::InList:
                case Node::InSelect:
                    return body; // written in parentheses already
                default:
                    return QLatin1Char('(') + body + QLatin1Char(')');
                }
            }
            return n->text + write(n->args[0].get(), ctx);
        case Node::Binary:
            return writeBinary(n, ctx);
        case Node::Compare:
            return writeCompare(n);
        case Node::IsTest: {
            const Node* l = n->args[0].get();
            const Node* r = n->args[1].get();
            const QString a = operand(l, r->type, false);
            const QString b = operand(r, l->type, false);
            return QLatin1Char('(') + a +
                   (n->negated ? QLatin1String(" IS NOT ") : QLatin1String(" IS ")) + b +
                   QLatin1Char(')');
        }
        case Node::Like: {
            const QString subject = write(n->args[0].get(), {ValueType::Text, false});
            const QString pattern = write(n->args[1].get(), {ValueType::Text, false});
            QString s = QLatin1Char('(') + subject +
                        (n->negated ? QLatin1String(" NOT ") : QLatin1String(" ")) + n->text +
                        QLatin1Char(' ') + pattern;
            if (n->args.size() > 2)
                s += QLatin1String(" ESCAPE ") + write(n->args[2].get(), {ValueType::Text, false});
            return s + QLatin1Char(')');
        }
        case Node::Between: {
            const ValueType t = n->args[0]->type;
            const QString subject = write(n->args[0].get(), {});
            const QString low = operand(n->args[1].get(), t, true);
            const QString high = operand(n->args[2].get(), t, true);
            return QLatin1Char('(') + subject +
                   (n->negated ? QLatin1String(" NOT BETWEEN ") : QLatin1String(" BETWEEN ")) +
                   low + QLatin1String(" AND ") + high + QLatin1Char(')');
        }
        case Node::InList: {
            const ValueType t = n->args[0]->type;
            const QString subject = write(n->args[0].get(), {});
            QStringList items;
            for (size_t i = 1; i < n->args.size(); ++i)
                items << operand(n->args[i].get(), t, false);
            return QLatin1Char('(') + subject +
                   (n->negated ? QLatin1String(" NOT IN (") : QLatin1String(" IN (")) +
                   items.join(QLatin1String(", ")) + QLatin1String("))");
        }
        case Node::InSelect: {
            const QString subject = write(n->args[0].get(), {});
            return QLatin1Char('(') + subject +
                   (n->negated ? QLatin1String(" NOT IN (") : QLatin1String(" IN (")) +
                   writeSelect(n->select.get()) + QLatin1String("))");
        }
        case Node::Exists:
            return QLatin1String("EXISTS (") + writeSelect(n->select.get()) + QLatin1Char(')');
        case Node::Subquery:
            return QLatin1Char('(') + writeSelect(n->select.get()) + QLatin1Char(')');
        case Node::Cast:
            return QLatin1String("CAST(") + write(n->args[0].get(), {}) + QLatin1String(" AS ") +
                   n->text + QLatin1Char(')');
        case Node::Func:
            return writeFunc(n, ctx);
        case Node::Case: {
            QString s = QStringLiteral("CASE");
            if (n->args[0])
                s += QLatin1Char(' ') + write(n->args[0].get(), {});
            const size_t pairsEnd = n->negated ? n->args.size() - 1 : n->args.size();
            Context rctx{isKnown(n->type) ? n->type : ctx.type, false};
            for (size_t i = 1; i + 1 < pairsEnd; i += 2) {
                const QString when = n->args[0] ? operand(n->args[i].get(), n->args[0]->type, false)
                                                : write(n->args[i].get(), {});
                const QString then = operand(n->args[i + 1].get(), rctx.type, false);
                s += QLatin1String(" WHEN ") + when + QLatin1String(" THEN ") + then;
            }
            if (n->negated)
                s += QLatin1String(" ELSE ") + operand(n->args.back().get(), rctx.type, false);
            return s + QLatin1String(" END");
        }
        }
        return QString();
    }

    QString writeFunc(const Node* n, const Context& ctx) {
        const QString& f = n->text;
        QStringList args;
        if (f == QLatin1String("ROUND") && !n->args.empty() &&
            n->args[0]->type == ValueType::Currency) {
            // Rounding money to n decimals works on the amount, not on its ten-thousandths.
            const QString value = write(n->args[0].get(), {});
            const QString digits =
                n->args.size() > 1 ? write(n->args[1].get(), {}) : QStringLiteral("0");
            return QStringLiteral("CAST(ROUND(%1 / 10000.0, %2) * 10000 AS INTEGER)")
                .arg(value, digits);
        }
        const bool passesType = f == QLatin1String("SUM") || f == QLatin1String("MIN") ||
                                f == QLatin1String("MAX") || f == QLatin1String("ABS") ||
                                f == QLatin1String("AVG") || f == QLatin1String("TOTAL") ||
                                f == QLatin1String("COALESCE") || f == QLatin1String("IFNULL") ||
                                f == QLatin1String("NULLIF");
        const ValueType t = isKnown(n->type) ? n->type : ctx.type;
        for (const auto& a : n->args)
            args << (passesType ? operand(a.get(), t, false) : write(a.get(), {}));
        return f + QLatin1Char('(') + (n->distinct ? QLatin1String("DISTINCT ") : QString()) +
               args.join(QLatin1String(", ")) + QLatin1Char(')');
    }

    // Operands are written strictly left to right so that ?N numbers follow the text.
    QString writeBinary(const Node* n, const Context& ctx) {
        const QString& op = n->text;
        const Node* l = n->args[0].get();
        const Node* r = n->args[1].get();
        const ValueType lt = l->type, rt = r->type;
        QString a, b;
        if (op == QLatin1String("AND") || op == QLatin1String("OR") || op == QLatin1String("||")) {
            a = write(l, {});
            b = write(r, {});
            return a + QLatin1Char(' ') + op + QLatin1Char(' ') + b;
        }
        if (op == QLatin1String("-") && lt == ValueType::Date && rt == ValueType::Date) {
            a = write(l, {});
            b = write(r, {});
            return QStringLiteral("(julianday(%1) - julianday(%2))").arg(a, b);
        }
        if ((op == QLatin1String("+") || op == QLatin1String("-")) && lt == ValueType::Date) {
            a = write(l, {});
            b = write(r, {});
            return QStringLiteral("date(%1, printf('%+d days', %3(%2)))")
                .arg(a, b, op == QLatin1String("-") ? QStringLiteral("-") : QString());
        }
        if (op == QLatin1String("+") && rt == ValueType::Date) {
            a = write(l, {});
            b = write(r, {});
            return QStringLiteral("date(%2, printf('%+d days', %1))").arg(a, b);
        }
        if (op == QLatin1String("+") || op == QLatin1String("-") || op == QLatin1String("%")) {
            if (lt == ValueType::Currency || rt == ValueType::Currency) {
                a = operand(l, ValueType::Currency, false);
                b = operand(r, ValueType::Currency, false);
            } else {
                a = write(l, ctx);
                b = write(r, ctx);
            }
            return a + QLatin1Char(' ') + op + QLatin1Char(' ') + b;
        }
        if (op == QLatin1String("*")) {
            const bool scaled = lt == ValueType::Currency || rt == ValueType::Currency;
            // Only one factor carries the scale of a currency context.
            a = write(l, scaled ? Context{} : ctx);
            b = write(r, {});
            if (lt == ValueType::Currency && rt == ValueType::Currency)
                return QStringLiteral("(%1 * %2 / 10000.0)").arg(a, b);
            return a + QLatin1String(" * ") + b;
        }
        if (op == QLatin1String("/")) {
            const bool scaled = lt == ValueType::Currency || rt == ValueType::Currency;
            a = write(l, scaled ? Context{} : ctx);
            b = write(r, {});
            if (rt == ValueType::Currency && lt != ValueType::Currency)
                return QStringLiteral("(%1 * 10000.0 / %2)").arg(a, b);
            return QStringLiteral("(CAST(%1 AS REAL) / %2)").arg(a, b);
        }
        a = write(l, ctx);
        b = write(r, ctx);
        return a + QLatin1Char(' ') + op + QLatin1Char(' ') + b;
    }

    QString writeCompare(const Node* n) {
        const QString& op = n->text;
        const Node* l = n->args[0].get();
        const Node* r = n->args[1].get();
        const bool equality = op == QLatin1String("=") || op == QLatin1String("<>");
        if (equality && (l->kind == Node::Null || r->kind == Node::Null)) {
            const Node* x = l->kind == Node::Null ? r : l;
            return QLatin1Char('(') + write(x, {}) +
                   (op == QLatin1String("=") ? QLatin1String(" IS NULL)")
                                             : QLatin1String(" IS NOT NULL)"));
        }
        const QString left = operand(l, r->type, !equality);
        const QString right = operand(r, l->type, !equality);
        if (equality && (l->kind == Node::Param || r->kind == Node::Param))
            return QLatin1Char('(') + left +
                   (op == QLatin1String("=") ? QLatin1String(" IS ") : QLatin1String(" IS NOT ")) +
                   right + QLatin1Char(')');
        return QLatin1Char('(') + left + QLatin1Char(' ') + op + QLatin1Char(' ') + right +
               QLatin1Char(')');
    }

    QString writeSelect(const Select* s) {
        QString out = QStringLiteral("SELECT ");
        if (s->distinct)
            out += QLatin1String("DISTINCT ");
        QStringList items;
        for (const SelectItem& item : s->items) {
            if (item.star) {
                items << (item.starOf.isEmpty() ? QStringLiteral("*")
                                                : quote(item.starOf) + QStringLiteral(".*"));
                continue;
            }
            QString e = write(item.expr.get(), {});
            const QString alias = !item.alias.isEmpty()             ? item.alias
                                  : item.expr->kind == Node::Column ? QString()
                                                                    : item.source;
            if (!alias.isEmpty())
                e += QLatin1String(" AS ") + quote(alias);
            items << e;
        }
        out += items.join(QLatin1String(", "));
        if (!s->from.empty()) {
            out += QLatin1String(" FROM ");
            for (const TableRef& r : s->from) {
                if (!r.joinKind.isEmpty())
                    out += r.joinKind == QLatin1String(",")
                               ? QStringLiteral(", ")
                               : QLatin1Char(' ') + r.joinKind + QLatin1Char(' ');
                out += quote(r.table->name);
                if (!r.alias.isEmpty())
                    out += QLatin1String(" AS ") + quote(r.alias);
                if (r.on)
                    out += QLatin1String(" ON ") + write(r.on.get(), {});
            }
        }
        if (s->where)
            out += QLatin1String(" WHERE ") + write(s->where.get(), {});
        if (!s->groupBy.empty()) {
            QStringList g;
            for (const auto& e : s->groupBy)
                g << write(e.get(), {});
            out += QLatin1String(" GROUP BY ") + g.join(QLatin1String(", "));
        }
        if (s->having)
            out += QLatin1String(" HAVING ") + write(s->having.get(), {});
        if (s->unionWith)
            out += QLatin1Char(' ') + s->unionKind + QLatin1Char(' ') +
                   writeSelect(s->unionWith.get());
        if (!s->orderBy.empty()) {
            QStringList o;
            for (const OrderItem& item : s->orderBy)
                o << write(item.expr.get(), {}) +
                         (item.direction.isEmpty() ? QString() : QLatin1Char(' ') + item.direction);
            out += QLatin1String(" ORDER BY ") + o.join(QLatin1String(", "));
        }
        if (s->limit) {
            out += QLatin1String(" LIMIT ") + write(s->limit.get(), {ValueType::Integer, false});
            if (s->offset)
                out +=
                    QLatin1String(" OFFSET ") + write(s->offset.get(), {ValueType::Integer, false});
        }
        return out;
    }

    void columnTypes(const Select* s) {
        for (const SelectItem& item : s->items) {
            if (!item.star) {
                m_out.columnTypes.push_back(item.expr->type);
                continue;
            }
            for (const TableRef& r : s->from) {
                if (!item.starOf.isEmpty() &&
                    item.starOf.compare(r.alias.isEmpty() ? r.table->name : r.alias,
                                        Qt::CaseInsensitive) != 0 &&
                    item.starOf.compare(r.table->name, Qt::CaseInsensitive) != 0)
                    continue;
                for (const FieldInfo& f : r.table->fields)
                    m_out.columnTypes.push_back(valueTypeOf(f.type));
            }
        }
    }

private:
    Rewritten& m_out;
};

} // namespace

namespace {

// The table an INSERT, UPDATE or DELETE writes.
TableRef targetTable(Parser& p, Writer& w, Rewritten& out) {
    TableRef ref;
    const int pos = p.peek().pos;
    ref.table = p.table(p.name(), pos);
    out.targetTable = ref.table->name;
    w.noteTable(ref.table);
    return ref;
}

// An optional WHERE clause, typed against the one table written.
QString whereClause(Parser& p, Writer& w, const TableRef& ref) {
    if (!p.acceptWord("WHERE")) {
        p.expectEnd();
        return QString();
    }
    NodePtr where = p.expr();
    p.expectEnd();
    Scope scope;
    scope.tables.push_back(&ref);
    w.type(where.get(), scope);
    return QLatin1String(" WHERE ") + w.write(where.get(), {});
}

} // namespace

Rewritten rewrite(const QString& text, const SchemaLookup& schema) {
    Parser p(text, &schema, nullptr);
    Rewritten out;
    Writer w(out);
    if (p.atWord("SELECT")) {
        out.kind = Rewritten::Select;
        auto s = p.selectStmt();
        p.expectEnd();
        w.typeSelect(s.get(), nullptr);
        out.sql = w.writeSelect(s.get());
        w.columnTypes(s.get());
        return out;
    }
    if (p.acceptWord("UPDATE")) {
        out.kind = Rewritten::Update;
        TableRef ref = targetTable(p, w, out);
        Scope scope;
        scope.tables.push_back(&ref);
        p.expectWord("SET");
        QStringList assigns;
        do {
            const int fpos = p.peek().pos;
            const QString col = p.name();
            const int f = ref.table->fieldIndex(col);
            if (f < 0)
                throw EngineError(FieldNotFound,
                                  QStringLiteral("Field %1 not found in table %2 (position %3)")
                                      .arg(col, ref.table->name)
                                      .arg(fpos + 1));
            p.expectOp("=");
            NodePtr value = p.expr();
            w.type(value.get(), scope);
            const FieldInfo& field = ref.table->fields[f];
            assigns << quote(field.name) + QLatin1String(" = ") +
                           w.operand(value.get(), valueTypeOf(field.type), false);
        } while (p.acceptOp(","));
        out.sql = QLatin1String("UPDATE ") + quote(ref.table->name) + QLatin1String(" SET ") +
                  assigns.join(QLatin1String(", ")) + whereClause(p, w, ref);
        return out;
    }
    if (p.acceptWord("DELETE")) {
        out.kind = Rewritten::Delete;
        p.expectWord("FROM");
        const TableRef ref = targetTable(p, w, out);
        out.sql = QLatin1String("DELETE FROM ") + quote(ref.table->name) + whereClause(p, w, ref);
        return out;
    }
    if (p.acceptWord("INSERT")) {
        out.kind = Rewritten::Insert;
        p.expectWord("INTO");
        const TableRef ref = targetTable(p, w, out);
        std::vector<int> cols;
        if (p.acceptOp("(")) {
            do {
                const QString col = p.name();
                const int f = ref.table->fieldIndex(col);
                if (f < 0)
                    throw EngineError(
                        FieldNotFound,
                        QStringLiteral("Field %1 not found in table %2").arg(col, ref.table->name));
                cols.push_back(f);
            } while (p.acceptOp(","));
            p.expectOp(")");
        } else {
            for (size_t i = 0; i < ref.table->fields.size(); ++i)
                cols.push_back(static_cast<int>(i));
        }
        QStringList names;
        for (int c : cols)
            names << quote(ref.table->fields[c].name);
        out.sql = QLatin1String("INSERT INTO ") + quote(ref.table->name) + QLatin1String(" (") +
                  names.join(QLatin1String(", ")) + QLatin1String(") ");
        Scope scope;
        if (p.atWord("SELECT")) {
            auto s = p.selectStmt();
            p.expectEnd();
            w.typeSelect(s.get(), nullptr);
            out.sql += w.writeSelect(s.get());
            return out;
        }
        p.expectWord("VALUES");
        QStringList rows;
        do {
            p.expectOp("(");
            QStringList values;
            size_t i = 0;
            do {
                NodePtr v = p.expr();
                if (i >= cols.size())
                    syntaxError(QStringLiteral("more values than fields"), v->pos);
                w.type(v.get(), scope);
                values << w.operand(v.get(), valueTypeOf(ref.table->fields[cols[i]].type), false);
                ++i;
            } while (p.acceptOp(","));
            p.expectOp(")");
            if (i != cols.size())
                syntaxError(QStringLiteral("fewer values than fields"), p.peek().pos);
            rows << QLatin1Char('(') + values.join(QLatin1String(", ")) + QLatin1Char(')');
        } while (p.acceptOp(","));
        p.expectEnd();
        out.sql += QLatin1String("VALUES ") + rows.join(QLatin1String(", "));
        return out;
    }
    syntaxError(QStringLiteral("SELECT, INSERT, UPDATE or DELETE expected"), p.peek().pos);
}

QStringList parameterNames(const QString& text) {
    QStringList names;
    for (const Token& t : tokenize(text)) {
        if (t.kind != Token::Param)
            continue;
        bool known = false;
        for (const QString& n : names)
            known = known || n.compare(t.text, Qt::CaseInsensitive) == 0;
        if (!known)
            names << t.text;
    }
    return names;
}

QString rewriteCondition(const QString& condition, const TableInfo& table) {
    class One : public SchemaLookup {
    public:
        explicit One(const TableInfo& t)
            : m_t(t) {}
        const TableInfo* findTable(const QString& name) const override {
            return name.compare(m_t.name, Qt::CaseInsensitive) == 0 ? &m_t : nullptr;
        }

    private:
        const TableInfo& m_t;
    } lookup(table);
    Parser p(condition, &lookup, &table);
    NodePtr e = p.expr();
    p.expectEnd();
    Rewritten out;
    Writer w(out);
    TableRef ref;
    ref.table = &table;
    Scope scope;
    scope.tables.push_back(&ref);
    w.type(e.get(), scope);
    return w.write(e.get(), {});
}

} // namespace db::sql
