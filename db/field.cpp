#include "db/field.h"

#include "db/dataset.h"
#include "db/dberror.h"

#include "service/dates.h"
#include "service/service.h"

#include <QLocale>

#include <cmath>

namespace db {

namespace {

QLocale numberLocale() {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

bool isText(const QVariant& v) {
    return v.typeId() == QMetaType::QString;
}

bool parseDouble(const QString& text, double* out) {
    const QString t = text.trimmed();
    bool ok = false;
    double d = QLocale().toDouble(t, &ok);
    if (!ok)
        d = QLocale::c().toDouble(t, &ok);
    if (ok && std::isfinite(d)) {
        *out = d;
        return true;
    }
    return false;
}

bool parseInteger(const QString& text, qint64* out) {
    const QString t = text.trimmed();
    bool ok = false;
    qint64 v = QLocale().toLongLong(t, &ok);
    if (!ok)
        v = t.toLongLong(&ok);
    if (ok)
        *out = v;
    return ok;
}

std::optional<Currency> parseCurrency(const QString& text) {
    if (auto c = Currency::parse(text.trimmed()))
        return c;
    if (auto c = Currency::parse(text.trimmed(), QLocale::c()))
        return c;
    return std::nullopt;
}

qint64 roundHalfEven(double v) {
    return static_cast<qint64>(std::nearbyint(v)); // the default rounding mode is to even
}

QString floatText(double d) {
    return numberLocale().toString(d, 'g', 15);
}

QString currencyText(Currency c) {
    QString s = c.toString();
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        s.replace(QLatin1Char('.'), point);
    return s;
}

std::optional<bool> parseBoolean(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("yes") ||
        t == QLatin1String("t") || t == QLatin1String("y"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no") ||
        t == QLatin1String("f") || t == QLatin1String("n"))
        return false;
    return std::nullopt;
}

} // namespace

Field::Field(DataSet* owner, int index, const FieldInfo& info)
    : m_owner(owner)
    , m_index(index)
    , m_info(info) {}

QVariant Field::Value() const {
    return m_owner->fieldValue(m_index);
}

bool Field::IsNull() const {
    return Value().isNull();
}

QString Field::AsString() const {
    return textOf(m_info.type, Value());
}
qint64 Field::AsInteger() const {
    return integerOf(m_info.type, Value());
}
double Field::AsFloat() const {
    return floatOf(m_info.type, Value());
}
Currency Field::AsCurrency() const {
    return currencyOf(m_info.type, Value());
}
QDate Field::AsDate() const {
    return dateOf(m_info.type, Value());
}
QDateTime Field::AsDateTime() const {
    const QDate d = AsDate();
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
}
bool Field::AsBoolean() const {
    return booleanOf(m_info.type, Value());
}
QString Field::DisplayText() const {
    return displayTextOf(m_info.type, Value());
}

// --- reading ----------------------------------------------------------------------------------

QString Field::textOf(FieldType type, const QVariant& v) {
    if (v.isNull())
        return type == FieldType::Boolean ? QStringLiteral("False") : QString();
    switch (type) {
    case FieldType::Currency:
        return currencyText(currencyOf(type, v));
    case FieldType::Date:
        return Dates::toShortText(dateOf(type, v));
    case FieldType::Boolean:
        return booleanOf(type, v) ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Float:
        return floatText(floatOf(type, v));
    default:
        break;
    }
    if (v.typeId() == QMetaType::Double)
        return floatText(v.toDouble());
    return v.toString();
}

QString Field::displayTextOf(FieldType type, const QVariant& v) {
    if (type == FieldType::Currency && !v.isNull())
        return currencyOf(type, v).format(Service::Decimals);
    return textOf(type, v);
}

Currency Field::currencyOf(FieldType type, const QVariant& v) {
    if (v.isNull())
        return {};
    try {
        if (type == FieldType::Currency) {
            if (v.typeId() == QMetaType::LongLong)
                return Currency::fromRaw(v.toLongLong());
            if (v.typeId() == QMetaType::Double) // an average or a product of stored amounts
                return Currency::fromDouble(static_cast<long double>(v.toDouble()) /
                                            Currency::Scale);
        }
        if (isText(v)) {
            if (auto c = parseCurrency(v.toString()))
                return *c;
            return {};
        }
        if (v.typeId() == QMetaType::LongLong)
            return Currency::fromInt(v.toLongLong());
        return Currency::fromDouble(v.toDouble());
    } catch (const CurrencyOverflow&) {
        return {};
    }
}

double Field::floatOf(FieldType type, const QVariant& v) {
    if (v.isNull())
        return 0.0;
    if (type == FieldType::Currency && !isText(v))
        return v.toDouble() / Currency::Scale;
    if (type == FieldType::Date)
        return Dates::toSerial(QDateTime(dateOf(type, v), QTime(0, 0)));
    if (isText(v)) {
        double d = 0;
        return parseDouble(v.toString(), &d) ? d : 0.0;
    }
    return v.toDouble();
}

qint64 Field::integerOf(FieldType type, const QVariant& v) {
    if (v.isNull())
        return 0;
    if (type == FieldType::Currency && !isText(v))
        return currencyOf(type, v).roundedToUnits().raw() / Currency::Scale;
    if (type == FieldType::Date)
        return static_cast<qint64>(floatOf(type, v));
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    if (isText(v)) {
        qint64 i = 0;
        if (parseInteger(v.toString(), &i))
            return i;
        double d = 0;
        return parseDouble(v.toString(), &d) && std::fabs(d) < 9.2e18 ? roundHalfEven(d) : 0;
    }
    const double d = v.toDouble();
    return std::fabs(d) < 9.2e18 ? roundHalfEven(d) : 0;
}

QDate Field::dateOf(FieldType, const QVariant& v) {
    if (v.isNull())
        return {};
    if (isText(v)) {
        const QString t = v.toString();
        QDate d = Dates::fromIso(t);
        if (!d.isValid())
            d = Dates::fromShortText(t);
        return d;
    }
    const double serial = v.toDouble();
    if (serial == 0.0 || !std::isfinite(serial) || std::fabs(serial) > 3e6)
        return {};
    return Dates::normalized(Dates::fromSerial(serial).date());
}

bool Field::booleanOf(FieldType, const QVariant& v) {
    if (v.isNull())
        return false;
    if (isText(v))
        return parseBoolean(v.toString()).value_or(false);
    return v.toDouble() != 0.0;
}

// --- writing ----------------------------------------------------------------------------------

QVariant Field::storedFromText(const FieldInfo& f, const QString& text, bool* ok) {
    *ok = true;
    if (text.isEmpty())
        return f.type == FieldType::Boolean ? QVariant(qint64(0)) : QVariant();
    switch (f.type) {
    case FieldType::String:
        return QVariant(f.size > 0 ? text.left(f.size) : text);
    case FieldType::Memo:
        return QVariant(text);
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::AutoInc: {
        qint64 i = 0;
        if (parseInteger(text, &i))
            return QVariant(i);
        break;
    }
    case FieldType::Float: {
        double d = 0;
        if (parseDouble(text, &d))
            return QVariant(d);
        break;
    }
    case FieldType::Currency:
        if (auto c = parseCurrency(text))
            return QVariant(qint64(c->raw()));
        break;
    case FieldType::Date: {
        const QString t = text.trimmed();
        if (QDate::fromString(t, Qt::ISODate) == Dates::zeroDate() ||
            QLocale().toDate(t, Dates::shortFormat()) == Dates::zeroDate())
            return QVariant(); // the zero date is no date
        const QDate d = Dates::fromShortText(text);
        if (d.isValid())
            return QVariant(Dates::toIso(d));
        if (text.trimmed().isEmpty())
            return QVariant();
        break;
    }
    case FieldType::Boolean:
        if (auto b = parseBoolean(text))
            return QVariant(qint64(*b ? 1 : 0));
        break;
    }
    *ok = false;
    return {};
}

QVariant Field::toStored(const FieldInfo& f, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return f.type == FieldType::Boolean ? QVariant(qint64(0)) : QVariant();
    const QMetaType mt = value.metaType();
    if (mt == QMetaType::fromType<Currency>()) {
        const Currency c = value.value<Currency>();
        switch (f.type) {
        case FieldType::Currency:
            return QVariant(qint64(c.raw()));
        case FieldType::Float:
            return QVariant(c.toDouble());
        case FieldType::String:
        case FieldType::Memo:
            return QVariant(currencyText(c));
        default:
            return toStored(f, QVariant(c.toDouble()));
        }
    }
    switch (mt.id()) {
    case QMetaType::QString: {
        bool ok = false;
        const QVariant v = storedFromText(f, value.toString(), &ok);
        if (!ok)
            throw EngineError(InvalidValue,
                              QStringLiteral("'%1' is not a valid value for field \"%2\"")
                                  .arg(value.toString(), f.name));
        return v;
    }
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QDate d = mt.id() == QMetaType::QDate ? value.toDate() : value.toDateTime().date();
        if (f.type == FieldType::Date || f.type == FieldType::String || f.type == FieldType::Memo) {
            if (Dates::isNoDate(d))
                return {};
            return f.type == FieldType::Date ? QVariant(Dates::toIso(d))
                                             : QVariant(Dates::toShortText(d));
        }
        return toStored(
            f, QVariant(Dates::isNoDate(d) ? 0.0 : Dates::toSerial(QDateTime(d, QTime(0, 0)))));
    }
    case QMetaType::Bool:
        if (f.type == FieldType::String || f.type == FieldType::Memo)
            return QVariant(value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
        if (f.type == FieldType::Currency)
            return QVariant(qint64(value.toBool() ? Currency::Scale : 0));
        return QVariant(qint64(value.toBool() ? 1 : 0));
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            throw EngineError(InvalidValue,
                              QStringLiteral("Not a number for field \"%1\"").arg(f.name));
        switch (f.type) {
        case FieldType::Float:
            return QVariant(d);
        case FieldType::Currency:
            try {
                return QVariant(qint64(Currency::fromDouble(d).raw()));
            } catch (const CurrencyOverflow&) {
                throw EngineError(
                    InvalidValue,
                    QStringLiteral("%1 is too large for field \"%2\"").arg(d).arg(f.name));
            }
        case FieldType::Boolean:
            return QVariant(qint64(d != 0.0 ? 1 : 0));
        case FieldType::Date: {
            if (d == 0.0)
                return {};
            return QVariant(Dates::toIso(Dates::fromSerial(d).date()));
        }
        case FieldType::String:
        case FieldType::Memo: {
            bool ok = false;
            return storedFromText(f, floatText(d), &ok);
        }
        default:
            if (std::fabs(d) >= 9.2e18)
                throw EngineError(
                    InvalidValue,
                    QStringLiteral("%1 is too large for field \"%2\"").arg(d).arg(f.name));
            return QVariant(roundHalfEven(d));
        }
    }
    default:
        break;
    }
    bool isInt = false;
    const qint64 i = value.toLongLong(&isInt);
    if (isInt) {
        switch (f.type) {
        case FieldType::Float:
            return QVariant(static_cast<double>(i));
        case FieldType::Currency:
            try {
                return QVariant(qint64(Currency::fromInt(i).raw()));
            } catch (const CurrencyOverflow&) {
                throw EngineError(
                    InvalidValue,
                    QStringLiteral("%1 is too large for field \"%2\"").arg(i).arg(f.name));
            }
        case FieldType::Boolean:
            return QVariant(qint64(i != 0 ? 1 : 0));
        case FieldType::Date:
            return toStored(f, QVariant(static_cast<double>(i)));
        case FieldType::String:
        case FieldType::Memo: {
            bool ok = false;
            return storedFromText(f, QString::number(i), &ok);
        }
        default:
            return QVariant(i);
        }
    }
    return toStored(f, QVariant(value.toString()));
}

void Field::store(const QVariant& stored) {
    m_owner->setFieldValue(m_index, stored);
}

void Field::setAsString(const QString& text) {
    store(toStored(m_info, QVariant(text)));
}
void Field::setAsInteger(qint64 value) {
    store(toStored(m_info, QVariant(value)));
}
void Field::setAsFloat(double value) {
    store(toStored(m_info, QVariant(value)));
}
void Field::setAsCurrency(Currency value) {
    store(toStored(m_info, QVariant::fromValue(value)));
}
void Field::setAsDate(const QDate& value) {
    store(toStored(m_info, QVariant(value)));
}
void Field::setAsDateTime(const QDateTime& value) {
    store(toStored(m_info, value.isValid() ? QVariant(value.date()) : QVariant()));
}
void Field::setAsBoolean(bool value) {
    store(toStored(m_info, QVariant(value)));
}
void Field::setValue(const QVariant& value) {
    store(toStored(m_info, value));
}
void Field::Clear() {
    store(m_info.type == FieldType::Boolean ? QVariant(qint64(0)) : QVariant());
}

bool Field::isValidText(const QString& text) const {
    bool ok = false;
    storedFromText(m_info, text, &ok);
    return ok;
}

} // namespace db
