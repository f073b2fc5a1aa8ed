#include "vantir/app/osd_window.h"

#include "platform/core/clock.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "vantir/app/osd_controller.h"
#include "vantir/core/classes.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace vantir {

OSDWindow::OSDWindow(Kind kind, const OSDTemplates& templates, const platform::Defaults& defaults,
                     platform::Clock& clock)
    : m_kind(kind), m_osd(std::make_unique<VNTOSDController>(templates)), m_clock(clock) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    const bool onTop = kind == Kind::Fullscreen
                           ? !defaults.boolForKey(QStringLiteral("DontTakeOverScreen"))
                           : defaults.boolForKey(QStringLiteral("TakeOverScreen"));
    if (onTop)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(kind == Kind::Fullscreen ? QStringLiteral("Vantir Full-Screen Display")
                                            : QStringLiteral("Vantir Display"));
    m_osd->addOSDViewTo(this);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    if (kind == Kind::Fullscreen) {
        setGeometry(available);
    } else {
        const QSize size(640, 400);
        setGeometry(QRect(available.center() - QPoint(size.width() / 2, size.height() / 2), size));
    }
}

OSDWindow::~OSDWindow() = default;

void OSDWindow::setKeyHandler(DisplayKeyHandler handler) {
    m_keyHandler = handler;
    m_osd->osdView()->setKeyHandler(std::move(handler));
}

void OSDWindow::open() {
    if (m_kind == Kind::Fullscreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->geometry());
    }
    show();
    raise();
    activateWindow();
}

void OSDWindow::refill(const VNTTriggerLayer& layer) {
    m_osd->fillOSDFromLayer(layer);
}

void OSDWindow::setOSDBHighlighted(int osdb, bool highlighted) {
    m_osd->setOSDBHighlighted(osdb, highlighted);
}

void OSDWindow::setClickHandler(std::function<void(int osdb)> handler) {
    m_osd->setClickHandler(std::move(handler));
}

void OSDWindow::windowDidResignKey() {
    if (m_kind != Kind::Fullscreen || !isVisible())
        return;
    platform::log(QStringLiteral("VNTController::windowDidResignKey: try to get key again"));
    // Waiting lets the window that took the focus settle before it is taken back.
    m_regainFocusTimer = m_clock.scheduleTimer(0.5, platform::Repeats::No, [this] {
        if (isVisible())
            open();
    });
}

void OSDWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        windowDidResignKey();
}

void OSDWindow::hideEvent(QHideEvent* event) {
    // A closed display does not come back by itself.
    m_regainFocusTimer.reset();
    QWidget::hideEvent(event);
}

void OSDWindow::mousePressEvent(QMouseEvent* event) {
    if (m_kind == Kind::Window && event->button() == Qt::LeftButton)
        m_initialLocation = event->globalPosition().toPoint() - pos();
}

void OSDWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_kind != Kind::Window || !(event->buttons() & Qt::LeftButton))
        return;
    QPoint origin = event->globalPosition().toPoint() - m_initialLocation;
    // The window's top stays on the main screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        origin.setY(std::max(origin.y(), screen->geometry().top()));
    move(origin);
}

void OSDWindow::keyPressEvent(QKeyEvent* event) {
    m_osd->osdView()->forwardKey(event);
}

} // namespace vantir
