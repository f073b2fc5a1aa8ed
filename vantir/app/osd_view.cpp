#include "vantir/app/osd_view.h"

#include "platform/core/log.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextFrame>

namespace vantir {

QPainterPath roundedRectPath(QRectF rect, double radius, double lineWidth) {
    const RoundedRect rounded = roundedRectInRect(rect, radius, lineWidth);
    const QRectF& centres = rounded.arcCentres;
    const double r = rounded.radius;
    const auto arcBox = [r](QPointF centre) {
        return QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    };
    // Angles run counter-clockwise as seen on screen, starting at the lower-left corner.
    QPainterPath path;
    path.arcMoveTo(arcBox(centres.bottomLeft()), 180);
    path.arcTo(arcBox(centres.bottomLeft()), 180, 90);
    path.arcTo(arcBox(centres.bottomRight()), 270, 90);
    path.arcTo(arcBox(centres.topRight()), 0, 90);
    path.arcTo(arcBox(centres.topLeft()), 90, 90);
    path.closeSubpath();
    return path;
}

QVariant TileDocument::loadResource(int type, const QUrl& name) {
    // Pages come from template folders; nothing is fetched from the network.
    const QUrl url = baseUrl().resolved(name);
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxResourceBytes) {
        platform::log(
            QStringLiteral("the display does not show %1: no such file, or too large").arg(path));
        return {};
    }
    if (type == QTextDocument::ImageResource) {
        QImageReader reader(path);
        const QSize size = reader.size();
        if (size.width() > kMaxImageSide || size.height() > kMaxImageSide)
            reader.setScaledSize(size.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio));
        QImage image = reader.read();
        if (image.isNull())
            platform::log(QStringLiteral("the display cannot read the image %1: %2")
                              .arg(path, reader.errorString()));
        return image;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (type == QTextDocument::StyleSheetResource || type == QTextDocument::HtmlResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

bool displayKeyFor(int qtKey, DisplayKey* key) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        *key = DisplayKey::Return;
        return true;
    case Qt::Key_Space:
        *key = DisplayKey::Space;
        return true;
    case Qt::Key_Escape:
        *key = DisplayKey::Escape;
        return true;
    case Qt::Key_Left:
        *key = DisplayKey::Left;
        return true;
    case Qt::Key_Right:
        *key = DisplayKey::Right;
        return true;
    case Qt::Key_Down:
        *key = DisplayKey::Down;
        return true;
    case Qt::Key_Up:
        *key = DisplayKey::Up;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------

VNTTransparentControl::VNTTransparentControl(int tag, QRectF designFrame, VNTOSDView* view)
    : QWidget(view), m_tag(tag), m_designFrame(designFrame), m_view(view) {
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
}

void VNTTransparentControl::setHighlighted(bool highlighted) {
    if (m_isHighlighted == highlighted)
        return;
    m_isHighlighted = highlighted;
    // Drawn now, not at the next turn of the event loop: the button is performed meanwhile.
    m_view->repaint();
}

void VNTTransparentControl::setDraggedTypes(QStringList types) {
    m_draggedTypes = std::move(types);
    setAcceptDrops(!m_draggedTypes.isEmpty());
}

void VNTTransparentControl::paintEvent(QPaintEvent*) {
    if (!m_isHighlighted)
        return;
    constexpr double lineWidth = 10;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in design units, so the ring scales with the display.
    const double scale = width() / m_designFrame.width();
    painter.scale(scale, scale);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 0, 0.7), lineWidth));
    painter.drawPath(roundedRectPath(QRectF(QPointF(0, 0), m_designFrame.size()), 10, lineWidth));
}

void VNTTransparentControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (clicked)
        clicked(m_tag);
    // The background passes the press on, so that a window can be dragged by it.
    if (m_tag == 0)
        event->ignore();
}

void VNTTransparentControl::keyPressEvent(QKeyEvent* event) {
    m_view->forwardKey(event);
}

QString VNTTransparentControl::offeredType(const QMimeData* data) const {
    for (const QString& type : m_draggedTypes)
        if (data && data->hasFormat(type))
            return type;
    return {};
}

void VNTTransparentControl::dragEnterEvent(QDragEnterEvent* event) {
    setHighlighted(true);
    if (offeredType(event->mimeData()).isEmpty()) {
        event->ignore();
        setHighlighted(false);
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
}

void VNTTransparentControl::dragLeaveEvent(QDragLeaveEvent*) {
    setHighlighted(false);
}

void VNTTransparentControl::dropEvent(QDropEvent* event) {
    setHighlighted(false);
    const QString type = offeredType(event->mimeData());
    if (type.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::LinkAction);
    event->accept();
    if (droppedItem)
        droppedItem(QString::fromUtf8(event->mimeData()->data(type)), m_tag);
}

// ---------------------------------------------------------------------------------------------

struct VNTOSDView::Page {
    int osdb = 0;
    QRectF frame;
    TileDocument document;
    bool isEmpty = true;
};

VNTOSDView::VNTOSDView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 100);
    setFocusPolicy(Qt::StrongFocus);
    const auto addPage = [this](int osdb, QRectF frame) {
        auto page = std::make_unique<Page>();
        page->osdb = osdb;
        page->frame = frame;
        page->document.setDocumentMargin(0);
        page->document.setTextWidth(frame.width());
        m_pages.push_back(std::move(page));
    };
    addPage(0, osdBackgroundFrame());
    m_overlays.push_back(new VNTTransparentControl(0, osdBackgroundFrame(), this));
    for (const OSDTile& tile : osdTiles()) {
        addPage(tile.osdb, tile.frame);
        const QRectF grown =
            tile.frame.adjusted(-kOverlayMargin, -kOverlayMargin, kOverlayMargin, kOverlayMargin);
        m_overlays.push_back(new VNTTransparentControl(tile.osdb, grown, this));
    }
}

VNTOSDView::~VNTOSDView() = default;

QRectF VNTOSDView::scaledBounds() const {
    return boundsScaledIntoFrame(QSizeF(size()), QSizeF(kOSDDesignWidth, kOSDDesignHeight));
}

void VNTOSDView::setPage(int osdb, const QString& html, const QString& baseFile) {
    for (auto& page : m_pages) {
        if (page->osdb != osdb)
            continue;
        page->document.setBaseUrl(QUrl::fromLocalFile(baseFile));
        page->document.setHtml(html);
        page->isEmpty = html.isEmpty();
        update();
        return;
    }
}

VNTTransparentControl* VNTOSDView::overlay(int osdb) const {
    for (VNTTransparentControl* overlay : m_overlays)
        if (overlay->tag() == osdb)
            return overlay;
    return nullptr;
}

QString VNTOSDView::pageText(int osdb) const {
    for (const auto& page : m_pages)
        if (page->osdb == osdb)
            return page->isEmpty ? QString() : page->document.toPlainText().trimmed();
    return {};
}

void VNTOSDView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = scaledBounds();
    const double scale = width() / bounds.width();
    painter.scale(scale, scale);
    painter.translate(-bounds.topLeft());
    for (const auto& page : m_pages) {
        if (page->isEmpty)
            continue;
        painter.save();
        // A page shorter than its tile sits in the tile's middle; a longer one is cut off.
        const double height = page->document.size().height();
        const double top = page->osdb == 0 ? 0 : std::max(0.0, (page->frame.height() - height) / 2);
        painter.translate(page->frame.topLeft() + QPointF(0, top));
        const QRectF clip(0, -top, page->frame.width(), page->frame.height());
        if (page->osdb == 0)
            painter.fillRect(clip, page->document.rootFrame()->frameFormat().background());
        page->document.drawContents(&painter, clip);
        painter.restore();
    }
}

void VNTOSDView::resizeEvent(QResizeEvent*) {
    placeOverlays();
}

void VNTOSDView::placeOverlays() {
    const QRectF bounds = scaledBounds();
    const double scale = width() / bounds.width();
    for (VNTTransparentControl* overlay : m_overlays) {
        const QRectF frame = overlay->designFrame();
        overlay->setGeometry(
            QRectF((frame.topLeft() - bounds.topLeft()) * scale, frame.size() * scale)
                .toAlignedRect());
    }
}

void VNTOSDView::keyPressEvent(QKeyEvent* event) {
    forwardKey(event);
}

void VNTOSDView::forwardKey(QKeyEvent* event) {
    DisplayKey key;
    if (!m_keyHandler || !displayKeyFor(event->key(), &key)) {
        event->ignore();
        return;
    }
    m_keyHandler(key, event->modifiers() & Qt::ShiftModifier);
}

} // namespace vantir
