#include "vantir/app/status_item.h"

#include "platform/core/log.h"
#include "vantir/core/controller.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace vantir {

namespace {

// A small remote: a rounded body with a round pad, drawn so that the item needs no image file.
QIcon remoteIcon() {
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1.5));
    painter.setBrush(QColor(235, 235, 235));
    painter.drawRoundedRect(QRectF(6.5, 1.5, 9, 19), 3, 3);
    painter.setBrush(QColor(60, 60, 60));
    painter.drawEllipse(QRectF(8, 4, 6, 6));
    painter.drawEllipse(QRectF(10, 14, 2, 2));
    return QIcon(pixmap);
}

} // namespace

StatusItem::StatusItem(VNTController& controller, StatusItemWindows windows)
    : m_controller(controller) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        platform::log(QStringLiteral("no system tray: the status item is not shown"));
        return;
    }
    m_menu = std::make_unique<QMenu>();
    m_activate = m_menu->addAction(QStringLiteral("Listen to the Remote"));
    m_activate->setCheckable(true);
    QObject::connect(m_activate, &QAction::triggered, this, [this](bool checked) {
        m_controller.setActivated(checked);
        update();
    });
    QAction* display = m_menu->addAction(QStringLiteral("Show Display"));
    QObject::connect(display, &QAction::triggered, this,
                     [this] { m_controller.toggleShowOSD(m_controller.activeLayer()); });
    for (const auto& [title, show] :
         {std::pair{QStringLiteral("&Edit Actions and Layers…"), windows.showEditor},
          std::pair{QStringLiteral("&Preferences…"), windows.showPreferences}}) {
        if (show)
            QObject::connect(m_menu->addAction(title), &QAction::triggered, this, show);
    }
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(QStringLiteral("Quit Vantir"));
    if (windows.quit)
        QObject::connect(quit, &QAction::triggered, this, windows.quit);
    else
        QObject::connect(quit, &QAction::triggered, this, [] { QCoreApplication::quit(); });
    QObject::connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { update(); });

    m_icon = std::make_unique<QSystemTrayIcon>(remoteIcon());
    m_icon->setToolTip(QStringLiteral("Vantir"));
    m_icon->setContextMenu(m_menu.get());
    m_icon->show();
    update();
}

StatusItem::~StatusItem() = default;

bool StatusItem::isVisible() const {
    return m_icon && m_icon->isVisible();
}

void StatusItem::update() {
    if (m_activate)
        m_activate->setChecked(m_controller.isListening());
}

} // namespace vantir
