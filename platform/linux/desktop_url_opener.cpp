#include "platform/linux/desktop_url_opener.h"

#include <QDesktopServices>

namespace platform {

bool DesktopUrlOpener::openUrl(const QUrl& url) {
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace platform
