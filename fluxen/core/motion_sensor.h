#pragma once

namespace fluxen {

/// The notebook's motion sensor, in the units the simulation expects: the x reading grows with
/// sideways tilt at 1024 units for one full turn, about 256 units per g of sideways
/// acceleration. Only differences matter: the simulation calibrates against its first reading.
class MotionSensor {
public:
    virtual ~MotionSensor() = default;

    /// Looks for a sensor once and answers its kind; 0 means none was found. The kind is
    /// handed back on every read.
    virtual int detect_sms() = 0;

    /// Fills x, y and z with the latest reading of the sensor of kind `type`. Answers false
    /// when nothing could be read, leaving the three values as they were.
    virtual bool read_sms_raw(int type, int* x, int* y, int* z) = 0;
};

/// The sensor kinds that `detect_sms` answers.
enum SensorKind : int {
    kNoSensor = 0,
    kApplesmcSensor = 1,
    kHdapsSensor = 2,
    kIioSensor = 3,
    /// No hardware: the tilt follows the arrow keys.
    kKeyboardTilt = 4,
};

/// A tilt set by hand (the arrow keys, or a test): reads answer the tilt last set.
class ManualTilt final : public MotionSensor {
public:
    int detect_sms() override { return kKeyboardTilt; }
    bool read_sms_raw(int, int* x, int* y, int* z) override {
        *x = m_x;
        *y = 0;
        *z = 0;
        return true;
    }

    int tilt() const { return m_x; }
    void setTilt(int x) { m_x = x; }

private:
    int m_x = 0;
};

} // namespace fluxen
