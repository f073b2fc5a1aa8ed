#pragma once

#include "vantir/core/controller.h"
#include "vantir/core/osd_layout.h"

#include <QMimeData>
#include <QPainterPath>
#include <QTextDocument>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace vantir {

/// The drag type of an action, carried by its UUID.
inline const QString kItemDataType = QStringLiteral("VNTItemDataType");

/// The outline of a rounded rectangle whose stroke of `lineWidth` stays inside `rect`.
QPainterPath roundedRectPath(QRectF rect, double radius, double lineWidth);

/// A page of a tile. Images and style sheets come only from local files next to the template;
/// large files and images are refused, so a broken template cannot take the display down.
class TileDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;
    /// Largest image side kept at full size; larger images are scaled down to it.
    static constexpr int kMaxImageSide = 2048;
    static constexpr qint64 kMaxResourceBytes = 8 * 1024 * 1024;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};

/// Keys that a display window hands on, as the controller understands them.
using DisplayKeyHandler = std::function<void(DisplayKey key, bool shift)>;
/// Turns a Qt key into a display key; false for keys the display does not use.
bool displayKeyFor(int qtKey, DisplayKey* key);

class VNTOSDView;

/// A transparent control over one tile (or over the background, tag 0): catches clicks and
/// drops and draws the yellow highlight while its button is performed.
class VNTTransparentControl : public QWidget {
public:
    VNTTransparentControl(int tag, QRectF designFrame, VNTOSDView* view);
    int tag() const { return m_tag; }
    QRectF designFrame() const { return m_designFrame; }
    bool isHighlighted() const { return m_isHighlighted; }
    /// Stores the flag and redraws the display at once.
    void setHighlighted(bool highlighted);
    void setDraggedTypes(QStringList types);

    /// Called with the tag on a left click.
    std::function<void(int tag)> clicked;
    /// Called when an item of a registered type was dropped: its text (an action's UUID).
    std::function<void(const QString& item, int tag)> droppedItem;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString offeredType(const QMimeData* data) const;

    int m_tag;
    QRectF m_designFrame;
    VNTOSDView* m_view;
    bool m_isHighlighted = false;
    QStringList m_draggedTypes;
};

/// The display's container: shows the 1280 × 800 design frame whole, uniformly scaled and
/// centred in whatever size it is given, and draws the background and the tiles' pages.
class VNTOSDView : public QWidget {
public:
    explicit VNTOSDView(QWidget* parent = nullptr);
    ~VNTOSDView() override;

    /// The design rectangle's part that the view spans now.
    QRectF scaledBounds() const;
    /// Shows `html` in the tile (or the background for 0), with relative names resolved
    /// against `baseFile`. An empty `html` clears the tile.
    void setPage(int osdb, const QString& html, const QString& baseFile);
    void setKeyHandler(DisplayKeyHandler handler) { m_keyHandler = std::move(handler); }
    void forwardKey(QKeyEvent* event);
    /// Overlays in stacking order, the background's first.
    const std::vector<VNTTransparentControl*>& overlays() const { return m_overlays; }
    VNTTransparentControl* overlay(int osdb) const;
    /// The text the tile of `osdb` shows, as a reader would read it; empty for a clear tile.
    QString pageText(int osdb) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Page;
    void placeOverlays();

    std::vector<std::unique_ptr<Page>> m_pages;
    std::vector<VNTTransparentControl*> m_overlays;
    DisplayKeyHandler m_keyHandler;
};

} // namespace vantir
