#pragma once

#include <QWidget>

namespace platform {
class Clock;
class Defaults;
class Resources;
} // namespace platform

namespace fluxen {

class DTView;
class ManualTilt;
class MotionSensor;

/// The main window: the liquid's view on the left, the control panel on the right.
class FluxenWindow final : public QWidget {
    Q_OBJECT
public:
    FluxenWindow(platform::Clock& clock, platform::Defaults& defaults,
                 platform::Resources& resources, MotionSensor& sensor, ManualTilt* tilt,
                 QWidget* parent = nullptr);
    ~FluxenWindow() override;

    DTView* view() const { return m_view; }

private:
    DTView* m_view;
};

} // namespace fluxen
