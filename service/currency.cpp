#include "service/currency.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace {

constexpr long double kMaxRaw = 9223372036854775807.0L;

std::int64_t checkedRound(long double scaled) {
    if (!std::isfinite(scaled))
        throw CurrencyOverflow();
    // nearbyintl rounds in the current rounding mode, which we pin to nearest-even.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyintl(scaled);
    std::fesetround(previous);
    if (r >= kMaxRaw || r < -kMaxRaw - 1.0L)
        throw CurrencyOverflow();
    return static_cast<std::int64_t>(r);
}

std::int64_t divRoundHalfEven(std::int64_t value, std::int64_t divisor) {
    std::int64_t q = value / divisor;
    std::int64_t r = value % divisor;
    const std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > divisor || (twice == divisor && (q % 2 != 0)))
        q += (value < 0) ? -1 : 1;
    return q;
}

} // namespace

Currency Currency::fromInt(std::int64_t units) {
    std::int64_t raw;
    if (__builtin_mul_overflow(units, Scale, &raw))
        throw CurrencyOverflow();
    return fromRaw(raw);
}

Currency Currency::fromDouble(long double value) {
    return fromRaw(checkedRound(value * Scale));
}

Currency Currency::roundedToUnits() const {
    return roundedTo(0);
}

Currency Currency::roundedTo(int decimals) const {
    if (decimals >= 4)
        return *this;
    std::int64_t step = Scale;
    for (int i = 0; i < decimals && i < 4; ++i)
        step /= 10;
    if (decimals < 0)
        step = Scale;
    return fromRaw(divRoundHalfEven(m_raw, step) * step);
}

Currency Currency::abs() const {
    return m_raw < 0 ? -*this : *this;
}

Currency Currency::operator+(Currency other) const {
    std::int64_t r;
    if (__builtin_add_overflow(m_raw, other.m_raw, &r))
        throw CurrencyOverflow();
    return fromRaw(r);
}

Currency Currency::operator-(Currency other) const {
    std::int64_t r;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &r))
        throw CurrencyOverflow();
    return fromRaw(r);
}

Currency Currency::operator-() const {
    if (m_raw == std::numeric_limits<std::int64_t>::min())
        throw CurrencyOverflow();
    return fromRaw(-m_raw);
}

Currency Currency::operator*(long double factor) const {
    return fromRaw(checkedRound(static_cast<long double>(m_raw) * factor));
}

QString Currency::toString() const {
    const bool negative = m_raw < 0;
    // Work on the unsigned magnitude so that the smallest value formats too.
    const std::uint64_t mag =
        negative ? std::uint64_t(0) - static_cast<std::uint64_t>(m_raw) : std::uint64_t(m_raw);
    QString text = QString::number(mag / Scale);
    std::uint64_t frac = mag % Scale;
    if (frac != 0) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        text += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString Currency::format(int decimals, bool withSymbol, const QLocale& locale) const {
    decimals = std::clamp(decimals, 0, 4);
    const Currency rounded = roundedTo(decimals);
    const bool negative = rounded.m_raw < 0;
    const std::uint64_t mag = negative
                                  ? std::uint64_t(0) - static_cast<std::uint64_t>(rounded.m_raw)
                                  : std::uint64_t(rounded.m_raw);
    // Group the whole part with the locale, then append the decimals ourselves so that no
    // digit passes through a double.
    QString whole = locale.toString(static_cast<qulonglong>(mag / Scale));
    if (decimals > 0) {
        std::uint64_t frac = mag % Scale;
        for (int i = decimals; i < 4; ++i)
            frac /= 10;
        whole += locale.decimalPoint() +
                 QString::number(frac).rightJustified(decimals, QLatin1Char('0'));
    }
    if (withSymbol) {
        // Let the locale place its symbol and sign, then swap in our exact digits.
        const QString pattern = locale.toCurrencyString(negative ? -1.0 : 1.0, QString(), 0);
        const QString one = locale.toString(1);
        const int at = pattern.indexOf(one);
        if (at >= 0) {
            QString out = pattern;
            out.replace(at, one.size(), whole);
            return out;
        }
        return (negative ? locale.negativeSign() : QString()) + locale.currencySymbol() + whole;
    }
    return negative ? locale.negativeSign() + whole : whole;
}

std::optional<Currency> Currency::parse(const QString& input, const QLocale& locale) {
    QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QString symbol = locale.currencySymbol();
    if (!symbol.isEmpty())
        text.remove(symbol);
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(locale.negativeSign()) || text.startsWith(QLatin1Char('-'))) {
        negative = true;
        text = text.mid(1).trimmed();
    } else if (text.startsWith(QLatin1Char('+'))) {
        text = text.mid(1).trimmed();
    }
    if (text.isEmpty())
        return std::nullopt;
    const QString dec = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    QString whole = text;
    QString frac;
    const int at = text.lastIndexOf(dec);
    if (at >= 0) {
        whole = text.left(at);
        frac = text.mid(at + dec.size());
    }
    // Group separators are allowed in the whole part only; a non-breaking space counts as a
    // blank, since some locales group with one and people type a plain space.
    whole.remove(group);
    if (group == QString(QChar(0x00A0)) || group == QString(QChar(0x202F)))
        whole.remove(QLatin1Char(' '));
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    std::int64_t units = 0;
    for (QChar ch : whole) {
        if (!ch.isDigit() || ch.unicode() > 127)
            return std::nullopt;
        if (__builtin_mul_overflow(units, 10, &units) ||
            __builtin_add_overflow(units, ch.unicode() - '0', &units))
            return std::nullopt;
    }
    if (frac.size() > 4) {
        // More decimals than we keep: accept trailing zeros only, never silently round.
        for (int i = 4; i < frac.size(); ++i)
            if (frac[i] != QLatin1Char('0'))
                return std::nullopt;
        frac.truncate(4);
    }
    std::int64_t fracRaw = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = 0;
        if (i < frac.size()) {
            if (!frac[i].isDigit() || frac[i].unicode() > 127)
                return std::nullopt;
            digit = frac[i].unicode() - '0';
        }
        fracRaw = fracRaw * 10 + digit;
    }
    std::int64_t raw;
    if (__builtin_mul_overflow(units, Scale, &raw) || __builtin_add_overflow(raw, fracRaw, &raw))
        return std::nullopt;
    return fromRaw(negative ? -raw : raw);
}
