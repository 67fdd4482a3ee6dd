#include "printing/tfmlanguage.h"

#include "printing/tfmqrinvlang.h"
#include "report/preview.h"
#include "report/report.h"
#include "service/service.h"
#include "ui/dialogs.h"
#include "ui/keys.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 600;
}

TfmLanguage::TfmLanguage(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmLanguage"), QStringLiteral("Language setup"),
               kHelpContext) {
    addBackCommand();
    connect(addMenuCommand(QStringLiteral("mnPrint"), QStringLiteral("Print")), &QAction::triggered,
            this, &TfmLanguage::mnPrintClick);
    addHelpCommand();

    auto* root = new QHBoxLayout(body());
    auto* left = new QVBoxLayout;
    auto* explain = new QLabel(
        QStringLiteral("You can change the texts on the printed invoices to suit your "
                       "customers. Just translate the words below to the language you want."),
        body());
    explain->setObjectName(QStringLiteral("lbExplain"));
    explain->setWordWrap(true);
    left->addWidget(explain);

    // Two columns of caption and edit field, in the order of the language file.
    auto* grid = new QGridLayout;
    const auto& texts = printing::languageTexts();
    const int half = (printing::kLanguageTextCount + 1) / 2;
    for (int i = 0; i < printing::kLanguageTextCount; ++i) {
        const printing::LanguageText& t = texts[static_cast<size_t>(i)];
        auto* caption = new QLabel(QLatin1String(t.setupCaption), body());
        caption->setObjectName(QStringLiteral("lb") + QLatin1String(t.edit + 2));
        auto* edit = new QLineEdit(body());
        edit->setObjectName(QLatin1String(t.edit));
        caption->setBuddy(edit);
        const int row = i % half;
        const int col = (i / half) * 2;
        grid->addWidget(caption, row, col);
        grid->addWidget(edit, row, col + 1);
        connect(edit, &QLineEdit::textChanged, this, &TfmLanguage::editChanged);
        ui::EnterMovesFocus::install(edit);
        m_edits << edit;
    }
    left->addLayout(grid);
    root->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    auto* listCaption = new QLabel(QStringLiteral("Current language"), body());
    listCaption->setObjectName(QStringLiteral("lbCurrent"));
    right->addWidget(listCaption);
    m_list = new QListWidget(body());
    m_list->setObjectName(QStringLiteral("ListBoxCurrent"));
    connect(m_list, &QListWidget::itemClicked, this, [this] { ListBoxCurrentClick(); });
    right->addWidget(m_list, 1);
    auto* panel = new QGroupBox(QStringLiteral("Create new translation"), body());
    panel->setObjectName(QStringLiteral("pnlCreate"));
    auto* panelLayout = new QVBoxLayout(panel);
    m_name = new QLineEdit(panel);
    m_name->setObjectName(QStringLiteral("edLanguage"));
    panelLayout->addWidget(m_name);
    auto* create = new QPushButton(QStringLiteral("Create"), panel);
    create->setObjectName(QStringLiteral("btnCreate"));
    create->setAutoDefault(false);
    connect(create, &QPushButton::clicked, this, &TfmLanguage::btnCreateClick);
    panelLayout->addWidget(create);
    right->addWidget(panel);
    root->addLayout(right, 1);

    FormCreate();
}

TfmLanguage::~TfmLanguage() = default;

void TfmLanguage::FormCreate() {
    m_file = std::make_unique<printing::LanguageFile>(Service::DataDir);
    m_current = m_file->currentLanguage();
    m_list->clear();
    m_list->addItems(m_file->languages());
    selectCurrent();
    loadTexts(m_current);
    m_modified = false;
}

QStringList TfmLanguage::editTexts() const {
    QStringList out;
    for (const QLineEdit* e : m_edits)
        out << e->text();
    return out;
}

void TfmLanguage::loadTexts(const QString& language) {
    const QStringList texts = m_file->texts(language);
    m_loading = true;
    for (int i = 0; i < m_edits.size(); ++i)
        m_edits[i]->setText(texts.value(i));
    m_loading = false;
}

void TfmLanguage::selectCurrent() {
    const QList<QListWidgetItem*> found = m_list->findItems(m_current, Qt::MatchExactly);
    if (found.isEmpty()) {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
        return;
    }
    // The first entry of that name, in list order.
    int first = m_list->count();
    for (QListWidgetItem* item : found)
        first = std::min(first, m_list->row(item));
    m_list->setCurrentRow(first);
}

void TfmLanguage::editChanged() {
    if (!m_loading)
        m_modified = true;
}

void TfmLanguage::SaveTranslations() {
    QStringList languages;
    for (int i = 0; i < m_list->count(); ++i)
        languages << m_list->item(i)->text();
    QString error;
    if (!m_file->save(m_current, languages, editTexts(), &error))
        ui::ShowError(error);
}

void TfmLanguage::ListBoxCurrentClick() {
    QListWidgetItem* clicked = m_list->currentItem();
    if (!clicked)
        return;
    const QString chosen = clicked->text();
    if (m_modified) {
        if (!ui::AskYesNo(QStringLiteral("Save changes?"))) {
            selectCurrent();
            m_modified = false;
            return;
        }
        SaveTranslations();
    }
    m_current = chosen;
    loadTexts(m_current);
    m_modified = true;
}

void TfmLanguage::btnCreateClick() {
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        ui::ShowMessage(QStringLiteral("Language must be set."));
        m_name->setFocus();
        return;
    }
    // A section name with brackets or a line break could not be read back from the file.
    if (name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')) ||
        name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) {
        ui::ShowMessage(QStringLiteral("A language name cannot hold [ or ]."));
        m_name->setFocus();
        return;
    }
    if (!m_file->exists())
        SaveTranslations();
    m_current = name;
    for (QLineEdit* e : m_edits)
        e->clear();
    m_modified = true;
    m_list->addItem(name);
    selectCurrent();
    m_edits.first()->setFocus();
}

void TfmLanguage::mnPrintClick() {
    auto list = std::make_unique<TfmqrInvLang>(this);
    list->setTranslations(m_current, editTexts());
    list->qrInvLang->setPreviewMaximized(true);
    report::previewReport(*list->qrInvLang, this);
}

void TfmLanguage::FormClose() {
    if (m_modified && ui::AskYesNo(QStringLiteral("Save the translations?")))
        SaveTranslations();
    m_modified = false;
}
