#pragma once

#include "quellar/common/core/driver_entries.h"

#include <climits>
#include <cstdint>
#include <ctime>

namespace quellar {

/// Publishes the driver entries' present values for programs that may not read them (only a
/// process with CAP_SYS_RAWIO opens the msr files): a world-readable file of six lines
/// "<entry> <decimal value>", replaced atomically (written beside, then renamed). An entry
/// that cannot be read is left out. Allocates nothing after construction.
class EntriesPublisher {
public:
    /// Publishes to `path`, normally /run/quellar/entries (under QUELLAR_ROOT when that is set).
    EntriesPublisher(DriverEntries& driver, const char* path);

    /// Reads the entries and replaces the file; answers whether it was written.
    bool publish();
    /// Publishes when a second has passed since the last time.
    void publishIfDue();
    /// The last packed setting written, published as the control entry's value.
    void setControl(std::int32_t packed) {
        m_control = packed;
        m_haveControl = true;
    }

    /// The default path, under QUELLAR_ROOT when that is set.
    static void defaultPath(char (&path)[PATH_MAX]);

private:
    DriverEntries& m_driver;
    char m_path[PATH_MAX];
    char m_temporary[PATH_MAX];
    std::int32_t m_control = 0;
    bool m_haveControl = false;
    timespec m_last{};
};

/// Driver entries that publish after each successful write of the control entry.
class PublishingDriverEntries final : public DriverEntries {
public:
    PublishingDriverEntries(DriverEntries& driver, EntriesPublisher& publisher)
        : m_driver(driver), m_publisher(publisher) {}
    bool read(const char* name, std::int32_t& value) override { return m_driver.read(name, value); }
    bool write(const char* name, std::int32_t value) override;

private:
    DriverEntries& m_driver;
    EntriesPublisher& m_publisher;
};

} // namespace quellar
