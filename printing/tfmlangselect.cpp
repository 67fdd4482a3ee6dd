#include "printing/tfmlangselect.h"

#include "printing/languages.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TfmLangSelect::TfmLangSelect(QWidget* owner)
    : ui::Form(owner, QStringLiteral("TfmLangSelect"), QStringLiteral("Select language"), 600) {
    addBackCommand();
    auto* layout = new QVBoxLayout(body());
    auto* hint = new QLabel(QStringLiteral("Select printing language by double a click"), body());
    hint->setObjectName(QStringLiteral("lbInstruction"));
    layout->addWidget(hint);
    m_list = new QListWidget(body());
    m_list->setObjectName(QStringLiteral("lbLanguages"));
    layout->addWidget(m_list, 1);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { lbLanguagesDblClick(); });

    const printing::LanguageFile file(Service::DataDir);
    m_list->addItems(file.languages());
    const QList<QListWidgetItem*> found =
        m_list->findItems(file.currentLanguage(), Qt::MatchExactly);
    if (!found.isEmpty())
        m_list->setCurrentItem(found.first());
    resize(300, 360);
}

void TfmLangSelect::lbLanguagesDblClick() {
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected())
        return;
    printing::LanguageFile file(Service::DataDir);
    QString error;
    if (!file.saveCurrentLanguage(item->text(), &error)) {
        ui::ShowError(error);
        return;
    }
    close();
}
