#include "settings/fritext.h"

#include "db/dberror.h"
#include "db/table.h"
#include "printing/designtestprint.h"
#include "service/service.h"
#include "settings/documentdata.h"
#include "settings/freetexts.h"
#include "settings/ruler.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 16;

// The toolbar's pictures, drawn so that they look the same on every desktop.
enum class Picture { AlignLeft, AlignCenter, AlignRight, Bullets, Font };

QIcon drawnIcon(Picture picture, const QPalette& palette) {
    QPixmap pixmap(kIconSize * 2, kIconSize * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette.color(QPalette::ButtonText);
    p.setPen(QPen(ink, 1.5));
    const int lengths[] = {14, 9, 14, 9, 12};
    switch (picture) {
    case Picture::AlignLeft:
    case Picture::AlignCenter:
    case Picture::AlignRight:
        for (int i = 0; i < 5; ++i) {
            const int w = lengths[i];
            const double y = 2.5 + i * 2.8;
            const double x = picture == Picture::AlignLeft    ? 1
                             : picture == Picture::AlignRight ? 15 - w
                                                              : (16 - w) / 2.0;
            p.drawLine(QPointF(x, y), QPointF(x + w, y));
        }
        break;
    case Picture::Bullets:
        for (int i = 0; i < 3; ++i) {
            const double y = 3.5 + i * 4.5;
            p.setBrush(ink);
            p.drawEllipse(QPointF(2.5, y), 1.3, 1.3);
            p.drawLine(QPointF(6, y), QPointF(15, y));
        }
        break;
    case Picture::Font: {
        QFont f = p.font();
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
        p.drawLine(QPointF(2, 15), QPointF(14, 15));
        break;
    }
    }
    return QIcon(pixmap);
}

QToolButton* toolButton(const QString& objectName, QWidget* parent, const QString& hint,
                        bool checkable) {
    auto* b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIconSize(QSize(kIconSize, kIconSize));
    return b;
}

// A style button shows its letter in its style.
QToolButton* styleButton(const QString& objectName, const QString& letter, QWidget* parent,
                         const QString& hint, bool bold, bool italic, bool underline) {
    QToolButton* b = toolButton(objectName, parent, hint, true);
    b->setText(letter);
    QFont f = b->font();
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    b->setFont(f);
    b->setFixedWidth(b->sizeHint().height() + 2);
    return b;
}

QString familyOf(const QTextCharFormat& format, const QFont& fallback) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? fallback.family() : families.first();
}

// The desktop's font in points, whatever unit the desktop gives it in.
QFont desktopFont() {
    QFont f = QApplication::font();
    if (f.pointSizeF() <= 0 && f.pixelSize() > 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const double dpi = screen ? screen->logicalDotsPerInchY() : 96;
        f.setPointSizeF(f.pixelSize() * 72.0 / dpi);
    }
    // The stored format keeps half points.
    f.setPointSizeF(std::max(1.0, std::round(f.pointSizeF() * 2) / 2));
    return f;
}

} // namespace

// ---- FreeTextEdit ---------------------------------------------------------------------------

FreeTextEdit::FreeTextEdit(db::DataSet* dataSet, QWidget* parent)
    : ui::DBRichEdit(dataSet, QLatin1String(FreeTexts::kText), parent) {
    setStorage({&FreeTexts::toStored, &FreeTexts::toShown});
    // Tab moves on, as in the other boxes; the stored format has no tab stops.
    setTabChangesFocus(true);
}

void FreeTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasHtml()) {
        // Through the stored format and back: what is pasted is what will print.
        QTextDocument pasted;
        QFont font = currentCharFormat().font();
        pasted.setDefaultFont(font.resolve(document()->defaultFont()));
        pasted.setHtml(source->html());
        textCursor().insertHtml(FreeTexts::toShown(FreeTexts::toStored(pasted)));
        ensureCursorVisible();
    } else if (source->hasText()) {
        QString text = source->text();
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        textCursor().insertText(text);
        ensureCursorVisible();
    }
}

void FreeTextEdit::paintEvent(QPaintEvent* event) {
    if (onPaint)
        onPaint();
    ui::DBRichEdit::paintEvent(event);
}

// ---- FontSizeBox ----------------------------------------------------------------------------

FontSizeBox::FontSizeBox(QWidget* parent)
    : QSpinBox(parent) {
    setRange(1, RichTextEditing::kMaxFontSize);
    setKeyboardTracking(false);
}

QValidator::State FontSizeBox::validate(QString& input, int& pos) const {
    // Anything may stand in the box while typing; leaving it checks the text.
    const QValidator::State state = QSpinBox::validate(input, pos);
    return state == QValidator::Acceptable ? state : QValidator::Intermediate;
}

void FontSizeBox::check(const std::function<void()>& leave) {
    const QString typed = lineEdit()->text();
    leave(); // the box takes the size, or goes back to the one it had
    if (std::holds_alternative<QString>(RichTextEditing::fontSizeFrom(typed)))
        emit refused(typed);
}

void FontSizeBox::focusOutEvent(QFocusEvent* event) {
    check([&] { QSpinBox::focusOutEvent(event); });
}

void FontSizeBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        check([&] { QSpinBox::keyPressEvent(event); });
    else
        QSpinBox::keyPressEvent(event);
}

// ---- TfmFriText -----------------------------------------------------------------------------

TfmFriText::TfmFriText(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmFriText"), QStringLiteral("Free text on documents"),
               kHelpContext)
    , dbFreeText(new db::Table(this)) {
    dbFreeText->setObjectName(QStringLiteral("dbFreeText"));
    connect(addMenuCommand(QStringLiteral("mnAter"), QStringLiteral("Back")), &QAction::triggered,
            this, &TfmFriText::mnAterClick);
    connect(addMenuCommand(QStringLiteral("Utskrift1"), QStringLiteral("Test print")),
            &QAction::triggered, this, &TfmFriText::Utskrift1Click);
    addHelpCommand(QStringLiteral("mnHelp"), QStringLiteral("Help"));
    try {
        FreeTexts::open(*dbFreeText, Service::DataDir);
    } catch (const db::EngineError& e) {
        // The window still opens, empty, so that the user can leave it the usual way.
        ui::ShowError(e.message());
    }
    buildControls();
    FormCreate();
}

TfmFriText::~TfmFriText() = default;

void TfmFriText::buildControls() {
    QWidget* b = body();
    auto* heading = new QLabel(QStringLiteral("Free text for invoices and statements"), b);
    heading->setObjectName(QStringLiteral("lbHeading"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.25);
    heading->setFont(headingFont);

    gdFritext = new ui::DBGrid(dbFreeText, b);
    gdFritext->setObjectName(QStringLiteral("gdFritext"));
    gdFritext->setColumns({QLatin1String(FreeTexts::kName)}, {QStringLiteral("Name")});
    gdFritext->setMinimumWidth(200);

    Memo1 = new QPlainTextEdit(b);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setPlainText(
        QStringLiteral("This text is printed at the lower part of the invoice or statement. You "
                       "can create and save as many texts as you need and \n"
                       "then select wich one you want to use at the moment.\n"
                       "Press \"Select\" and that text will be printed on the document."));
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 12);

    // Toolbar
    auto* toolbar = new QWidget(b);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    FontName = new QComboBox(toolbar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setMinimumContentsLength(18);
    FontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FontName->setToolTip(QStringLiteral("Font"));
    FontSize = new FontSizeBox(toolbar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setToolTip(QStringLiteral("Font size"));
    BoldButton = styleButton(QStringLiteral("BoldButton"), QStringLiteral("B"), toolbar,
                             QStringLiteral("Bold"), true, false, false);
    ItalicButton = styleButton(QStringLiteral("ItalicButton"), QStringLiteral("I"), toolbar,
                               QStringLiteral("Italic"), false, true, false);
    UnderlineButton = styleButton(QStringLiteral("UnderlineButton"), QStringLiteral("U"), toolbar,
                                  QStringLiteral("Underline"), false, false, true);
    ToolButton3 = toolButton(QStringLiteral("ToolButton3"), toolbar, QStringLiteral("Font"), false);
    ToolButton3->setIcon(drawnIcon(Picture::Font, palette()));
    LeftAlign = toolButton(QStringLiteral("LeftAlign"), toolbar,
                           QString::fromUtf8("V\u00E4nsterst\u00E4llt"), true);
    CenterAlign =
        toolButton(QStringLiteral("CenterAlign"), toolbar, QString::fromUtf8("Centrerat"), true);
    RightAlign = toolButton(QStringLiteral("RightAlign"), toolbar,
                            QString::fromUtf8("H\u00F6gerst\u00E4llt"), true);
    LeftAlign->setIcon(drawnIcon(Picture::AlignLeft, palette()));
    CenterAlign->setIcon(drawnIcon(Picture::AlignCenter, palette()));
    RightAlign->setIcon(drawnIcon(Picture::AlignRight, palette()));
    LeftAlign->setProperty("tag", 0);
    CenterAlign->setProperty("tag", 2);
    RightAlign->setProperty("tag", 1);
    alignGroup = new QButtonGroup(this);
    alignGroup->addButton(LeftAlign, 0);
    alignGroup->addButton(CenterAlign, 2);
    alignGroup->addButton(RightAlign, 1);
    BulletsButton =
        toolButton(QStringLiteral("BulletsButton"), toolbar, QStringLiteral("Punktlista"), true);
    BulletsButton->setIcon(drawnIcon(Picture::Bullets, palette()));
    auto* tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(2);
    tools->addWidget(FontName);
    tools->addWidget(FontSize);
    tools->addSpacing(6);
    for (QToolButton* t : {BoldButton, ItalicButton, UnderlineButton, ToolButton3})
        tools->addWidget(t);
    tools->addSpacing(6);
    for (QToolButton* t : {LeftAlign, CenterAlign, RightAlign})
        tools->addWidget(t);
    tools->addSpacing(6);
    tools->addWidget(BulletsButton);
    tools->addStretch(1);

    ruler = new Ruler(b);
    dbreText = new FreeTextEdit(dbFreeText, b);
    dbreText->setObjectName(QStringLiteral("dbreText"));
    dbreText->setMinimumSize(360, 160);
    dbreText->onPaint = [this] { SetEditRect(); };
    dbreText->viewport()->installEventFilter(this);

    btnNy = new QPushButton(QStringLiteral("New"), b);
    btnNy->setObjectName(QStringLiteral("btnNy"));
    btnRadera = new QPushButton(QStringLiteral("Delete"), b);
    btnRadera->setObjectName(QStringLiteral("btnRadera"));
    btnValj = new QPushButton(QStringLiteral("Select"), b);
    btnValj->setObjectName(QStringLiteral("btnValj"));
    Label2 = new QLabel(QStringLiteral("Text is selected"), b);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont selectedFont = Label2->font();
    selectedFont.setBold(true);
    Label2->setFont(selectedFont);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNy);
    buttons->addWidget(btnRadera);
    buttons->addWidget(btnValj);
    auto* left = new QVBoxLayout;
    left->addWidget(gdFritext, 1);
    left->addLayout(buttons);
    left->addWidget(Label2);
    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(Memo1);
    right->addWidget(toolbar);
    right->addWidget(ruler);
    right->addWidget(dbreText, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* all = new QVBoxLayout(b);
    all->addWidget(heading);
    all->addLayout(columns, 1);
    resize(900, 600);

    connect(dbreText, &QTextEdit::cursorPositionChanged, this, &TfmFriText::SelectionChange);
    connect(dbreText, &QTextEdit::selectionChanged, this, &TfmFriText::SelectionChange);
    connect(dbreText, &QTextEdit::currentCharFormatChanged, this, &TfmFriText::SelectionChange);
    connect(FontName, &QComboBox::textActivated, this, &TfmFriText::FontNameChange);
    connect(FontSize, &QSpinBox::valueChanged, this, &TfmFriText::FontSizeChange);
    connect(FontSize, &FontSizeBox::refused, this, &TfmFriText::FontSizeRefused);
    connect(BoldButton, &QToolButton::clicked, this, &TfmFriText::BoldButtonClick);
    connect(ItalicButton, &QToolButton::clicked, this, &TfmFriText::ItalicButtonClick);
    connect(UnderlineButton, &QToolButton::clicked, this, &TfmFriText::UnderlineButtonClick);
    connect(ToolButton3, &QToolButton::clicked, this, &TfmFriText::SelectFont);
    connect(alignGroup, &QButtonGroup::idClicked, this, &TfmFriText::AlignButtonClick);
    connect(BulletsButton, &QToolButton::clicked, this, &TfmFriText::BulletsButtonClick);
    for (RulerMarker* m : {ruler->FirstInd, ruler->LeftInd, ruler->RightInd}) {
        connect(m, &RulerMarker::mouseDown, this, &TfmFriText::RulerItemMouseDown);
        connect(m, &RulerMarker::mouseMove, this, &TfmFriText::RulerItemMouseMove);
    }
    connect(ruler->FirstInd, &RulerMarker::mouseUp, this, &TfmFriText::FirstIndMouseUp);
    connect(ruler->LeftInd, &RulerMarker::mouseUp, this, &TfmFriText::LeftIndMouseUp);
    connect(ruler->RightInd, &RulerMarker::mouseUp, this, &TfmFriText::RightIndMouseUp);
    connect(btnNy, &QPushButton::clicked, this, &TfmFriText::btnNyClick);
    connect(btnRadera, &QPushButton::clicked, this, &TfmFriText::btnRaderaClick);
    connect(btnValj, &QPushButton::clicked, this, &TfmFriText::btnValjClick);
    connect(dbFreeText, &db::DataSet::afterScroll, this, &TfmFriText::dbFreeTextAfterScroll);
}

void TfmFriText::FormCreate() {
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family))
            families << family;
    families.sort(Qt::CaseInsensitive);
    FontName->addItems(families);

    QString ticks;
    for (int i = 0; i < 100; ++i)
        ticks += QStringLiteral("\t|");
    ruler->setText(ticks);
    SelectionChange();

    // What text without attributes of its own is shown and stored in. (Setting it as the
    // editor's default changes no text, so the record is not touched.)
    const QFont font = desktopFont();
    dbreText->setFont(font);
    dbreText->document()->setDefaultFont(font);

    Label2->hide();
    try {
        FreeTexts::locate(*dbFreeText, Service::FriTextNamn);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    dbFreeTextAfterScroll();
    setHelpContext(kHelpContext);
    FSkipResize = true;
}

// ---- Records ------------------------------------------------------------------------------

void TfmFriText::dbFreeTextAfterScroll() {
    try {
        FreeTexts::keepEditing(*dbFreeText);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
    SetEditRect();
    SelectionChange();
}

bool TfmFriText::postRecord() {
    gdFritext->commitEditor();
    try {
        return FreeTexts::postPending(*dbFreeText);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
}

void TfmFriText::btnNyClick() {
    if (!dbFreeText->Active() || !postRecord())
        return;
    try {
        dbFreeText->Append();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    gdFritext->setFocus();
}

void TfmFriText::btnRaderaClick() {
    if (!ui::AskYesNo(QStringLiteral("Do you want to delete?")))
        return;
    try {
        FreeTexts::deleteCurrent(*dbFreeText);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmFriText::btnValjClick() {
    gdFritext->commitEditor(); // the name being typed
    Label2->show();
    QString name;
    if (dbFreeText->Active() && !dbFreeText->IsEmpty())
        name = dbFreeText->FieldByName(QLatin1String(FreeTexts::kName)).AsString();
    Service::FriTextNamn = name;
    if (fmDocumentdata && parentWidget() == fmDocumentdata)
        fmDocumentdata->showDesignAndFreeText();
}

void TfmFriText::Utskrift1Click() {
    const db::Bookmark current = dbFreeText->Active() ? dbFreeText->GetBookmark() : db::Bookmark();
    printing::TestPrintRequest request;
    request.source = printing::TestPrintRequest::Source::FreeTextEditor;
    request.owner = this;
    request.designFile = Service::DesignFile;
    // What is stored: edits not posted yet are not printed.
    request.freeTextName = FreeTexts::storedNameOfCurrent(*dbFreeText);
    request.freeText = FreeTexts::storedTextOfCurrent(*dbFreeText);
    printing::runTestPrint(request);
    // Back on the record, which stores its pending edits.
    if (!postRecord())
        return;
    try {
        if (current.valid)
            dbFreeText->GotoBookmark(current);
        else
            dbFreeTextAfterScroll();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void TfmFriText::mnAterClick() {
    close();
}

void TfmFriText::closeEvent(QCloseEvent* event) {
    // The last edit is saved whatever closes the window; one the engine refuses keeps it open.
    if (dbFreeText->Active()) {
        gdFritext->commitEditor();
        bool posted = false;
        try {
            FreeTexts::keepEditing(*dbFreeText);
            posted = FreeTexts::postPending(*dbFreeText);
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
        if (!posted) {
            event->ignore();
            return;
        }
    }
    ui::Form::closeEvent(event);
}

void TfmFriText::FormClose() {
    if (dbFreeText->Active())
        dbFreeText->Close();
}

// ---- Toolbar and ruler --------------------------------------------------------------------

void TfmFriText::SelectionChange() {
    FUpdating = true;
    const QTextCursor cursor = dbreText->textCursor();
    const QTextCharFormat format = dbreText->currentCharFormat();
    const QFont base = dbreText->document()->defaultFont();
    BoldButton->setChecked(format.hasProperty(QTextFormat::FontWeight)
                               ? format.fontWeight() >= QFont::DemiBold
                               : base.bold());
    ItalicButton->setChecked(format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic()
                                                                         : base.italic());
    UnderlineButton->setChecked(format.fontUnderline());
    BulletsButton->setChecked(RichTextEditing::hasBullets(cursor.block()));
    const double size = format.fontPointSize() > 0 ? format.fontPointSize() : base.pointSizeF();
    FontSize->setValue(int(std::lround(size)));
    FontName->setCurrentText(familyOf(format, base));
    if (QAbstractButton* align = alignGroup->button(RichTextEditing::alignmentTag(cursor.block())))
        align->setChecked(true);

    alignRuler();
    const RichTextEditing::Indents indents = RichTextEditing::indentsOf(cursor.block());
    ruler->FirstInd->setLeft(RichTextEditing::Ruler::firstIndLeft(indents));
    ruler->LeftInd->setLeft(RichTextEditing::Ruler::leftIndLeft(indents));
    ruler->RightInd->setLeft(RichTextEditing::Ruler::rightIndLeft(indents, ruler->clientWidth()));
    FUpdating = false;
}

void TfmFriText::SetEditRect() {
    // The gutter on every side; left and right are what the ruler counts on.
    if (dbreText->document()->documentMargin() != RichTextEditing::Ruler::kGutter)
        dbreText->document()->setDocumentMargin(RichTextEditing::Ruler::kGutter);
}

void TfmFriText::alignRuler() {
    const QRect area = dbreText->viewport()->geometry();
    const QPoint topLeft = dbreText->mapTo(this, area.topLeft()) - ruler->mapTo(this, QPoint());
    ruler->setClientArea(topLeft.x(), area.width());
}

void TfmFriText::applyCharFormat(const QTextCharFormat& format) {
    dbreText->mergeCurrentCharFormat(format);
}

void TfmFriText::FontNameChange(const QString& name) {
    if (FUpdating || name.trimmed().isEmpty())
        return;
    QTextCharFormat f;
    f.setFontFamilies({name.trimmed()});
    applyCharFormat(f);
}

void TfmFriText::FontSizeChange(int size) {
    if (FUpdating)
        return;
    QTextCharFormat f;
    f.setFontPointSize(size);
    applyCharFormat(f);
}

void TfmFriText::FontSizeRefused(const QString& text) {
    const auto checked = RichTextEditing::fontSizeFrom(text);
    if (const QString* message = std::get_if<QString>(&checked))
        ui::ShowError(*message);
    SelectionChange();
}

void TfmFriText::BoldButtonClick() {
    if (FUpdating)
        return;
    QTextCharFormat f;
    f.setFontWeight(BoldButton->isChecked() ? QFont::Bold : QFont::Normal);
    applyCharFormat(f);
}

void TfmFriText::ItalicButtonClick() {
    if (FUpdating)
        return;
    QTextCharFormat f;
    f.setFontItalic(ItalicButton->isChecked());
    applyCharFormat(f);
}

void TfmFriText::UnderlineButtonClick() {
    if (FUpdating)
        return;
    QTextCharFormat f;
    f.setFontUnderline(UnderlineButton->isChecked());
    applyCharFormat(f);
}

void TfmFriText::AlignButtonClick(int tag) {
    if (FUpdating)
        return;
    QTextCursor cursor = dbreText->textCursor();
    RichTextEditing::setAlignment(cursor, tag);
    SelectionChange();
}

void TfmFriText::BulletsButtonClick() {
    if (FUpdating)
        return;
    QTextCursor cursor = dbreText->textCursor();
    RichTextEditing::setBullets(cursor, BulletsButton->isChecked());
    SelectionChange();
}

void TfmFriText::SelectFont() {
    QTextCharFormat format = dbreText->currentCharFormat();
    QFont font = format.font().resolve(dbreText->document()->defaultFont());
    auto dialog = std::make_unique<QFontDialog>(font, this);
    dialog->setObjectName(QStringLiteral("FontDialog1"));
    bool chosen = false;
    QFont result;
    connect(dialog.get(), &QFontDialog::fontSelected, this, [&](const QFont& f) {
        chosen = true;
        result = f;
    });
    ui::showModal(std::move(dialog));
    if (chosen) {
        QTextCharFormat f;
        f.setFontFamilies({result.family()});
        if (result.pointSizeF() > 0)
            f.setFontPointSize(std::round(result.pointSizeF() * 2) / 2);
        f.setFontWeight(result.bold() ? QFont::Bold : QFont::Normal);
        f.setFontItalic(result.italic());
        f.setFontUnderline(result.underline());
        f.setFontStrikeOut(result.strikeOut());
        applyCharFormat(f);
    }
    SelectionChange();
    dbreText->setFocus();
}

void TfmFriText::applyIndents(const RichTextEditing::Indents& indents) {
    QTextCursor cursor = dbreText->textCursor();
    RichTextEditing::setIndents(cursor, indents);
}

void TfmFriText::RulerItemMouseDown(RulerMarker* marker, int x) {
    FDragOfs = marker->width() / 2;
    FDragging = true;
    marker->setLeft(x - FDragOfs);
}

void TfmFriText::RulerItemMouseMove(RulerMarker* marker, int x) {
    if (!FDragging)
        return;
    // A marker stays on the ruler.
    const int most = std::max(0, ruler->clientWidth() - marker->width());
    marker->setLeft(std::clamp(x - FDragOfs, 0, most));
}

void TfmFriText::releaseMarker(RulerMarker* marker) {
    using namespace RichTextEditing;
    const Indents now = indentsOf(dbreText->textCursor().block());
    Indents next = now;
    if (marker == ruler->FirstInd)
        next = Ruler::releaseFirstInd(now, marker->left(), ruler->LeftInd->left(), FDragOfs);
    else if (marker == ruler->LeftInd)
        next = Ruler::releaseLeftInd(now, marker->left(), FDragOfs);
    else
        next = Ruler::releaseRightInd(now, marker->left(), FDragOfs, ruler->clientWidth());
    applyIndents(next);
    FDragging = false;
    SelectionChange();
}

void TfmFriText::FirstIndMouseUp() {
    releaseMarker(ruler->FirstInd);
}

void TfmFriText::LeftIndMouseUp() {
    releaseMarker(ruler->LeftInd);
}

void TfmFriText::RightIndMouseUp() {
    releaseMarker(ruler->RightInd);
}

// ---- Sizes ----------------------------------------------------------------------------------

void TfmFriText::resizeEvent(QResizeEvent* event) {
    ui::Form::resizeEvent(event);
    if (FSkipResize) {
        FSkipResize = false;
        return;
    }
    SetEditRect();
    SelectionChange();
}

bool TfmFriText::eventFilter(QObject* watched, QEvent* event) {
    // The editor's text area changes width (a scroll bar comes or goes): the ruler follows.
    if (watched == dbreText->viewport() && event->type() == QEvent::Resize && !FUpdating) {
        FUpdating = true;
        alignRuler();
        FUpdating = false;
        SelectionChange();
    }
    return ui::Form::eventFilter(watched, event);
}
