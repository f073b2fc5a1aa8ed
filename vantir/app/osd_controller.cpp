#include "vantir/app/osd_controller.h"

#include "vantir/app/osd_view.h"
#include "vantir/core/classes.h"

#include <QVBoxLayout>

namespace vantir {

VNTOSDController::VNTOSDController(OSDTemplates templates)
    : m_templates(std::move(templates)), m_view(new VNTOSDView) {
    for (VNTTransparentControl* overlay : m_view->overlays()) {
        overlay->clicked = [this](int osdb) {
            if (m_clickHandler)
                m_clickHandler(osdb);
        };
        overlay->droppedItem = [this](const QString& item, int osdb) {
            if (m_dropHandler)
                m_dropHandler(item, osdb);
        };
    }
    loadPage(0, m_templates.sharedFile(QStringLiteral("back1080x800.html")), {});
    clearAllButtons();
}

VNTOSDController::~VNTOSDController() {
    // The view belongs to the holder it was added to, if any; otherwise to this display.
    if (m_view && !m_view->parent())
        delete m_view;
}

void VNTOSDController::setClickHandler(std::function<void(int)> handler) {
    m_clickHandler = std::move(handler);
}

void VNTOSDController::setDropHandler(std::function<void(const QString&, int)> handler) {
    m_dropHandler = std::move(handler);
}

void VNTOSDController::addOSDViewTo(QWidget* holder) {
    if (!m_view || !holder)
        return;
    if (!holder->layout()) {
        auto* layout = new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    holder->layout()->addWidget(m_view);
}

void VNTOSDController::fillOSDFromLayer(const VNTTriggerLayer& layer) {
    clearAllButtons();
    if (layer.isNull())
        return;
    const LayerFill fill = fillForLayer(layer);
    for (const TileFill& tile : fill.tiles)
        setAttributedTitle(tile.parameters, tile.osdb, fill.templateName);
    if (m_view)
        m_view->repaint();
}

bool VNTOSDController::setAttributedTitle(const TileParameters& parameters, int osdb,
                                          const QString& templateName) {
    const std::optional<OSDTile> tile = osdTileFor(osdb);
    if (!tile)
        return false;
    const QString file = m_templates.templateFile(
        templateName, templateFilenameFor(buttonTypeOf(osdb), tile->frame.size()));
    if (file.isEmpty())
        return false;
    return loadPage(osdb, file, parameters);
}

bool VNTOSDController::setTitle(const QString& title, int osdb, const QString& templateName) {
    return setAttributedTitle({{QStringLiteral("title"), title}}, osdb, templateName);
}

void VNTOSDController::clearButton(int osdb) {
    if (!osdTileFor(osdb))
        return;
    loadPage(osdb, m_templates.sharedFile(QStringLiteral("transparent.html")), {});
    if (VNTTransparentControl* overlay = m_view ? m_view->overlay(osdb) : nullptr)
        overlay->setAccessibleName({});
}

void VNTOSDController::clearAllButtons() {
    for (const OSDTile& tile : osdTiles())
        clearButton(tile.osdb);
}

void VNTOSDController::setOSDBHighlighted(int osdb, bool highlighted) {
    if (VNTTransparentControl* overlay = m_view ? m_view->overlay(osdb) : nullptr)
        overlay->setHighlighted(highlighted);
}

void VNTOSDController::registerOSDBForDraggedTypes(int osdb, const QStringList& types) {
    if (VNTTransparentControl* overlay = m_view ? m_view->overlay(osdb) : nullptr)
        overlay->setDraggedTypes(types);
}

QString VNTOSDController::titleOf(int osdb) const {
    VNTTransparentControl* overlay = m_view ? m_view->overlay(osdb) : nullptr;
    return overlay ? overlay->accessibleName() : QString();
}

bool VNTOSDController::loadPage(int osdb, const QString& path, const TileParameters& parameters) {
    if (!m_view)
        return false;
    // A file that cannot be read leaves an empty tile rather than an old title.
    const std::optional<QString> html =
        path.isEmpty() ? std::nullopt : loadTemplate(path, parameters);
    m_view->setPage(osdb, html.value_or(QString()), path);
    if (osdb != 0) {
        if (VNTTransparentControl* overlay = m_view->overlay(osdb))
            overlay->setAccessibleName(
                html ? withDefaultParameters(parameters).value(QStringLiteral("title"))
                     : QString());
    }
    return html.has_value();
}

} // namespace vantir
