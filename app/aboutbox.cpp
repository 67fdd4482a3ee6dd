#include "app/aboutbox.h"

#include "app/imagebox.h"
#include "service/service.h"

#include <QGridLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget* owner)
    : ui::Form(owner, QStringLiteral("AboutBox"), QStringLiteral("About")) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    menuBar()->hide();

    Image1 = new ImageBox(body());
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(256, 128);
    Image1->setPicture(ImageBox::productPicture());

    Memo1 = new QPlainTextEdit(body());
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->viewport()->setAutoFillBackground(false);
    Memo1->setFixedHeight(128);
    Memo1->setPlainText(QStringLiteral("Merovia invoicing\n\n"
                                       "Mail: support@merovia.example\n"
                                       "Web: www.merovia.example"));

    Memo2 = new QPlainTextEdit(body());
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->clear();
    for (const QString& line : Service::Versions)
        Memo2->appendPlainText(line);

    OKButton = new QPushButton(QStringLiteral("OK"), body());
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QWidget::close);

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(12);
    grid->addWidget(Image1, 0, 0);
    grid->addWidget(Memo1, 0, 1);
    grid->addWidget(Memo2, 1, 0, 1, 2);
    grid->addWidget(OKButton, 2, 1, Qt::AlignRight);
    setFixedSize(520, 330);
}
