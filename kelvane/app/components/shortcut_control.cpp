#include "kelvane/app/components/shortcut_control.h"

#include "platform/core/alerts.h"
#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>

namespace kelvane::components {
namespace {

constexpr quint32 kCountedFlags = cocoa_flags::Command | cocoa_flags::Option |
                                  cocoa_flags::Control | cocoa_flags::Shift | cocoa_flags::Function;

bool isCancelKey(int keyCode) {
    return keyCode == platform::vk::Escape || keyCode == platform::vk::Delete ||
           keyCode == platform::vk::ForwardDelete;
}

} // namespace

quint32 KVShortcutCell::filteredCocoaFlags(quint32 flags) const {
    quint32 filtered = 0;
    for (quint32 bit : {cocoa_flags::Command, cocoa_flags::Option, cocoa_flags::Control,
                        cocoa_flags::Shift, cocoa_flags::Function})
        if ((requiredFlags & bit) || ((flags & bit) && (allowedFlags & bit)))
            filtered |= bit;
    return filtered;
}

bool KVShortcutCell::validModifierFlags(quint32 filteredFlags) const {
    return allowsKeyOnly || (filteredFlags & kCountedFlags) != 0;
}

bool KVShortcutCell::isEmpty() const {
    return !validModifierFlags(m_keyCombo.flags) ||
           m_validator.names().stringForKeyCode(m_keyCombo.code).isEmpty();
}

KVShortcutCell::Outcome KVShortcutCell::keyDown(int keyCode, quint32 cocoaFlags,
                                                const QString& characters,
                                                std::optional<ShortcutError>* error) {
    if (!m_recording)
        return Outcome::Ignored;
    const quint32 flags = filteredCocoaFlags(cocoaFlags);
    const bool acceptable = validModifierFlags(flags);
    if (isCancelKey(keyCode)) {
        const bool realModifierHeld = (flags & kCountedFlags) != 0;
        if (!acceptable || (allowsKeyOnly && !realModifierHeld && !escapeKeysRecord)) {
            m_recording = false;
            return Outcome::Cancelled;
        }
    }
    if (!acceptable) {
        m_recording = false;
        return Outcome::Cancelled;
    }
    if (characters.isEmpty()) {
        m_recording = false;
        return Outcome::Beeped;
    }
    if (m_validator.isKeyCodeAndFlagsTaken(keyCode, KVCocoaToCarbonFlags(flags), error))
        return Outcome::Taken;
    m_keyCombo = KeyCombo{flags, keyCode};
    m_recording = false;
    return Outcome::Recorded;
}

QString KVShortcutCell::displayText(quint32 heldFlags, bool pointerOverSnapback) const {
    const KVKeyCodeTransformer& names = m_validator.names();
    if (m_recording) {
        const QString glyphs = KVStringForCocoaModifierFlags(filteredCocoaFlags(heldFlags));
        if (!glyphs.isEmpty())
            return glyphs;
        return names.text(pointerOverSnapback ? "Use old shortcut" : "Type shortcut");
    }
    if (isEmpty())
        return names.text("Click to record shortcut");
    return names.stringForCocoaModifierFlagsAndKeyCode(m_keyCombo.flags, m_keyCombo.code);
}

KVImageButton::KVImageButton(const QString& accessibleName, const QString& glyph, QWidget* parent)
    : QAbstractButton(parent), m_glyph(glyph) {
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void KVImageButton::loadImages(const QString& folder, const QString& name) {
    const auto load = [&folder, &name](const char* state) {
        QPixmap image(folder + QLatin1Char('/') + name + QLatin1String(state) +
                      QStringLiteral(".png"));
        image.setDevicePixelRatio(2.0);
        return image;
    };
    m_images = {load(""), load("Rollover"), load("Pressed")};
    if (!hasImage())
        platform::log(QStringLiteral("The image %1 is missing from %2; showing %3 instead")
                          .arg(name, folder, m_glyph));
    updateGeometry();
    update();
}

KVImageButton::State KVImageButton::state() const {
    if (isDown())
        return State::Pressed;
    return m_hovered ? State::Rollover : State::Normal;
}

QSize KVImageButton::sizeHint() const {
    if (!hasImage())
        return {16, 16};
    return m_images[0].deviceIndependentSize().toSize();
}

void KVImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap& stateImage = m_images[std::size_t(state())];
    const QPixmap& image = stateImage.isNull() ? m_images[0] : stateImage;
    if (image.isNull()) {
        painter.setPen(palette().color(state() == State::Normal ? QPalette::PlaceholderText
                                                                : QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, m_glyph);
        return;
    }
    const QSizeF size = image.deviceIndependentSize();
    painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2),
                       image);
}

void KVImageButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void KVImageButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void KVImageButton::hideEvent(QHideEvent* event) {
    // A hidden button gets no leave event, and must not look hovered when it shows again.
    setHovered(false);
    QAbstractButton::hideEvent(event);
}

void KVImageButton::setHovered(bool hovered) {
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    update();
    Q_EMIT hoveredChanged();
}

KVShortcutControl::KVShortcutControl(const QString& accessibleName,
                                     const KVShortcutValidator& validator, platform::Alerts& alerts,
                                     const QString& imageFolder, QWidget* parent)
    : QPushButton(parent), m_cell(validator), m_alerts(alerts),
      m_removeButton(new KVImageButton(QStringLiteral("Clear %1").arg(accessibleName),
                                       QStringLiteral("\u2715"), this)),
      m_snapbackButton(new KVImageButton(
          QStringLiteral("%1: %2").arg(accessibleName, validator.names().text("Use old shortcut")),
          QStringLiteral("\u21B6"), this)) {
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumWidth(170);
    m_removeButton->loadImages(imageFolder, QStringLiteral("KVRemoveShortcut"));
    m_snapbackButton->loadImages(imageFolder, QStringLiteral("KVSnapback"));
    m_snapbackButton->setToolTip(validator.names().text("Use old shortcut"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addStretch();
    layout->addWidget(m_removeButton);
    layout->addWidget(m_snapbackButton);
    connect(this, &QPushButton::clicked, this, &KVShortcutControl::startRecording);
    connect(m_removeButton, &KVImageButton::clicked, this, [this] {
        endRecording();
        m_cell.setKeyCombo({});
        refresh();
        Q_EMIT keyComboDidChange();
    });
    connect(m_snapbackButton, &KVImageButton::clicked, this, [this] {
        endRecording();
        refresh();
    });
    connect(m_snapbackButton, &KVImageButton::hoveredChanged, this, [this] {
        // Hiding the button when recording ends unhovers it; refresh has that in hand.
        if (m_cell.isRecording())
            refresh();
    });
    refresh();
}

void KVShortcutControl::setKeyCombo(int keyCode, quint32 carbonFlags) {
    m_cell.setKeyCombo({carbonToCocoaFlags(carbonFlags), keyCode});
    refresh();
}

void KVShortcutControl::startRecording() {
    if (m_cell.isRecording())
        return;
    m_cell.startRecording();
    m_heldFlags = 0;
    setFocus(Qt::MouseFocusReason);
    grabKeyboard();
    refresh();
}

void KVShortcutControl::endRecording() {
    if (!m_cell.isRecording())
        return;
    m_cell.endRecording();
    releaseKeyboard();
}

void KVShortcutControl::refresh() {
    const bool recording = m_cell.isRecording();
    m_removeButton->setVisible(!m_cell.isEmpty() && !recording);
    m_snapbackButton->setVisible(recording);
    setText(m_cell.displayText(m_heldFlags, recording && m_snapbackButton->isHovered()));
    setAccessibleDescription(text());
    setDown(recording);
}

quint32 KVShortcutControl::cocoaFlagsOf(Qt::KeyboardModifiers modifiers) {
    quint32 flags = 0;
    if (modifiers & Qt::MetaModifier)
        flags |= cocoa_flags::Command;
    if (modifiers & Qt::ShiftModifier)
        flags |= cocoa_flags::Shift;
    if (modifiers & Qt::AltModifier)
        flags |= cocoa_flags::Option;
    if (modifiers & Qt::ControlModifier)
        flags |= cocoa_flags::Control;
    return flags;
}

void KVShortcutControl::keyPressEvent(QKeyEvent* event) {
    if (!m_cell.isRecording()) {
        if (event->key() == Qt::Key_Space) {
            startRecording();
            return;
        }
        QPushButton::keyPressEvent(event);
        return;
    }
    m_heldFlags = cocoaFlagsOf(event->modifiers());
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        refresh();
        return;
    default:
        break;
    }
    const std::optional<int> keyCode =
        platform::virtualKeyCodeForX11Keycode(int(event->nativeScanCode()));
    // Keys without a place in the table type nothing we could store.
    const QString characters =
        keyCode ? event->text().isEmpty() ? QStringLiteral(" ") : event->text() : QString();
    std::optional<ShortcutError> error;
    switch (m_cell.keyDown(keyCode.value_or(-1), m_heldFlags, characters, &error)) {
    case KVShortcutCell::Outcome::Ignored:
        break;
    case KVShortcutCell::Outcome::Taken: {
        platform::Alert alert;
        alert.style = platform::AlertStyle::Critical;
        alert.messageText = error ? error->description : QString();
        alert.informativeText = error ? error->recoverySuggestion : QString();
        // The alert needs the keyboard; recording goes on once it is answered.
        releaseKeyboard();
        m_alerts.runModal(alert);
        grabKeyboard();
        break;
    }
    case KVShortcutCell::Outcome::Beeped:
        m_alerts.beep();
        releaseKeyboard();
        break;
    case KVShortcutCell::Outcome::Cancelled:
        releaseKeyboard();
        break;
    case KVShortcutCell::Outcome::Recorded:
        releaseKeyboard();
        refresh();
        Q_EMIT keyComboDidChange();
        break;
    }
    refresh();
}

void KVShortcutControl::keyReleaseEvent(QKeyEvent* event) {
    if (m_cell.isRecording()) {
        m_heldFlags = cocoaFlagsOf(event->modifiers());
        refresh();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

void KVShortcutControl::focusOutEvent(QFocusEvent* event) {
    if (m_cell.isRecording()) {
        endRecording();
        refresh();
    }
    QPushButton::focusOutEvent(event);
}

} // namespace kelvane::components
