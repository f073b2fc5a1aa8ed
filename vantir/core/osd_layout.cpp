#include "vantir/core/osd_layout.h"

#include "vantir/core/classes.h"

#include <algorithm>

namespace vantir {

namespace {

// One column of a menu button with three places above and three below it, top to bottom.
constexpr double kMenuRowHeight = 80;
constexpr double kMenuRowPitch = 85;
constexpr double kMenuColumnTop = 110;

QRectF menuRow(double x, int row) {
    return {x, kMenuColumnTop + row * kMenuRowPitch, 200, kMenuRowHeight};
}

std::vector<OSDTile> makeTiles() {
    constexpr double prevColumn = 40;
    constexpr double nextColumn = 1040;
    // The centre column reads like the remote: menu, plus, play, minus, and their menus.
    std::vector<OSDTile> tiles = {
        {1, {540, 350, 200, 100}}, {2, {340, 15, 600, 80}},   {3, {540, 230, 200, 100}},
        {4, {540, 470, 200, 100}}, {5, {780, 350, 200, 100}}, {6, {300, 350, 200, 100}},
        {7, {340, 705, 600, 80}},
    };
    // Up 3 … up 1 above the menu button (row 3), down 1 … down 3 below it.
    for (int osdb = 23; osdb >= 17; --osdb)
        tiles.push_back({osdb, menuRow(nextColumn, 23 - osdb)});
    for (int osdb = 43; osdb >= 37; --osdb)
        tiles.push_back({osdb, menuRow(prevColumn, 43 - osdb)});
    tiles.push_back({60, {540, 110, 200, kMenuRowHeight}});
    tiles.push_back({80, {540, 590, 200, kMenuRowHeight}});
    return tiles;
}

} // namespace

const std::vector<OSDTile>& osdTiles() {
    static const std::vector<OSDTile> tiles = makeTiles();
    return tiles;
}

std::optional<OSDTile> osdTileFor(int osdb) {
    const auto& tiles = osdTiles();
    const auto found = std::find_if(tiles.begin(), tiles.end(),
                                    [osdb](const OSDTile& tile) { return tile.osdb == osdb; });
    if (found == tiles.end())
        return std::nullopt;
    return *found;
}

QRectF osdBackgroundFrame() {
    return {0, 0, kOSDDesignWidth, kOSDDesignHeight};
}

QString buttonTypeOf(int osdb) {
    if (osdb == 1)
        return QStringLiteral("center");
    if (osdb == 2 || osdb == 7)
        return QStringLiteral("title");
    return QStringLiteral("button");
}

QRectF boundsScaledIntoFrame(QSizeF frame, QSizeF design) {
    if (frame.width() <= 0 || frame.height() <= 0 || design.width() <= 0 || design.height() <= 0)
        return {QPointF(0, 0), design};
    const double frameAspect = frame.width() / frame.height();
    const double designAspect = design.width() / design.height();
    if (frameAspect > designAspect) {
        const double x = (design.width() - frame.width() * design.height() / frame.height()) / 2;
        return {x, 0, design.width() * frameAspect / designAspect, design.height()};
    }
    const double y = (design.height() - frame.height() * design.width() / frame.width()) / 2;
    return {0, y, design.width(), design.height() / (frameAspect / designAspect)};
}

RoundedRect roundedRectInRect(QRectF rect, double radius, double lineWidth) {
    const double r = std::min(radius, std::min(rect.width(), rect.height()) / 2);
    const double inset = lineWidth / 2 + r;
    return {rect.adjusted(inset, inset, -inset, -inset), r};
}

LayerFill fillForLayer(const VNTTriggerLayer& layer) {
    LayerFill fill;
    if (layer.isNull())
        return fill;
    fill.templateName = layer.stringForKey(QStringLiteral("template"));
    if (fill.templateName.isEmpty())
        fill.templateName = QStringLiteral("Default");
    const ArrayRef triggers = layer.triggers();
    for (const Value& value : *triggers) {
        const VNTTrigger trigger(VNTMutableDictionary::of(value));
        if (trigger.isNull())
            continue;
        trigger.cleanupARBEs();
        const qint64 osdb = trigger.integerForKey(QStringLiteral("osdb"));
        if (osdb == 0)
            continue;
        QString font = trigger.stringForKey(QStringLiteral("fontName"));
        if (font.isEmpty())
            font = QStringLiteral("Lucida-Grande");
        QString color = trigger.stringForKey(QStringLiteral("fontColor"));
        if (color.isEmpty())
            color = QStringLiteral("#000000");
        const Value size = trigger.objectForKey(QStringLiteral("fontSize"));
        const double points =
            size.type() == Value::Type::Real || size.type() == Value::Type::Integer ? size.toReal()
                                                                                    : 24.0;
        fill.tiles.push_back(
            {int(osdb),
             {{QStringLiteral("title"), trigger.stringForKey(QStringLiteral("name"))},
              {QStringLiteral("fontFamily"), font},
              {QStringLiteral("fontColor"), color},
              {QStringLiteral("fontSize"), QString::asprintf("%fpt", points)}}});
    }
    fill.tiles.push_back({2,
                          {{QStringLiteral("title"), layer.stringForKey(QStringLiteral("name"))},
                           {QStringLiteral("fontSize"), QStringLiteral("24pt")},
                           {QStringLiteral("fontColor"), QStringLiteral("#FFFFFF")}}});
    return fill;
}

} // namespace vantir
