#include "voltaro/app/level_indicator.h"

#include <QPainter>

#include <algorithm>

namespace voltaro {

LevelIndicator::LevelIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LevelIndicator::setLevel(const LevelBar& level) {
    if (level == m_level)
        return;
    m_level = level;
    update();
}

double LevelIndicator::fraction() const {
    if (!(m_level.maximum > 0))
        return 0;
    return std::clamp(m_level.value / m_level.maximum, 0.0, 1.0);
}

QSize LevelIndicator::sizeHint() const {
    return {200, 18};
}

void LevelIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(frame, 3, 3);

    QColor fill(0x3c, 0xb3, 0x4a);
    if (m_level.value < m_level.critical)
        fill = QColor(0xd9, 0x3a, 0x2b);
    else if (m_level.value < m_level.warning)
        fill = QColor(0xe8, 0xb9, 0x1c);
    QRectF bar = frame.adjusted(2, 2, -2, -2);
    bar.setWidth(bar.width() * fraction());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bar, 2, 2);
}

} // namespace voltaro
