#pragma once

#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>

namespace voltaro {

/// A simulated notebook battery for `--simulate`: a sysfs-like tree (power_supply with BAT0 and
/// AC, dmi/id, proc/cpuinfo) in a folder that the program then names as HW_ROOT, so that the
/// tools read it as they would read the real /sys. Each step moves the charge: it drains until
/// 20 %, the adapter is then plugged in and it charges until full, and so on.
class SimulatedBattery {
public:
    static constexpr int kDesignCapacity = 5000; ///< mAh
    static constexpr int kFullCharge = 4400;     ///< mAh
    static constexpr int kStartCharge = 3100;    ///< mAh
    static constexpr int kStep = 45;             ///< mAh per step
    static constexpr int kCycleCount = 212;

    /// Makes the tree under `root`; `cpuinfo` is copied into its proc/cpuinfo.
    static platform::Expected<SimulatedBattery> create(const QString& root,
                                                       const QByteArray& cpuinfo);

    /// One step of charging or draining, written to the tree.
    platform::Expected<void> step();

    int chargeNow() const { return m_chargeNow; }
    bool charging() const { return m_charging; }

private:
    explicit SimulatedBattery(QString root) : m_root(std::move(root)) {}
    platform::Expected<void> writeState() const;
    platform::Expected<void> write(const QString& relativePath, const QByteArray& text) const;

    QString m_root;
    int m_chargeNow = kStartCharge;
    bool m_charging = false;
};

} // namespace voltaro
