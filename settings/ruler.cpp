#include "settings/ruler.h"

#include "settings/richtextediting.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr int kMarkerHeight = 8;
constexpr int kTickTop = kMarkerHeight;
constexpr int kTickHeight = 10;
constexpr int kRulerHeight = kMarkerHeight * 2 + kTickHeight;
// The tick marks' tab stops: half an inch of the text.
constexpr int kTabStopPixels = 48;

const Ruler* rulerOf(const QWidget* w) {
    return qobject_cast<const Ruler*>(w->parentWidget());
}

} // namespace

RulerMarker::RulerMarker(const QString& objectName, Kind kind, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind) {
    setObjectName(objectName);
    setFixedSize(RichTextEditing::Ruler::kMarkerWidth, kMarkerHeight);
    setCursor(Qt::SizeHorCursor);
}

int RulerMarker::left() const {
    const Ruler* r = rulerOf(this);
    return x() - (r ? r->clientLeft() : 0);
}

void RulerMarker::setLeft(int left) {
    const Ruler* r = rulerOf(this);
    move(left + (r ? r->clientLeft() : 0), y());
}

int RulerMarker::clientX(const QPointF& local) const {
    return int(std::floor(local.x())) + left();
}

void RulerMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const double w = width() - 1, h = height() - 1;
    if (m_kind == Down) {
        path.moveTo(0.5, 0.5);
        path.lineTo(w + 0.5, 0.5);
        path.lineTo(w / 2 + 0.5, h + 0.5);
    } else {
        path.moveTo(w / 2 + 0.5, 0.5);
        path.lineTo(w + 0.5, h + 0.5);
        path.lineTo(0.5, h + 0.5);
    }
    path.closeSubpath();
    p.fillPath(path, palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawPath(path);
}

void RulerMarker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit mouseDown(this, clientX(event->position()));
}

void RulerMarker::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        emit mouseMove(this, clientX(event->position()));
}

void RulerMarker::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit mouseUp(this, clientX(event->position()));
}

Ruler::Ruler(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Ruler"));
    setFixedHeight(kRulerHeight);
    FirstInd = new RulerMarker(QStringLiteral("FirstInd"), RulerMarker::Down, this);
    LeftInd = new RulerMarker(QStringLiteral("LeftInd"), RulerMarker::Up, this);
    RightInd = new RulerMarker(QStringLiteral("RightInd"), RulerMarker::Up, this);
    FirstInd->move(0, 0);
    LeftInd->move(0, kRulerHeight - kMarkerHeight);
    RightInd->move(0, kRulerHeight - kMarkerHeight);
}

void Ruler::setText(const QString& text) {
    m_text = text;
    update();
}

void Ruler::setClientArea(int left, int width) {
    const int firstLeft = FirstInd->left(), leftLeft = LeftInd->left(),
              rightLeft = RightInd->left();
    m_clientLeft = left;
    m_clientWidth = width;
    FirstInd->setLeft(firstLeft);
    LeftInd->setLeft(leftLeft);
    RightInd->setLeft(rightLeft);
    update();
}

QSize Ruler::sizeHint() const {
    return QSize(200, kRulerHeight);
}

void Ruler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect strip(m_clientLeft, kTickTop, m_clientWidth, kTickHeight);
    p.fillRect(strip, palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(strip.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::WindowText));
    // A long tick for each "|" of the text, at its tab stop from the text's edge; a short one
    // between.
    const int stops = int(m_text.count(QLatin1Char('|')));
    const int origin = m_clientLeft + RichTextEditing::Ruler::kGutter;
    for (int i = 0; i <= stops; ++i) {
        const int x = origin + i * kTabStopPixels;
        if (x > m_clientLeft + m_clientWidth)
            break;
        if (i > 0)
            p.drawLine(x, strip.top() + 2, x, strip.bottom() - 2);
        const int half = x + kTabStopPixels / 2;
        if (half < m_clientLeft + m_clientWidth)
            p.drawLine(half, strip.center().y() - 1, half, strip.center().y() + 1);
    }
}
