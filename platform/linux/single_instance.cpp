#include "platform/linux/single_instance.h"

#include "platform/core/log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace platform {

namespace {

const QString kPath = QStringLiteral("/");
const QString kInterface = QStringLiteral("org.notebooksuite.Application");
// A copy that is busy (a modal alert, a long save) still answers from its event loop; one
// that does not within this time is taken as hung.
constexpr int kActivateTimeoutMs = 10000;

} // namespace

SingleInstance::SingleInstance(QString program, QObject* parent)
    : QObject(parent), m_program(std::move(program)) {}

SingleInstance::~SingleInstance() {
    if (!m_registered)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kPath);
    bus.unregisterService(busName());
}

QString SingleInstance::busName() const {
    return QStringLiteral("org.notebooksuite.") + m_program;
}

SingleInstance::Outcome SingleInstance::claim(std::function<void()> activate) {
    m_activate = std::move(activate);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        log(QStringLiteral("no D-Bus session bus (%1); running without the single-copy guard")
                .arg(bus.lastError().message()));
        return Outcome::Unguarded;
    }
    // The object is there before the name, so that a copy that sees the name can call it.
    if (!m_registered && !bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots)) {
        log(QStringLiteral("cannot offer %1 on the session bus; running without the "
                           "single-copy guard")
                .arg(kPath));
        return Outcome::Unguarded;
    }
    m_registered = true;

    // Twice at most: a first copy that quits between our claim and our call leaves the name
    // free for us.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto reply =
            bus.interface()->registerService(busName(), QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            log(QStringLiteral("cannot claim %1 (%2); running without the single-copy guard")
                    .arg(busName(), reply.error().message()));
            return Outcome::Unguarded;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
            return Outcome::First;

        const QDBusMessage call = QDBusMessage::createMethodCall(busName(), kPath, kInterface,
                                                                 QStringLiteral("Activate"));
        const QDBusMessage answer = bus.call(call, QDBus::Block, kActivateTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage)
            return Outcome::AlreadyRunning;
        if (answer.errorName() != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) {
            // The other copy holds the name but does not answer: starting a second one beside
            // it is what the guard is for, so this one still stops.
            log(QStringLiteral("%1 is running but did not come forward: %2")
                    .arg(m_program, answer.errorMessage()));
            return Outcome::AlreadyRunning;
        }
    }
    log(QStringLiteral("cannot claim %1; running without the single-copy guard").arg(busName()));
    return Outcome::Unguarded;
}

void SingleInstance::Activate() {
    if (m_activate)
        m_activate();
}

} // namespace platform
