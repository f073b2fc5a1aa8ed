#pragma once

#include "kelvane/app/components/shortcut_validator.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPushButton>

#include <array>
#include <functional>

namespace platform {
class Alerts;
}

namespace kelvane::components {

/// A recorded combination: interface modifier flags and a virtual key code, −1 for none.
struct KeyCombo {
    quint32 flags = 0;
    int code = -1;
    bool operator==(const KeyCombo&) const = default;
};

/// What a shortcut recorder does with key presses, free of any window so it can be tested.
class KVShortcutCell {
public:
    enum class Outcome {
        Ignored,   ///< not recording
        Cancelled, ///< recording ended, combination unchanged
        Recorded,  ///< recording ended with a new combination
        Taken,     ///< the combination is in use; recording goes on
        Beeped,    ///< the key types nothing; recording ended
    };

    explicit KVShortcutCell(const KVShortcutValidator& validator) : m_validator(validator) {}

    quint32 allowedFlags = cocoa_flags::Command | cocoa_flags::Option | cocoa_flags::Control |
                           cocoa_flags::Shift | cocoa_flags::Function;
    quint32 requiredFlags = 0;
    bool allowsKeyOnly = false;
    bool escapeKeysRecord = false;

    const KeyCombo& keyCombo() const { return m_keyCombo; }
    void setKeyCombo(const KeyCombo& combo) { m_keyCombo = combo; }
    bool isRecording() const { return m_recording; }
    void startRecording() { m_recording = true; }
    void endRecording() { m_recording = false; }

    /// The modifiers of a press that count: mandatory ones, and held ones that are allowed.
    quint32 filteredCocoaFlags(quint32 flags) const;
    bool validModifierFlags(quint32 filteredFlags) const;
    /// No acceptable modifiers or a key without a name.
    bool isEmpty() const;

    /// A key press while the recorder has the focus; `error` is set for a taken combination.
    Outcome keyDown(int keyCode, quint32 cocoaFlags, const QString& characters,
                    std::optional<ShortcutError>* error);

    /// What the recorder shows, given the modifiers held while recording and whether the
    /// pointer is over the snap-back button.
    QString displayText(quint32 heldFlags, bool pointerOverSnapback = false) const;

private:
    const KVShortcutValidator& m_validator;
    KeyCombo m_keyCombo;
    bool m_recording = false;
};

/// A small button drawn from images: its normal image, and optionally others while it is
/// pressed or the pointer is over it. Without images it shows a glyph instead.
class KVImageButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class State { Normal, Rollover, Pressed };

    KVImageButton(const QString& accessibleName, const QString& glyph, QWidget* parent = nullptr);

    /// Reads "<name>.png", "<name>Rollover.png" and "<name>Pressed.png" from `folder`; missing
    /// state images fall back to the normal one. The images are drawn at twice their size.
    void loadImages(const QString& folder, const QString& name);
    bool hasImage() const { return !m_images[0].isNull(); }
    State state() const;
    bool isHovered() const { return m_hovered; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void hoveredChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setHovered(bool hovered);

    QString m_glyph;
    std::array<QPixmap, 3> m_images; // by State
    bool m_hovered = false;
};

/// The shortcut recorder: click it (or press Space on it) and type a combination. A taken
/// combination is explained in an alert and recording goes on.
class KVShortcutControl : public QPushButton {
    Q_OBJECT
public:
    /// `imageFolder` holds the images of the remove and snap-back buttons.
    KVShortcutControl(const QString& accessibleName, const KVShortcutValidator& validator,
                      platform::Alerts& alerts, const QString& imageFolder,
                      QWidget* parent = nullptr);

    KVShortcutCell& cell() { return m_cell; }
    /// The combination in hot key modifiers.
    int keyCode() const { return m_cell.keyCombo().code; }
    quint32 carbonFlags() const { return cocoaToCarbonFlags(m_cell.keyCombo().flags); }
    void setKeyCombo(int keyCode, quint32 carbonFlags);
    /// Clears the combination; shown while a combination is set and not recording.
    KVImageButton* removeButton() { return m_removeButton; }
    /// Ends recording without a change; shown while recording.
    KVImageButton* snapbackButton() { return m_snapbackButton; }

    static quint32 carbonToCocoaFlags(quint32 flags) { return KVCarbonToCocoaFlags(flags); }
    static quint32 cocoaToCarbonFlags(quint32 flags) { return KVCocoaToCarbonFlags(flags); }

Q_SIGNALS:
    /// The user recorded or cleared a combination.
    void keyComboDidChange();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void startRecording();
    void endRecording();
    void refresh();
    static quint32 cocoaFlagsOf(Qt::KeyboardModifiers modifiers);

    KVShortcutCell m_cell;
    platform::Alerts& m_alerts;
    KVImageButton* m_removeButton;
    KVImageButton* m_snapbackButton;
    quint32 m_heldFlags = 0;
};

} // namespace kelvane::components
