#pragma once

#include <cstdint>
#include <optional>

namespace voltaro {

/// The shared battery record: the latest facts a worker gathered, read by the display. Plain
/// data; the controller's lock guards every access.
class batteryDataClass {
public:
    std::int32_t chargeCurrent() const { return m_chargeCurrent; }
    void setChargeCurrent(std::int32_t value) { m_chargeCurrent = value; }
    std::int32_t chargeMaximum() const { return m_chargeMaximum; }
    void setChargeMaximum(std::int32_t value) { m_chargeMaximum = value; }
    std::int32_t capacityCurrent() const { return m_capacityCurrent; }
    void setCapacityCurrent(std::int32_t value) { m_capacityCurrent = value; }
    std::int32_t capacityMaximum() const { return m_capacityMaximum; }
    void setCapacityMaximum(std::int32_t value) { m_capacityMaximum = value; }
    std::int32_t additionalLoadcycles() const { return m_additionalLoadcycles; }
    void setAdditionalLoadcycles(std::int32_t value) { m_additionalLoadcycles = value; }
    /// The computer's age; unknown when its serial holds no date.
    std::optional<std::int32_t> additionalAgeInWeeks() const { return m_additionalAgeInWeeks; }
    void setAdditionalAgeInWeeks(std::optional<std::int32_t> value) {
        m_additionalAgeInWeeks = value;
    }
    std::optional<std::int32_t> additionalAgeInMonths() const { return m_additionalAgeInMonths; }
    void setAdditionalAgeInMonths(std::optional<std::int32_t> value) {
        m_additionalAgeInMonths = value;
    }
    bool additionalChargerConnected() const { return m_additionalChargerConnected; }
    void setAdditionalChargerConnected(bool value) { m_additionalChargerConnected = value; }
    bool additionalBatteryCharging() const { return m_additionalBatteryCharging; }
    void setAdditionalBatteryCharging(bool value) { m_additionalBatteryCharging = value; }
    /// Set by the first completed worker run, never reset.
    bool hasRecievedRealBatteryData() const { return m_hasRecievedRealBatteryData; }
    void setHasRecievedRealBatteryData(bool value) { m_hasRecievedRealBatteryData = value; }

private:
    std::int32_t m_chargeCurrent = 2;
    std::int32_t m_chargeMaximum = 2;
    std::int32_t m_capacityCurrent = 2;
    std::int32_t m_capacityMaximum = 2;
    std::int32_t m_additionalLoadcycles = 2;
    std::optional<std::int32_t> m_additionalAgeInWeeks = 2;
    std::optional<std::int32_t> m_additionalAgeInMonths = 2;
    bool m_additionalChargerConnected = false;
    bool m_additionalBatteryCharging = false;
    bool m_hasRecievedRealBatteryData = false;
};

} // namespace voltaro
