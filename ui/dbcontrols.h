#pragma once

#include "ui/numberbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <QList>
#include <QPair>

#include <functional>
#include <optional>

namespace db {
class DataSet;
class Field;
} // namespace db

namespace ui {

class FieldLink;

// Controls bound to one field of a dataset's current record. Each shows the field as the
// cursor moves and writes what the user changes back through the field; the first change
// puts the dataset into edit mode, and the dataset posts when it moves to another record or
// the window posts it. Escape throws away the record's unposted changes. Over a dataset that
// cannot be edited (a query result) the controls are read only.

// An edit box. What the field takes is written at each keystroke, so a move to another
// record posts it. Text it cannot take yet ("-", "1e", "abc") stays in the box while typing;
// when the box is left, or the record is about to be posted (a move, a new record, the
// window's Back or close), it is refused with a message naming the box. The box then keeps
// the text and the focus, and the record stays where it is, unposted, until the text is put
// right or Escape throws the record's changes away: a refused entry is never stored in part,
// and never lands in another record. A number field is read by a ui::NumberRule (by default
// the one for its type, named after the field; setNumberRule gives the box its own name and
// range).
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    DBEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

    // Reads the box by this rule instead of the field type's one.
    void setNumberRule(const NumberRule& rule);
    // The rule the box reads by, nothing for a field that does not hold a number.
    std::optional<NumberRule> numberRule() const;

    // Writes what the box holds when the field has not taken it yet (a window calls this
    // before it posts). False when it is refused: the message is shown, and the box keeps
    // the text and takes the focus.
    bool commit();
    // Whether the box holds text the field has not taken.
    bool pending() const { return m_pending; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    void onTextEdited(const QString& text);
    bool acceptable(const QString& text) const;
    bool updateBeforePost();

    FieldLink* m_link;
    std::optional<NumberRule> m_rule;
    bool m_pending = false;  // the box holds text the field has not taken
    bool m_checking = false; // an error message is up for the pending text
    QString m_reported;      // the pending text whose refusal was shown last
};

// The rule by which a box reads a number field, named after the field: whole numbers within
// the range of an integer field, money for a currency field, decimals for a float field.
// Nothing for fields that do not hold numbers.
std::optional<NumberRule> numberRuleFor(const db::Field& field);
// Writes what a rule read into the field (a blank box empties it). Throws db::EngineError as
// the field's setters do.
void writeNumber(db::Field& field, const NumberRule& rule, const NumberReading& reading);

// Several lines of plain text in a text or memo field.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    DBMemo(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    FieldLink* m_link;
    bool m_loading = false;
};

// Formatted text kept as Qt rich text (HTML) in a memo field; plain text already stored
// there is shown as it is and stored as rich text after the first change. A window may keep
// the text in another format (setStorage).
class DBRichEdit : public QTextEdit {
    Q_OBJECT
public:
    DBRichEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

    // How the text is kept in the field: store turns the document into the field's text
    // after each change, show turns the field's text into Qt rich text (or plain text) for the
    // editor. Setting it shows the field again.
    struct Storage {
        std::function<QString(const QTextDocument& document)> store;
        std::function<QString(const QString& fieldText)> show;
    };
    void setStorage(Storage storage);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    QString storedText() const;
    FieldLink* m_link;
    Storage m_storage;
    QString m_shown;     // the field's content as last shown or written
    QString m_unchanged; // the document in the stored format, as last shown or written
    bool m_loading = false;
};

// A check box over a boolean field.
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    DBCheckBox(db::DataSet* dataSet, const QString& fieldName, const QString& caption,
               QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

private:
    void showField();
    FieldLink* m_link;
};

// A choice among fixed values of a text field: each item shows its caption and stores its
// value. A stored value that is none of them is shown as an item of its own, so that opening a
// record never changes it; only the user's choice writes. A field the table lacks (an older
// file) leaves the box disabled.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    DBComboBox(db::DataSet* dataSet, const QString& fieldName,
               const QList<QPair<QString, QString>>& captionsAndValues, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }
    // The value of the item shown.
    QString value() const;

private:
    void showField();
    FieldLink* m_link;
    int m_fixedItems = 0;
    bool m_loading = false;
};

// A date picker with a calendar that also allows no date: the box is then blank, and
// Delete or Backspace over the whole date (or clearDate()) empties it.
class DBDateEdit : public QDateEdit {
    Q_OBJECT
public:
    DBDateEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

    // The date shown, invalid for no date.
    QDate value() const;
    bool isEmptyDate() const;

public slots:
    void clearDate();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    void onDateChanged(const QDate& date);
    FieldLink* m_link;
    bool m_loading = false;
};

} // namespace ui
