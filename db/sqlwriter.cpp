#include "db/dberror.h"
#include "db/sqlsyntax.h"

#include "service/currency.h"

namespace db::sql::detail {

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

void Writer::type(Node* n, const Scope& scope) {
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
        else if (op == QLatin1String("/") && l == ValueType::Currency && r == ValueType::Currency)
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

void Writer::resolve(Node* n, const Scope& scope) {
    for (const Scope* s = &scope; s; s = s->outer) {
        for (const TableRef* ref : s->tables) {
            if (!n->qualifier.isEmpty() && !n->qualifier.startsWith(QLatin1String("COLLATE ")) &&
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

void Writer::typeSelect(Select* s, const Scope* outer) {
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

QString Writer::number(const Node* n, const Context& ctx) {
    if (ctx.type != ValueType::Currency)
        return n->text;
    // The token is a number; only one out of the range of a double fails to convert.
    bool ok = false;
    const long double v = n->text.toDouble(&ok);
    try {
        if (ok)
            return QString::number(Currency::fromDouble(v).raw());
    } catch (const CurrencyOverflow&) {
    }
    throw EngineError(InvalidValue,
                      QStringLiteral("SQL error at position %1: the number %2 is too large for "
                                     "an amount of money")
                          .arg(n->pos + 1)
                          .arg(n->text));
}

QString Writer::param(const Node* n, const Context& ctx) {
    m_out.paramSlots.push_back({n->text, ctx.type, ctx.ordering});
    bool known = false;
    for (const QString& p : m_out.paramNames)
        if (p.compare(n->text, Qt::CaseInsensitive) == 0)
            known = true;
    if (!known)
        m_out.paramNames << n->text;
    return QStringLiteral("?%1").arg(m_out.paramSlots.size());
}

QString Writer::operand(const Node* n, ValueType other, bool ordering) {
    Context ctx{other, ordering};
    if (other == ValueType::Currency && n->type != ValueType::Currency &&
        (n->type == ValueType::Integer || n->type == ValueType::Float) && n->kind != Node::Number &&
        !isLiteralTree(n))
        return QLatin1Char('(') + write(n, {}) + QLatin1String(" * 10000)");
    return write(n, ctx);
}

bool Writer::isLiteralTree(const Node* n) {
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

QString Writer::write(const Node* n, const Context& ctx) {
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
        {
            // "- -5" must not become "--5", which SQLite reads as the start of a comment.
            const QString operand = write(n->args[0].get(), ctx);
            const bool fuses = operand.startsWith(u'-') || operand.startsWith(u'+');
            return n->text + (fuses ? QLatin1String(" ") : QLatin1String("")) + operand;
        }
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
               (n->negated ? QLatin1String(" NOT BETWEEN ") : QLatin1String(" BETWEEN ")) + low +
               QLatin1String(" AND ") + high + QLatin1Char(')');
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

QString Writer::writeFunc(const Node* n, const Context& ctx) {
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

QString Writer::writeBinary(const Node* n, const Context& ctx) {
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

QString Writer::writeCompare(const Node* n) {
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

QString Writer::writeSelect(const Select* s) {
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
        out += QLatin1Char(' ') + s->unionKind + QLatin1Char(' ') + writeSelect(s->unionWith.get());
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
            out += QLatin1String(" OFFSET ") + write(s->offset.get(), {ValueType::Integer, false});
    }
    return out;
}

void Writer::columnTypes(const Select* s) {
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

} // namespace db::sql::detail
