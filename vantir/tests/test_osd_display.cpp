// The on-screen display as drawn: tiles from templates, scaling, highlight, clicks and drops.

#include "vantir/app/osd_controller.h"
#include "vantir/app/osd_view.h"
#include "vantir/core/classes.h"
#include "vantir/tests/model_fixture.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTest>

namespace vantir {
namespace {

using testing::str;

class OSDDisplayTest : public testing::ModelTest {
protected:
    OSDDisplayTest() {
        root = folder() + str("/templates");
        // Solid tiles, so that pixels tell where a tile was drawn.
        const QByteArray tile = "<html><body><table width=\"100%\" cellpadding=\"20\" "
                                "bgcolor=\"#ff0000\"><tr><td>%%title%%</td></tr></table>"
                                "</body></html>";
        for (const OSDTile& layout : osdTiles())
            write(root + str("/Default/") +
                      templateFilenameFor(buttonTypeOf(layout.osdb), layout.frame.size()),
                  tile);
        write(root + str("/transparent.html"), "<html><body></body></html>");
        write(root + str("/back1080x800.html"), "<html><body bgcolor=\"#0000ff\"></body></html>");
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    /// A display shown at `size`, its pixels once drawn.
    std::unique_ptr<VNTOSDController> display(QSize size = {1280, 800}) {
        auto osd = std::make_unique<VNTOSDController>(OSDTemplates({root}));
        osd->osdView()->resize(size);
        return osd;
    }
    static QImage pixels(VNTOSDController& osd) { return osd.osdView()->grab().toImage(); }
    static QPoint centreOf(int osdb, double scale = 1) {
        return (osdTileFor(osdb)->frame.center() * scale).toPoint();
    }
    VNTTriggerLayer layer(const QString& name, std::vector<std::pair<int, QString>> buttons) {
        const VNTTriggerLayer layer(VNTMutableDictionary::newInstance(str("VNTTriggerLayer")));
        layer.setStoredObject(name, str("name"));
        for (const auto& [osdb, title] : buttons)
            layer.triggers()->push_back(
                VNTMutableDictionary::newInstance(str("VNTTriggerAppleRemote"),
                                                  {{str("osdb"), osdb}, {str("name"), title}})
                    .value());
        return layer;
    }

    QString root;
};

TEST_F(OSDDisplayTest, TileIsDrawnWhereTheLayoutPutsItAtAnyScale) {
    for (const QSize size : {QSize(1280, 800), QSize(640, 400), QSize(2000, 800)}) {
        auto osd = display(size);
        const QRectF bounds = osd->osdView()->scaledBounds();
        const double scale = size.width() / bounds.width();
        const auto at = [&](QPointF design) {
            return ((design - bounds.topLeft()) * scale).toPoint();
        };
        EXPECT_EQ(pixels(*osd).pixelColor(at(osdTileFor(5)->frame.center())), QColor(0, 0, 255));
        ASSERT_TRUE(osd->setTitle(str("Next"), 5, str("Default")));
        const QImage image = pixels(*osd);
        EXPECT_EQ(image.pixelColor(at(osdTileFor(5)->frame.center() + QPointF(60, 0))),
                  QColor(255, 0, 0))
            << size.width();
        EXPECT_EQ(image.pixelColor(at(osdTileFor(6)->frame.center())), QColor(0, 0, 255));
        osd->clearButton(5);
        EXPECT_EQ(pixels(*osd).pixelColor(at(osdTileFor(5)->frame.center())), QColor(0, 0, 255));
    }
}

TEST_F(OSDDisplayTest, TileMatchesItsPageRenderedAlone) {
    auto osd = display();
    ASSERT_TRUE(osd->setTitle(str("Play"), 1, str("Default")));
    const QRect tile = osdTileFor(1)->frame.toRect();
    const QImage drawn = pixels(*osd).copy(tile);

    // The same page drawn by hand on the background's colour, centred in the tile.
    TileDocument page;
    page.setDocumentMargin(0);
    page.setTextWidth(tile.width());
    page.setHtml(
        *loadTemplate(root + str("/Default/center-200x100.html"), {{str("title"), str("Play")}}));
    QImage reference(tile.size(), drawn.format());
    reference.fill(QColor(0, 0, 255));
    {
        QPainter painter(&reference);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double top = std::max(0.0, (tile.height() - page.size().height()) / 2);
        painter.translate(0, top);
        page.drawContents(&painter, QRectF(0, -top, tile.width(), tile.height()));
    }
    EXPECT_EQ(drawn, reference);
}

TEST_F(OSDDisplayTest, LayerFillsNamesTitleAndClearsWhatTheNextLayerLacks) {
    auto osd = display();
    osd->fillOSDFromLayer(layer(str("Music"), {{1, str("Play")}, {5, str("Next")}, {8, str("X")}}));
    EXPECT_EQ(osd->titleOf(1), str("Play"));
    EXPECT_EQ(osd->titleOf(5), str("Next"));
    EXPECT_EQ(osd->titleOf(2), str("Music"));
    EXPECT_EQ(osd->osdView()->overlay(5)->accessibleName(), str("Next"));

    osd->fillOSDFromLayer(layer(str("Video"), {{1, str("Pause")}}));
    EXPECT_EQ(osd->titleOf(1), str("Pause"));
    EXPECT_TRUE(osd->titleOf(5).isEmpty());
    EXPECT_TRUE(osd->osdView()->pageText(5).isEmpty());

    osd->fillOSDFromLayer({});
    EXPECT_TRUE(osd->titleOf(1).isEmpty());
    EXPECT_TRUE(osd->titleOf(2).isEmpty());
}

TEST_F(OSDDisplayTest, HostileNameShowsAsText) {
    auto osd = display();
    osd->fillOSDFromLayer(layer(str("<i>L</i>"), {{3, str("<b>&amp;</b><img src=\"x.png\">")}}));
    EXPECT_EQ(osd->osdView()->pageText(3), str("<b>&amp;</b><img src=\"x.png\">"));
    EXPECT_EQ(osd->osdView()->pageText(2), str("<i>L</i>"));
}

TEST_F(OSDDisplayTest, MissingTemplateLeavesTheTileEmptyAndSaysWhy) {
    auto osd = display();
    const VNTTriggerLayer dark = layer(str("Dark"), {{1, str("Play")}});
    dark.setStoredObject(str("Dark"), str("template"));
    osd->fillOSDFromLayer(dark);
    EXPECT_TRUE(osd->titleOf(1).isEmpty());
    EXPECT_EQ(pixels(*osd).pixelColor(centreOf(1)), QColor(0, 0, 255));
    EXPECT_TRUE(
        logged(str("Error: could not find file 'center-200x100.html' for template 'Dark' ")));
}

TEST_F(OSDDisplayTest, HighlightRingsTheTileInYellow) {
    auto osd = display();
    const QRectF tile = osdTileFor(5)->frame;
    // The ring's stroke runs 5 units outside the tile's edge.
    const QPoint onRing = QPointF(tile.left() - 5, tile.center().y()).toPoint();
    osd->setOSDBHighlighted(5, true);
    const QColor lit = pixels(*osd).pixelColor(onRing);
    EXPECT_GT(lit.red(), 150);
    EXPECT_GT(lit.green(), 150);
    EXPECT_LT(lit.blue(), 100);
    osd->setOSDBHighlighted(5, false);
    EXPECT_EQ(pixels(*osd).pixelColor(onRing), QColor(0, 0, 255));
}

TEST_F(OSDDisplayTest, ClicksReportTheTileAndTheBackground) {
    auto osd = display();
    std::vector<int> clicked;
    osd->setClickHandler([&clicked](int osdb) { clicked.push_back(osdb); });
    QTest::mouseClick(osd->osdView()->overlay(40), Qt::LeftButton);
    QTest::mouseClick(osd->osdView()->overlay(40), Qt::RightButton);
    QTest::mouseClick(osd->osdView()->overlay(0), Qt::LeftButton);
    EXPECT_EQ(clicked, (std::vector<int>{40, 0}));
}

TEST_F(OSDDisplayTest, DropsOfActionsArriveAndForeignDataIsRefused) {
    auto osd = display();
    std::vector<std::pair<QString, int>> dropped;
    osd->setDropHandler(
        [&dropped](const QString& item, int osdb) { dropped.emplace_back(item, osdb); });
    osd->registerOSDBForDraggedTypes(3, {kItemDataType});
    VNTTransparentControl* overlay = osd->osdView()->overlay(3);
    const QPoint inside = overlay->rect().center();

    QMimeData foreign;
    foreign.setText(str("some text"));
    QDragEnterEvent enterForeign(inside, Qt::LinkAction, &foreign, Qt::LeftButton, {});
    QApplication::sendEvent(overlay, &enterForeign);
    EXPECT_FALSE(enterForeign.isAccepted());
    EXPECT_FALSE(overlay->isHighlighted());
    QDropEvent dropForeign(inside, Qt::LinkAction, &foreign, Qt::LeftButton, {});
    QApplication::sendEvent(overlay, &dropForeign);

    QMimeData action;
    action.setData(kItemDataType, "UUID-1");
    QDragEnterEvent enter(inside, Qt::LinkAction, &action, Qt::LeftButton, {});
    QApplication::sendEvent(overlay, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(overlay->isHighlighted());
    QDropEvent drop(inside, Qt::LinkAction, &action, Qt::LeftButton, {});
    QApplication::sendEvent(overlay, &drop);
    EXPECT_FALSE(overlay->isHighlighted());
    EXPECT_EQ(dropped, (std::vector<std::pair<QString, int>>{{str("UUID-1"), 3}}));
}

class ExposedTileDocument : public TileDocument {
public:
    using TileDocument::loadResource;
};

TEST_F(OSDDisplayTest, PagesLoadOnlyBoundedLocalFiles) {
    QImage huge(5000, 100, QImage::Format_RGB32);
    huge.fill(Qt::green);
    ASSERT_TRUE(huge.save(root + str("/Default/huge.png")));
    write(root + str("/Default/look.css"), "td { color: red; }");
    ExposedTileDocument page;
    page.setBaseUrl(QUrl::fromLocalFile(root + str("/Default/button-200x100.html")));
    const QImage image =
        page.loadResource(QTextDocument::ImageResource, QUrl(str("huge.png"))).value<QImage>();
    EXPECT_EQ(image.width(), TileDocument::kMaxImageSide);
    EXPECT_LE(image.height(), 41);
    EXPECT_EQ(page.loadResource(QTextDocument::StyleSheetResource, QUrl(str("look.css"))),
              QVariant(str("td { color: red; }")));
    EXPECT_FALSE(
        page.loadResource(QTextDocument::ImageResource, QUrl(str("http://example.org/remote.png")))
            .isValid());
    EXPECT_FALSE(
        page.loadResource(QTextDocument::ImageResource, QUrl(str("missing.png"))).isValid());
}

TEST_F(OSDDisplayTest, ProgramsTemplatesShowEveryButton) {
    VNTOSDController osd(OSDTemplates({str(VANTIR_RESOURCES "/HTMLTemplates")}));
    osd.osdView()->resize(1280, 800);
    std::vector<std::pair<int, QString>> buttons;
    for (const OSDTile& tile : osdTiles())
        if (tile.osdb != 2)
            buttons.emplace_back(tile.osdb, QString::number(tile.osdb));
    osd.fillOSDFromLayer(layer(str("<Music>"), buttons));
    osd.setOSDBHighlighted(1, true);
    for (const OSDTile& tile : osdTiles())
        EXPECT_FALSE(osd.osdView()->pageText(tile.osdb).isEmpty()) << tile.osdb;
    EXPECT_EQ(osd.osdView()->pageText(2), str("<Music>"));
    // Set VANTIR_SCREENSHOTS to a folder to look at the display.
    const QString screenshots = qEnvironmentVariable("VANTIR_SCREENSHOTS");
    if (!screenshots.isEmpty())
        osd.osdView()->grab().save(screenshots + str("/osd.png"));
}

} // namespace
} // namespace vantir
