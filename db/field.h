#pragma once

#include "db/schema.h"

#include "service/currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace db {

class DataSet;

// One field of a dataset's current record. Reading never fails: an empty field reads as "",
// 0, no date or false, and text that is not a number reads as 0. Writing converts to the
// field's storage; text that does not fit the field's kind throws EngineError(InvalidValue).
// Numbers and dates as text follow the default QLocale (numbers also accept "." decimals).
class Field {
public:
    Field(DataSet* owner, int index, const FieldInfo& info);

    const QString& FieldName() const { return m_info.name; }
    FieldType DataType() const { return m_info.type; }
    int Size() const { return m_info.size; }
    bool Required() const { return m_info.required; }
    int Index() const { return m_index; }
    const FieldInfo& info() const { return m_info; }

    bool IsNull() const;
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    QDate AsDate() const;         // invalid for no date
    QDateTime AsDateTime() const; // invalid for no date
    bool AsBoolean() const;
    // The stored value: null, qint64, double or QString.
    QVariant Value() const;
    // Text for a grid: currency with Service::Decimals decimals, dates as short dates.
    QString DisplayText() const;

    void setAsString(const QString& text);
    void setAsInteger(qint64 value);
    void setAsFloat(double value);
    void setAsCurrency(Currency value);
    void setAsDate(const QDate& value);
    void setAsDateTime(const QDateTime& value);
    void setAsBoolean(bool value);
    void setValue(const QVariant& value); // any QVariant, converted by its own type
    void Clear();

    // Whether setAsString(text) would be accepted.
    bool isValidText(const QString& text) const;

    // Conversions between typed values and the stored form of a field kind.
    static QVariant toStored(const FieldInfo& field, const QVariant& value);
    static QVariant storedFromText(const FieldInfo& field, const QString& text, bool* ok);
    static QString textOf(FieldType type, const QVariant& stored);
    static QString displayTextOf(FieldType type, const QVariant& stored);
    static Currency currencyOf(FieldType type, const QVariant& stored);
    static double floatOf(FieldType type, const QVariant& stored);
    static qint64 integerOf(FieldType type, const QVariant& stored);
    static QDate dateOf(FieldType type, const QVariant& stored);
    static bool booleanOf(FieldType type, const QVariant& stored);

private:
    void store(const QVariant& stored);

    DataSet* m_owner;
    int m_index;
    FieldInfo m_info;
};

} // namespace db
