#include "service/dates.h"

#include <cmath>

namespace Dates {

QDate zeroDate() {
    return QDate(1899, 12, 30);
}

bool isNoDate(const QDate& date) {
    return !date.isValid() || date == zeroDate();
}

QDate normalized(const QDate& date) {
    return isNoDate(date) ? QDate() : date;
}

QString toIso(const QDate& date) {
    return isNoDate(date) ? QString() : date.toString(Qt::ISODate);
}

QDate fromIso(const QString& text) {
    const QDate d = QDate::fromString(text.trimmed().left(10), Qt::ISODate);
    return normalized(d);
}

QString shortFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Locales that print two-digit years would make a stored date ambiguous on reading back.
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString toShortText(const QDate& date, const QLocale& locale) {
    return isNoDate(date) ? QString() : locale.toString(date, shortFormat(locale));
}

QDate fromShortText(const QString& input, const QLocale& locale) {
    const QString text = input.trimmed();
    if (text.isEmpty())
        return {};
    QDate d = locale.toDate(text, shortFormat(locale));
    if (!d.isValid())
        d = locale.toDate(text, QLocale::ShortFormat);
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    return normalized(d);
}

int wholeDaysBetween(const QDateTime& from, const QDateTime& to) {
    const qint64 ms = from.msecsTo(to);
    return static_cast<int>(ms / 86400000); // integer division truncates toward zero
}

int wholeDaysBetween(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid())
        return 0;
    return static_cast<int>(from.daysTo(to));
}

double toSerial(const QDateTime& value) {
    if (!value.isValid())
        return 0.0;
    const qint64 days = zeroDate().daysTo(value.date());
    const double frac = value.time().msecsSinceStartOfDay() / 86400000.0;
    return days + frac;
}

QDateTime fromSerial(double serial) {
    const double days = std::floor(serial);
    const QDate date = zeroDate().addDays(static_cast<qint64>(days));
    const int ms = static_cast<int>(std::llround((serial - days) * 86400000.0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(std::min(ms, 86399999)));
}

} // namespace Dates
