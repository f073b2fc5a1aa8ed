#include "quellar/switcher/core/power_source.h"

namespace quellar {

void PowerSourceDecision::add(const PowerSupply& supply) {
    if ((supply.type == "Mains" || supply.type.starts_with("USB")) && supply.online)
        m_chargerOnline = true;
    if (supply.type == "Battery" && supply.present)
        m_battery = true;
}

std::string_view PowerSourceDecision::providingType() const {
    return !m_chargerOnline && m_battery ? kBatteryPower : kMainsPower;
}

} // namespace quellar
