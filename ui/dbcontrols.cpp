#include "ui/dbcontrols.h"

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "service/dates.h"
#include "ui/dialogs.h"
#include "ui/fieldlink.h"
#include "ui/keys.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTextCursor>

#include <limits>

namespace ui {

namespace {

// Escape throws away the record's unposted changes when there are any; otherwise it goes on
// to the window (which closes).
bool cancelOnEscape(FieldLink* link, QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || !link->editing())
        return false;
    link->cancel();
    event->accept();
    return true;
}

} // namespace

// ---- DBEdit ------------------------------------------------------------------------------

std::optional<NumberRule> numberRuleFor(const db::Field& field) {
    const QString name = field.FieldName();
    switch (field.DataType()) {
    case db::FieldType::Integer:
        return NumberRule::wholeNumber(name, std::numeric_limits<qint32>::min(),
                                       std::numeric_limits<qint32>::max());
    case db::FieldType::SmallInt:
        return NumberRule::wholeNumber(name, std::numeric_limits<qint16>::min(),
                                       std::numeric_limits<qint16>::max());
    case db::FieldType::AutoInc:
        return NumberRule::wholeNumber(name, 0, std::numeric_limits<qint64>::max());
    case db::FieldType::Float:
        return NumberRule::decimal(name);
    case db::FieldType::Currency:
        return NumberRule::amount(name);
    default:
        return std::nullopt;
    }
}

void writeNumber(db::Field& field, const NumberRule& rule, const NumberReading& reading) {
    if (reading.empty) {
        field.Clear();
        return;
    }
    switch (rule.kind()) {
    case NumberRule::Kind::WholeNumber:
        field.setAsInteger(reading.whole);
        break;
    case NumberRule::Kind::Decimal:
        field.setAsFloat(reading.number);
        break;
    case NumberRule::Kind::Amount:
        field.setAsCurrency(reading.amount);
        break;
    }
}

DBEdit::DBEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent)
    : QLineEdit(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
    connect(this, &QLineEdit::returnPressed, this, &DBEdit::commit);
    m_link->setRecordEditor([this] { return updateBeforePost(); });
    showField();
}

void DBEdit::setNumberRule(const NumberRule& rule) {
    m_rule = rule;
}

std::optional<NumberRule> DBEdit::numberRule() const {
    db::Field* f = m_link->field();
    if (m_rule) {
        NumberRule rule = *m_rule;
        if (rule.name().isEmpty() && f)
            rule.setName(f->FieldName());
        return rule;
    }
    return f ? numberRuleFor(*f) : std::nullopt;
}

void DBEdit::showField() {
    m_pending = false;
    m_reported.clear();
    db::Field* f = m_link->field();
    setReadOnly(!m_link->canEdit());
    if (f && f->DataType() == db::FieldType::String && f->Size() > 0)
        setMaxLength(f->Size());
    const QString text = f ? f->AsString() : QString();
    if (text != this->text())
        setText(text);
}

bool DBEdit::acceptable(const QString& text) const {
    if (const std::optional<NumberRule> rule = numberRule())
        return rule->read(text).ok;
    db::Field* f = m_link->field();
    return f && f->isValidText(text);
}

void DBEdit::onTextEdited(const QString& text) {
    m_reported.clear();
    if (!m_link->field())
        return;
    // Half-typed values ("-", "1e") are kept until the box is left; whatever the field takes
    // is written at once, so a move to another record posts it.
    if (!acceptable(text)) {
        m_pending = true;
        if (!m_link->editing())
            m_link->write([](db::Field&) {});
        return;
    }
    m_pending = false;
    if (const std::optional<NumberRule> rule = numberRule()) {
        const NumberReading reading = rule->read(text);
        m_link->write([&](db::Field& field) { writeNumber(field, *rule, reading); });
    } else {
        m_link->write([&text](db::Field& field) { field.setAsString(text); });
    }
}

bool DBEdit::commit() {
    if (!m_pending)
        return true;
    if (m_checking)
        return false;
    m_checking = true;
    const QString typed = text();
    bool ok = false;
    if (const std::optional<NumberRule> rule = numberRule()) {
        const NumberReading reading = rule->read(typed);
        if (!reading)
            ShowError(reading.message);
        else
            ok = m_link->write([&](db::Field& field) { writeNumber(field, *rule, reading); });
    } else {
        // The field's own message says why it refuses the text.
        ok = m_link->write([&typed](db::Field& field) { field.setAsString(typed); });
    }
    m_checking = false;
    if (!ok) {
        // The text stays for the user to put right; the record stays unposted meanwhile.
        m_reported = typed;
        if (isVisibleTo(window())) {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        }
        return false;
    }
    showField();
    return true;
}

bool DBEdit::updateBeforePost() {
    if (!m_pending)
        return true;
    // Leaving the box has just said why; the move that followed is stopped without saying it
    // twice.
    if (m_checking || text() == m_reported)
        return false;
    return commit();
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (leavesTheBox(event))
        commit();
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    if (cancelOnEscape(m_link, event)) {
        showField();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---- DBMemo ------------------------------------------------------------------------------

DBMemo::DBMemo(db::DataSet* dataSet, const QString& fieldName, QWidget* parent)
    : QPlainTextEdit(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading)
            return;
        const QString text = toPlainText();
        m_link->write([&text](db::Field& field) { field.setAsString(text); });
    });
    showField();
}

void DBMemo::showField() {
    db::Field* f = m_link->field();
    setReadOnly(!m_link->canEdit());
    const QString text = f ? f->AsString() : QString();
    if (text == toPlainText())
        return;
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
    if (!cancelOnEscape(m_link, event))
        QPlainTextEdit::keyPressEvent(event);
}

// ---- DBRichEdit --------------------------------------------------------------------------

DBRichEdit::DBRichEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent)
    : QTextEdit(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    setAcceptRichText(true);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (m_loading)
            return;
        const QString text = storedText();
        // A change that the stored text does not hold (the page margin) changes no record.
        if (text == m_unchanged)
            return;
        if (m_link->write([&text](db::Field& field) { field.setAsString(text); }))
            m_shown = m_unchanged = text;
    });
    showField();
}

void DBRichEdit::setStorage(Storage storage) {
    m_storage = std::move(storage);
    // Shown again in the new format.
    m_shown.clear();
    m_loading = true;
    document()->clear();
    m_loading = false;
    showField();
}

void DBRichEdit::showField() {
    db::Field* f = m_link->field();
    setReadOnly(!m_link->canEdit());
    const QString content = f ? f->AsString() : QString();
    // Loading the same text again would only move the cursor to the start.
    if (content == m_shown && !document()->isEmpty())
        return;
    m_shown = content;
    m_loading = true;
    const QString shown = m_storage.show ? m_storage.show(content) : content;
    if (Qt::mightBeRichText(shown))
        setHtml(shown);
    else
        setPlainText(shown);
    // A new cursor at the start: what is typed there takes the first character's format (the
    // cursor left by loading has none).
    setTextCursor(QTextCursor(document()));
    m_unchanged = storedText();
    m_loading = false;
}

QString DBRichEdit::storedText() const {
    return m_storage.store ? m_storage.store(*document()) : toHtml();
}

void DBRichEdit::keyPressEvent(QKeyEvent* event) {
    if (!cancelOnEscape(m_link, event))
        QTextEdit::keyPressEvent(event);
}

// ---- DBCheckBox --------------------------------------------------------------------------

DBCheckBox::DBCheckBox(db::DataSet* dataSet, const QString& fieldName, const QString& caption,
                       QWidget* parent)
    : QCheckBox(caption, parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    // Only the user's clicks write; showing a record does not.
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (!m_link->write([checked](db::Field& field) { field.setAsBoolean(checked); }))
            showField();
    });
    showField();
}

void DBCheckBox::showField() {
    db::Field* f = m_link->field();
    setEnabled(m_link->canEdit());
    const QSignalBlocker block(this);
    setChecked(f && f->AsBoolean());
}

// ---- DBComboBox --------------------------------------------------------------------------

DBComboBox::DBComboBox(db::DataSet* dataSet, const QString& fieldName,
                       const QList<QPair<QString, QString>>& captionsAndValues, QWidget* parent)
    : QComboBox(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    for (const auto& [caption, value] : captionsAndValues)
        addItem(caption, value);
    m_fixedItems = count();
    connect(this, &QComboBox::activated, this, [this](int) {
        if (m_loading)
            return;
        const QString chosen = value();
        if (!m_link->write([&chosen](db::Field& field) {
                if (chosen.isEmpty())
                    field.Clear();
                else
                    field.setAsString(chosen);
            }))
            showField();
    });
    showField();
}

QString DBComboBox::value() const {
    return currentData().toString();
}

void DBComboBox::showField() {
    db::Field* f = m_link->field();
    setEnabled(f && m_link->canEdit());
    const QSignalBlocker block(this);
    m_loading = true;
    while (count() > m_fixedItems)
        removeItem(count() - 1);
    const QString stored = f ? f->AsString() : QString();
    int index = findData(stored);
    if (index < 0) {
        addItem(stored, stored);
        index = count() - 1;
    }
    setCurrentIndex(index);
    m_loading = false;
}

// ---- DBDateEdit --------------------------------------------------------------------------

DBDateEdit::DBDateEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent)
    : QDateEdit(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    // The zero date stands for "no date" and is shown blank.
    setMinimumDate(Dates::zeroDate());
    setSpecialValueText(QStringLiteral(" "));
    setDisplayFormat(Dates::shortFormat());
    setCalendarPopup(true);
    connect(this, &QDateEdit::dateChanged, this, &DBDateEdit::onDateChanged);
    showField();
}

QDate DBDateEdit::value() const {
    return isEmptyDate() ? QDate() : date();
}

bool DBDateEdit::isEmptyDate() const {
    return date() == minimumDate();
}

void DBDateEdit::clearDate() {
    setDate(minimumDate());
}

void DBDateEdit::showField() {
    db::Field* f = m_link->field();
    setReadOnly(!m_link->canEdit());
    const QDate d = f ? Dates::normalized(f->AsDate()) : QDate();
    m_loading = true;
    setDate(d.isValid() ? d : minimumDate());
    m_loading = false;
}

void DBDateEdit::onDateChanged(const QDate& date) {
    if (m_loading)
        return;
    const bool empty = date == minimumDate();
    if (!m_link->write([&](db::Field& field) {
            if (empty)
                field.Clear();
            else
                field.setAsDate(date);
        }))
        showField();
}

void DBDateEdit::keyPressEvent(QKeyEvent* event) {
    if (cancelOnEscape(m_link, event)) {
        showField();
        return;
    }
    const bool erase = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
    if (erase && !isReadOnly() && (isEmptyDate() || lineEdit()->selectedText() == text())) {
        clearDate();
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

} // namespace ui
