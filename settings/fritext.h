#pragma once

#include "settings/richtextediting.h"
#include "ui/dbcontrols.h"
#include "ui/form.h"

#include <QSpinBox>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class Ruler;
class RulerMarker;

namespace db {
class Table;
}

namespace ui {
class DBGrid;
}

// The free text editor's text box: the text of the current FreeText record, kept as RTF.
// Pasted or dropped text keeps only what the stored format holds, so the editor never shows
// what would not print.
class FreeTextEdit : public ui::DBRichEdit {
    Q_OBJECT
public:
    FreeTextEdit(db::DataSet* dataSet, QWidget* parent);

    // Runs on every paint (the text rectangle is set there).
    std::function<void()> onPaint;

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void paintEvent(QPaintEvent* event) override;
};

// The font size box: a whole number with up and down buttons. A size that is not a whole
// number (an emptied box) is refused with a message and the size stays as it was.
class FontSizeBox : public QSpinBox {
    Q_OBJECT
public:
    explicit FontSizeBox(QWidget* parent);

signals:
    void refused(const QString& text);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void check(const std::function<void()>& leave);
};

// "Free text on documents": a small rich-text editor over the table FreeText, one record per
// named text. "Select" makes the current text the one printed on documents
// (Service::FriTextNamn, stored as "FreeText" when the program setup closes); opened from the
// program setup, its free text box shows the choice too. The record shown is always in edit
// mode and is posted when the cursor leaves it and when the window closes.
//
// Open it with ui::execModal<TfmFriText>(owner); any window may own it.
class TfmFriText : public ui::Form {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 395;

    explicit TfmFriText(QWidget* owner);
    ~TfmFriText() override;

    db::Table* table() const { return dbFreeText; }

public slots:
    // Toolbar and ruler show the attributes of the selection (or the cursor's paragraph).
    void SelectionChange();
    // The editor's text rectangle: its client area less the gutter on the left and right.
    void SetEditRect();

    void FontNameChange(const QString& name);
    void FontSizeChange(int size);
    void FontSizeRefused(const QString& text);
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void AlignButtonClick(int tag);
    void BulletsButtonClick();
    void SelectFont();

    void RulerItemMouseDown(RulerMarker* marker, int x);
    void RulerItemMouseMove(RulerMarker* marker, int x);
    void FirstIndMouseUp();
    void LeftIndMouseUp();
    void RightIndMouseUp();

    void btnNyClick();
    void btnRaderaClick();
    void btnValjClick();
    void Utskrift1Click();
    void mnAterClick();

    // Another record became current.
    void dbFreeTextAfterScroll();

protected:
    void FormClose() override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void FormCreate();
    // Writes the record's pending edits; false (after the message) when that fails.
    bool postRecord();
    // Applies the format to the current attributes: the selection, or what is typed next.
    void applyCharFormat(const QTextCharFormat& format);
    void applyIndents(const RichTextEditing::Indents& indents);
    void releaseMarker(RulerMarker* marker);
    // The ruler's client area over the editor's text area.
    void alignRuler();

    db::Table* dbFreeText = nullptr;

    ui::DBGrid* gdFritext = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QComboBox* FontName = nullptr;
    FontSizeBox* FontSize = nullptr;
    QToolButton* BoldButton = nullptr;
    QToolButton* ItalicButton = nullptr;
    QToolButton* UnderlineButton = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* LeftAlign = nullptr;
    QToolButton* CenterAlign = nullptr;
    QToolButton* RightAlign = nullptr;
    QButtonGroup* alignGroup = nullptr;
    QToolButton* BulletsButton = nullptr;
    Ruler* ruler = nullptr;
    FreeTextEdit* dbreText = nullptr;
    QPushButton* btnNy = nullptr;
    QPushButton* btnRadera = nullptr;
    QPushButton* btnValj = nullptr;
    QLabel* Label2 = nullptr;

    bool FUpdating = false;
    bool FDragging = false;
    int FDragOfs = 0;
    bool FSkipResize = true;
};
