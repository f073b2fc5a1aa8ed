#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QUrl>

#include <cstddef>
#include <functional>

class QNetworkAccessManager;
class QObject;

namespace platform {

/// The most bytes a fetched answer may have unless the caller says otherwise: far above the
/// small documents the programs ask for, far below what could exhaust memory.
inline constexpr std::size_t kFetchCap = 1024 * 1024;

/// Rules for one HTTP GET.
struct FetchRequest {
    QUrl url;                    ///< "http" or "https".
    int deadlineMs = 5000;       ///< For the whole answer, from the call to the last byte.
    std::size_t cap = kFetchCap; ///< A longer body is an error.
};

/// The body of a 200 answer, or why there is none: a bad address, a refused or broken
/// connection, another status ("HTTP status 404 from <url>"), the deadline passing ("no whole
/// answer from <url> within N ms"), a body over the cap.
using FetchResult = Expected<QByteArray>;

/// Starts a GET through `network` and calls `done` once, on `network`'s thread, with the
/// result. Ignores cached copies; follows only redirects that are no less safe. The deadline
/// bounds the whole answer, so a server that never answers or trickles bytes forever ends in
/// an error when it passes. If `network` is destroyed first, `done` is not called.
void fetch(QNetworkAccessManager& network, const FetchRequest& request,
           std::function<void(FetchResult)> done);

/// The same, blocking the calling thread (running an event loop of its own) until the result
/// is in; for worker threads, never the main one.
FetchResult fetchAndWait(const FetchRequest& request);

} // namespace platform
