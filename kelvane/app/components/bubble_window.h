#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace kelvane::components {

/// Which side of the point the bubble sits on.
enum class BubbleSide { Above = 0, Below = 1, Left = 2, Right = 3, Automatic = 12 };

/// A borderless window drawn as a rounded bubble with an arrow pointing at a spot on the
/// screen, holding one view. Its opacity is what callers fade.
class KVBubbleWindow : public QWidget {
    Q_OBJECT
public:
    /// `view` becomes the bubble's content; the arrow's tip sits `distance` away from `point`.
    KVBubbleWindow(QWidget* view, QPoint point, BubbleSide side, double distance);

    QColor borderColor() const { return m_borderColor; }
    double borderWidth() const { return m_borderWidth; }
    BubbleSide side() const { return m_side; }

    static constexpr double kViewMargin = 2.0;
    static constexpr double kArrowBaseWidth = 30.0;
    static constexpr double kArrowHeight = 16.0;
    static constexpr double kCornerRadius = 8.0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QWidget* m_view;
    QPoint m_point;
    BubbleSide m_side;
    double m_distance;
    QColor m_borderColor = Qt::white;
    double m_borderWidth = 1.5;
    QColor m_backgroundColor = QColor::fromRgbF(0, 0, 0, 0.8);
};

} // namespace kelvane::components
