#include "db/dberror.h"
#include "db/sqlsyntax.h"

#include <QSet>

namespace db::sql::detail {

bool Parser::acceptWord(const char* w) {
    if (!atWord(w))
        return false;
    ++m_pos;
    return true;
}

bool Parser::acceptOp(const char* op) {
    if (!atOp(op))
        return false;
    ++m_pos;
    return true;
}

QString Parser::name() {
    const Token& t = peek();
    if ((t.kind == Token::Ident && !isReserved(t)) || t.kind == Token::QuotedIdent) {
        ++m_pos;
        return t.text;
    }
    syntaxError(QStringLiteral("a name expected"), t.pos);
}

const TableInfo* Parser::table(const QString& n, int pos) {
    const TableInfo* t = m_schema ? m_schema->findTable(n) : nullptr;
    if (!t)
        throw EngineError(TableNotFound, QStringLiteral("Table %1 does not exist").arg(n));
    Q_UNUSED(pos);
    return t;
}

Parser::Nested::Nested(Parser& parser, int pos)
    : m_parser(parser) {
    if (++m_parser.m_nesting > kMaxNesting) {
        --m_parser.m_nesting;
        syntaxError(QStringLiteral("the text is nested more than %1 levels deep").arg(kMaxNesting),
                    pos);
    }
}

void Parser::checkDepth(const Node* node, const Select* select) const {
    // Walked with a list of its own instead of recursion: this is what keeps deep trees away
    // from the recursive writer.
    struct Item {
        const Node* node;
        const Select* select;
        int depth;
        int pos;
    };
    std::vector<Item> pending{{node, select, 1, node ? node->pos : 0}};
    while (!pending.empty()) {
        const Item item = pending.back();
        pending.pop_back();
        if (item.depth > kMaxDepth)
            syntaxError(QStringLiteral("the expression is more than %1 levels deep").arg(kMaxDepth),
                        item.pos);
        auto add = [&](const Node* n) {
            if (n)
                pending.push_back({n, nullptr, item.depth + 1, n->pos});
        };
        auto addSelect = [&](const Select* s) {
            if (s)
                pending.push_back({nullptr, s, item.depth + 1, item.pos});
        };
        if (item.node) {
            for (const NodePtr& arg : item.node->args)
                add(arg.get());
            addSelect(item.node->select.get());
            continue;
        }
        const Select& s = *item.select;
        for (const SelectItem& i : s.items)
            add(i.expr.get());
        for (const TableRef& r : s.from)
            add(r.on.get());
        add(s.where.get());
        for (const NodePtr& g : s.groupBy)
            add(g.get());
        add(s.having.get());
        for (const OrderItem& o : s.orderBy)
            add(o.expr.get());
        add(s.limit.get());
        add(s.offset.get());
        addSelect(s.unionWith.get());
    }
}

NodePtr Parser::expr() {
    const Nested nested(*this, peek().pos);
    NodePtr e = orExpr();
    if (m_nesting == 1)
        checkDepth(e.get(), nullptr);
    return e;
}

NodePtr Parser::make(Node::Kind k, const QString& text, int pos) {
    auto node = std::make_unique<Node>();
    node->kind = k;
    node->text = text;
    node->pos = pos;
    return node;
}

NodePtr Parser::binary(Node::Kind k, const QString& op, NodePtr l, NodePtr r) {
    auto node = make(k, op, l->pos);
    node->args.push_back(std::move(l));
    node->args.push_back(std::move(r));
    return node;
}

NodePtr Parser::orExpr() {
    NodePtr l = andExpr();
    while (atWord("OR")) {
        ++m_pos;
        l = binary(Node::Binary, QStringLiteral("OR"), std::move(l), andExpr());
    }
    return l;
}

NodePtr Parser::andExpr() {
    NodePtr l = notExpr();
    while (atWord("AND")) {
        ++m_pos;
        l = binary(Node::Binary, QStringLiteral("AND"), std::move(l), notExpr());
    }
    return l;
}

NodePtr Parser::notExpr() {
    if (atWord("NOT")) {
        const int pos = peek().pos;
        ++m_pos;
        const Nested nested(*this, pos);
        auto node = make(Node::Unary, QStringLiteral("NOT"), pos);
        node->args.push_back(notExpr());
        return node;
    }
    return compareExpr();
}

NodePtr Parser::compareExpr() {
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
        if (atWord("NOT") &&
            (atWord("LIKE", 1) || atWord("IN", 1) || atWord("BETWEEN", 1) || atWord("GLOB", 1))) {
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

NodePtr Parser::addExpr() {
    NodePtr l = mulExpr();
    while (atOp("+") || atOp("-")) {
        const QString op = peek().text;
        ++m_pos;
        l = binary(Node::Binary, op, std::move(l), mulExpr());
    }
    return l;
}

NodePtr Parser::mulExpr() {
    NodePtr l = concatExpr();
    while (atOp("*") || atOp("/") || atOp("%")) {
        const QString op = peek().text;
        ++m_pos;
        l = binary(Node::Binary, op, std::move(l), concatExpr());
    }
    return l;
}

NodePtr Parser::concatExpr() {
    NodePtr l = unaryExpr();
    while (atOp("||")) {
        ++m_pos;
        l = binary(Node::Binary, QStringLiteral("||"), std::move(l), unaryExpr());
    }
    return l;
}

NodePtr Parser::unaryExpr() {
    if (atOp("-") || atOp("+")) {
        const Token t = peek();
        ++m_pos;
        const Nested nested(*this, t.pos);
        auto node = make(Node::Unary, t.text, t.pos);
        node->args.push_back(unaryExpr());
        return node;
    }
    NodePtr p = primary();
    if (acceptWord("COLLATE"))
        p->qualifier = QLatin1String("COLLATE ") + name(); // kept for Column only
    return p;
}

NodePtr Parser::primary() {
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
            // Words SQLite keeps for itself cannot name a function there ("TO(1)").
            static const QSet<QString> sqliteKeywords = [] {
                QSet<QString> set;
                for (const char* w : {"ADD",
                                      "ALTER",
                                      "AND",
                                      "AS",
                                      "AUTOINCREMENT",
                                      "BETWEEN",
                                      "CAST",
                                      "CHECK",
                                      "COLLATE",
                                      "COMMIT",
                                      "CONSTRAINT",
                                      "CREATE",
                                      "CROSS",
                                      "CURRENT_DATE",
                                      "CURRENT_TIME",
                                      "CURRENT_TIMESTAMP",
                                      "DEFAULT",
                                      "DEFERRABLE",
                                      "DELETE",
                                      "DROP",
                                      "ELSE",
                                      "ESCAPE",
                                      "EXCEPT",
                                      "EXISTS",
                                      "FOREIGN",
                                      "FROM",
                                      "FULL",
                                      "GROUP",
                                      "HAVING",
                                      "IN",
                                      "INDEX",
                                      "INNER",
                                      "INSERT",
                                      "INTERSECT",
                                      "INTO",
                                      "IS",
                                      "ISNULL",
                                      "JOIN",
                                      "LEFT",
                                      "LIMIT",
                                      "NATURAL",
                                      "NOTHING",
                                      "NOTNULL",
                                      "NULL",
                                      "ON",
                                      "OR",
                                      "ORDER",
                                      "OUTER",
                                      "PRIMARY",
                                      "RAISE",
                                      "REFERENCES",
                                      "RETURNING",
                                      "RIGHT",
                                      "SELECT",
                                      "SET",
                                      "TABLE",
                                      "THEN",
                                      "TO",
                                      "TRANSACTION",
                                      "UNION",
                                      "UNIQUE",
                                      "UPDATE",
                                      "USING",
                                      "VALUES",
                                      "WHEN",
                                      "WHERE",
                                      "ALL",
                                      "DISTINCT",
                                      "CASE",
                                      "NOT"})
                    set.insert(QLatin1String(w));
                return set;
            }();
            if (sqliteKeywords.contains(up))
                syntaxError(QStringLiteral("%1 is not a function").arg(t.text), t.pos);
            m_pos += 2;
            auto node = make(Node::Func, up, t.pos);
            if (acceptWord("DISTINCT"))
                node->distinct = true;
            // "*" stands only as the whole argument list (COUNT(*)); anywhere else SQLite
            // would not read it.
            if (atOp("*") && peek(1).kind == Token::Op && peek(1).text == QLatin1String(")")) {
                node->args.push_back(make(Node::Star, QStringLiteral("*"), peek().pos));
                ++m_pos;
            } else if (!atOp(")")) {
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

NodePtr Parser::columnRef() {
    const int pos = peek().pos;
    QString first = name();
    if (atOp(".")) {
        ++m_pos;
        // "t.*" stands only in a select list, which reads it itself.
        auto node = make(Node::Column, name(), pos);
        node->qualifier = first;
        return node;
    }
    return make(Node::Column, first, pos);
}

NodePtr Parser::caseExpr() {
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

std::unique_ptr<Select> Parser::selectStmt() {
    const Nested nested(*this, peek().pos);
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
        s->unionKind = acceptWord("ALL") ? QStringLiteral("UNION ALL") : QStringLiteral("UNION");
        s->unionWith = selectStmt();
        if (m_nesting == 1)
            checkDepth(nullptr, s.get());
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
    if (m_nesting == 1)
        checkDepth(nullptr, s.get());
    return s;
}

QString Parser::aliasName() {
    if (peek().kind == Token::String) {
        ++m_pos;
        return peek(-1).text;
    }
    return name();
}

TableRef Parser::tableRef() {
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

} // namespace db::sql::detail
