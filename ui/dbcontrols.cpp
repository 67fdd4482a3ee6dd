#include "ui/dbcontrols.h"

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "service/dates.h"
#include "ui/dialogs.h"
#include "ui/fieldlink.h"

#include <QKeyEvent>
#include <QSignalBlocker>

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

DBEdit::DBEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent)
    : QLineEdit(parent)
    , m_link(new FieldLink(this, dataSet, fieldName, [this] { showField(); })) {
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
    connect(this, &QLineEdit::editingFinished, this, &DBEdit::commit);
    showField();
}

void DBEdit::showField() {
    m_pending = false;
    db::Field* f = m_link->field();
    setReadOnly(!m_link->canEdit());
    if (f && f->DataType() == db::FieldType::String && f->Size() > 0)
        setMaxLength(f->Size());
    m_shown = f ? f->Value() : QVariant();
    const QString text = f ? f->AsString() : QString();
    if (text != this->text())
        setText(text);
}

void DBEdit::onTextEdited(const QString& text) {
    db::Field* f = m_link->field();
    if (!f)
        return;
    // Half-typed values ("-", "1e") are kept until the box is left; whatever the field takes
    // is written at once, so a move to another record posts it.
    if (!f->isValidText(text)) {
        m_pending = true;
        if (!m_link->editing())
            m_link->write([](db::Field&) {});
        return;
    }
    m_pending = false;
    m_link->write([&text](db::Field& field) { field.setAsString(text); });
}

bool DBEdit::commit() {
    if (!m_pending || m_checking)
        return !m_pending;
    m_checking = true;
    const QString typed = text();
    // The field's own message says why the text is refused; the box then shows the field.
    const bool ok = m_link->write([&typed](db::Field& field) { field.setAsString(typed); });
    // Half of a refused entry (the box emptied before the letters were typed) is not kept.
    if (!ok)
        m_link->restore(m_shown);
    m_checking = false;
    showField();
    return ok;
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
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
        const QString html = toHtml();
        if (m_link->write([&html](db::Field& field) { field.setAsString(html); }))
            m_shown = html;
    });
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
    if (Qt::mightBeRichText(content))
        setHtml(content);
    else
        setPlainText(content);
    m_loading = false;
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
