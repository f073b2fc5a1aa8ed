#pragma once

#include "voltaro/core/battery_fields.h"

#include <QWidget>

namespace voltaro {

/// A continuous level bar: green above its warning value, yellow down to its critical value,
/// red below. A maximum of 0 or less draws an empty bar. It takes no input.
class LevelIndicator final : public QWidget {
public:
    explicit LevelIndicator(QWidget* parent = nullptr);

    void setLevel(const LevelBar& level);
    const LevelBar& level() const { return m_level; }
    /// The share of the bar that is filled, 0 to 1.
    double fraction() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LevelBar m_level;
};

} // namespace voltaro
