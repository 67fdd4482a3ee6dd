#include "ui/numberbox.h"

#include "service/numbers.h"
#include "ui/dialogs.h"
#include "ui/keys.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <cmath>
#include <limits>

namespace ui {

namespace {

// The parts of a number as typed: sign, digits before and after the decimal separator.
struct Parts {
    bool negative = false;
    QString whole;
    QString fraction;
    bool hasSeparator = false;
};

bool isAsciiDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

std::optional<Parts> split(const QString& text, const QLocale& locale) {
    Parts p;
    int i = 0;
    const QString minus = locale.negativeSign();
    const QString plus = locale.positiveSign();
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QChar(0x2212))) {
        p.negative = true;
        i = 1;
    } else if (!minus.isEmpty() && text.startsWith(minus)) {
        p.negative = true;
        i = minus.size();
    } else if (text.startsWith(QLatin1Char('+'))) {
        i = 1;
    } else if (!plus.isEmpty() && text.startsWith(plus)) {
        i = plus.size();
    }
    const QString point = locale.decimalPoint();
    for (; i < text.size(); ++i) {
        if (isAsciiDigit(text[i])) {
            (p.hasSeparator ? p.fraction : p.whole) += text[i];
        } else if (!p.hasSeparator && text.mid(i, point.size()) == point) {
            p.hasSeparator = true;
            i += point.size() - 1;
        } else {
            return std::nullopt;
        }
    }
    if (p.whole.isEmpty() && p.fraction.isEmpty())
        return std::nullopt;
    return p;
}

// The number in the C locale's form, which converts exactly as written.
QString plainForm(const Parts& p) {
    QString s = p.negative ? QStringLiteral("-") : QString();
    s += p.whole.isEmpty() ? QStringLiteral("0") : p.whole;
    if (!p.fraction.isEmpty())
        s += QLatin1Char('.') + p.fraction;
    return s;
}

QString bound(double value, const QLocale& locale) {
    return Numbers::formatDecimal(value, locale);
}

} // namespace

NumberRule NumberRule::wholeNumber(const QString& name, qint64 min, qint64 max) {
    NumberRule r;
    r.m_kind = Kind::WholeNumber;
    r.m_name = name;
    r.m_min = static_cast<double>(min);
    r.m_max = static_cast<double>(max);
    return r;
}

NumberRule NumberRule::decimal(const QString& name, std::optional<double> min,
                               std::optional<double> max) {
    NumberRule r;
    r.m_kind = Kind::Decimal;
    r.m_name = name;
    r.m_min = min;
    r.m_max = max;
    return r;
}

NumberRule NumberRule::amount(const QString& name, std::optional<Currency> min,
                              std::optional<Currency> max) {
    NumberRule r;
    r.m_kind = Kind::Amount;
    r.m_name = name;
    if (min)
        r.m_min = min->toDouble();
    if (max)
        r.m_max = max->toDouble();
    return r;
}

NumberRule& NumberRule::allowEmpty(bool allow) {
    m_allowEmpty = allow;
    return *this;
}

NumberRule& NumberRule::setName(const QString& name) {
    m_name = name;
    return *this;
}

QString NumberRule::refusal(const QString& what, const QString& text) const {
    return QStringLiteral("%1: \"%2\" %3.").arg(m_name, text, what);
}

NumberReading NumberRule::read(const QString& input, const QLocale& locale) const {
    NumberReading r;
    const QString text = input.trimmed();
    if (text.isEmpty()) {
        r.empty = true;
        r.ok = m_allowEmpty;
        if (!r.ok)
            r.message = QStringLiteral("%1: a number is needed.").arg(m_name);
        return r;
    }
    const std::optional<Parts> parts = split(text, locale);
    const bool whole = m_kind == Kind::WholeNumber;
    if (!parts || (whole && parts->hasSeparator)) {
        r.message = refusal(whole ? QStringLiteral("is not a whole number")
                                  : QStringLiteral("is not a number"),
                            text);
        return r;
    }
    const QString plain = plainForm(*parts);
    const QString tooLarge = refusal(QStringLiteral("is too large"), text);
    switch (m_kind) {
    case Kind::WholeNumber: {
        bool ok = false;
        r.whole = plain.toLongLong(&ok);
        if (!ok) {
            r.message = tooLarge;
            return r;
        }
        r.number = static_cast<double>(r.whole);
        break;
    }
    case Kind::Decimal: {
        bool ok = false;
        r.number = QLocale::c().toDouble(plain, &ok);
        if (!ok || !std::isfinite(r.number)) {
            r.message = tooLarge;
            return r;
        }
        break;
    }
    case Kind::Amount: {
        QString fraction = parts->fraction;
        while (fraction.size() > 4 && fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        if (fraction.size() > 4) {
            r.message = refusal(QStringLiteral("has more than 4 decimals"), text);
            return r;
        }
        const std::optional<Currency> c = Currency::parse(plain, QLocale::c());
        if (!c) {
            r.message = tooLarge;
            return r;
        }
        r.amount = *c;
        r.number = c->toDouble();
        break;
    }
    }
    // Whole numbers are compared exactly where a double could round them.
    const bool belowMin =
        m_min && (whole ? r.whole < static_cast<qint64>(*m_min) : r.number < *m_min);
    const bool aboveMax =
        m_max && (whole ? r.whole > static_cast<qint64>(*m_max) : r.number > *m_max);
    if (belowMin || aboveMax) {
        if (m_min && m_max)
            r.message = QStringLiteral("%1: %2 is outside %3 to %4.")
                            .arg(m_name, text, bound(*m_min, locale), bound(*m_max, locale));
        else if (belowMin)
            r.message =
                QStringLiteral("%1: %2 is less than %3.").arg(m_name, text, bound(*m_min, locale));
        else
            r.message =
                QStringLiteral("%1: %2 is more than %3.").arg(m_name, text, bound(*m_max, locale));
        return r;
    }
    r.ok = true;
    return r;
}

void refuseInBox(QLineEdit* box, const QString& message) {
    ShowError(message);
    if (!box || !box->isVisibleTo(box->window()))
        return;
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

// ---- NumberEdit --------------------------------------------------------------------------

NumberEdit::NumberEdit(const NumberRule& rule, QWidget* parent)
    : QLineEdit(parent)
    , m_rule(rule) {}

void NumberEdit::setAcceptedText(const QString& text) {
    m_accepted = text;
    setText(text);
}

NumberReading NumberEdit::reading(const QLocale& locale) const {
    return m_rule.read(text(), locale);
}

bool NumberEdit::check() {
    if (!changed())
        return true;
    if (m_checking)
        return false;
    m_checking = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_checking};
    const NumberReading r = reading();
    const bool visible = isVisibleTo(window());
    if (!r) {
        refuseInBox(this, r.message);
    } else if (m_confirm && !m_confirm(r)) {
        if (visible) {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        }
    } else {
        m_accepted = text();
        return true;
    }
    // A box the window hides just now cannot be put right; it goes back to what it held.
    if (!visible)
        setText(m_accepted);
    return false;
}

void NumberEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (leavesTheBox(event))
        check();
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && changed() && !isReadOnly()) {
        setText(m_accepted);
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace ui
