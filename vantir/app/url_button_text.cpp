#include "vantir/app/url_button_text.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace vantir {

URLButtonText::URLButtonText(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void URLButtonText::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || toolTip().isEmpty())
        return;
    QDesktopServices::openUrl(QUrl(toolTip()));
}

} // namespace vantir
