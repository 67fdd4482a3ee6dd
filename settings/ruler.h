#pragma once

#include <QString>
#include <QWidget>

// The ruler above the free text editor: tick marks and three markers that the user drags,
// FirstInd (first-line indent, on top), LeftInd and RightInd (left and right indent, below).
// The ruler only shows and reports: its owner turns marker positions into indents. Positions
// are in the ruler's client area, which stands over the editor's text area.
class RulerMarker : public QWidget {
    Q_OBJECT
public:
    enum Kind { Down, Up };
    RulerMarker(const QString& objectName, Kind kind, QWidget* parent);

    // The marker's left edge in the ruler's client area.
    int left() const;
    void setLeft(int left);

signals:
    // The pointer's position in the ruler's client area.
    void mouseDown(RulerMarker* marker, int x);
    void mouseMove(RulerMarker* marker, int x);
    void mouseUp(RulerMarker* marker, int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int clientX(const QPointF& local) const;
    Kind m_kind;
};

class Ruler : public QWidget {
    Q_OBJECT
public:
    explicit Ruler(QWidget* parent);

    // The tick marks: a "|" at every tab stop.
    QString text() const { return m_text; }
    void setText(const QString& text);

    // Where the client area starts in the ruler and how wide it is.
    void setClientArea(int left, int width);
    int clientLeft() const { return m_clientLeft; }
    int clientWidth() const { return m_clientWidth; }

    RulerMarker* FirstInd = nullptr;
    RulerMarker* LeftInd = nullptr;
    RulerMarker* RightInd = nullptr;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    int m_clientLeft = 0;
    int m_clientWidth = 0;
};
