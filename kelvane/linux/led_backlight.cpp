#include "kelvane/linux/led_backlight.h"

#include "platform/core/hw_file.h"
#include "platform/core/hw_root.h"
#include "platform/core/log.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace kelvane {
namespace {

const QString kLedsFolder = QStringLiteral("/sys/class/leds");
const QString kPreferredLed = QStringLiteral("smc::kbd_backlight");
const QString kKeyboardSuffix = QStringLiteral("::kbd_backlight");

QString ledFolder(const QString& name) {
    return platform::hwPath(kLedsFolder + QLatin1Char('/') + name);
}

std::optional<int> parseLevel(const char* begin, const char* end) {
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    int value = 0;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest == begin || value < 0)
        return std::nullopt;
    for (const char* p = rest; p < end; ++p)
        if (*p != '\n' && *p != ' ')
            return std::nullopt;
    return value;
}

int retryingOpen(const char* path, int flags) {
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

struct LogindSessionBrightness::State {
    QDBusConnection bus = QDBusConnection::systemBus();
    std::optional<bool> available;
    bool refusalLogged = false;
};

LogindSessionBrightness::LogindSessionBrightness() : m_state(std::make_unique<State>()) {}
LogindSessionBrightness::~LogindSessionBrightness() = default;

bool LogindSessionBrightness::isAvailable() {
    if (!m_state->available) {
        const auto* interface = m_state->bus.isConnected() ? m_state->bus.interface() : nullptr;
        m_state->available =
            interface &&
            interface->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
    }
    return *m_state->available;
}

void LogindSessionBrightness::setBrightness(const QString& ledName, quint32 value) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1/session/auto"),
        QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"));
    call << QStringLiteral("leds") << ledName << value;
    auto* watcher = new QDBusPendingCallWatcher(m_state->bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [state = m_state.get(), ledName](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<> reply = *finished;
                         if (reply.isError() && !state->refusalLogged) {
                             state->refusalLogged = true;
                             platform::log(QStringLiteral("logind did not set %1: %2")
                                               .arg(ledName, reply.error().message()));
                         }
                         finished->deleteLater();
                     });
}

LedBacklight::LedBacklight(QString name, int maxBrightness)
    : m_name(std::move(name)),
      m_brightnessPath(QFile::encodeName(ledFolder(m_name) + QStringLiteral("/brightness"))),
      m_maxBrightness(maxBrightness) {}

LedBacklight::~LedBacklight() {
    if (m_readFd >= 0)
        ::close(m_readFd);
    if (m_writeFd >= 0)
        ::close(m_writeFd);
}

QStringList LedBacklight::keyboardBacklightNames() {
    QStringList names =
        QDir(platform::hwPath(kLedsFolder))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    names.removeIf([](const QString& name) { return !name.endsWith(kKeyboardSuffix); });
    if (names.removeOne(kPreferredLed))
        names.prepend(kPreferredLed);
    return names;
}

platform::Expected<std::unique_ptr<LedBacklight>>
LedBacklight::open(const QString& ledName, SessionBrightness* sessionBrightness) {
    const QStringList candidates =
        ledName.isEmpty() ? keyboardBacklightNames() : QStringList{ledName};
    if (candidates.isEmpty())
        return platform::Error{
            QStringLiteral("no keyboard backlight in %1").arg(platform::hwPath(kLedsFolder))};
    QString lastProblem;
    for (const QString& name : candidates) {
        if (name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) {
            lastProblem = QStringLiteral("\"%1\" is not an LED name").arg(name);
            platform::log(lastProblem);
            continue;
        }
        const QString maxPath = ledFolder(name) + QStringLiteral("/max_brightness");
        const auto maxText = platform::readHardwareFile(maxPath, 64);
        if (!maxText) {
            lastProblem = QStringLiteral("LED %1 cannot be used: %2").arg(name, maxText.error());
            platform::log(lastProblem);
            continue;
        }
        const std::optional<int> max =
            parseLevel(maxText->constData(), maxText->constData() + maxText->size());
        if (!max || *max <= 0) {
            lastProblem = QStringLiteral("LED %1 cannot be used: max_brightness is \"%2\"")
                              .arg(name, QString::fromUtf8(maxText->trimmed()));
            platform::log(lastProblem);
            continue;
        }
        std::unique_ptr<LedBacklight> led(new LedBacklight(name, *max));
        led->m_readFd = platform::openHardwareFile(led->m_brightnessPath.constData());
        if (led->m_readFd < 0) {
            lastProblem = QStringLiteral("LED %1 cannot be used: cannot read %2: %3")
                              .arg(name, QFile::decodeName(led->m_brightnessPath),
                                   QString::fromLocal8Bit(std::strerror(errno)));
            platform::log(lastProblem);
            continue;
        }
        led->openForWriting(sessionBrightness);
        return led;
    }
    return platform::Error{lastProblem};
}

bool LedBacklight::openForWriting(SessionBrightness* sessionBrightness) {
    m_writeFd = retryingOpen(m_brightnessPath.constData(), O_WRONLY);
    if (m_writeFd >= 0) {
        struct stat status {};
        struct statfs fileSystem {};
        if (::fstat(m_writeFd, &status) != 0 || !S_ISREG(status.st_mode)) {
            ::close(m_writeFd);
            m_writeFd = -1;
            errno = EINVAL;
        } else {
            // A sysfs attribute takes each write whole; a stand-in file elsewhere (a test's
            // tree) would keep the tail of a longer earlier value.
            m_truncateAfterWrite =
                ::fstatfs(m_writeFd, &fileSystem) != 0 || fileSystem.f_type != SYSFS_MAGIC;
            return true;
        }
    }
    const int error = errno;
    if ((error == EACCES || error == EPERM || error == EROFS) && sessionBrightness &&
        sessionBrightness->isAvailable()) {
        m_sessionBrightness = sessionBrightness;
        platform::log(QStringLiteral("%1 is not writable; setting the backlight through logind")
                          .arg(QFile::decodeName(m_brightnessPath)));
        return true;
    }
    reportWriteFailure(error);
    return false;
}

void LedBacklight::reportWriteFailure(int error) {
    if (m_writeFailureLogged)
        return;
    m_writeFailureLogged = true;
    QString line =
        QStringLiteral("cannot set the keyboard backlight %1: %2")
            .arg(QFile::decodeName(m_brightnessPath), QString::fromLocal8Bit(std::strerror(error)));
    if (error == EACCES || error == EPERM)
        line += QStringLiteral(" (no logind session to ask either; see the udev rule shipped "
                               "with Kelvane)");
    platform::log(line);
}

int LedBacklight::ledForRaw(int raw, int maxBrightness) {
    raw = std::clamp(raw, 0, kMaximumRawLevel);
    const long long scaled = 2LL * raw * maxBrightness + kMaximumRawLevel;
    return int(scaled / (2LL * kMaximumRawLevel));
}

int LedBacklight::rawForLed(int led, int maxBrightness) {
    led = std::clamp(led, 0, maxBrightness);
    const long long scaled = 2LL * led * kMaximumRawLevel + maxBrightness;
    return int(scaled / (2LL * maxBrightness));
}

std::optional<int> LedBacklight::readLed() {
    char buffer[32];
    ssize_t count;
    do
        count = m_readFd >= 0 ? ::pread(m_readFd, buffer, sizeof buffer, 0) : -1;
    while (count < 0 && errno == EINTR);
    if (count < 0) {
        if (!m_readFailureLogged) {
            m_readFailureLogged = true;
            platform::log(QStringLiteral("cannot read %1: %2")
                              .arg(QFile::decodeName(m_brightnessPath),
                                   QString::fromLocal8Bit(std::strerror(errno))));
        }
        return std::nullopt;
    }
    const std::optional<int> led = parseLevel(buffer, buffer + count);
    if (!led && !m_readFailureLogged) {
        m_readFailureLogged = true;
        platform::log(QStringLiteral("%1 holds no level").arg(QFile::decodeName(m_brightnessPath)));
    }
    if (led)
        m_readFailureLogged = false;
    return led;
}

std::optional<int> LedBacklight::readRawLevel() {
    const std::optional<int> led = readLed();
    if (!led)
        return std::nullopt;
    if (led == m_lastLed)
        return m_lastRaw;
    return rawForLed(*led, m_maxBrightness);
}

void LedBacklight::writeRawLevel(int raw) {
    raw = std::clamp(raw, 0, kMaximumRawLevel);
    const int led = ledForRaw(raw, m_maxBrightness);
    m_lastRaw = raw;
    m_lastLed = led;
    if (m_writeFd < 0 && m_sessionBrightness) {
        // Through the bus only what changes: the lock loop resends many times a second.
        if (readLed() != led)
            m_sessionBrightness->setBrightness(m_name, quint32(led));
        return;
    }
    writeLed(led);
}

void LedBacklight::writeLed(int led) {
    if (m_writeFd < 0) {
        // A missing or read-only file is tried again quietly: an unplugged keyboard may come
        // back.
        m_writeFd = retryingOpen(m_brightnessPath.constData(), O_WRONLY);
        if (m_writeFd < 0)
            return;
        if (m_readFd >= 0)
            ::close(m_readFd);
        m_readFd = platform::openHardwareFile(m_brightnessPath.constData());
        platform::log(QStringLiteral("%1 is back").arg(QFile::decodeName(m_brightnessPath)));
        m_writeFailureLogged = false;
    }
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer - 1, led);
    (void)error;
    *end = '\n';
    const auto length = std::size_t(end + 1 - buffer);
    ssize_t written;
    do
        written = ::pwrite(m_writeFd, buffer, length, 0);
    while (written < 0 && errno == EINTR);
    if (written < 0) {
        const int failure = errno;
        ::close(m_writeFd);
        m_writeFd = -1;
        reportWriteFailure(failure);
        return;
    }
    // Only a shorter value leaves a tail behind; the lock loop's resends of the same value
    // need no second call.
    if (m_truncateAfterWrite && length < m_writtenLength &&
        ::ftruncate(m_writeFd, off_t(length)) != 0)
        platform::log(QStringLiteral("cannot shorten %1").arg(QFile::decodeName(m_brightnessPath)));
    m_writtenLength = length;
}

QString LedBacklight::description() const {
    return QStringLiteral("LED %1").arg(m_name);
}

} // namespace kelvane
