#include "ui/helpwindow.h"

#include "service/service.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ui {

namespace {
QPointer<HelpWindow>& theWindow() {
    static QPointer<HelpWindow> window;
    return window;
}
} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Merovia help"));
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    contents->setObjectName(QStringLiteral("btnContents"));
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    back->setObjectName(QStringLiteral("btnBack"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(contents, &QPushButton::clicked, this, [this] {
        m_browser->setSource(
            QUrl::fromLocalFile(Service::filePath(Service::HelpDir, QStringLiteral("index.html"))));
    });
    resize(640, 520);
}

HelpWindow* HelpWindow::instance() {
    return theWindow();
}

QString HelpWindow::currentPage() const {
    return m_browser->source().toLocalFile();
}

void HelpWindow::open(const QString& path) {
    if (!theWindow()) {
        // Owned by the active window, so that it stays usable while that window is modal.
        theWindow() = new HelpWindow(QApplication::activeWindow());
    }
    theWindow()->m_browser->setSource(QUrl::fromLocalFile(path));
    theWindow()->setWindowModality(Qt::NonModal);
    theWindow()->show();
    theWindow()->raise();
    theWindow()->activateWindow();
}

} // namespace ui
