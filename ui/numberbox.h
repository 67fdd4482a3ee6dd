#pragma once

#include "service/currency.h"

#include <QLineEdit>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace ui {

// What a number box reads from its text: the value, or why the text is refused.
struct NumberReading {
    bool ok = false;
    bool empty = false; // the box is blank (ok only where the rule allows it)
    double number = 0;  // the value of every kind
    qint64 whole = 0;   // WholeNumber: the exact value
    Currency amount;    // Amount: the exact value
    QString message;    // why the text is refused, naming the box
    explicit operator bool() const { return ok; }
};

// What a number box may hold, and how its text is read. Text is read in the desktop's number
// format (the decimal separator of QLocale()), with an optional sign and no group separators
// or exponents, so that "1,500" is never taken for fifteen hundred where the comma is the
// decimal separator, nor the other way round. A refusal names the box and says why:
//     Interest rate: "-7,5abc" is not a number.
// The one rule every number box of the program goes by, bound to a table (ui::DBEdit) or not
// (ui::NumberEdit).
class NumberRule {
public:
    enum class Kind { WholeNumber, Decimal, Amount };

    NumberRule() = default;
    // A whole number from min to max.
    static NumberRule wholeNumber(const QString& name, qint64 min, qint64 max);
    // A decimal number, within the bounds given.
    static NumberRule decimal(const QString& name, std::optional<double> min = std::nullopt,
                              std::optional<double> max = std::nullopt);
    // Money: at most four decimals (ten-thousandths), within the bounds given.
    static NumberRule amount(const QString& name, std::optional<Currency> min = std::nullopt,
                             std::optional<Currency> max = std::nullopt);

    // Whether a blank box is accepted (as "no value"); by default it is.
    NumberRule& allowEmpty(bool allow);

    Kind kind() const { return m_kind; }
    const QString& name() const { return m_name; }
    NumberRule& setName(const QString& name);
    bool emptyAllowed() const { return m_allowEmpty; }
    std::optional<double> min() const { return m_min; }
    std::optional<double> max() const { return m_max; }

    NumberReading read(const QString& text, const QLocale& locale = QLocale()) const;

private:
    QString refusal(const QString& what, const QString& text) const;

    Kind m_kind = Kind::Decimal;
    QString m_name;
    std::optional<double> m_min, m_max;
    bool m_allowEmpty = true;
};

// Shows why a box's text was refused and puts the user back into the box, its text selected
// (a box that is hidden cannot take the focus).
void refuseInBox(QLineEdit* box, const QString& message);

// A line edit for a number that is not bound to a table (settings, dialogs). The text it was
// given by the program (setAcceptedText) or that passed check() is its accepted text. Leaving
// the box checks a changed text: one the rule refuses, or the confirmation turns down, is
// refused with its message and the box keeps the focus and the text, so that nothing typed
// is lost and nothing wrong is taken. Escape over a changed text brings the accepted text back.
// Windows call check() for every box before they store anything (when they close).
class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(const NumberRule& rule, QWidget* parent = nullptr);

    const NumberRule& rule() const { return m_rule; }
    void setRule(const NumberRule& rule) { m_rule = rule; }

    // Shows a value the program holds; it counts as accepted.
    void setAcceptedText(const QString& text);
    const QString& acceptedText() const { return m_accepted; }
    bool changed() const { return text() != m_accepted; }

    // The text as the rule reads it; nothing is shown.
    NumberReading reading(const QLocale& locale = QLocale()) const;

    // Asked once for each changed text the rule accepts (a question such as "that number was
    // used already"); false refuses the text, the question having said why.
    using Confirm = std::function<bool(const NumberReading& reading)>;
    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

    // True when the text is the accepted one or passes the rule and the confirmation (it then
    // becomes the accepted text). Otherwise false after the message, with the focus in the box;
    // a box that is hidden at the time goes back to its accepted text instead.
    bool check();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    NumberRule m_rule;
    QString m_accepted;
    Confirm m_confirm;
    bool m_checking = false;
};

} // namespace ui
