#pragma once

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace db {
class DataSet;
}

namespace ui {

class FieldLink;

// Controls bound to one field of a dataset's current record. Each shows the field as the
// cursor moves and writes what the user changes back through the field; the first change
// puts the dataset into edit mode, and the dataset posts when it moves to another record or
// the window posts it. Escape throws away the record's unposted changes. Over a dataset that
// cannot be edited (a query result) the controls are read only.

// An edit box. Text that the field refuses (a letter in a number field) is kept in the box
// while typing and refused with the field's message when the box is left.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    DBEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

    // Writes what the box holds when the field has not taken it yet (a window calls this
    // before it posts). False, after the field's message, when the field refuses it; the
    // field then gets back the value it had before the box was typed in, and the box shows it.
    bool commit();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    void onTextEdited(const QString& text);

    FieldLink* m_link;
    QVariant m_shown;        // the field's value when the box last showed it
    bool m_pending = false;  // the box holds text the field has not taken
    bool m_checking = false; // an error message is up for the pending text
};

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
// there is shown as it is and stored as rich text after the first change.
class DBRichEdit : public QTextEdit {
    Q_OBJECT
public:
    DBRichEdit(db::DataSet* dataSet, const QString& fieldName, QWidget* parent = nullptr);
    FieldLink* link() const { return m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    FieldLink* m_link;
    QString m_shown; // the field's content as last shown or written
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
