#include "platform/x11/window_geometry.h"

#include <X11/Xlib.h>

namespace platform::x11 {

std::optional<QRect> windowGeometryOnScreen(Display* display, unsigned long window) {
    if (!display || window == 0)
        return std::nullopt;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return std::nullopt;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child))
        return std::nullopt;
    return QRect(x, y, attributes.width, attributes.height);
}

} // namespace platform::x11
