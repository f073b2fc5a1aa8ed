#include "voltaro/core/simulated_battery.h"

#include "platform/core/file_io.h"

#include <algorithm>

namespace voltaro {

namespace {

const QString kBattery = QStringLiteral("sys/class/power_supply/BAT0/");
const QString kAdapter = QStringLiteral("sys/class/power_supply/AC/");
const QString kDmi = QStringLiteral("sys/class/dmi/id/");

QByteArray line(int number) {
    return QByteArray::number(number) + '\n';
}

} // namespace

platform::Expected<SimulatedBattery> SimulatedBattery::create(const QString& root,
                                                              const QByteArray& cpuinfo) {
    SimulatedBattery battery(root);
    const std::pair<QString, QByteArray> files[] = {
        {kBattery + QStringLiteral("type"), "Battery\n"},
        {kBattery + QStringLiteral("present"), "1\n"},
        {kBattery + QStringLiteral("technology"), "Li-ion\n"},
        {kBattery + QStringLiteral("manufacturer"), "Voltaro\n"},
        {kBattery + QStringLiteral("model_name"), "Simulated cell\n"},
        {kBattery + QStringLiteral("serial_number"), "SIM-0001\n"},
        {kBattery + QStringLiteral("voltage_min_design"), "11400000\n"},
        {kBattery + QStringLiteral("charge_full_design"), line(kDesignCapacity * 1000)},
        {kBattery + QStringLiteral("charge_full"), line(kFullCharge * 1000)},
        {kBattery + QStringLiteral("cycle_count"), line(kCycleCount)},
        {kAdapter + QStringLiteral("type"), "Mains\n"},
        {kDmi + QStringLiteral("sys_vendor"), "Voltaro\n"},
        {kDmi + QStringLiteral("product_name"), "Simulated Notebook\n"},
        {kDmi + QStringLiteral("product_family"), "Simulated Notebook\n"},
        // Year digit 8 and week 12: made on 1 March 2008.
        {kDmi + QStringLiteral("product_serial"), "VS8120SIM01\n"},
        {QStringLiteral("proc/cpuinfo"), cpuinfo},
    };
    for (const auto& [path, text] : files) {
        if (auto written = battery.write(path, text); !written)
            return platform::Error{written.error()};
    }
    if (auto written = battery.writeState(); !written)
        return platform::Error{written.error()};
    return battery;
}

platform::Expected<void> SimulatedBattery::step() {
    if (m_charging) {
        m_chargeNow = std::min(kFullCharge, m_chargeNow + kStep);
        if (m_chargeNow == kFullCharge)
            m_charging = false;
    } else {
        m_chargeNow = std::max(0, m_chargeNow - kStep);
        if (m_chargeNow <= kFullCharge / 5)
            m_charging = true;
    }
    return writeState();
}

platform::Expected<void> SimulatedBattery::writeState() const {
    const QByteArray status = m_charging                   ? "Charging\n"
                              : m_chargeNow == kFullCharge ? "Full\n"
                                                           : "Discharging\n";
    const std::pair<QString, QByteArray> files[] = {
        {kBattery + QStringLiteral("charge_now"), line(m_chargeNow * 1000)},
        {kBattery + QStringLiteral("capacity"), line(m_chargeNow * 100 / kFullCharge)},
        {kBattery + QStringLiteral("status"), status},
        // The adapter stays plugged in until the full battery starts to drain again.
        {kAdapter + QStringLiteral("online"),
         m_charging || m_chargeNow == kFullCharge ? "1\n" : "0\n"},
    };
    for (const auto& [path, text] : files) {
        if (auto written = write(path, text); !written)
            return written;
    }
    return {};
}

platform::Expected<void> SimulatedBattery::write(const QString& relativePath,
                                                 const QByteArray& text) const {
    return platform::writeFileAtomically(m_root + QLatin1Char('/') + relativePath, text);
}

} // namespace voltaro
