#pragma once

// The pieces of the SQL rewriter: tokens, the syntax tree, the parser that builds it and the
// writer that types it and writes it out as SQLite SQL. Not part of the layer's interface; see
// sqlrewriter.h for what the rewriting does.

#include "db/sqlrewriter.h"

#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace db::sql::detail {

// ---------------------------------------------------------------------------------------------
// Tokens

struct Token {
    enum Kind { End, Ident, QuotedIdent, String, Number, Param, Op };
    Kind kind = End;
    QString text; // identifier without quotes, string without quotes, operator, number
    int pos = 0;
};

// Throws the layer's EngineError (SqlSyntax) for a text that cannot be understood.
[[noreturn]] void syntaxError(const QString& what, int pos);
std::vector<Token> tokenize(const QString& text);
const QSet<QString>& reservedWords();

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

inline bool isKnown(ValueType t) {
    return t != ValueType::Unknown && t != ValueType::Null;
}

// ---------------------------------------------------------------------------------------------
// Parser

class Parser {
public:
    // Deeper texts are refused with an SQL error: the parser and the writer walk the text
    // recursively, at about a kilobyte of stack a level, and a text nested a few thousand
    // levels deep overflowed the stack. Nesting counts parentheses, subqueries, NOT and signs
    // while parsing; depth counts every level of the finished tree, long chains such as
    // "a + a + a" included. No text the program writes comes near either.
    static constexpr int kMaxNesting = 200;
    static constexpr int kMaxDepth = 200;

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
    bool acceptWord(const char* w);
    bool acceptOp(const char* op);
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
    QString name();
    const TableInfo* table(const QString& n, int pos);

    // --- expressions ---
    NodePtr expr();

    NodePtr make(Node::Kind k, const QString& text, int pos);
    NodePtr binary(Node::Kind k, const QString& op, NodePtr l, NodePtr r);

    NodePtr orExpr();
    NodePtr andExpr();
    NodePtr notExpr();
    NodePtr compareExpr();
    NodePtr addExpr();
    NodePtr mulExpr();
    NodePtr concatExpr();
    NodePtr unaryExpr();
    NodePtr primary();
    NodePtr columnRef();
    NodePtr caseExpr();

    // --- statements ---
    std::unique_ptr<Select> selectStmt();
    QString aliasName();
    TableRef tableRef();

    const QString& text() const { return m_text; }
    size_t m_pos = 0;

private:
    // Counts one level of nesting while it lives.
    class Nested {
    public:
        Nested(Parser& parser, int pos);
        ~Nested() { --m_parser.m_nesting; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        Parser& m_parser;
    };
    // Refuses a tree (an expression, or a statement with its subqueries) deeper than kMaxDepth.
    void checkDepth(const Node* node, const Select* select) const;

    int m_nesting = 0;
    QString m_text;
    std::vector<Token> m_tokens;
    const SchemaLookup* m_schema;
    const TableInfo* m_single;
};

// ---------------------------------------------------------------------------------------------
// Typing and writing

QString quote(const QString& name);
QString quoteString(const QString& text);

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
    void type(Node* n, const Scope& scope);

    void resolve(Node* n, const Scope& scope);

    void typeSelect(Select* s, const Scope* outer);

    // Numbers meeting currency are written in ten-thousandths.
    QString number(const Node* n, const Context& ctx);

    QString param(const Node* n, const Context& ctx);

    // Writes an operand that meets a value of type `other`.
    QString operand(const Node* n, ValueType other, bool ordering);

    static bool isLiteralTree(const Node* n);

    QString write(const Node* n, const Context& ctx);

    QString writeFunc(const Node* n, const Context& ctx);

    // Operands are written strictly left to right so that ?N numbers follow the text.
    QString writeBinary(const Node* n, const Context& ctx);

    QString writeCompare(const Node* n);

    QString writeSelect(const Select* s);

    void columnTypes(const Select* s);

private:
    Rewritten& m_out;
};

} // namespace db::sql::detail
