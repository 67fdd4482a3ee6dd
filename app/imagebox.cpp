#include "app/imagebox.h"

#include <QPainter>

ImageBox::ImageBox(QWidget* parent)
    : QWidget(parent) {}

void ImageBox::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

QPixmap ImageBox::productPicture() {
    return QPixmap(QStringLiteral(":/merovia/merovia.png"));
}

void ImageBox::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_picture);
}
