#include "kelvane/app/control_window.h"

#include "platform/core/log.h"
#include "platform/x11/window_geometry.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace kelvane {
namespace {

constexpr int kWindowWidth = 30;
constexpr int kWindowHeight = 170;

} // namespace

QIcon statusImage(bool alternate) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double unit = size / 16.0;
        if (alternate) {
            painter.setBrush(QColor(0x2a, 0x6f, 0xd6));
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(QRectF(0, 0, size, size), 3 * unit, 3 * unit);
        }
        const QColor ink = alternate ? Qt::white : QColor(0x30, 0x30, 0x30);
        // A key cap with rays of light above it.
        painter.setPen(QPen(ink, 1.2 * unit));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(3.5 * unit, 8 * unit, 9 * unit, 6 * unit), 1.5 * unit,
                                1.5 * unit);
        painter.drawLine(QPointF(8 * unit, 2 * unit), QPointF(8 * unit, 5.5 * unit));
        painter.drawLine(QPointF(3.5 * unit, 3.5 * unit), QPointF(5.5 * unit, 6 * unit));
        painter.drawLine(QPointF(12.5 * unit, 3.5 * unit), QPointF(10.5 * unit, 6 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

KelvaneControlWindow::KelvaneControlWindow(QMenu* actionMenu, bool floating)
    : QWidget(nullptr, floating ? Qt::Window
                                : Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_slider(new QSlider(Qt::Vertical)), m_menuButton(new QToolButton) {
    setWindowTitle(QStringLiteral("Kelvane"));
    setAccessibleName(QStringLiteral("Kelvane"));
    m_slider->setRange(0, 100);
    m_slider->setPageStep(10);
    m_slider->setAccessibleName(QStringLiteral("Light level"));
    m_menuButton->setText(QStringLiteral("\u2699"));
    m_menuButton->setAccessibleName(QStringLiteral("Action"));
    m_menuButton->setToolTip(QStringLiteral("Preferences, About and Quit"));
    m_menuButton->setAutoRaise(true);
    m_menuButton->setMenu(actionMenu);
    // The menu opens as the button goes down, not on release.
    m_menuButton->setPopupMode(QToolButton::InstantPopup);
    m_menuButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 6, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(m_slider, 1, Qt::AlignHCenter);
    layout->addWidget(m_menuButton, 0, Qt::AlignHCenter);
    resize(floating ? 80 : kWindowWidth, kWindowHeight);
}

void KelvaneControlWindow::changeEvent(QEvent* event) {
    // The action menu takes the focus while it is open; that is no reason to pull up.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() &&
        !QApplication::activePopupWidget())
        Q_EMIT windowDidResignKey();
    QWidget::changeEvent(event);
}

KelvaneWindowDropper::KelvaneWindowDropper(KelvaneControlWindow& window, Display* display,
                                           QMenu* contextMenu, const QString& toolTip,
                                           std::function<void()> beforeDrop,
                                           std::function<void()> afterDrop)
    : m_window(window), m_display(display), m_image(statusImage(false)),
      m_alternateImage(statusImage(true)), m_beforeDrop(std::move(beforeDrop)),
      m_afterDrop(std::move(afterDrop)) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        platform::log(
            QStringLiteral("no system tray: the control window opens as an ordinary window"));
        return;
    }
    m_statusItem = new QSystemTrayIcon(m_image, this);
    m_statusItem->setToolTip(toolTip);
    m_statusItem->setContextMenu(contextMenu);
    connect(m_statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    mouseDown();
            });
    m_statusItem->show();
}

QRect KelvaneWindowDropper::statusItemGeometry() const {
    if (!m_statusItem)
        return {};
    // An icon docked in an XEmbed tray is placed by the tray, which Qt does not follow: the
    // X server knows where it is.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") != 0)
            continue;
        if (const auto placed = platform::x11::windowGeometryOnScreen(m_display, widget->winId()))
            return *placed;
    }
    return m_statusItem->geometry();
}

bool KelvaneWindowDropper::hasStatusItemGeometry() const {
    // Until the tray has docked it, the icon reads as placed at the screen's corner.
    const QRect item = statusItemGeometry();
    return item.isValid() && !item.isEmpty() && item.topLeft() != QPoint(0, 0);
}

QPoint KelvaneWindowDropper::statusItemOrigin() const {
    const QRect item = statusItemGeometry();
    if (!item.isValid() || item.isEmpty())
        return QCursor::pos();
    return {item.center().x(), item.bottom() + 1};
}

void KelvaneWindowDropper::mouseDown() {
    if (m_beforeDrop)
        m_beforeDrop();
    if (m_sheetDown) {
        retract();
        return;
    }
    const QRect item = statusItemGeometry();
    QPoint point;
    if (item.isValid() && !item.isEmpty()) {
        point = {item.left() + 1, item.bottom() + 1};
        // A panel at the bottom of the screen: the window rises above the item instead.
        const QScreen* screen = QGuiApplication::screenAt(item.center());
        if (screen && item.center().y() > screen->geometry().center().y())
            point.setY(item.top() - m_window.height());
    } else {
        point = QCursor::pos() - QPoint(m_window.width() / 2, 0);
    }
    dropWindowAtPoint(point);
    if (m_afterDrop)
        m_afterDrop();
}

void KelvaneWindowDropper::launch() {
    if (m_sheetDown) {
        retract();
        return;
    }
    dropWindowAtPoint(statusItemOrigin() - QPoint(m_window.width() / 2, 0));
}

void KelvaneWindowDropper::dropWindowAtPoint(QPoint point) {
    setSheetDown(true);
    if (const QScreen* screen = QGuiApplication::screenAt(point)) {
        const QRect area = screen->geometry();
        point.setX(std::clamp(point.x(), area.left(), area.right() - m_window.width()));
        point.setY(std::clamp(point.y(), area.top(), area.bottom() - m_window.height()));
    }
    m_window.move(point);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    Q_EMIT kelvaneCheckClicked();
}

void KelvaneWindowDropper::retract() {
    if (m_sheetDown)
        m_window.hide();
    setSheetDown(false);
}

void KelvaneWindowDropper::setSheetDown(bool down) {
    m_sheetDown = down;
    if (m_statusItem)
        m_statusItem->setIcon(down ? m_alternateImage : m_image);
}

} // namespace kelvane
