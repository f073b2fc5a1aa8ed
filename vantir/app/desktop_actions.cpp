#include "vantir/app/desktop_actions.h"

#include "platform/core/desktop_entry.h"
#include "vantir/core/pause.h"

#include <QGuiApplication>
#include <QScreen>

namespace vantir {

namespace {

const QString kKeystroke = QStringLiteral("VNTAKeystroke");
const QString kMouse = QStringLiteral("VNTAMouse");
const QString kScript = QStringLiteral("VNTAAppleScript");

QRect nativeFrame(const QScreen* screen) {
    const QRect frame = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(QPoint(qRound(frame.x() * ratio), qRound(frame.y() * ratio)),
                 QSize(qRound(frame.width() * ratio), qRound(frame.height() * ratio)));
}

} // namespace

QRect screenFrameAt(QPoint point) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (nativeFrame(screen).contains(point))
            return nativeFrame(screen);
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        return nativeFrame(primary);
    return {};
}

DesktopActions::DesktopActions(ModelContext& model, Display* display,
                               platform::FrontApplication& front, platform::Alerts& alerts,
                               TimedAlerts& timedAlerts, const platform::Defaults& defaults,
                               platform::Clock& clock)
    : m_model(model), m_poster(display), m_layout(display),
      m_workspace(display, platform::desktopEntryFolders()),
      m_keystroke(
          KeystrokeServices{m_poster, m_layout, m_workspace, front, alerts, eventLoopPause(clock)}),
      m_mouse(MouseServices{m_poster, screenFrameAt, front, alerts, defaults}),
      m_script(timedAlerts, defaults, scriptExecutorOffMainThread()),
      m_scriptRunner(platform::Resources(QStringLiteral("vantir")), defaults,
                     scriptExecutorOffMainThread()) {
    m_model.setPerformer(kKeystroke,
                         [this](const VNTAction& action) { return m_keystroke.perform(action); });
    m_model.setPerformer(kMouse,
                         [this](const VNTAction& action) { return m_mouse.perform(action); });
    m_model.setPerformer(kScript,
                         [this](const VNTAction& action) { return m_script.perform(action); });
}

DesktopActions::~DesktopActions() {
    for (const QString& kind : {kKeystroke, kMouse, kScript})
        m_model.setPerformer(kind, {});
}

} // namespace vantir
