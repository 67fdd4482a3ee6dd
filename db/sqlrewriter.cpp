#include "db/sqlrewriter.h"

#include "db/dberror.h"
#include "db/sqlsyntax.h"

namespace db::sql {

using namespace detail;

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
