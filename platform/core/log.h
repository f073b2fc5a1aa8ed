#pragma once

#include <QString>

#include <functional>

namespace platform {

/// Writes one plain line to standard error, prefixed with the program's name ("Voltaro: …"),
/// where the journal or the terminal collects it. Safe from any thread.
void log(const QString& line);

/// The program name put before every line; the executable's name until set.
void setLogPrefix(const QString& prefix);

/// Debug channels that a program turns on from its defaults at start. Lines sent to a channel
/// that is off are dropped.
enum class DebugChannel { Debug, Debug2 };
void setDebugEnabled(DebugChannel channel, bool enabled);
bool isDebugEnabled(DebugChannel channel);
void debugLog(DebugChannel channel, const QString& line);

/// Where lines go instead of standard error, for tests; an empty function restores standard
/// error. The prefix is not added to lines sent to a sink.
using LogSink = std::function<void(const QString& line)>;
void setLogSink(LogSink sink);

} // namespace platform
