#pragma once

#include "fluxen/app/nice_textures.h"
#include "fluxen/app/update_checker.h"
#include "fluxen/core/settings.h"
#include "fluxen/core/simulation.h"
#include "platform/core/clock.h"

#include <QAbstractButton>
#include <QOpenGLWindow>
#include <QPointer>
#include <QSlider>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;

namespace platform {
class Defaults;
class Resources;
} // namespace platform

namespace fluxen {

class ManualTilt;
class MotionSensor;

class ColourWell;
class TaggedSlider;

/// The OpenGL surface the liquid needs: a compatibility profile for fixed-function drawing,
/// alpha, and swap interval 1 so that frames follow the display's refresh.
QSurfaceFormat liquidSurfaceFormat();

/// The drawing surface: owns the liquid, draws it with fixed-function OpenGL at 60 frames a
/// second, toggles full screen on a key, and is the target of every control of the panel.
///
/// It is a window of its own, shown inside the main window through a container widget, rather
/// than an OpenGL widget: a widget would be drawn into an extra frame buffer and then composed
/// with the whole main window on every frame, which on a software renderer costs more than the
/// liquid itself. The window keeps its picture in one frame buffer of its own (the trail fades
/// the previous frame) and copies it to the screen once a frame.
class DTView final : public QOpenGLWindow {
    Q_OBJECT
public:
    /// `tilt` is the arrow-key tilt when the program has no motion sensor (then `sensor` is
    /// that same object), or null. None of the references are owned.
    DTView(platform::Clock& clock, platform::Defaults& defaults, platform::Resources& resources,
           MotionSensor& sensor, ManualTilt* tilt);
    ~DTView() override;

    /// Makes the widget that shows the view inside `parent`; it owns the view from then on.
    QWidget* makeContainer(QWidget* parent);
    /// The widget that shows the view, wherever it is (in the main window or full screen).
    QWidget* container() const { return m_container; }

    // Outlets, set by the window that lays out the panel.
    TaggedSlider* pnum_Slider = nullptr;
    TaggedSlider* realR_Slider = nullptr;
    TaggedSlider* drawR_Slider = nullptr;
    TaggedSlider* gravity_Slider = nullptr;
    TaggedSlider* simSpeed_Slider = nullptr;
    TaggedSlider* rigid_Slider = nullptr;
    TaggedSlider* motionBlur_Slider = nullptr;
    QAbstractButton* textureRow0 = nullptr;
    QAbstractButton* textureRow1 = nullptr;
    QCheckBox* flip_CheckBox = nullptr;
    QCheckBox* checkUpdates = nullptr;
    ColourWell* cWell = nullptr;
    QLabel* m_update = nullptr; // the "update" field, hidden until an update is reported
    /// The window the view starts in.
    QWidget* startingWindow = nullptr;

    Simulation& simulation() { return m_simulation; }
    const Appearance& appearance() const { return m_look; }
    bool isFullScreenOn() const { return fullScreenOn; }
    QWidget* fullScreenWindow() const { return m_fullScreenWindow; }
    /// Whether the first frame has been drawn (the frame timer runs from then on).
    bool hasDrawnFirstFrame() const { return !first; }

    /// Sets the controls from the parameters and schedules the update check when it is on.
    void awakeFromNib();
    /// Saves the settings; the program may then quit.
    void applicationShouldTerminate();

public Q_SLOTS:
    void setTol(QObject* sender);
    void setColor(const QColor& colour);
    void chooseColor();
    void setDefaults();
    void setUpdateButton();
    void donate();
    void www();
    void FullScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void initializeGL() override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refresh();
    void setVisuals();
    void updateProjection();
    void makeTimer();
    void initObjects();
    void clearColourBuffer();
    void filterForDrawnSize(int textureSide, float smallestSide);
    void drawSizeRule();
    void askForUpdates();
    void scheduleUpdateCheck(double seconds);
    void saveSettings();
    void setControls();

    platform::Clock& m_clock;
    platform::Defaults& m_defaults;
    platform::Resources& m_resources;
    ManualTilt* m_tilt;

    Simulation m_simulation;
    Appearance m_look;
    std::optional<int> m_boundSlot;
    int check = 0;
    int asked = 0;
    bool first = true;
    bool fullScreenOn = false;
    QRect oldRect;
    static constexpr double TIME = 60.0;

    std::unique_ptr<NiceTextures> textures;
    std::unique_ptr<platform::Timer> myTimer;
    std::unique_ptr<platform::Timer> m_updateTimer;
    std::vector<float> m_corners;
    std::vector<float> m_cornerTexCoords;
    QWidget* m_container = nullptr;
    QPointer<QWidget> m_fullScreenWindow;
    QPointer<QWidget> tmpView;
    UpdateChecker m_updateChecker;
};

/// A slider with a float value: the integer position divided by `scale`.
class TaggedSlider final : public QSlider {
    Q_OBJECT
public:
    TaggedSlider(int tag, double minimum, double maximum, double scale, QWidget* parent = nullptr);

    int tag() const { return m_tag; }
    double floatValue() const { return value() / m_scale; }
    int intValue() const { return static_cast<int>(floatValue()); }
    /// Moves the slider without sending its action.
    void setFloatValue(double value);

Q_SIGNALS:
    void moved(QObject* sender);

private:
    int m_tag;
    double m_scale;
};

} // namespace fluxen

namespace fluxen {

/// The colour well: a button filled with the liquid's colour exactly as chosen. (A style sheet
/// on a push button lets the style shade the fill, which showed a paler colour.)
class ColourWell final : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColourWell(QWidget* parent = nullptr);

    QColor color() const { return m_colour; }
    /// Shows `colour`, without sending the well's action.
    void setColor(const QColor& colour);

    QSize sizeHint() const override { return {48, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour = Qt::black;
};

} // namespace fluxen
