#include "kelvane/app/components/bubble_window.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvane::components {

KVBubbleWindow::KVBubbleWindow(QWidget* view, QPoint point, BubbleSide side, double distance)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_view(view), m_point(point), m_side(side), m_distance(distance) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(QStringLiteral("Notice"));
    auto* layout = new QVBoxLayout(this);
    const int margin = int(kViewMargin + m_borderWidth + kCornerRadius / 2);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(m_view);
    if (m_side == BubbleSide::Automatic) {
        // Below the point unless that runs off the bottom of the screen.
        const QScreen* screen = QGuiApplication::screenAt(m_point);
        const int bottom = screen ? screen->availableGeometry().bottom() : INT_MAX;
        m_side = m_point.y() + sizeHint().height() + kArrowHeight + m_distance > bottom
                     ? BubbleSide::Above
                     : BubbleSide::Below;
    }
    switch (m_side) {
    case BubbleSide::Below:
        layout->setContentsMargins(margin, margin + int(kArrowHeight), margin, margin);
        break;
    case BubbleSide::Above:
        layout->setContentsMargins(margin, margin, margin, margin + int(kArrowHeight));
        break;
    case BubbleSide::Left:
        layout->setContentsMargins(margin, margin, margin + int(kArrowHeight), margin);
        break;
    case BubbleSide::Right:
    case BubbleSide::Automatic:
        layout->setContentsMargins(margin + int(kArrowHeight), margin, margin, margin);
        break;
    }
    adjustSize();
    place();
}

void KVBubbleWindow::place() {
    const QSize size = sizeHint();
    const int distance = int(m_distance);
    QPoint topLeft;
    switch (m_side) {
    case BubbleSide::Below:
        topLeft = {m_point.x() - size.width() / 2, m_point.y() + distance};
        break;
    case BubbleSide::Above:
        topLeft = {m_point.x() - size.width() / 2, m_point.y() - distance - size.height()};
        break;
    case BubbleSide::Left:
        topLeft = {m_point.x() - distance - size.width(), m_point.y() - size.height() / 2};
        break;
    case BubbleSide::Right:
    case BubbleSide::Automatic:
        topLeft = {m_point.x() + distance, m_point.y() - size.height() / 2};
        break;
    }
    // Keep the bubble on the screen; the arrow follows the point.
    if (const QScreen* screen = QGuiApplication::screenAt(m_point)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(),
                                std::max(area.left(), area.right() - size.width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(),
                                std::max(area.top(), area.bottom() - size.height())));
    }
    resize(size);
    move(topLeft);
}

void KVBubbleWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = m_borderWidth / 2;
    QRectF body = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const QPointF tip = mapFromGlobal(m_point);
    const double arrowX = std::clamp(tip.x(), body.left() + kCornerRadius + kArrowBaseWidth / 2,
                                     body.right() - kCornerRadius - kArrowBaseWidth / 2);
    const double arrowY = std::clamp(tip.y(), body.top() + kCornerRadius + kArrowBaseWidth / 2,
                                     body.bottom() - kCornerRadius - kArrowBaseWidth / 2);
    QPainterPath arrow;
    switch (m_side) {
    case BubbleSide::Below:
        body.setTop(body.top() + kArrowHeight);
        arrow.moveTo(arrowX - kArrowBaseWidth / 2, body.top() + 1);
        arrow.lineTo(arrowX, body.top() - kArrowHeight);
        arrow.lineTo(arrowX + kArrowBaseWidth / 2, body.top() + 1);
        break;
    case BubbleSide::Above:
        body.setBottom(body.bottom() - kArrowHeight);
        arrow.moveTo(arrowX - kArrowBaseWidth / 2, body.bottom() - 1);
        arrow.lineTo(arrowX, body.bottom() + kArrowHeight);
        arrow.lineTo(arrowX + kArrowBaseWidth / 2, body.bottom() - 1);
        break;
    case BubbleSide::Left:
        body.setRight(body.right() - kArrowHeight);
        arrow.moveTo(body.right() - 1, arrowY - kArrowBaseWidth / 2);
        arrow.lineTo(body.right() + kArrowHeight, arrowY);
        arrow.lineTo(body.right() - 1, arrowY + kArrowBaseWidth / 2);
        break;
    case BubbleSide::Right:
    case BubbleSide::Automatic:
        body.setLeft(body.left() + kArrowHeight);
        arrow.moveTo(body.left() + 1, arrowY - kArrowBaseWidth / 2);
        arrow.lineTo(body.left() - kArrowHeight, arrowY);
        arrow.lineTo(body.left() + 1, arrowY + kArrowBaseWidth / 2);
        break;
    }
    QPainterPath bubble;
    bubble.addRoundedRect(body, kCornerRadius, kCornerRadius);
    bubble = bubble.united(arrow);

    painter.fillPath(bubble, m_backgroundColor);
    // The shine: a gradient from the top fading out towards the bottom.
    QLinearGradient shine(body.topLeft(), QPointF(body.left(), body.center().y()));
    shine.setColorAt(0, QColor::fromRgbF(0.1, 0.1, 0.1, 0.6));
    shine.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0.01));
    painter.fillPath(bubble, shine);
    painter.setPen(QPen(m_borderColor, m_borderWidth));
    painter.drawPath(bubble);
}

} // namespace kelvane::components
