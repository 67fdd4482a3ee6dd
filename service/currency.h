#pragma once

#include <QLocale>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

// Money as an exact fixed-point number: a signed 64-bit count of ten-thousandths.
// Sums are exact; every conversion from floating point rounds to the nearest ten-thousandth,
// an exact half going to the even neighbour. Anything that would leave the 64-bit range
// throws CurrencyOverflow instead of wrapping.
class CurrencyOverflow : public std::overflow_error {
public:
    CurrencyOverflow()
        : std::overflow_error("Currency value out of range") {}
};

class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(std::int64_t tenThousandths) {
        Currency c;
        c.m_raw = tenThousandths;
        return c;
    }
    static Currency fromInt(std::int64_t units);
    // Rounds to the nearest ten-thousandth, half to even.
    static Currency fromDouble(long double value);
    // Reads an amount as written by toString()/format(): "-1234.5", "1,234.50", "12 345,50 kr".
    // Returns nothing for text that is not a whole amount in that locale.
    static std::optional<Currency> parse(const QString& text, const QLocale& locale = QLocale());

    constexpr std::int64_t raw() const { return m_raw; }
    long double toLongDouble() const { return static_cast<long double>(m_raw) / Scale; }
    double toDouble() const { return static_cast<double>(toLongDouble()); }
    constexpr bool isZero() const { return m_raw == 0; }

    // Nearest whole unit, half to even: 100.50 -> 100, 101.50 -> 102, 100.51 -> 101.
    Currency roundedToUnits() const;
    // Nearest multiple of 10^-decimals, half to even (decimals 0..4).
    Currency roundedTo(int decimals) const;
    Currency abs() const;

    Currency operator+(Currency other) const;
    Currency operator-(Currency other) const;
    Currency operator-() const;
    Currency& operator+=(Currency other) { return *this = *this + other; }
    Currency& operator-=(Currency other) { return *this = *this - other; }
    // Multiplication by a plain number is carried in extended precision and rounded once.
    Currency operator*(long double factor) const;

    constexpr auto operator<=>(const Currency&) const = default;

    // Plain text with "." and up to four decimals, trailing zeros dropped ("12.5", "-3").
    QString toString() const;
    // Amount with the given decimals in the locale's number format, optionally with its
    // currency symbol ("1,234.50" / "£1,234.50").
    QString format(int decimals, bool withSymbol = false, const QLocale& locale = QLocale()) const;

private:
    std::int64_t m_raw = 0;
};
