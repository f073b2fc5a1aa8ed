#include "platform/x11/x11_display.h"

#include <QGuiApplication>

namespace platform::x11 {

Display* applicationDisplay() {
    auto* application =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return application ? application->display() : nullptr;
}

} // namespace platform::x11
