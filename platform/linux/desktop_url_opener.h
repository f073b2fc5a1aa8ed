#pragma once

#include "platform/core/url_opener.h"

namespace platform {

/// Opens web pages with the desktop's default browser (xdg-open and its kin).
class DesktopUrlOpener final : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override;
};

} // namespace platform
