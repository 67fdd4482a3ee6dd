#include "app/internet.h"

#include "service/service.h"

#include <QLabel>
#include <QVBoxLayout>

TfmInternet10::TfmInternet10(QWidget* owner, const QString& address)
    : ui::Form(owner, QStringLiteral("TfmInternet10"), QStringLiteral("Internet connection"))
    , m_address(address) {
    addBackCommand(QStringLiteral("mnBack"), QStringLiteral("Back"));

    lbInfo = new QLabel(body());
    lbInfo->setObjectName(QStringLiteral("lbInfo"));
    lbInfo->setWordWrap(true);
    lbAddress = new QLabel(body());
    lbAddress->setObjectName(QStringLiteral("lbAddress"));
    lbAddress->setTextFormat(Qt::RichText);
    lbAddress->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(m_address.toHtmlEscaped()));
    lbAddress->setTextInteractionFlags(Qt::TextBrowserInteraction);
    // Following the link opens the page again, in case the browser window was closed.
    connect(lbAddress, &QLabel::linkActivated, this, [this] {
        m_navigated = false;
        Navigate();
    });

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(lbInfo);
    layout->addWidget(lbAddress);
    layout->addStretch(1);
    resize(480, 180);
}

void TfmInternet10::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    // Once per showing: coming back from the browser activates this window again, and that
    // must not open the page a second time.
    if (!m_navigated)
        Navigate();
}

void TfmInternet10::Navigate() {
    m_navigated = true;
    m_started = Service::ExecuteFile(m_address, QString(), QString(), 1) > 32;
    lbInfo->setText(m_started
                        ? QStringLiteral("The page has been opened in your web browser. "
                                         "Choose \"Back\" when you want to return to Merovia.")
                        : QStringLiteral("No web browser could be started on this computer. "
                                         "The address of the page is:"));
}
