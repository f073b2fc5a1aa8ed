#pragma once

#include <QLabel>

namespace vantir {

/// A text that opens the address held in its tool tip when clicked (nothing without one).
class URLButtonText final : public QLabel {
public:
    explicit URLButtonText(const QString& text = {}, QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace vantir
