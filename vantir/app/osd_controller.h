#pragma once

#include "vantir/core/osd_templates.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace vantir {

class VNTOSDView;
class VNTTriggerLayer;

/// One on-screen display: its view of 23 tiles and a background, filled from a layer's
/// triggers through the HTML templates, with highlights, clicks and drops. The display
/// windows and the editor each own one.
class VNTOSDController {
public:
    explicit VNTOSDController(OSDTemplates templates);
    ~VNTOSDController();
    VNTOSDController(const VNTOSDController&) = delete;
    VNTOSDController& operator=(const VNTOSDController&) = delete;

    VNTOSDView* osdView() const { return m_view; }
    /// Moves the view into `holder`, filling it and resizing with it.
    void addOSDViewTo(QWidget* holder);

    /// Shows `layer`: every tile cleared, then the layer's buttons and its name in the title.
    /// A null layer leaves the display empty.
    void fillOSDFromLayer(const VNTTriggerLayer& layer);
    /// Renders one tile with `parameters` (defaults added) from the template named. False, and
    /// the tile left as it was, when the display has no such tile or the template no file.
    bool setAttributedTitle(const TileParameters& parameters, int osdb,
                            const QString& templateName);
    bool setTitle(const QString& title, int osdb, const QString& templateName);
    void clearButton(int osdb);
    void clearAllButtons();
    /// Lights the tile of `osdb` up, or not, and redraws the display at once.
    void setOSDBHighlighted(int osdb, bool highlighted);
    /// Lets the tile of `osdb` take drops of these types.
    void registerOSDBForDraggedTypes(int osdb, const QStringList& types);
    /// What the tile of `osdb` shows as its title now; empty for a cleared tile.
    QString titleOf(int osdb) const;

    /// Called when the user clicks the tile of `osdb`; 0 for the background.
    void setClickHandler(std::function<void(int osdb)> handler);
    /// Called when an item (an action's UUID) is dropped on the tile of `osdb`.
    void setDropHandler(std::function<void(const QString& item, int osdb)> handler);

private:
    bool loadPage(int osdb, const QString& path, const TileParameters& parameters);

    OSDTemplates m_templates;
    std::function<void(int)> m_clickHandler;
    std::function<void(const QString&, int)> m_dropHandler;
    QPointer<VNTOSDView> m_view;
};

} // namespace vantir
