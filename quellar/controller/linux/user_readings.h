#pragma once

#include "quellar/common/core/driver_entries.h"
#include "quellar/controller/core/controller.h"

#include <QString>

#include <memory>
#include <optional>

namespace quellar {

/// The driver entries as a user reads them: the msr files when this process may open them
/// (root, or CAP_SYS_RAWIO), else the values that QuellarSwitcher publishes each second in
/// /run/quellar/entries while it runs. Writes always fail: the helper writes.
class UserDriverEntries final : public DriverEntries {
public:
    /// `registers` may be null or unusable; `published` is the daemon's file.
    UserDriverEntries(std::unique_ptr<DriverEntries> registers, bool registersUsable,
                      QString published);

    bool read(const char* name, std::int32_t& value) override;
    bool write(const char*, std::int32_t) override { return false; }

private:
    std::unique_ptr<DriverEntries> m_registers;
    bool m_registersUsable;
    QString m_published;
};

/// One entry's value in the published text ("<entry> <value>" lines); none when absent.
std::optional<std::int32_t> publishedEntry(const QByteArray& text, const char* name);

/// What the kernel shows every user, under HW_ROOT: the frequency of cpu0 from cpufreq's
/// scaling_cur_freq, and the temperature from the coretemp (or k10temp) hwmon sensor, else
/// the first thermal zone.
class KernelReadings final : public FallbackReadings {
public:
    std::optional<int> megahertz() override;
    std::optional<int> celsius() override;
};

} // namespace quellar
