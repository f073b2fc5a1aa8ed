#pragma once

#include <string_view>

namespace quellar {

/// The names of the two power sources; the daemon tells them apart by length alone.
inline constexpr std::string_view kMainsPower = "AC Power";
inline constexpr std::string_view kBatteryPower = "Battery Power";

/// What one power supply reports.
struct PowerSupply {
    std::string_view type; ///< "Mains", "USB…", "Battery", …
    bool online = false;   ///< a charger's "online" is 1
    bool present = true;   ///< a battery's "present" is not 0 (absent file: present)
};

/// Accumulates supplies one by one and names the providing source: mains when any mains or
/// USB supply is online; battery when none is and a present battery exists; mains when there
/// is no power-supply information at all.
class PowerSourceDecision {
public:
    void add(const PowerSupply& supply);
    std::string_view providingType() const;

private:
    bool m_chargerOnline = false;
    bool m_battery = false;
};

/// Where the providing power source comes from.
class PowerSource {
public:
    virtual ~PowerSource() = default;
    virtual std::string_view providingType() = 0;
};

} // namespace quellar
