#pragma once

#include "db/schema.h"

#include <QString>
#include <QStringList>

#include <vector>

// The SQL dialect of the program, turned into SQLite SQL. Texts are tokenized and parsed into
// a small syntax tree (SELECT, INSERT, UPDATE, DELETE and filter conditions), then written out
// again with these changes:
//   - table names are matched in any letter case and written as stored;
//   - `X = NULL` becomes `X IS NULL`, `X <> NULL` becomes `X IS NOT NULL`;
//   - `X = :p` / `X <> :p` compare with IS / IS NOT, so an empty parameter finds empty fields;
//   - True/False become 1/0;
//   - numbers meeting a currency field are scaled to ten-thousandths, and each parameter learns
//     what it meets (currency, date, text...) and whether it is ordered (<, >) against it, so
//     that the binding can store the value the way the field is stored;
//   - `/` divides as real numbers, currency * currency and currency / currency keep their scale.
// The types of the result columns come out as well, so that SUM(Total) reads back as currency.
namespace db::sql {

enum class ValueType { Unknown, Null, Text, Integer, Float, Currency, Date, Boolean };

// One `?N` of the rewritten text.
struct ParamSlot {
    QString name;          // the :name it stands for, as written
    ValueType context;     // the type of what it is compared with or assigned to
    bool ordering = false; // compared with <, <=, >, >= or BETWEEN
};

struct Rewritten {
    enum Kind { Select, Insert, Update, Delete };
    Kind kind = Select;
    QString sql;
    std::vector<ParamSlot> paramSlots;
    QStringList paramNames;             // distinct names in order of first use
    std::vector<ValueType> columnTypes; // per result column; Unknown when not known
    QStringList tables;                 // every table read or written (stored names)
    QString targetTable;                // the table an INSERT, UPDATE or DELETE writes
};

class SchemaLookup {
public:
    virtual ~SchemaLookup() = default;
    // nullptr when there is no such table (letter case ignored).
    virtual const TableInfo* findTable(const QString& name) const = 0;
};

// Throws EngineError (SqlSyntax, TableNotFound) for texts it cannot take.
Rewritten rewrite(const QString& sql, const SchemaLookup& schema);
// A filter condition over one table ("Document = 'Quotation' or Document = 'Packing slip'").
// Parameters are not allowed in filters.
QString rewriteCondition(const QString& condition, const TableInfo& table);

ValueType valueTypeOf(FieldType type);
// The :name parameters of a text, distinct, in order of first use (no schema needed).
QStringList parameterNames(const QString& sql);

} // namespace db::sql
