#pragma once

#include <QHash>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace vantir {

class VNTTriggerLayer;

/// The size of the frame on which the display's tiles are laid out; a display window shows it
/// whole, scaled uniformly and centred.
inline constexpr double kOSDDesignWidth = 1280.0;
inline constexpr double kOSDDesignHeight = 800.0;
/// How far each tile's click overlay reaches beyond the tile on every side.
inline constexpr double kOverlayMargin = 10.0;

/// One tile of the display: the OSD button number it shows and its place on the design frame.
struct OSDTile {
    int osdb = 0;
    QRectF frame;
};

/// The 23 tiles in the order their overlays are stacked (later ones lie above earlier ones).
const std::vector<OSDTile>& osdTiles();
/// The tile of `osdb`, or none for numbers the display has no tile for (8, 10, 30, …).
std::optional<OSDTile> osdTileFor(int osdb);
/// The background's place on the design frame.
QRectF osdBackgroundFrame();

/// "center" for 1, "title" for 2 and 7, "button" for every other number.
QString buttonTypeOf(int osdb);

/// The bounds that show the design rectangle `design` whole, uniformly scaled and centred, in
/// a view whose frame has the size `frame`. The answer is in design units: its origin is the
/// design point drawn at the view's top-left corner, its size what the view spans.
QRectF boundsScaledIntoFrame(QSizeF frame, QSizeF design);

/// A rounded rectangle whose stroked outline lies inside `rect`: the radius is at most half
/// the smaller side, and the corner arcs run around `rect` inset by half the line width plus
/// the radius.
struct RoundedRect {
    QRectF arcCentres; ///< The rectangle whose corners are the arcs' centres.
    double radius = 0;
};
RoundedRect roundedRectInRect(QRectF rect, double radius, double lineWidth);

/// Placeholder values for one tile, by placeholder name.
using TileParameters = QHash<QString, QString>;

/// One tile as a layer fills it.
struct TileFill {
    int osdb = 0;
    TileParameters parameters;
};

/// What showing `layer` draws: the template name (the layer's "template", else "Default") and
/// each tile's parameters in the order they are rendered, the title tile last. Converts legacy
/// "arbe" numbers of the layer's triggers into "osdb" on the way. Triggers without a number
/// (or 0) are left out.
struct LayerFill {
    QString templateName;
    std::vector<TileFill> tiles;
};
LayerFill fillForLayer(const VNTTriggerLayer& layer);

} // namespace vantir
