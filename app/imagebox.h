#pragma once

#include <QPixmap>
#include <QWidget>

// A picture stretched over the whole control. It paints the same whether the control is
// enabled or not: the main window disables its picture so that it takes no clicks, and a
// disabled label would grey it out.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

    // The program's product picture (256 x 128).
    static QPixmap productPicture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
