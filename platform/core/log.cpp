#include "platform/core/log.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>

namespace platform {

namespace {

std::mutex logMutex;
LogSink logSink;
QString logPrefix;
std::atomic<bool> debugSwitches[2];

QString executableName() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return QString::fromStdString(name);
}

std::atomic<bool>& debugSwitch(DebugChannel channel) {
    switch (channel) {
    case DebugChannel::Debug:
        return debugSwitches[0];
    case DebugChannel::Debug2:
        return debugSwitches[1];
    }
    return debugSwitches[0];
}

} // namespace

void log(const QString& line) {
    std::lock_guard lock(logMutex);
    if (logSink) {
        logSink(line);
        return;
    }
    if (logPrefix.isEmpty())
        logPrefix = executableName();
    const QByteArray text = (logPrefix + QStringLiteral(": ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

void setLogPrefix(const QString& prefix) {
    std::lock_guard lock(logMutex);
    logPrefix = prefix;
}

void setDebugEnabled(DebugChannel channel, bool enabled) {
    debugSwitch(channel) = enabled;
}

bool isDebugEnabled(DebugChannel channel) {
    return debugSwitch(channel);
}

void debugLog(DebugChannel channel, const QString& line) {
    if (isDebugEnabled(channel))
        log(line);
}

void setLogSink(LogSink sink) {
    std::lock_guard lock(logMutex);
    logSink = std::move(sink);
}

} // namespace platform
