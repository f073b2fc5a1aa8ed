// The display's layout, scaling and the parameters a layer fills its tiles with.

#include "vantir/core/classes.h"
#include "vantir/core/osd_layout.h"
#include "vantir/tests/model_fixture.h"

#include <set>

namespace vantir {
namespace {

using testing::str;

TEST(OSDScaling, FrameWiderThanTheDesignWidensTheBoundsAndCentresThem) {
    const QRectF bounds = boundsScaledIntoFrame({2000, 800}, {1280, 800});
    EXPECT_DOUBLE_EQ(bounds.x(), -360);
    EXPECT_DOUBLE_EQ(bounds.y(), 0);
    EXPECT_DOUBLE_EQ(bounds.width(), 2000);
    EXPECT_DOUBLE_EQ(bounds.height(), 800);
}

TEST(OSDScaling, FrameTallerThanTheDesignHeightensTheBoundsAndCentresThem) {
    // 640 × 800 shows 1280 design units across, so 1600 down: 400 above and below.
    const QRectF bounds = boundsScaledIntoFrame({640, 800}, {1280, 800});
    EXPECT_DOUBLE_EQ(bounds.x(), 0);
    EXPECT_DOUBLE_EQ(bounds.y(), -400);
    EXPECT_DOUBLE_EQ(bounds.width(), 1280);
    EXPECT_DOUBLE_EQ(bounds.height(), 1600);
}

TEST(OSDScaling, FrameOfTheDesignAspectShowsTheDesignExactly) {
    EXPECT_EQ(boundsScaledIntoFrame({640, 400}, {1280, 800}), QRectF(0, 0, 1280, 800));
    // An empty frame (a hidden window) must not divide by zero.
    EXPECT_EQ(boundsScaledIntoFrame({0, 0}, {1280, 800}), QRectF(0, 0, 1280, 800));
}

TEST(OSDRoundedRect, StrokeStaysInsideAndRadiusIsBoundedByTheSmallerSide) {
    const RoundedRect wide = roundedRectInRect({0, 0, 200, 100}, 10, 10);
    EXPECT_DOUBLE_EQ(wide.radius, 10);
    EXPECT_EQ(wide.arcCentres, QRectF(15, 15, 170, 70));
    // The outermost stroke point is the arc centre plus radius plus half the line width.
    EXPECT_DOUBLE_EQ(wide.arcCentres.left() - wide.radius - 5, 0);

    const RoundedRect narrow = roundedRectInRect({0, 0, 12, 100}, 10, 2);
    EXPECT_DOUBLE_EQ(narrow.radius, 6);
    EXPECT_DOUBLE_EQ(narrow.arcCentres.width(), 12 - 2 * (1 + 6));
}

TEST(OSDTiles, TwentyThreeDistinctTilesInsideTheDesignFrame) {
    std::set<int> numbers;
    for (const OSDTile& tile : osdTiles()) {
        numbers.insert(tile.osdb);
        EXPECT_TRUE(QRectF(0, 0, kOSDDesignWidth, kOSDDesignHeight).contains(tile.frame))
            << tile.osdb;
    }
    EXPECT_EQ(numbers, (std::set<int>{1,  2,  3,  4,  5,  6,  7,  17, 18, 19, 20, 21,
                                      22, 23, 37, 38, 39, 40, 41, 42, 43, 60, 80}));
    EXPECT_FALSE(osdTileFor(8));
    EXPECT_FALSE(osdTileFor(0));
    // Stacking order: the centre first, then title and arrows, the menus top-down.
    EXPECT_EQ(osdTiles()[7].osdb, 23);
    EXPECT_EQ(osdTiles()[14].osdb, 43);
}

TEST(OSDTiles, TypeOfEachNumber) {
    EXPECT_EQ(buttonTypeOf(1), str("center"));
    EXPECT_EQ(buttonTypeOf(2), str("title"));
    EXPECT_EQ(buttonTypeOf(7), str("title"));
    EXPECT_EQ(buttonTypeOf(3), str("button"));
    EXPECT_EQ(buttonTypeOf(80), str("button"));
}

class OSDLayerFill : public testing::ModelTest {
protected:
    VNTTriggerLayer layerWith(std::vector<Dictionary> triggers) {
        const VNTTriggerLayer layer(VNTMutableDictionary::newInstance(str("VNTTriggerLayer")));
        layer.setStoredObject(str("Music"), str("name"));
        for (Dictionary& entries : triggers) {
            const VNTMutableDictionary trigger =
                VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote"), entries);
            layer.triggers()->push_back(trigger.value());
        }
        return layer;
    }
};

TEST_F(OSDLayerFill, TriggersGiveTheirTilesTheirLooksAndTheTitleComesLast) {
    const LayerFill fill = fillForLayer(layerWith({
        {{str("name"), str("Play")},
         {str("osdb"), 1},
         {str("fontSize"), 18.5},
         {str("fontName"), str("Serif")},
         {str("fontColor"), str("#FF0000")}},
        {{str("name"), str("Next")}, {str("osdb"), 5}},
        {{str("name"), str("Nothing")}, {str("osdb"), 0}},
    }));
    EXPECT_EQ(fill.templateName, str("Default"));
    ASSERT_EQ(fill.tiles.size(), 3u);
    EXPECT_EQ(fill.tiles[0].osdb, 1);
    EXPECT_EQ(fill.tiles[0].parameters.value(str("fontSize")), str("18.500000pt"));
    EXPECT_EQ(fill.tiles[0].parameters.value(str("fontFamily")), str("Serif"));
    EXPECT_EQ(fill.tiles[0].parameters.value(str("fontColor")), str("#FF0000"));
    // Defaults of a trigger that names no looks.
    EXPECT_EQ(fill.tiles[1].parameters.value(str("fontSize")), str("24.000000pt"));
    EXPECT_EQ(fill.tiles[1].parameters.value(str("fontFamily")), str("Lucida-Grande"));
    EXPECT_EQ(fill.tiles[1].parameters.value(str("fontColor")), str("#000000"));
    // The layer's name, white, with no font family so the template's default applies.
    EXPECT_EQ(fill.tiles[2].osdb, 2);
    EXPECT_EQ(fill.tiles[2].parameters.value(str("title")), str("Music"));
    EXPECT_EQ(fill.tiles[2].parameters.value(str("fontColor")), str("#FFFFFF"));
    EXPECT_FALSE(fill.tiles[2].parameters.contains(str("fontFamily")));
}

TEST_F(OSDLayerFill, LegacyButtonCodesBecomeNumbersAndTheLayerNamesItsTemplate) {
    const VNTTriggerLayer layer = layerWith({{{str("name"), str("Old")}, {str("arbe"), 2}}});
    layer.setStoredObject(str("Dark"), str("template"));
    const LayerFill fill = fillForLayer(layer);
    EXPECT_EQ(fill.templateName, str("Dark"));
    ASSERT_EQ(fill.tiles.size(), 2u);
    EXPECT_EQ(fill.tiles[0].osdb, osdbForARBE(2));
    const VNTTrigger trigger(VNTMutableDictionary::of(layer.triggers()->at(0)));
    EXPECT_TRUE(trigger.storedObjectForKey(str("arbe")).isNone());
}

TEST_F(OSDLayerFill, NullLayerFillsNothing) {
    EXPECT_TRUE(fillForLayer({}).tiles.empty());
}

} // namespace
} // namespace vantir
