#pragma once

#include <QUrl>

namespace platform {

/// Opens web pages in the user's default browser.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    /// Answers whether a browser was asked to open `url`.
    virtual bool openUrl(const QUrl& url) = 0;
};

} // namespace platform
